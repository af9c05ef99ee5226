// The settings file: integer reads, refused writes, the five Options, the
// start path and the drive list.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "core/Settings.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

using testing::TempDir;

TEST(SettingsFileNameTest, ExtensionReplacedByIni) {
    EXPECT_EQ(SettingsFileName("C:\\PROGRAMS\\Kestrove.exe"), "C:\\PROGRAMS\\Kestrove.INI");
    EXPECT_EQ(SettingsFileName("C:\\MY.PROGRAMS\\kestrove"), "C:\\MY.PROGRAMS\\kestrove.INI");
}

TEST(IniIntegers, ParsedAsTheSettingsReadsDo) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"1", 1},
        {"-7", -7},
        {"+5", 5},
        {"  42  ", 42},
        {"\t3", 3},
        {"0x2", 2},
        {"0X1f", 31},
        {"$10", 16},
        {"-0x10", -16},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"0x7FFFFFFF", INT32_MAX},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"-", std::nullopt},
        {"0xG", std::nullopt},
        {"1.5", std::nullopt},
        {"2147483648", std::nullopt},  // out of range
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"0x80000000", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseIniInteger(c.text), c.value) << "\"" << c.text << "\"";
}

class SettingsTest : public ::testing::Test {
  protected:
    void TearDown() override { platform::faults::Reset(); }
    void Put(std::string_view contents) {
        ASSERT_TRUE(testing::WriteFileBytes(ini.path(), contents));
    }
    TempDir dir;
    IniFile ini{dir / "Kestrove.INI"};
};

TEST_F(SettingsTest, IntegerReadsFallBackToTheDefault) {
    Put("[Options]\r\nA=abc\r\nB=0x2\r\nC= -7 \r\nD=\r\nE=\"3\"\r\nF=99999999999\r\n");
    EXPECT_EQ(ini.ReadInteger("Options", "A", 9), 9);  // not an integer
    EXPECT_EQ(ini.ReadInteger("Options", "B", 9), 2);
    EXPECT_EQ(ini.ReadInteger("Options", "C", 9), -7);
    EXPECT_EQ(ini.ReadInteger("Options", "D", 9), 9);
    EXPECT_EQ(ini.ReadInteger("Options", "E", 9), 3);  // quotes go on read
    EXPECT_EQ(ini.ReadInteger("Options", "F", 9), 9);
    EXPECT_EQ(ini.ReadInteger("Options", "Missing", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Missing", "A", 4), 4);
    IniFile none(dir / "NONE.INI");
    EXPECT_EQ(none.ReadInteger("Options", "A", 5), 5);
    EXPECT_EQ(none.ReadString("Startup", "Path", "c:\\"), "c:\\");
}

TEST_F(SettingsTest, WritesIntegersBooleansAndTexts) {
    EXPECT_FALSE(ini.WriteInteger("Options", "BackupFiles", -3));
    EXPECT_FALSE(ini.WriteBool("Startup", "DriveC", true));
    EXPECT_FALSE(ini.WriteBool("Startup", "DriveD", false));
    EXPECT_FALSE(ini.WriteString("Startup", "Path", "D:\\MAIL"));
    EXPECT_EQ(ini.ReadString("Options", "BackupFiles", ""), "-3");
    EXPECT_EQ(ini.ReadString("Startup", "DriveC", ""), "1");
    EXPECT_EQ(ini.ReadString("Startup", "DriveD", ""), "0");
    EXPECT_EQ(ini.ReadInteger("Options", "BackupFiles", 0), -3);
    EXPECT_EQ(ReadStartPath(ini), "D:\\MAIL");
}

TEST_F(SettingsTest, ARefusedWriteNamesTheFile) {
    IniFile lost(dir / "NODIR\\Kestrove.INI");
    auto error = lost.WriteString("Startup", "Path", "c:\\");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "Unable to write to " + dir / "NODIR\\Kestrove.INI");
    error = lost.WriteInteger("Options", "RunCheck", 1);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "Unable to write to " + lost.path());
    EXPECT_TRUE(lost.WriteBool("Startup", "DriveC", true));

    // WriteSettings stops at the first refused key.
    EXPECT_TRUE(WriteSettings(lost, Settings{}));
}

