// Links and the platform layer: a file of a mail directory is never made,
// read, renamed onto or given permissions through a link; a removal takes
// the link itself; the files the user names (settings, the log) may be
// links.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/File.h"
#include "platform/NativeFile.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/Snapshot.h"
#include "tests/support/TempDir.h"

namespace kestrove::platform {
namespace {

namespace fs = std::filesystem;
using kestrove::testing::MakeLink;
using kestrove::testing::ReadFileBytes;
using kestrove::testing::Snapshot;
using kestrove::testing::TempDir;
using kestrove::testing::WriteFileBytes;

class FileLinks : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(dir.Native("other"));
        ASSERT_TRUE(WriteFileBytes(P("other\\target.txt"), std::string_view("target")));
        ASSERT_TRUE(WriteFileBytes(P("plain.txt"), std::string_view("plain")));
        if (!MakeLink("other/target.txt", dir.Native("link.txt")) ||
            !MakeLink("other/nowhere.txt", dir.Native("dangling.txt")) ||
            !MakeLink("other", dir.Native("dirlink"), true))
            GTEST_SKIP() << "this system cannot make links here";
        // Wine shows no link to nothing, and a link to a file only to a
        // careful look (IsLink); its directory links it shows as links.
        fileLinksSeen = IsLink(P("link.txt"));
        danglingLinksSeen = IsLink(P("dangling.txt"));
        other = Snapshot(dir.Native("other"), true);
    }
    std::string P(std::string_view name) const { return dir / name; }
    void ExpectOtherUntouched() const { EXPECT_EQ(Snapshot(dir.Native("other"), true), other); }

    TempDir dir;
    bool fileLinksSeen = false, danglingLinksSeen = false;
    std::map<std::string, std::string> other;
};

TEST_F(FileLinks, ANewFileIsMadeOnlyWhereNoNameIs) {
    auto made = File::Open(P("new.txt"), OpenMode::CreateBinary);
    ASSERT_TRUE(made);
    EXPECT_TRUE(made->Write("new", 3) && made->Close());
    EXPECT_EQ(ReadFileBytes(P("new.txt")), (std::vector<std::uint8_t>{'n', 'e', 'w'}));

    // Not over a file, nor through a link, whether it leads anywhere or not.
    for (const char* name : {"plain.txt", "link.txt", "dangling.txt", "dirlink"}) {
        EXPECT_FALSE(File::Open(P(name), OpenMode::CreateBinary)) << name;
        const std::string why = LastErrorText();
        if (IsLink(P(name))) {
            EXPECT_EQ(why, kLinkText) << name;
        }
    }
    EXPECT_EQ(ReadFileBytes(P("plain.txt")), (std::vector<std::uint8_t>{'p', 'l', 'a', 'i', 'n'}));
    EXPECT_FALSE(fs::exists(dir.Native("other/nowhere.txt")));
    ExpectOtherUntouched();
}

TEST_F(FileLinks, ReadingRefusesALinkWhereTheUserNamedNone) {
    // A file the user named (the settings) may be a link; the log too.
    auto settings = File::Open(P("link.txt"), OpenMode::ReadBinaryThroughLinks);
    ASSERT_TRUE(settings);
    char bytes[6] = {};
    EXPECT_EQ(settings->Read(bytes, sizeof bytes), 6u);
    EXPECT_EQ(std::string(bytes, 6), "target");
    settings.reset();
    auto log = File::Open(P("link.txt"), OpenMode::WriteText);
    ASSERT_TRUE(log);
    EXPECT_TRUE(log->WriteString("log") && log->Close());
    EXPECT_EQ(ReadFileBytes(P("other\\target.txt")), (std::vector<std::uint8_t>{'l', 'o', 'g'}));

    ASSERT_TRUE(fileLinksSeen);
    EXPECT_FALSE(File::Open(P("link.txt"), OpenMode::ReadBinary));
    EXPECT_EQ(LastErrorText(), kLinkText);
    EXPECT_FALSE(File::Open(P("dangling.txt"), OpenMode::ReadBinary));
    if (danglingLinksSeen) {
        EXPECT_EQ(LastErrorText(), kLinkText);
    }
}

