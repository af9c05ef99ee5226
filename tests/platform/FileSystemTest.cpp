// Path texts, existence tests, delete, the rename that never replaces and
// the wildcard search: what holds on every platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove::platform {
namespace {

using kestrove::testing::ReadFileBytes;
using kestrove::testing::TempDir;
using kestrove::testing::WriteFileBytes;

TEST(PathTexts, SplitAndJoin) {
    EXPECT_TRUE(IsSeparator('\\'));
    EXPECT_TRUE(IsSeparator('/'));
    EXPECT_FALSE(IsSeparator(':'));
    EXPECT_EQ(FileNamePart("D:\\MAIL\\INBOX.PMI"), "INBOX.PMI");
    EXPECT_EQ(FileNamePart("D:/MAIL/INBOX.PMI"), "INBOX.PMI");
    EXPECT_EQ(FileNamePart("D:\\MAIL\\"), "");
    EXPECT_EQ(FileNamePart("INBOX.PMI"), "INBOX.PMI");
    EXPECT_EQ(DirectoryPart("D:\\MAIL\\INBOX.PMI"), "D:\\MAIL");
    EXPECT_EQ(DirectoryPart("D:\\INBOX.PMI"), "D:");
    EXPECT_EQ(DirectoryPart("D:\\MAIL/sub\\X"), "D:\\MAIL/sub");
    EXPECT_EQ(DirectoryPart("INBOX.PMI"), "");
    // One backslash, whatever the directory ends in.
    EXPECT_EQ(JoinPath("D:\\MAIL", "INBOX.PMI"), "D:\\MAIL\\INBOX.PMI");
    EXPECT_EQ(JoinPath("C:\\", "X"), "C:\\\\X");
}

TEST(PathTexts, WildcardMasks) {
    EXPECT_TRUE(MatchesMask("*.pmi", "INBOX.PMI"));
    EXPECT_TRUE(MatchesMask("*.lck", "OLD.LCK"));
    EXPECT_TRUE(MatchesMask("*.PMI", "a.b.pmi"));
    EXPECT_FALSE(MatchesMask("*.pmi", "NOTES.PMIX"));  // no short-name matches
    EXPECT_FALSE(MatchesMask("*.pmi", "INBOX.PMM"));
    EXPECT_FALSE(MatchesMask("*.pmi", "PMI"));
    EXPECT_TRUE(MatchesMask("*.*", "README"));
    EXPECT_TRUE(MatchesMask("*", ""));
    EXPECT_TRUE(MatchesMask("a*b*c", "aXXbYbc"));
    EXPECT_FALSE(MatchesMask("a*b*c", "aXXbYbcd"));
    EXPECT_TRUE(MatchesMask("?NBOX.PM?", "inbox.pmi"));
    EXPECT_FALSE(MatchesMask("x?z", "xz"));
    EXPECT_FALSE(MatchesMask("\xC9*", "\xE9t\xE9"));  // ASCII letters only
}

class FileSystemTest : public ::testing::Test {
  protected:
    void TearDown() override { faults::Reset(); }
    void Touch(const std::string& path, std::string_view contents = "x") {
        ASSERT_TRUE(WriteFileBytes(path, contents)) << path;
    }
    std::string Contents(const std::string& path) {
        auto bytes = ReadFileBytes(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
    }
    TempDir dir;
};

TEST_F(FileSystemTest, ExistenceAndDelete) {
    Touch(dir / "INBOX.PMI");
    std::filesystem::create_directory(dir.Native("SUB"));
    EXPECT_TRUE(FileExists(dir / "INBOX.PMI"));
    EXPECT_TRUE(FileExists(dir / "inbox.pmi"));
    EXPECT_FALSE(FileExists(dir / "SUB"));
    EXPECT_FALSE(FileExists(dir / "NONE.PMI"));
    EXPECT_TRUE(DirectoryExists(dir / "SUB"));
    EXPECT_TRUE(DirectoryExists(dir / "sub"));
    EXPECT_TRUE(DirectoryExists(dir.path()));
    EXPECT_TRUE(DirectoryExists(dir.path() + "\\"));
    EXPECT_FALSE(DirectoryExists(dir / "INBOX.PMI"));
    EXPECT_FALSE(DirectoryExists(dir / "NONE"));

    EXPECT_FALSE(RemoveFile(dir / "SUB"));  // directories are not deleted
    EXPECT_TRUE(DirectoryExists(dir / "SUB"));
    EXPECT_FALSE(RemoveFile(dir / "NONE.PMI"));
    faults::FailNth(faults::Op::Delete, 1, "inbox");
    EXPECT_FALSE(RemoveFile(dir / "INBOX.PMI"));
    EXPECT_TRUE(FileExists(dir / "INBOX.PMI"));
    EXPECT_TRUE(RemoveFile(dir / "Inbox.Pmi"));
    EXPECT_FALSE(FileExists(dir / "INBOX.PMI"));
}

// One file however it is reached; two files alike in every byte are two.
TEST_F(FileSystemTest, IsSameFileComparesIdentityNotNames) {
    Touch(dir / "INBOX.PMI", "index");
    Touch(dir / "COPY.PMI", "index");
    std::filesystem::create_directory(dir.Native("SUB"));
    EXPECT_TRUE(IsSameFile(dir / "INBOX.PMI", dir / "INBOX.PMI"));
    EXPECT_TRUE(IsSameFile(dir / "INBOX.PMI", dir / "inbox.pmi"));
    EXPECT_TRUE(IsSameFile(dir / "INBOX.PMI", dir / "sub\\..\\Inbox.pmi"));
    EXPECT_TRUE(IsSameFile(dir / "SUB", dir / "sub"));
    EXPECT_FALSE(IsSameFile(dir / "INBOX.PMI", dir / "COPY.PMI"));
    EXPECT_FALSE(IsSameFile(dir / "INBOX.PMI", dir / "INBOX.CSV"));
    EXPECT_FALSE(IsSameFile(dir / "NONE.PMI", dir / "NONE.PMI"));
    EXPECT_FALSE(IdentityOf(dir / "NONE.PMI"));
    EXPECT_EQ(IdentityOf(dir / "INBOX.PMI"), IdentityOf(dir / "Inbox.Pmi"));
    EXPECT_NE(IdentityOf(dir / "INBOX.PMI"), IdentityOf(dir / "COPY.PMI"));
    std::error_code failed;
    std::filesystem::create_hard_link(dir.Native("INBOX.PMI"), dir.Native("INBOX.TXT"), failed);
    if (!failed) {
        EXPECT_TRUE(IsSameFile(dir / "INBOX.PMI", dir / "INBOX.TXT"));
    }
}

// A stamp tells whether anybody wrote to, cut, replaced or removed a file
// since it was taken; a rename keeps it, as it keeps the file.
TEST_F(FileSystemTest, StampsChangeWithTheFile) {
    namespace fs = std::filesystem;
    Touch(dir / "INBOX.PMM", "messages");
    const std::optional<FileStamp> first = StampOf(dir / "INBOX.PMM");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->length, 8);
    EXPECT_EQ(StampOf(dir / "inbox.pmm"), first);
    EXPECT_EQ(first->identity, IdentityOf(dir / "INBOX.PMM"));

