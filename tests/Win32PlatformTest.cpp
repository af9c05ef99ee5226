// What the Win32 side of the platform layer does beyond the behaviour every
// platform shares: the system's own path rules, sharing of open files,
// permissions, error texts and collation.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/File.h"
#include "platform/NativeFile.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Text.h"

namespace kestrove::platform {
namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

class Win32Platform : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = (std::filesystem::temp_directory_path() /
                (std::string("kestrove-win32-") + info->name()))
                   .string();
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& name) const { return JoinPath(dir_, name); }
    void Put(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }

    std::string dir_;
};

TEST_F(Win32Platform, PathTextsAreSystemPaths) {
    EXPECT_TRUE(DirectoryExists("C:\\"));
    EXPECT_FALSE(FileExists("C:\\"));
    Put("INBOX.PMI", "x");
    EXPECT_TRUE(FileExists(Path("inbox.pmi")));
    EXPECT_FALSE(DirectoryExists(Path("INBOX.PMI")));
    EXPECT_TRUE(DirectoryExists(dir_ + "\\"));
    EXPECT_FALSE(FileExists(Path("MISSING.PMI")));

    // No drive map on Windows: the text is the path, and a native path is
    // made absolute by the system.
    SetDriveRoot('Q', "ignored");
    EXPECT_EQ(ToNative("Q:\\MAIL\\INBOX.PMI"), "Q:\\MAIL\\INBOX.PMI");
    EXPECT_EQ(DriveRoot('d'), "d:\\");
    EXPECT_EQ(FromNative(dir_ + "\\.\\sub\\..\\INBOX.PMI"), Path("INBOX.PMI"));
    auto relative = FromNative("INBOX.PMI");
    ASSERT_TRUE(relative.has_value());
    EXPECT_EQ(relative->substr(1, 2), ":\\");

    std::string exe = ExecutablePath();
    EXPECT_TRUE(FileExists(exe)) << exe;
    ASSERT_GT(exe.size(), 7u);
    EXPECT_EQ(exe.substr(1, 2), ":\\") << exe;
    EXPECT_EQ(Upper(exe.substr(exe.size() - 4)), ".EXE") << exe;
}

// Files open the way the C runtime opens them: others may read and write
// meanwhile, but an open file cannot be deleted or renamed, so a command that
// forgets to close a file fails here.
TEST_F(Win32Platform, OpenFilesAreSharedButHeld) {
    Put("INBOX.PMM", "0123456789");
    auto reader = NativeFile::Open(Path("INBOX.PMM"), false);
    ASSERT_NE(reader, nullptr);
    auto second = NativeFile::Open(Path("INBOX.PMM"), false);
    EXPECT_NE(second, nullptr);
    EXPECT_FALSE(RemoveFile(Path("INBOX.PMM")));
    EXPECT_FALSE(LastErrorText().empty());
    EXPECT_FALSE(RenameNoReplace(Path("INBOX.PMM"), Path("INBOX.BKM")));

    char buffer[16];
    ASSERT_TRUE(reader->Seek(4));
    EXPECT_EQ(reader->Read(buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(reader->Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(reader->Length(), 10);
    EXPECT_TRUE(reader->Close());
    EXPECT_TRUE(second->Close());

    EXPECT_TRUE(RenameNoReplace(Path("INBOX.PMM"), Path("INBOX.BKM")));
    EXPECT_TRUE(RemoveFile(Path("INBOX.BKM")));
    EXPECT_FALSE(FileExists(Path("INBOX.BKM")));
}

TEST_F(Win32Platform, FailuresSayWhyInTheSystemsWords) {
    EXPECT_EQ(NativeFile::Open(Path("MISSING.PMI"), false), nullptr);
    const std::string missing = LastErrorText();
    EXPECT_FALSE(missing.empty());
    EXPECT_NE(missing.back(), '\n');

    EXPECT_EQ(NativeFile::Open(Path("NO\\SUCH\\NEW.PMI"), true), nullptr);
    EXPECT_FALSE(LastErrorText().empty());

    // A settings file that cannot be created is a refused write.
    EXPECT_FALSE(ProfileWriteString("Startup", "Path", "C:\\", Path("NO\\SUCH\\Kestrove.INI")));
    EXPECT_FALSE(LastErrorText().empty());
    EXPECT_EQ(ProfileReadString("Startup", "Path", "c:\\", Path("NO\\SUCH\\Kestrove.INI")), "c:\\");
}

TEST_F(Win32Platform, PermissionsCopiedBetweenFiles) {
    Put("INBOX.PMI", "old");
    Put("NEW.PMI", "new");
    EXPECT_TRUE(CopyPermissions(Path("INBOX.PMI"), Path("NEW.PMI")));
    EXPECT_FALSE(CopyPermissions(Path("MISSING.PMI"), Path("NEW.PMI")));
    EXPECT_FALSE(LastErrorText().empty());
    EXPECT_FALSE(CopyPermissions(Path("INBOX.PMI"), Path("MISSING.PMI")));
}

TEST(Win32Collation, UserLocaleCaseSensitive) {
    EXPECT_LT(CollateCompare("beta", "Gamma"), 0);
    EXPECT_GT(CollateCompare("Gamma", "beta"), 0);
    EXPECT_NE(CollateCompare("inbox", "INBOX"), 0);
    EXPECT_EQ(CollateCompare("Inbox", "Inbox"), 0);
    EXPECT_LT(CollateCompare("", "a"), 0);
    EXPECT_EQ(CollateCompare("", ""), 0);
    // Accented letters sort with their base letter, not after "z".
    EXPECT_LT(CollateCompare("\xe9t\xe9", "zoo"), 0);
}

}  // namespace
}  // namespace kestrove::platform

#endif  // _WIN32
