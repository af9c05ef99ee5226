// Drives and directories of the main window: the drive a click enters, the
// start directory, the tree's texts and children, and entering a directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/DirectoryNavigation.h"
#include "platform/Faults.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPort;
using testing::TempDir;

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

void Touch(const fs::path& path) {
    std::ofstream(path, std::ios::binary).put('x');
}

TEST(DirectoryNavigation, ChosenDrive) {
    AppState state;
    state.currentDrive = 'E';
    EXPECT_EQ(ChooseDrive(state, std::nullopt), 'E');  // none chosen: the current letter
    EXPECT_EQ(ChooseDrive(state, std::string_view("D:")), 'D');
    EXPECT_EQ(state.currentDrive, 'D');
    EXPECT_EQ(ChooseDrive(state, std::string_view("c")), 'c');  // the fallback entry
    EXPECT_EQ(ChooseDrive(state, std::string_view("")), 'C');   // an empty entry
    state.currentDrive = '\0';
    EXPECT_EQ(ChooseDrive(state, std::nullopt), 'C');

    EXPECT_EQ(DriveNotReadyText('q'), "Drive Q: cannot be entered.");
    EXPECT_FALSE(DriveReady('@'));
    EXPECT_FALSE(DriveReady('['));
    EXPECT_EQ(DriveRoot('d'), "D:\\");
}

TEST(DirectoryNavigation, ChildrenReadAtEveryLook) {
    TempDir dir;
    for (const char* name : {"beta", "Alpha", "gamma"})
        fs::create_directory(dir.Native(name));
    Touch(dir.Native("A.PMI"));  // files are not directories
    EXPECT_EQ(Subdirectories(dir.path()), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    fs::create_directory(dir.Native("Delta"));  // made after the first look
    EXPECT_EQ(Subdirectories(dir.path()),
              (std::vector<std::string>{"Alpha", "beta", "Delta", "gamma"}));
    fs::remove(dir.Native("beta"));
    EXPECT_EQ(Subdirectories(dir.path()), (std::vector<std::string>{"Alpha", "Delta", "gamma"}));
    EXPECT_TRUE(Subdirectories(dir / "missing").empty());

    EXPECT_EQ(ChildDirectory("C:\\", "Mail"), "C:\\Mail");  // a root ends in its separator
    EXPECT_EQ(ChildDirectory("C:\\Mail", "Bob"), "C:\\Mail\\Bob");
}

TEST(DirectoryNavigation, CanonicalTexts) {
    TempDir dir;
    fs::create_directories(dir.Native("Mail/Sub"));
    Touch(dir.Native("Mail/NOTES.PMI"));
    std::string lower = dir / "mail\\SUB";
    lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
    const std::string canon = CanonicalDirectory(lower);
    EXPECT_TRUE(EndsWith(canon, "\\Mail\\Sub")) << canon;
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(canon[0])));
    EXPECT_EQ(CanonicalDirectory(dir / "Mail\\.\\Sub"), canon);
    EXPECT_EQ(CanonicalDirectory(dir / "Mail/Sub/"), canon);

    EXPECT_EQ(CanonicalDirectory(dir / "Mail\\Gone"), "");
    EXPECT_EQ(CanonicalDirectory(dir / "Mail\\NOTES.PMI"), "");  // a file
    EXPECT_EQ(CanonicalDirectory(dir / "Mail\\S*"), "");         // a pattern
    EXPECT_EQ(CanonicalDirectory(dir / "Mail\\..\\Mail"), "");
    EXPECT_EQ(CanonicalDirectory("Mail\\Sub"), "");  // no drive
    EXPECT_EQ(DirectoryComponents(canon).back(), "Sub");
    EXPECT_TRUE(DirectoryComponents("C:\\").empty());
#ifndef _WIN32
    EXPECT_EQ(canon, "D:\\Mail\\Sub");
    EXPECT_EQ(CanonicalDirectory("d:"), "D:\\");
    EXPECT_TRUE(DriveReady('d'));
    EXPECT_EQ(CanonicalDirectory("Q:\\"), "");  // no such drive
    EXPECT_FALSE(DriveReady('Q'));
#endif
}

// A tree moves only when it lands somewhere else; a drive it is on already
// leaves it where it is.
TEST(DirectoryNavigation, TreeSteps) {
    TempDir dir;
    fs::create_directories(dir.Native("Mail/Sub"));
    const std::string sub = CanonicalDirectory(dir / "Mail\\Sub");
    TreeStep step = StepInto(dir / "MAIL\\sub", "");
    EXPECT_TRUE(step.possible);
    EXPECT_EQ(step.directory, sub);
    step = StepInto(dir / "mail\\SUB", sub);
    EXPECT_TRUE(step.possible && step.directory.empty());
    EXPECT_FALSE(StepInto(dir / "Mail\\Gone", sub).possible);

    step = StepToDrive(sub[0], sub);
    EXPECT_TRUE(step.possible && step.directory.empty());
    step = StepToDrive(static_cast<char>(std::tolower(static_cast<unsigned char>(sub[0]))), "");
    EXPECT_EQ(step.directory, DriveRoot(sub[0]));
    EXPECT_FALSE(StepToDrive('[', sub).possible);
}