// The five settings as the file holds them, in the order of the keys.
using Items = std::array<std::int32_t, 5>;
Items ItemsOf(const Settings& s) {
    return {ItemIndex(s.MismatchedUnread), ItemIndex(s.MismatchedDeleted), ItemIndex(s.BackupFiles),
            ItemIndex(s.RunCheck), ItemIndex(s.GetStats)};
}
Settings FromItems(const Items& i) {
    return {ChoiceAt<OnMismatch>(i[0]), ChoiceAt<OnMismatch>(i[1]), ChoiceAt<OnBackupExists>(i[2]),
            ChoiceAt<LockCheck>(i[3]), ChoiceAt<CopyToSelf>(i[4])};
}

TEST_F(SettingsTest, ARefusedWriteThroughTheFaultHook) {
    platform::faults::FailNth(platform::faults::Op::Write, 3, "kestrove.ini");
    auto error = WriteSettings(ini, FromItems({1, 2, 1, 1, 2}));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "Unable to write to " + ini.path());
    // The first two keys were written, the rest not.
    EXPECT_EQ(ItemsOf(ReadSettings(ini)), (Items{1, 2, 0, 0, 0}));
}

// The Set Drives boxes: only a key holding 1 checks its box; the OK writes
// all 26 keys in order and stops at the first refused one.
TEST_F(SettingsTest, DriveChoices) {
    Put("[Startup]\r\nDriveA=1\r\nDriveB=2\r\nDriveC=-1\r\nDriveD=0x1\r\n");
    DriveChoices offered = ReadDriveChoices(ini);
    EXPECT_TRUE(offered[0]);
    EXPECT_FALSE(offered[1] || offered[2] || offered[25]);
    EXPECT_TRUE(offered[3]);

    offered = {};
    offered[2] = offered[25] = true;
    EXPECT_FALSE(WriteDriveChoices(ini, offered));
    EXPECT_EQ(ini.ReadString("Startup", "DriveA", "-"), "0");
    EXPECT_EQ(ini.ReadString("Startup", "DriveC", "-"), "1");
    EXPECT_EQ(ini.ReadString("Startup", "DriveZ", "-"), "1");
    EXPECT_EQ(ReadDriveChoices(ini), offered);

    platform::faults::FailNth(platform::faults::Op::Write, 4, "kestrove.ini");
    const DriveChoices all = [] {
        DriveChoices a{};
        a.fill(true);
        return a;
    }();
    auto error = WriteDriveChoices(ini, all);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "Unable to write to " + ini.path());
    EXPECT_EQ(ini.ReadString("Startup", "DriveA", "-"), "1");  // written before
    EXPECT_EQ(ini.ReadString("Startup", "DriveB", "-"), "1");
    EXPECT_EQ(ini.ReadString("Startup", "DriveD", "-"), "0");  // refused: as it was
    EXPECT_EQ(ini.ReadString("Startup", "DriveE", "-"), "0");  // not reached
}

TEST(RadioGroups, ClampLikeTheOptionsWindow) {
    EXPECT_EQ(ClampRadioIndex(0, 3), 0);
    EXPECT_EQ(ClampRadioIndex(2, 3), 2);
    EXPECT_EQ(ClampRadioIndex(3, 3), 2);
    EXPECT_EQ(ClampRadioIndex(5, 3), 2);
    EXPECT_EQ(ClampRadioIndex(5, 2), 1);
    EXPECT_EQ(ClampRadioIndex(INT32_MAX, 2), 1);
    EXPECT_EQ(ClampRadioIndex(-1, 3), -1);
    EXPECT_EQ(ClampRadioIndex(-3, 3), -1);
    EXPECT_EQ(ClampRadioIndex(INT32_MIN, 3), -1);
}

