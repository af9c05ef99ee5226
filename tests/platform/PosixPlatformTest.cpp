// The POSIX side of the platform layer: the drive map, the resolution of
// Windows path texts without regard to case, and what only POSIX needs.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "core/Settings.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove::platform {
namespace {

namespace fs = std::filesystem;
using kestrove::testing::ReadFileBytes;
using kestrove::testing::TempDir;
using kestrove::testing::WriteFileBytes;

void Put(const fs::path& p, std::string_view text = "x") {
    std::ofstream(p, std::ios::binary) << text;
}

class DriveMapTest : public ::testing::Test {
  protected:
    void TearDown() override {
        faults::Reset();
        ClearDriveMap();
    }
};

TEST_F(DriveMapTest, UnmappedLettersAndNonDrivePaths) {
    ClearDriveMap();
    EXPECT_FALSE(DriveRoot('C'));
    EXPECT_FALSE(ToNative("C:\\X"));
    EXPECT_FALSE(ToNative("\\\\server\\share\\X"));
    EXPECT_FALSE(ToNative("relative\\X"));
    EXPECT_FALSE(ToNative(""));
    EXPECT_FALSE(FileExists("C:\\X"));
    EXPECT_FALSE(File::Open("C:\\X", OpenMode::WriteBinary));
    EXPECT_FALSE(LastErrorText().empty());
    SetDriveRoot('q', "/tmp");
    EXPECT_EQ(DriveRoot('Q'), "/tmp");
    EXPECT_EQ(ToNative("q:\\a"), "/tmp/a");
    SetDriveRoot('Q', "");  // unmapped again
    EXPECT_FALSE(DriveRoot('q'));
}

TEST_F(DriveMapTest, ComponentsResolveWithoutRegardToCase) {
    TempDir dir('D');
    fs::create_directories(dir.Native("Mail/Users"));
    Put(dir.Native("Mail/Users/Inbox.Pmi"));
    const std::string base = dir.Native().string();

    EXPECT_EQ(ToNative("D:\\MAIL\\USERS\\INBOX.PMI"), base + "/Mail/Users/Inbox.Pmi");
    EXPECT_EQ(ToNative("d:/mail/users/inbox.pmi"), base + "/Mail/Users/Inbox.Pmi");
    EXPECT_EQ(ToNative("D:\\mail/USERS\\\\inbox.PMI"), base + "/Mail/Users/Inbox.Pmi");
    // Missing components are kept as written, below the resolved ones.
    EXPECT_EQ(ToNative("D:\\MAIL\\NEW\\Sub\\X.PMI"), base + "/Mail/NEW/Sub/X.PMI");
    EXPECT_EQ(ToNative("D:\\MAIL\\USERS\\INBOX.BKI"), base + "/Mail/Users/INBOX.BKI");
    // "." and ".." are applied to the text, never above the drive's root.
    EXPECT_EQ(ToNative("D:\\MAIL\\.\\X\\..\\USERS"), base + "/Mail/Users");
    EXPECT_EQ(ToNative("D:\\..\\..\\MAIL"), base + "/Mail");
    EXPECT_EQ(ToNative("D:"), base);
    EXPECT_EQ(ToNative("D:\\"), base);

    // A new file gets its name as written.
    ASSERT_TRUE(WriteFileBytes("D:\\mail\\users\\New.PMM", std::string_view("n")));
    EXPECT_TRUE(fs::exists(dir.Native("Mail/Users/New.PMM")));
    EXPECT_FALSE(fs::exists(dir.Native("Mail/Users/new.pmm")));
}

TEST_F(DriveMapTest, AnExactNameWinsOverOneThatDiffersInCase) {
    TempDir dir('D');
    Put(dir.Native("inbox.pmi"), "lower");
    Put(dir.Native("INBOX.PMI"), "upper");
    Put(dir.Native("Other"), "other");
    auto read = [](const std::string& path) {
        auto bytes = ReadFileBytes(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : "";
    };
    EXPECT_EQ(read("D:\\inbox.pmi"), "lower");
    EXPECT_EQ(read("D:\\INBOX.PMI"), "upper");
    EXPECT_EQ(read("D:\\Inbox.Pmi"), "upper");  // the smallest name of those equal but for case
    EXPECT_EQ(read("D:\\OTHER"), "other");
}

TEST_F(DriveMapTest, FromNativeTakesTheLongestRoot) {
    TempDir outer('E');
    fs::create_directories(outer.Native("inner/deep"));
    SetDriveRoot('F', outer.Native("inner").string());
    SetDriveRoot('Z', "/");
    const std::string base = outer.Native().string();
    EXPECT_EQ(FromNative(base + "/inner/deep/X.PMI"), "F:\\deep\\X.PMI");
    EXPECT_EQ(FromNative(base + "/inner"), "F:\\");
    EXPECT_EQ(FromNative(base + "/innerX"), "E:\\innerX");  // components, not characters
    EXPECT_EQ(FromNative("/usr/bin"), "Z:\\usr\\bin");
    EXPECT_EQ(FromNative("relative"), std::nullopt);
    SetDriveRoot('Z', "");
    EXPECT_EQ(FromNative("/usr/bin"), std::nullopt);

    // A root reached through a link covers the link's target too.
    fs::create_directory_symlink(outer.Native("inner/deep"), outer.Native("link"));
    ClearDriveMap();
    SetDriveRoot('L', outer.Native("link").string());
    EXPECT_EQ(FromNative(base + "/inner/deep/Y"), "L:\\Y");
    EXPECT_EQ(FromNative(base + "/link/Y"), "L:\\Y");
}

TEST_F(DriveMapTest, DefaultMapFromAWinePrefixOrTheHomeDirectory) {
    TempDir home('H');
    const char* saved = std::getenv("HOME");
    std::string savedHome = saved ? saved : "";
    setenv("HOME", home.Native().c_str(), 1);

    // No Wine prefix: C: is the home directory, Z: the root.
    UseDefaultDriveMap();
    EXPECT_EQ(DriveRoot('C'), home.Native().string());
    EXPECT_EQ(DriveRoot('Z'), "/");
    EXPECT_FALSE(DriveRoot('D'));

    // A Wine prefix: its dosdevices links give the drives.
    fs::path devices = home.Native(".wine/dosdevices");
    fs::create_directories(devices);
    fs::create_directories(home.Native(".wine/drive_c/users/me"));
    fs::create_directory_symlink("../drive_c", devices / "c:");
    fs::create_directory_symlink("/", devices / "z:");
    fs::create_symlink("/dev/sr0", devices / "d::");  // a raw device: no drive
    Put(home.Native(".wine/drive_c/users/me/Kestrove.INI"), "[Startup]\r\nPath=c:\\\r\n");
    UseDefaultDriveMap();
    EXPECT_EQ(DriveRoot('C'), (devices / "c:").string());
    EXPECT_EQ(DriveRoot('Z'), (devices / "z:").string());
    EXPECT_FALSE(DriveRoot('D'));
    EXPECT_TRUE(FileExists("C:\\USERS\\ME\\kestrove.ini"));
    EXPECT_TRUE(DirectoryExists("Z:\\"));
    // A path in the prefix is named through C:, the longer root.
    EXPECT_EQ(FromNative(home.Native(".wine/drive_c/users/me/Kestrove.INI").string()),
              "C:\\users\\me\\Kestrove.INI");

    if (saved)
        setenv("HOME", savedHome.c_str(), 1);
    else
        unsetenv("HOME");
    UseDefaultDriveMap();
    ClearDriveMap();
}

TEST_F(DriveMapTest, ExecutablePathIsAWindowsText) {
    SetDriveRoot('Z', "/");
    std::string path = ExecutablePath();
    EXPECT_EQ(path.substr(0, 3), "Z:\\");
    EXPECT_EQ(FileNamePart(path), "kestrove_tests");
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(SettingsFileName(path), path + ".INI");
    // No drive covers the program: still a Windows text, on Z:.
    ClearDriveMap();
    EXPECT_EQ(ExecutablePath(), path);
}

class PosixFilesTest : public ::testing::Test {
  protected:
    void TearDown() override { faults::Reset(); }
    TempDir dir;
};

TEST_F(PosixFilesTest, FindFilesReportsAttributesAndDotEntries) {
    Put(dir.Native("RO.PMI"));
    fs::permissions(dir.Native("RO.PMI"), fs::perms::owner_read | fs::perms::group_read);
    Put(dir.Native(".hidden.pmi"));
    Put(dir.Native("plain.pmi"));
    auto all = FindFiles(dir / "*");
    ASSERT_GE(all.size(), 5u);
    EXPECT_EQ(all[0].name, ".");
    EXPECT_EQ(all[1].name, "..");
    EXPECT_TRUE(all[0].isDirectory);
    for (const auto& e : all) {
        if (e.name == "RO.PMI") {
            EXPECT_EQ(e.attributes, 0x21u);
        } else if (e.name == ".hidden.pmi") {
            EXPECT_EQ(e.attributes, 0x22u);
        } else if (e.name == "plain.pmi") {
            EXPECT_EQ(e.attributes, 0x20u);
        }
    }
    // Sorted without regard to case after "." and "..".
    Put(dir.Native("B.PMI"));
    Put(dir.Native("a.pmi"));
    auto pmi = FindFiles(dir / "*.PMI");
    std::vector<std::string> names;
    for (const auto& e : pmi)
        names.push_back(e.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{".hidden.pmi", "a.pmi", "B.PMI", "plain.pmi", "RO.PMI"}));
}

TEST_F(PosixFilesTest, CopyPermissionsGivesTheModeBits) {
    Put(dir.Native("OLD"));
    Put(dir.Native("NEW"));
    fs::permissions(dir.Native("OLD"), fs::perms(0640));
    fs::permissions(dir.Native("NEW"), fs::perms(0600));
    ASSERT_TRUE(CopyPermissions(dir / "OLD", dir / "new"));
    struct stat a {
    }, b{};
    ASSERT_EQ(stat(dir.Native("OLD").c_str(), &a), 0);
    ASSERT_EQ(stat(dir.Native("NEW").c_str(), &b), 0);
    EXPECT_EQ(b.st_mode & 07777, 0640u);
    EXPECT_EQ(b.st_uid, a.st_uid);
    EXPECT_EQ(b.st_gid, a.st_gid);
}

TEST_F(PosixFilesTest, RenameAcrossFileSystemsMovesWithoutReplacing) {
    // Needs a second file system: /dev/shm is one on most machines.
    struct stat here {
    }, there{};
    if (stat(dir.Native().c_str(), &here) != 0 || stat("/dev/shm", &there) != 0 ||
        here.st_dev == there.st_dev || access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no second file system to move to";
    char templ[] = "/dev/shm/kestrove-XXXXXX";
    ASSERT_TRUE(mkdtemp(templ));
    SetDriveRoot('M', templ);
    Put(dir.Native("A.BKI"), "backup");
    fs::permissions(dir.Native("A.BKI"), fs::perms(0604));
    Put(fs::path(templ) / "B.BKI", "other");

    EXPECT_FALSE(RenameNoReplace(dir / "A.BKI", "M:\\b.bki"));
    EXPECT_TRUE(fs::exists(dir.Native("A.BKI")));
    EXPECT_TRUE(RenameNoReplace(dir / "A.BKI", "M:\\A.BKI"));
    EXPECT_FALSE(fs::exists(dir.Native("A.BKI")));
    auto moved = ReadFileBytes("M:\\A.BKI");
    ASSERT_TRUE(moved);
    EXPECT_EQ(std::string(moved->begin(), moved->end()), "backup");
    struct stat st {};
    ASSERT_EQ(stat((std::string(templ) + "/A.BKI").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    SetDriveRoot('M', "");
    fs::remove_all(templ);
}

// The settings file on POSIX --------------------------------------------

TEST_F(PosixFilesTest, ProfileWriteReplacesTheFileWhole) {
    const std::string ini = dir / "Kestrove.INI";
    ASSERT_TRUE(ProfileWriteString("Startup", "Path", "D:\\MAIL", ini));
    fs::permissions(dir.Native("Kestrove.INI"), fs::perms(0640));
    ASSERT_TRUE(ProfileWriteString("Options", "RunCheck", "1", ini));
    // No temporary file is left behind, and the mode is kept.
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.Native()))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Kestrove.INI"});
    EXPECT_EQ(fs::status(dir.Native("Kestrove.INI")).permissions(), fs::perms(0640));
    auto bytes = ReadFileBytes(ini);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()),
              "[Startup]\r\nPath=D:\\MAIL\r\n[Options]\r\nRunCheck=1\r\n");