TEST(DirectoryNavigation, StartDirectory) {
    TempDir dir;
    fs::create_directory(dir.Native("Mail"));
    const IniFile ini(dir / "Kestrove.INI");

    ASSERT_FALSE(ini.WriteString("Startup", "Path", dir / "MAIL"));
    StartDirectory start = ChooseStartDirectory(ini);
    EXPECT_TRUE(EndsWith(start.directory, "\\Mail")) << start.directory;
    EXPECT_EQ(start.drive, dir.path()[0]);

    // A directory that is gone, or a drive that is: C:\ on drive C.
    ASSERT_FALSE(ini.WriteString("Startup", "Path", dir / "Gone"));
    start = ChooseStartDirectory(ini);
    EXPECT_EQ(start.drive, 'C');
    EXPECT_EQ(start.directory, "C:\\");
    ASSERT_FALSE(ini.WriteString("Startup", "Path", "?:\\Mail"));
    EXPECT_EQ(ChooseStartDirectory(ini).directory, "C:\\");
}

TEST(DirectoryNavigation, ChooserStart) {
    TempDir dir;
    fs::create_directory(dir.Native("Backups"));
    EXPECT_TRUE(EndsWith(ChooserStartDirectory(dir / "BACKUPS"), "\\Backups"));
    const std::vector<std::string> drives = ReadyDrives();
    ASSERT_FALSE(drives.empty());
    for (const auto& drive : drives)
        EXPECT_TRUE(drive.size() == 2 && drive[1] == ':' && DriveReady(drive[0])) << drive;
    // Gone: the root of the first drive there is.
    EXPECT_EQ(ChooserStartDirectory(dir / "Gone"), DriveRoot(drives.front()[0]));
#ifndef _WIN32
    EXPECT_NE(std::find(drives.begin(), drives.end(), "D:"), drives.end());
#endif
}

struct Entering : ::testing::Test {
    TempDir dir;
    AppState state;
    ScriptedPort port;
    std::string mail = dir / "Mail";

    Entering() {
        fs::create_directories(dir.Native("Mail/bob"));
        fs::create_directories(dir.Native("Mail/amy"));
        Touch(dir.Native("Mail/IN.PMI"));
        Touch(dir.Native("Mail/OUT.PMI"));
        Touch(dir.Native("Mail/IN.BKI"));
        state.settingsFile = dir / "Kestrove.INI";
        state.ListBox1.Add("X:\\\\A.PMI");
    }
    ~Entering() override { platform::faults::Reset(); }
    std::string SavedPath() const {
        return IniFile(state.settingsFile).ReadString("Startup", "Path", "-");
    }
};

TEST_F(Entering, FileModesListTheMasksFiles) {
    EXPECT_TRUE(EnterDirectory(state, port, mail));
    EXPECT_EQ(state.currentDirectory, mail);
    EXPECT_EQ(state.fileListDirectory, mail);
    EXPECT_EQ(state.FileListBox1, (std::vector<std::string>{"IN.PMI", "OUT.PMI"}));
    EXPECT_EQ(SavedPath(), mail);
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "Path=" + mail);
    EXPECT_EQ(port.countLabels[CountLabel::LblNumFiles], "2 Files");
    EXPECT_EQ(port.countLabels[CountLabel::LblNumSelFiles], "No Files Selected");
    EXPECT_TRUE(port.listVisible[ListId::FileListBox1]);
    EXPECT_EQ(state.ListBox1.Count(), 1);  // the selection survives

    state.mode = kBackupMode;
    state.fileListMask = "*.bki";
    EXPECT_TRUE(EnterDirectory(state, port, mail));
    EXPECT_EQ(state.FileListBox1, (std::vector<std::string>{"IN.BKI"}));
    EXPECT_EQ(port.countLabels[CountLabel::LblNumFiles], "1 Files");
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(Entering, NetworkModeListsUserDirectories) {
    state.mode = kNetworkMode;
    EXPECT_TRUE(EnterDirectory(state, port, mail));
    EXPECT_EQ(state.ListBox2, (std::vector<std::string>{"amy", "bob"}));
    EXPECT_FALSE(port.listVisible[ListId::FileListBox1]);
    EXPECT_TRUE(port.listVisible[ListId::ListBox2]);
    EXPECT_EQ(port.countLabels[CountLabel::LblNumFiles], "2 directories");
    // In Network Mode too the count of the selected list reads "No Files".
    EXPECT_EQ(port.countLabels[CountLabel::LblNumSelFiles], "No Files Selected");
}

TEST_F(Entering, RefusedSaveStopsBeforeTheLabels) {
    platform::faults::FailNth(platform::faults::Op::Write, 1, "Kestrove.INI");
    port.Reply(Answer::Ok, kProgramTitle);
    EXPECT_FALSE(EnterDirectory(state, port, mail));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, "Unable to write to " + state.settingsFile);
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    EXPECT_EQ(port.boxes[0].buttons, kestrove::Buttons::Ok);
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "");
    EXPECT_EQ(SavedPath(), "-");
    // The file list already follows the directory.
    EXPECT_EQ(state.FileListBox1.size(), 2u);
}

}  // namespace
}  // namespace kestrove