TEST_F(SettingsTest, OptionsReadAsWrittenThenClamped) {
    EXPECT_EQ(ItemsOf(ReadSettings(ini)), (Items{0, 0, 0, 0, 0}));  // no file
    EXPECT_EQ(ReadSettings(ini), Settings{});

    Put("[Options]\r\nMismatchedUnread=5\r\nmismatcheddeleted=-3\r\nBackupFiles=0x2\r\n"
        "RunCheck=5\r\nGetStats=junk\r\n");
    Settings read = ReadSettings(ini);
    EXPECT_EQ(ItemsOf(read), (Items{5, -3, 2, 5, 0}));
    EXPECT_EQ(read.BackupFiles, OnBackupExists::Never);
    EXPECT_EQ(ItemsOf(ClampSettings(read)), (Items{2, -1, 2, 1, 0}));

    // The named values are the items' integers, both ways.
    const Settings named{OnMismatch::Skip, OnMismatch::Ignore, OnBackupExists::Overwrite,
                         LockCheck::Always, CopyToSelf::Exclude};
    ASSERT_FALSE(WriteSettings(ini, named));
    for (auto [key, value] : {std::pair{"MismatchedUnread", "2"},
                              {"MismatchedDeleted", "1"},
                              {"BackupFiles", "1"},
                              {"RunCheck", "0"},
                              {"GetStats", "2"}})
        EXPECT_EQ(ini.ReadString("Options", key, ""), value) << key;
    EXPECT_EQ(ReadSettings(ini), named);
    // A value that names no item is written back as it was read.
    ASSERT_FALSE(WriteSettings(ini, FromItems({-1, 7, -1, 3, -1})));
    EXPECT_EQ(ItemsOf(ReadSettings(ini)), (Items{-1, 7, -1, 3, -1}));
}

TEST_F(SettingsTest, StartPathDefault) {
    EXPECT_EQ(ReadStartPath(ini), "c:\\");
    Put("[Startup]\r\nPath=D:\\MAIL\\USERS\r\n");
    EXPECT_EQ(ReadStartPath(ini), "D:\\MAIL\\USERS");
}

#ifndef _WIN32
// The drives present are the mapped directories that exist.
class DriveListTest : public SettingsTest {
  protected:
    void SetUp() override {
        platform::ClearDriveMap();
        platform::SetDriveRoot('D', dir.Native().string());
        platform::SetDriveRoot('C', c.Native().string());
        platform::SetDriveRoot('E', e.Native().string());
        platform::SetDriveRoot('G', (g.Native() / "missing").string());
    }
    void TearDown() override {
        platform::SetDriveRoot('G', "");
        SettingsTest::TearDown();
    }
    // `dir` is drive D:.
    TempDir g{'G'}, e{'E'}, c{'C'};
};

TEST_F(DriveListTest, WithoutSettingsEveryPresentDriveIsOffered) {
    EXPECT_EQ(RebuildDriveList(ini, "C"), (std::vector<std::string>{"C:", "D:", "E:"}));
}

TEST_F(DriveListTest, DriveKeysExcludeOrOffer) {
    Put("[Startup]\r\nDriveC=0\r\nDriveD=2\r\nDriveE=1\r\nDriveG=1\r\n");
    EXPECT_EQ(RebuildDriveList(ini, "C"), (std::vector<std::string>{"E:"}));  // G: is absent

    Put("[Startup]\r\nDriveC=-1\r\nDriveD=-7\r\nDriveE=yes\r\n");
    EXPECT_EQ(RebuildDriveList(ini, "C"), (std::vector<std::string>{"C:", "D:", "E:"}));

    Put("[startup]\r\ndrivec=0x0\r\nDRIVED=0\r\n");  // keys without regard to case
    EXPECT_EQ(RebuildDriveList(ini, "C"), (std::vector<std::string>{"E:"}));
}