    // A link to the settings file stays a link.
    fs::create_directory(dir.Native("real"));
    fs::rename(dir.Native("Kestrove.INI"), dir.Native("real/Kestrove.INI"));
    fs::create_symlink("real/Kestrove.INI", dir.Native("Kestrove.INI"));
    ASSERT_TRUE(ProfileWriteString("Options", "GetStats", "2", ini));
    EXPECT_TRUE(fs::is_symlink(dir.Native("Kestrove.INI")));
    EXPECT_EQ(ProfileReadString("options", "getstats", "", dir / "REAL\\KESTROVE.INI"), "2");
}

TEST_F(PosixFilesTest, ProfileWriteRefusals) {
    const std::string ini = dir / "Kestrove.INI";
    ASSERT_TRUE(ProfileWriteString("Startup", "Path", "c:\\", ini));
    // A read-only settings file refuses, as on Windows.
    fs::permissions(dir.Native("Kestrove.INI"), fs::perms(0444));
    if (geteuid() != 0) {
        EXPECT_FALSE(ProfileWriteString("Startup", "Path", "d:\\", ini));
        EXPECT_EQ(ProfileReadString("Startup", "Path", "", ini), "c:\\");
    }
    fs::permissions(dir.Native("Kestrove.INI"), fs::perms(0644));
    // The fault hook refuses writes of the settings file, also for root.
    faults::FailAlways(faults::Op::Write, "kestrove.ini");
    EXPECT_FALSE(ProfileWriteString("Startup", "Path", "d:\\", ini));
    faults::Reset();
    EXPECT_EQ(ProfileReadString("Startup", "Path", "", ini), "c:\\");
    // A directory in the way.
    fs::create_directory(dir.Native("Dir.INI"));
    EXPECT_FALSE(ProfileWriteString("Startup", "Path", "d:\\", dir / "Dir.INI"));
}

TEST_F(PosixFilesTest, ProfileWriteInAReadOnlyDirectory) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not refuse the superuser";
    const std::string ini = dir / "Kestrove.INI";
    ASSERT_TRUE(ProfileWriteString("Startup", "Path", "c:\\", ini));
    fs::create_directory(dir.Native("ro"));
    fs::permissions(dir.Native(), fs::perms(0555));
    // A new file cannot be made there...
    EXPECT_FALSE(ProfileWriteString("Startup", "Path", "c:\\", dir / "NEW.INI"));
    // ...but a writable existing one is written in place, as Windows does.
    EXPECT_TRUE(ProfileWriteString("Startup", "Path", "e:\\", ini));
    EXPECT_EQ(ProfileReadString("Startup", "Path", "", ini), "e:\\");
    fs::permissions(dir.Native(), fs::perms(0755));
}

}  // namespace
}  // namespace kestrove::platform

#endif  // _WIN32