    fs::last_write_time(dir.Native("INBOX.PMM"),
                        fs::last_write_time(dir.Native("INBOX.PMM")) + std::chrono::seconds(3));
    const std::optional<FileStamp> touched = StampOf(dir / "INBOX.PMM");
    ASSERT_TRUE(touched);
    EXPECT_NE(touched, first);  // same bytes, but written to
    fs::resize_file(dir.Native("INBOX.PMM"), 7);
    EXPECT_NE(StampOf(dir / "INBOX.PMM"), touched);

    const std::optional<FileStamp> before = StampOf(dir / "INBOX.PMM");
    fs::copy_file(dir.Native("INBOX.PMM"), dir.Native("COPY.PMM"));
    fs::last_write_time(dir.Native("COPY.PMM"), fs::last_write_time(dir.Native("INBOX.PMM")));
    EXPECT_NE(StampOf(dir / "COPY.PMM"), before);  // another file, alike in all else
    ASSERT_TRUE(RenameNoReplace(dir / "INBOX.PMM", dir / "INBOX.BKM"));
    EXPECT_EQ(StampOf(dir / "INBOX.BKM"), before);

    EXPECT_FALSE(StampOf(dir / "INBOX.PMM"));
    EXPECT_FALSE(LastErrorText().empty());
    fs::create_directory(dir.Native("SUB"));
    EXPECT_FALSE(StampOf(dir / "SUB"));
    faults::FailNth(faults::Op::Stat, 1, "INBOX.BKM");
    EXPECT_FALSE(StampOf(dir / "INBOX.BKM"));
    EXPECT_EQ(LastErrorText(), faults::kInjectedFaultText);
    EXPECT_EQ(StampOf(dir / "INBOX.BKM"), before);
}

// The hook that acts at a call: the action runs first, the call goes on.
TEST_F(FileSystemTest, AnActionAtTheNthCall) {
    Touch(dir / "A.PMI");
    int ran = 0;
    faults::AtNth(faults::Op::Stat, 2, "A.PMI", [&] {
        ++ran;
        Touch(dir / "A.PMI", "longer");  // the platform layer may be used here
    });
    EXPECT_EQ(StampOf(dir / "A.PMI")->length, 1);
    EXPECT_EQ(ran, 0);
    EXPECT_EQ(StampOf(dir / "A.PMI")->length, 6);
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(StampOf(dir / "A.PMI"));
    EXPECT_EQ(ran, 1);
}

TEST_F(FileSystemTest, RenameNeverReplaces) {
    Touch(dir / "INBOX.PMI", "index");
    Touch(dir / "INBOX.BKI", "old backup");
    EXPECT_FALSE(RenameNoReplace(dir / "INBOX.PMI", dir / "INBOX.BKI"));
    EXPECT_EQ(Contents(dir / "INBOX.BKI"), "old backup");
    EXPECT_EQ(Contents(dir / "INBOX.PMI"), "index");

    // A target that exists under another letter case counts as existing.
    EXPECT_FALSE(RenameNoReplace(dir / "INBOX.PMI", dir / "inbox.bki"));
    EXPECT_EQ(Contents(dir / "INBOX.BKI"), "old backup");
    EXPECT_EQ(Contents(dir / "INBOX.PMI"), "index");

    ASSERT_TRUE(RemoveFile(dir / "INBOX.BKI"));
    EXPECT_TRUE(RenameNoReplace(dir / "inbox.pmi", dir / "INBOX.BKI"));
    EXPECT_FALSE(FileExists(dir / "INBOX.PMI"));
    EXPECT_EQ(Contents(dir / "INBOX.BKI"), "index");

    EXPECT_FALSE(RenameNoReplace(dir / "MISSING.PMI", dir / "X.BKI"));
    EXPECT_FALSE(FileExists(dir / "X.BKI"));
    EXPECT_FALSE(RenameNoReplace(dir / "INBOX.BKI", dir / "NODIR\\INBOX.PMI"));
    EXPECT_EQ(Contents(dir / "INBOX.BKI"), "index");

    // Into another directory (the move of backups).
    std::filesystem::create_directory(dir.Native("SAVE"));
    EXPECT_TRUE(RenameNoReplace(dir / "INBOX.BKI", dir / "save\\INBOX.BKI"));
    EXPECT_EQ(Contents(dir / "SAVE\\INBOX.BKI"), "index");

    // The fault hook looks at both paths.
    Touch(dir / "A.PMI");
    faults::FailNth(faults::Op::Rename, 1, "B.BKI");
    EXPECT_FALSE(RenameNoReplace(dir / "A.PMI", dir / "B.BKI"));
    EXPECT_TRUE(FileExists(dir / "A.PMI"));
    EXPECT_TRUE(RenameNoReplace(dir / "A.PMI", dir / "B.BKI"));
}

std::vector<std::string> Names(const std::vector<DirEntry>& entries, bool dotsToo = false) {
    std::vector<std::string> names;
    for (const auto& e : entries) {
        if (dotsToo || (e.name != "." && e.name != ".."))
            names.push_back(e.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The swap of a folder's pair: names freed by an earlier rename of the
// sequence take the later ones; the first that fails stops it.
TEST_F(FileSystemTest, RenameEachInTurn) {
    Touch(dir / "INBOX.PMI", "old index");
    Touch(dir / "INBOX.PMM", "old messages");
    Touch(dir / "INBOX.KXM", "new messages");
    Touch(dir / "INBOX.KXI", "new index");
    const std::vector<std::pair<std::string, std::string>> swap = {
        {dir / "INBOX.PMI", dir / "INBOX.BKI"},
        {dir / "INBOX.PMM", dir / "INBOX.BKM"},
        {dir / "INBOX.KXM", dir / "INBOX.PMM"},
        {dir / "INBOX.KXI", dir / "INBOX.PMI"},
    };
    EXPECT_EQ(RenameEachNoReplace(swap), 4u);
    EXPECT_EQ(Contents(dir / "INBOX.PMI"), "new index");
    EXPECT_EQ(Contents(dir / "INBOX.PMM"), "new messages");
    EXPECT_EQ(Contents(dir / "INBOX.BKI"), "old index");
    EXPECT_EQ(Contents(dir / "INBOX.BKM"), "old messages");
    EXPECT_FALSE(FileExists(dir / "INBOX.KXI") || FileExists(dir / "INBOX.KXM"));

    // An existing target, in any letter case, stops the sequence there.
    Touch(dir / "A.KXI", "a");
    Touch(dir / "B.KXI", "b");
    Touch(dir / "b.pmi", "taken");
    EXPECT_EQ(RenameEachNoReplace({{dir / "A.KXI", dir / "A.PMI"},
                                   {dir / "B.KXI", dir / "B.PMI"},
                                   {dir / "INBOX.BKI", dir / "C.PMI"}}),
              1u);
    EXPECT_FALSE(LastErrorText().empty());
    EXPECT_EQ(Contents(dir / "b.pmi"), "taken");
    EXPECT_EQ(Contents(dir / "B.KXI"), "b");
    EXPECT_TRUE(FileExists(dir / "INBOX.BKI"));
    // The fault hook counts each rename.
    faults::FailNth(faults::Op::Rename, 2);
    EXPECT_EQ(RenameEachNoReplace({{dir / "A.PMI", dir / "A.TXT"}, {dir / "B.KXI", dir / "B.TXT"}}),
              1u);
    EXPECT_EQ(LastErrorText(), faults::kInjectedFaultText);
    EXPECT_TRUE(FileExists(dir / "A.TXT"));
}

TEST_F(FileSystemTest, FindFilesMatchesWithoutRegardToCase) {
    Touch(dir / "INBOX.PMI");
    Touch(dir / "sent.pmi");
    Touch(dir / "Trash.Pmi");
    Touch(dir / "INBOX.PMM");
    Touch(dir / "NOTES.PMIX");
    Touch(dir / "README");
    std::filesystem::create_directory(dir.Native("OLD.PMI"));

    auto pmi = FindFiles(dir / "*.pmi");
    EXPECT_EQ(Names(pmi),
              (std::vector<std::string>{"INBOX.PMI", "OLD.PMI", "Trash.Pmi", "sent.pmi"}));
    for (const auto& e : pmi) {
        bool isDir = e.name == "OLD.PMI";
        EXPECT_EQ(e.isDirectory, isDir) << e.name;
        EXPECT_EQ((e.attributes & 0x10) != 0, isDir) << e.name;
    }
    EXPECT_EQ(Names(FindFiles(dir / "*.PMI")), Names(pmi));
    EXPECT_EQ(Names(FindFiles(dir / "inbox.*")),
              (std::vector<std::string>{"INBOX.PMI", "INBOX.PMM"}));
    EXPECT_EQ(Names(FindFiles(dir / "?NBOX.PM?")),
              (std::vector<std::string>{"INBOX.PMI", "INBOX.PMM"}));
    // "*.*" takes every name, with or without a dot.
    EXPECT_EQ(Names(FindFiles(dir / "*.*")).size(), 7u);
    EXPECT_EQ(Names(FindFiles(dir / "readme")), (std::vector<std::string>{"README"}));
    EXPECT_TRUE(FindFiles(dir / "*.lck").empty());
    EXPECT_TRUE(FindFiles(dir / "MISSING\\*.pmi").empty());
    EXPECT_TRUE(FindFiles("*.pmi").empty());  // no directory
}

TEST_F(FileSystemTest, FindFilesInASubdirectoryNamedInAnotherCase) {
    std::filesystem::create_directories(dir.Native("Mail/Users"));
    Touch(dir / "MAIL\\USERS\\A.PMI");
    auto found = FindFiles(dir / "mail\\users\\*.PMI");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "A.PMI");  // as stored
    EXPECT_TRUE(std::filesystem::exists(dir.Native("Mail/Users/A.PMI")));
}

TEST_F(FileSystemTest, SyncDirectoryAndPermissions) {
    EXPECT_TRUE(SyncDirectory(dir.path()));
    faults::FailNth(faults::Op::Sync, 1);
    EXPECT_FALSE(SyncDirectory(dir.path()));
    Touch(dir / "A");
    Touch(dir / "B");
    EXPECT_TRUE(CopyPermissions(dir / "A", dir / "B"));
    EXPECT_FALSE(CopyPermissions(dir / "NONE", dir / "B"));
    EXPECT_FALSE(ExecutablePath().empty());
}

}  // namespace
}  // namespace kestrove::platform