TEST_F(DriveListTest, FallbackWhenNoDriveQualifies) {
    std::string keys = "[Startup]\r\n";
    for (char x = 'A'; x <= 'Z'; ++x)
        keys += std::string("Drive") + x + "=0\r\n";
    Put(keys);
    EXPECT_EQ(RebuildDriveList(ini, "C"), (std::vector<std::string>{"C"}));
    EXPECT_EQ(RebuildDriveList(ini, "c"), (std::vector<std::string>{"c"}));
}

TEST_F(DriveListTest, EntriesAreSorted) {
    // Mapped in reverse order and in another case: still listed C:, D:, E:.
    platform::ClearDriveMap();
    platform::SetDriveRoot('e', e.Native().string());
    platform::SetDriveRoot('d', dir.Native().string());
    platform::SetDriveRoot('c', c.Native().string());
    auto drives = RebuildDriveList(ini, "C");
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end()));
    EXPECT_EQ(drives, (std::vector<std::string>{"C:", "D:", "E:"}));
}
#else
TEST_F(SettingsTest, DriveListOfTheRealDrives) {
    // Windows (or Wine) always has C:.
    Put("[Startup]\r\nDriveC=1\r\n");
    auto drives = RebuildDriveList(ini, "x");
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:"), drives.end());
    EXPECT_TRUE(std::is_sorted(drives.begin(), drives.end()));
    std::string keys = "[Startup]\r\n";
    for (char x = 'A'; x <= 'Z'; ++x)
        keys += std::string("Drive") + x + "=0\r\n";
    Put(keys);
    EXPECT_EQ(RebuildDriveList(ini, "C"), (std::vector<std::string>{"C"}));
}
#endif

// Where the program keeps its settings, and the directory made for them.
#ifndef _WIN32
class SettingsLocationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        setenv("HOME", home.Native().c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
    TempDir home{'H'};
    const std::string exe = "Z:\\usr\\bin\\kestrove";
};

TEST_F(SettingsLocationTest, InTheUsersConfigDirectoryNotBesideTheProgram) {
    EXPECT_EQ(ProgramSettingsFile(exe), "H:\\.config\\kestrove\\Kestrove.INI");
    EXPECT_EQ(SettingsFileShownName(ProgramSettingsFile(exe)),
              (home.Native() / ".config" / "kestrove" / "Kestrove.INI").string());

    // An absolute XDG_CONFIG_HOME is taken, trailing separators or not; a
    // relative or empty one is not valid and ~/.config holds.
    setenv("XDG_CONFIG_HOME", (home.Native() / "conf").c_str(), 1);
    EXPECT_EQ(ProgramSettingsFile(exe), "H:\\conf\\kestrove\\Kestrove.INI");
    setenv("XDG_CONFIG_HOME", ((home.Native() / "conf").string() + "//").c_str(), 1);
    EXPECT_EQ(ProgramSettingsFile(exe), "H:\\conf\\kestrove\\Kestrove.INI");
    setenv("XDG_CONFIG_HOME", "conf", 1);
    EXPECT_EQ(ProgramSettingsFile(exe), "H:\\.config\\kestrove\\Kestrove.INI");
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(ProgramSettingsFile(exe), "H:\\.config\\kestrove\\Kestrove.INI");

    // No drive covers it: a free letter stands for "/", Z: first, as in Wine.
    setenv("XDG_CONFIG_HOME", "/nonexistent-kestrove/conf", 1);
    platform::SetDriveRoot('Z', "/somewhere-else");
    EXPECT_EQ(ProgramSettingsFile(exe), "Y:\\nonexistent-kestrove\\conf\\kestrove\\Kestrove.INI");
    EXPECT_EQ(platform::DriveRoot('Y'), "/");
    platform::SetDriveRoot('Y', "");
    platform::SetDriveRoot('Z', "");
}

