// What the Win32 side of the platform layer does beyond the behaviour every
// platform shares: the system's own path rules, sharing of open files, error
// texts.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/File.h"
#include "platform/NativeFile.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/win32/Links.h"
#include "platform/win32/Wide.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove::platform {
namespace {

using kestrove::testing::ReadFileBytes;
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

// Names are UTF-8 texts of any script; the system gets and gives them in
// UTF-16, never through its 8-bit code page.
TEST(Win32Platform, NamesInAnyScriptReachTheirFiles) {
    TempDir dir;
    const std::string polish = "\xC5\x81ukasz", greek = "\xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7",
                      russian = "\xD0\xAE\xD1\x80\xD0\xB8\xD0\xB9",
                      japanese = "\xE6\x97\xA5\xE6\x9C\xAC";
    for (const std::string& name : {polish, greek, russian, japanese}) {
        SCOPED_TRACE(name);
        const std::string sub = dir / name;
        ASSERT_TRUE(CreateDirectories(sub + "\\" + japanese));
        EXPECT_TRUE(DirectoryExists(sub));
        // The system's own name for it, checked behind the layer's back.
        EXPECT_NE(GetFileAttributesW(win32::Wide(sub).c_str()), INVALID_FILE_ATTRIBUTES);
        ASSERT_TRUE(WriteFileBytes(sub + "\\" + name + ".PMI", std::string_view("abc")));
        auto file = File::Open(sub + "\\" + name + ".PMI", OpenMode::ReadBinary);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->Length(), 3);
        file.reset();
        const std::vector<DirEntry> found = FindFiles(sub + "\\*.PMI");
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].name, name + ".PMI");
        EXPECT_EQ(NamesAnswering(sub + "\\" + name + ".pmi"),
                  std::vector<std::string>{name + ".PMI"});
        EXPECT_TRUE(RenameNoReplace(sub + "\\" + name + ".PMI", sub + "\\" + greek + ".BKI"));
        EXPECT_TRUE(FileExists(sub + "\\" + greek + ".BKI"));
        EXPECT_TRUE(StampOf(sub + "\\" + greek + ".BKI").has_value());
        EXPECT_FALSE(IsLink(sub + "\\" + greek + ".BKI"));
        EXPECT_TRUE(RemoveFile(sub + "\\" + greek + ".BKI"));
        EXPECT_EQ(FromNative(sub + "\\.\\" + japanese), sub + "\\" + japanese);
    }
    const std::vector<DirEntry> all = FindFiles(dir / "*.*");
    for (const std::string& name : {polish, greek, russian, japanese})
        EXPECT_TRUE(std::any_of(all.begin(), all.end(), [&](const DirEntry& e) {
            return e.name == name && e.isDirectory;
        })) << name;
}

// A settings file in such a directory keeps such a path. A file of ANSI
// text from before is turned into UTF-16 first, its values kept.
TEST(Win32Platform, TheSettingsFileKeepsPathsInAnyScript) {
    TempDir dir;
    const std::string polish = dir / "\xC5\x81ukasz";
    ASSERT_TRUE(CreateDirectories(polish));
    const std::string ini = polish + "\\Kestrove.INI";
    const std::string path = "C:\\PMAIL\\MAIL\\\xE6\x97\xA5\xE6\x9C\xAC";
    ASSERT_TRUE(ProfileWriteString("Startup", "DriveC", "1", ini));
    ASSERT_TRUE(ProfileWriteString("Startup", "Path", path, ini));
    EXPECT_EQ(ProfileReadString("Startup", "Path", "", ini), path);
    EXPECT_EQ(ProfileReadString("Startup", "DriveC", "", ini), "1");
    auto bytes = ReadFileBytes(ini);
    ASSERT_TRUE(bytes.has_value());
    ASSERT_GE(bytes->size(), 2u);
    EXPECT_EQ((*bytes)[0], 0xFF);
    EXPECT_EQ((*bytes)[1], 0xFE);

    const std::string old = dir / "old.ini";
    ASSERT_TRUE(WriteFileBytes(old, std::string_view("[Startup]\r\nPath=C:\\M\xFCller\r\n")));
    EXPECT_EQ(ProfileReadString("Startup", "Path", "", old), "C:\\M\xC3\xBCller");
    ASSERT_TRUE(ProfileWriteString("Options", "Greek", "\xCE\x95", old));
    EXPECT_EQ(ProfileReadString("Startup", "Path", "", old), "C:\\M\xC3\xBCller");
    EXPECT_EQ(ProfileReadString("Options", "Greek", "", old), "\xCE\x95");
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