TEST_F(FileLinks, LinksAreToldByNameAndInTheSearch) {
    EXPECT_FALSE(IsLink(P("plain.txt")));
    EXPECT_FALSE(IsLink(P("missing.txt")));
    EXPECT_FALSE(IsLink(P("other")));
    EXPECT_TRUE(IsLink(P("dirlink")));
    bool sawDirectoryLink = false;
    for (const DirEntry& e : FindFiles(P("*.*"))) {
        EXPECT_EQ(e.isLink, (e.attributes & 0x400) != 0) << e.name;
        if (e.name == "dirlink") {
            sawDirectoryLink = true;
            EXPECT_TRUE(e.isLink);
            EXPECT_TRUE(e.isDirectory);  // what it leads to
        }
        if (e.name == "plain.txt" || e.name == "other") {
            EXPECT_FALSE(e.isLink) << e.name;
        }
    }
    EXPECT_TRUE(sawDirectoryLink);

    EXPECT_TRUE(IsLink(P("link.txt")));
    EXPECT_EQ(IsLink(P("dangling.txt")), danglingLinksSeen);
    int fileLinks = 0;
    for (const DirEntry& e : FindFiles(P("*.txt"))) {
        if (e.name == "link.txt" || e.name == "dangling.txt") {
            ++fileLinks;
#ifdef _WIN32
            if (!e.isLink)
                GTEST_SKIP() << "Wine's search shows a link to a file as that file";
#endif
            EXPECT_TRUE(e.isLink) << e.name;
            EXPECT_FALSE(e.isDirectory) << e.name;
        }
    }
    EXPECT_EQ(fileLinks, 2);
}

TEST_F(FileLinks, RemovalTakesTheLinkAndARenameNeverLandsOnOne) {
    // Wine would delete what the link leads to: there the link stays.
    const bool removed = RemoveFile(P("link.txt"));
    const std::string why = LastErrorText();
    ExpectOtherUntouched();
#ifndef _WIN32
    EXPECT_TRUE(removed);
#endif
    EXPECT_EQ(IsLink(P("link.txt")), !removed);
    if (!removed) {
        EXPECT_EQ(why, kLinkText);
    }
    // Nor is a link renamed where the system would move what it leads to.
    if (!removed) {
        EXPECT_FALSE(RenameNoReplace(P("link.txt"), P("moved.txt")));
        EXPECT_TRUE(IsLink(P("link.txt")));
        ExpectOtherUntouched();
    }

    // The name is taken, by a link to nothing: the rename fails, and what
    // it would have created through the link is not there.
    const bool renamed = RenameNoReplace(P("plain.txt"), P("dangling.txt"));
    EXPECT_FALSE(fs::exists(dir.Native("other/nowhere.txt")));
    ExpectOtherUntouched();
    if (!danglingLinksSeen)
        GTEST_SKIP() << "this system shows no link to nothing (Wine)";
    EXPECT_FALSE(renamed);
    EXPECT_TRUE(IsLink(P("dangling.txt")));
    EXPECT_TRUE(fs::exists(dir.Native("plain.txt")));
}

TEST_F(FileLinks, PermissionsAreNeverCopiedThroughALink) {
    ASSERT_TRUE(fileLinksSeen);
    fs::permissions(dir.Native("plain.txt"), fs::perms::owner_read | fs::perms::owner_write |
                                                 fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir.Native("other/target.txt"), fs::perms::owner_read | fs::perms::owner_write);
    other = Snapshot(dir.Native("other"), true);
    EXPECT_FALSE(CopyPermissions(P("plain.txt"), P("link.txt")));
    EXPECT_EQ(LastErrorText(), kLinkText);
    EXPECT_FALSE(CopyPermissions(P("link.txt"), P("plain.txt")));
    EXPECT_FALSE(CopyPermissions(P("plain.txt"), P("dangling.txt")));
    ExpectOtherUntouched();
    EXPECT_TRUE(CopyPermissions(P("plain.txt"), P("other\\target.txt")));
}

}  // namespace
}  // namespace kestrove::platform