TEST_F(SettingsLocationTest, DirectoryMadePrivateAtStartAndTheFileOnFirstWrite) {
    setenv("XDG_CONFIG_HOME", (home.Native() / "a" / "b").c_str(), 1);
    const std::string file = ProgramSettingsFile(exe);
    const IniFile ini(file);
    // Reading makes nothing.
    EXPECT_EQ(ReadStartPath(ini), "c:\\");
    EXPECT_FALSE(std::filesystem::exists(home.Native() / "a"));

    EXPECT_FALSE(PrepareSettingsDirectory(file));
    const auto made = home.Native() / "a" / "b" / "kestrove";
    ASSERT_TRUE(std::filesystem::is_directory(made));
    EXPECT_EQ(std::filesystem::status(made).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    EXPECT_EQ(
        std::filesystem::status(home.Native() / "a").permissions() & std::filesystem::perms::all,
        std::filesystem::perms::owner_all);
    EXPECT_FALSE(std::filesystem::exists(made / "Kestrove.INI"));
    EXPECT_FALSE(PrepareSettingsDirectory(file));  // already there

    EXPECT_FALSE(ini.WriteString("Startup", "Path", "D:\\MAIL"));
    auto bytes = testing::ReadFileBytes(file);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "[Startup]\r\nPath=D:\\MAIL\r\n");
}

TEST_F(SettingsLocationTest, AFileCopiedFromWindowsReadsTheSame) {
    // Any letter case of the name, CR LF lines, keys in another case.
    std::filesystem::create_directories(home.Native() / ".config" / "kestrove");
    ASSERT_TRUE(testing::WriteFileBytes(home / ".config\\kestrove\\KESTROVE.ini",
                                        "; from C:\\Kestrove\r\n[STARTUP]\r\npath=D:\\Mail\r\n"
                                        "[Options]\r\nbackupfiles=2\r\nRunCheck=1\r\n"));
    const IniFile ini(ProgramSettingsFile(exe));
    EXPECT_EQ(ReadStartPath(ini), "D:\\Mail");
    Settings s = ReadSettings(ini);
    EXPECT_EQ(s.BackupFiles, OnBackupExists::Never);
    EXPECT_EQ(s.RunCheck, LockCheck::Never);
    EXPECT_EQ(s.MismatchedUnread, OnMismatch::Ask);
    // Written back into that file, not beside it.
    EXPECT_FALSE(ini.WriteString("Startup", "Path", "D:\\Other"));
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(home.Native() / ".config" / "kestrove"),
                      std::filesystem::directory_iterator()),
        1);
}

TEST_F(SettingsLocationTest, ADirectoryThatCannotBeMadeIsReportedWithTheFile) {
    ASSERT_TRUE(testing::WriteFileBytes(home / "conf", "not a directory"));
    setenv("XDG_CONFIG_HOME", (home.Native() / "conf").c_str(), 1);
    const std::string file = ProgramSettingsFile(exe);
    auto error = PrepareSettingsDirectory(file);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "Unable to write to H:\\conf\\kestrove\\Kestrove.INI");
    EXPECT_TRUE(IniFile(file).WriteString("Startup", "Path", "c:\\"));
}
#else
TEST(SettingsLocation, BesideTheProgramOnWindows) {
    EXPECT_EQ(ProgramSettingsFile("C:\\Tools\\Kestrove.exe"), "C:\\Tools\\Kestrove.INI");
    EXPECT_EQ(SettingsFileShownName("C:\\Tools\\Kestrove.INI"), "C:\\Tools\\Kestrove.INI");
}
#endif

TEST(SettingsLocation, PreparingMakesMissingDirectoriesOnly) {
    TempDir dir;
    const std::string file = dir / "one\\two\\Kestrove.INI";
    EXPECT_FALSE(PrepareSettingsDirectory(file));
    EXPECT_TRUE(platform::DirectoryExists(dir / "one\\two"));
    EXPECT_FALSE(platform::FileExists(file));
    EXPECT_FALSE(PrepareSettingsDirectory(file));

    platform::faults::FailNth(platform::faults::Op::Create, 1, "three");
    auto error = PrepareSettingsDirectory(dir / "three\\Kestrove.INI");
    platform::faults::Reset();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->message, "Unable to write to " + dir / "three\\Kestrove.INI");
    EXPECT_FALSE(platform::DirectoryExists(dir / "three"));
}

}  // namespace
}  // namespace kestrove
