// What the Win32 side of the platform layer does beyond the behaviour every
// platform shares: the system's own path rules, sharing of open files, error
// texts.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/File.h"
#include "platform/NativeFile.h"
#include "platform/Paths.h"
#include "platform/win32/Links.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove::platform {
namespace {

using kestrove::testing::TempDir;
using kestrove::testing::WriteFileBytes;

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

TEST(Win32Platform, PathTextsAreSystemPaths) {
    TempDir dir;
    EXPECT_TRUE(DirectoryExists("C:\\"));
    EXPECT_FALSE(FileExists("C:\\"));

    // No drive map on Windows: the text is the path, and a native path is
    // made absolute by the system.
    SetDriveRoot('Q', "ignored");
    EXPECT_EQ(ToNative("Q:\\MAIL\\INBOX.PMI"), "Q:\\MAIL\\INBOX.PMI");
    EXPECT_EQ(DriveRoot('d'), "d:\\");
    EXPECT_EQ(FromNative(dir.path() + "\\.\\sub\\..\\INBOX.PMI"), dir / "INBOX.PMI");
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
TEST(Win32Platform, OpenFilesAreSharedButHeld) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir / "INBOX.PMM", std::string_view("0123456789")));
    auto reader = NativeFile::Open(dir / "INBOX.PMM", OpenMode::ReadBinary);
    ASSERT_NE(reader, nullptr);
    auto second = NativeFile::Open(dir / "INBOX.PMM", OpenMode::ReadBinary);
    EXPECT_NE(second, nullptr);
    EXPECT_FALSE(RemoveFile(dir / "INBOX.PMM"));
    EXPECT_FALSE(LastErrorText().empty());
    EXPECT_FALSE(RenameNoReplace(dir / "INBOX.PMM", dir / "INBOX.BKM"));

    char buffer[16];
    ASSERT_TRUE(reader->Seek(4));
    EXPECT_EQ(reader->Read(buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(reader->Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(reader->Length(), 10);
    EXPECT_TRUE(reader->Close());
    EXPECT_TRUE(second->Close());

    EXPECT_TRUE(RenameNoReplace(dir / "INBOX.PMM", dir / "INBOX.BKM"));
    EXPECT_TRUE(RemoveFile(dir / "INBOX.BKM"));
}

TEST(Win32Platform, FailuresSayWhyInTheSystemsWords) {
    TempDir dir;
    EXPECT_EQ(NativeFile::Open(dir / "MISSING.PMI", OpenMode::ReadBinary), nullptr);
    const std::string missing = LastErrorText();
    EXPECT_FALSE(missing.empty());
    EXPECT_NE(missing.back(), '\n');

    EXPECT_EQ(NativeFile::Open(dir / "NO\\SUCH\\NEW.PMI", OpenMode::WriteBinary), nullptr);
    EXPECT_FALSE(LastErrorText().empty());
    EXPECT_FALSE(CopyPermissions(dir / "MISSING.PMI", dir / "NEW.PMI"));
    EXPECT_FALSE(LastErrorText().empty());
}

TEST(Win32Platform, OnlyReparsePointsThatStandForAnotherNameAreLinks) {
    constexpr unsigned long kReparsePoint = 0x400, kDirectory = 0x10, kArchive = 0x20;
    // Symbolic links and junctions.
    EXPECT_TRUE(win32::IsLinkEntry(kReparsePoint | kArchive, 0xA000000CUL));
    EXPECT_TRUE(win32::IsLinkEntry(kReparsePoint | kDirectory, 0xA0000003UL));
    // Wine's directory links.
    EXPECT_TRUE(win32::IsLinkEntry(kReparsePoint | kDirectory, 0));
    // Deduplicated, cloud and compressed files hold their own data.
    EXPECT_FALSE(win32::IsLinkEntry(kReparsePoint | kArchive, 0x80000013UL));
    EXPECT_FALSE(win32::IsLinkEntry(kReparsePoint | kArchive, 0x9000001AUL));
    EXPECT_FALSE(win32::IsLinkEntry(kReparsePoint | kArchive, 0x80000017UL));
    // No reparse point, whatever the reserved word holds.
    EXPECT_FALSE(win32::IsLinkEntry(kArchive, 0xA000000CUL));
}

}  // namespace
}  // namespace kestrove::platform

#endif  // _WIN32
