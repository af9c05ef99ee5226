// The main window's table: what each mode shows, enables and means, and the
// rules while a command runs.
#include <gtest/gtest.h>

#include <iterator>
#include <string_view>
#include <utility>
#include <vector>

#include "app/ModeControls.h"
#include "duplicates/Duplicates.h"
#include "reports/FolderNames.h"
#include "reports/IndexViewer.h"
#include "tests/support/ScriptedPort.h"

namespace kestrove {
namespace {

// The command buttons a mode shows, in the order of the table's fields.
struct ShownButtons {
    bool run, stats, restore, move, del, net;
    bool operator==(const ShownButtons&) const = default;
};

ShownButtons Shown(const ModeControls& t) {
    return {t.RunButton.state.visible,  t.BtnGetStats.state.visible,  t.RestoreButton.state.visible,
            t.MoveButton.state.visible, t.DeleteButton.state.visible, t.RunNetButton.state.visible};
}

std::vector<const MenuControl*> RunMenu(const ModeControls& t) {
    return {&t.RunDeleteDupes1,  &t.GetStats1,          &t.RestoreBackupFiles1,
            &t.MoveBackupFiles2, &t.DeleteBackupFiles1, &t.DeleteNetworkDupes2};
}

std::vector<bool> RunMenuEnabled(const ModeControls& t) {
    std::vector<bool> enabled;
    for (const MenuControl* m : RunMenu(t))
        enabled.push_back(m->enabled);
    return enabled;
}

// One mode's row of the table, as the main window must show it.
struct ModeRow {
    int mode;
    std::string_view mask, filter;
    ShownButtons buttons;
    std::vector<bool> runMenu;  // Run menu items enabled, in menu order
    bool fileLists;             // FileListBox1 and ListBox1 (else ListBox2 and ListBox3)
    std::string_view fileList, selList, noneSelected;
    Action folderNames;
};

const ModeRow kRows[] = {
    {kNormalMode,
     "*.pmi",
     "PMI Files|*.pmi",
     {true, true, false, false, false, false},
     {true, true, false, false, false, false},
     true,
     "*.PMI Files",
     "Selected Files",
     "No Files Selected",
     Action::FileNamesClick},
    {kBackupMode,
     "*.bki",
     "BKI Files|*.bki",
     {false, true, true, true, true, false},
     {false, true, true, true, true, false},
     true,
     "*.BKI Files",
     "Selected Files",
     "No Files Selected",
     Action::FileNamesClick},
    // Folder names stay on show in Network Mode but have nothing to list.
    {kNetworkMode,
     "*.pmi",
     "PMI Files|*.pmi",
     {false, false, false, false, false, true},
     {false, true, false, false, false, true},
     false,
     "User Directories",
     "Selected Directories",
     "No Directories Selected",
     Action::Nothing},
};

TEST(ModeControls, EachModesRow) {
    std::vector<ModeRow> rows(std::begin(kRows), std::end(kRows));
    rows.push_back(rows.back());  // an index past Network Mode acts as it
    rows.back().mode = kNetworkMode + 1;
    for (const ModeRow& row : rows) {
        SCOPED_TRACE(row.mode);
        const ModeControls t = ModeControlsFor(row.mode, false, true, true);
        const bool network = row.mode >= kNetworkMode;
        EXPECT_EQ(t.mode, row.mode);
        EXPECT_EQ(t.fileMask, row.mask);
        EXPECT_EQ(t.filterText, row.filter);
        EXPECT_EQ(Shown(t), row.buttons);
        EXPECT_TRUE(t.FileNames.state.visible && t.FileNames.state.enabled);
        EXPECT_EQ(t.FileNames.click, row.folderNames);
        EXPECT_FALSE(t.AbortButton.state.visible);
        EXPECT_EQ(t.NormalMode.marker, row.mode == kNormalMode);
        EXPECT_EQ(t.BackupMode.marker, row.mode == kBackupMode);
        EXPECT_EQ(t.NetworkMode.marker, network);
        EXPECT_EQ(RunMenuEnabled(t), row.runMenu);
        EXPECT_EQ(t.FileListBox1.state.visible, row.fileLists);
        EXPECT_EQ(t.ListBox1.state.visible, row.fileLists);
        EXPECT_EQ(t.ListBox2.state.visible, !row.fileLists);
        EXPECT_EQ(t.ListBox3.state.visible, !row.fileLists);
        EXPECT_EQ(t.availableList, row.fileLists ? ListId::FileListBox1 : ListId::ListBox2);
        EXPECT_EQ(t.selectedList, row.fileLists ? ListId::ListBox1 : ListId::ListBox3);
        EXPECT_EQ(t.LblFileList, row.fileList);
        EXPECT_EQ(t.LblSelList, row.selList);
        EXPECT_EQ(t.noneSelected, row.noneSelected);
        // Only the Network Mode switch lets the buttons redraw at once.
        EXPECT_EQ(t.processEventsAfterButtons, network);
    }
}

// What a click on a list means: in the file modes a click on a file shows
// its summary, a double click adds it, and a double click on a selected
// file views it; in Network Mode a click on a user directory adds it and
// the hidden file lists mean nothing.
TEST(ModeControls, ClicksOnTheLists) {
    for (int mode : {kNormalMode, kBackupMode}) {
        const ModeControls t = ModeControlsFor(mode, false, true, true);
        EXPECT_EQ(t.FileListBox1.click, Action::FileListBox1Click);
        EXPECT_EQ(t.FileListBox1.doubleClick, Action::BtnMoveFileClick);
        EXPECT_EQ(t.ListBox1.doubleClick, Action::ListBox1DblClick);
    }
    const ModeControls net = ModeControlsFor(kNetworkMode, false, true, true);
    EXPECT_EQ(net.ListBox2.click, Action::BtnMoveFileClick);
    EXPECT_EQ(net.ListBox1.doubleClick, Action::Nothing);
    EXPECT_EQ(net.ListBox3.doubleClick, Action::Nothing);
}

// The two Run menu items without a command of their own run their buttons'.
TEST(ModeControls, MenuItemsOfTheButtons) {
    const ModeControls backup = ModeControlsFor(kBackupMode, false, true, true);
    EXPECT_EQ(backup.MoveBackupFiles2.choose, Action::MoveButtonClick);
    EXPECT_EQ(backup.MoveButton.click, Action::MoveButtonClick);
    const ModeControls net = ModeControlsFor(kNetworkMode, false, true, true);
    EXPECT_EQ(net.DeleteNetworkDupes2.choose, Action::RunNetButtonClick);
    EXPECT_EQ(net.RunNetButton.click, Action::RunNetButtonClick);
    EXPECT_EQ(net.GetStats1.choose, Action::BtnGetStatsClick);  // says "No files selected."
}

// What stays the same in every mode: the arrows, the File, Options and Help
// menus, and the switches' markers, which follow the state.
TEST(ModeControls, EveryModeAlike) {
    for (int mode : {kNormalMode, kBackupMode, kNetworkMode}) {
        const ModeControls t = ModeControlsFor(mode, false, false, false);
        EXPECT_EQ(t.mode, mode);
        for (const ButtonControl* b :
             {&t.BtnMoveFile, &t.BtnMoveAllFiles, &t.BtnUnMoveFile, &t.BtnUnMoveAllFiles})
            EXPECT_TRUE(b->state.visible && b->state.enabled);
        EXPECT_EQ(t.BtnMoveFile.click, Action::BtnMoveFileClick);
        EXPECT_EQ(t.BtnUnMoveAllFiles.click, Action::BtnUnMoveAllFilesClick);
        for (const MenuControl* m :
             {&t.ClearNew, &t.NormalMode, &t.BackupMode, &t.NetworkMode, &t.SaveIndexFile1,
              &t.SaveLogFile1, &t.Exit1, &t.Sort1, &t.SortOFF1, &t.SaveIndexasCSV,
              &t.SaveIndexasTAB, &t.N5, &t.SetOptions1, &t.Contents1, &t.Index1, &t.About1})
            EXPECT_TRUE(m->enabled);
        EXPECT_FALSE(t.Sort1.marker);
        EXPECT_TRUE(t.SortOFF1.marker);
        EXPECT_FALSE(t.SaveIndexasCSV.marker || t.SaveIndexasCSVChecked);
        EXPECT_TRUE(t.SaveIndexasTAB.marker);
        EXPECT_EQ(t.DriveListBox.click, Action::DriveComboBox1Change);
        EXPECT_TRUE(t.RGMode1.enabled && t.DirectoryListBox1.enabled);
        EXPECT_EQ(t.AbortButton.click, Action::Stop);
    }
    const ModeControls on = ModeControlsFor(kNormalMode, false, true, true);
    EXPECT_TRUE(on.Sort1.marker && !on.SortOFF1.marker);
    EXPECT_TRUE(on.SaveIndexasCSV.marker && on.SaveIndexasCSVChecked && !on.SaveIndexasTAB.marker);
}

// While a command runs only Abort starts anything (and Exit, which asks the
// command to stop, and the help). What is shown stays as the mode left it.
TEST(ModeControls, WhileACommandRunsOnlyAbort) {
    for (int mode : {kNormalMode, kBackupMode, kNetworkMode}) {
        const ModeControls idle = ModeControlsFor(mode, false, true, true);
        const ModeControls t = ModeControlsFor(mode, true, true, true);
        EXPECT_EQ(Shown(t).run, Shown(idle).run);
        EXPECT_EQ(Shown(t).net, Shown(idle).net);
        EXPECT_EQ(t.FileListBox1.state.visible, idle.FileListBox1.state.visible);
        EXPECT_EQ(t.ListBox3.state.visible, idle.ListBox3.state.visible);
        EXPECT_EQ(t.NormalMode.marker, idle.NormalMode.marker);

        for (const ButtonControl* b :
             {&t.BtnMoveFile, &t.BtnMoveAllFiles, &t.BtnUnMoveFile, &t.BtnUnMoveAllFiles,
              &t.RunButton, &t.BtnGetStats, &t.RestoreButton, &t.MoveButton, &t.DeleteButton,
              &t.RunNetButton, &t.FileNames}) {
            EXPECT_FALSE(b->state.enabled);
            EXPECT_EQ(b->click, Action::Nothing);
        }
        EXPECT_TRUE(t.AbortButton.state.enabled);
        EXPECT_EQ(t.AbortButton.click, Action::Stop);

        EXPECT_FALSE(t.RGMode1.enabled || t.DriveListBox.state.enabled ||
                     t.DirectoryListBox1.enabled || t.FileListBox1.state.enabled ||
                     t.ListBox2.state.enabled);
        for (Action a : {t.DriveListBox.click, t.FileListBox1.click, t.FileListBox1.doubleClick,
                         t.ListBox2.click, t.ListBox1.doubleClick, t.ListBox3.doubleClick})
            EXPECT_EQ(a, Action::Nothing);
        // The selected lists show the entry in hand.
        EXPECT_TRUE(t.ListBox1.state.enabled && t.ListBox3.state.enabled);

        for (const MenuControl* m : RunMenu(t))
            EXPECT_FALSE(m->enabled);
        for (const MenuControl* m :
             {&t.ClearNew, &t.NormalMode, &t.BackupMode, &t.NetworkMode, &t.SaveIndexFile1,
              &t.SaveLogFile1, &t.Sort1, &t.SortOFF1, &t.SaveIndexasCSV, &t.SaveIndexasTAB, &t.N5,
              &t.SetOptions1, &t.About1}) {
            EXPECT_FALSE(m->enabled);
            EXPECT_EQ(m->choose, Action::Nothing);
        }
        for (const MenuControl* m : {&t.Exit1, &t.Contents1, &t.Index1})
            EXPECT_TRUE(m->enabled && m->choose != Action::Nothing);
    }
}

TEST(ModeControls, FromTheState) {
    AppState state;
    state.mode = kBackupMode;
    state.busy = true;
    state.sortOn = false;
    const ModeControls t = ModeControlsFor(state);
    EXPECT_EQ(t.mode, kBackupMode);
    EXPECT_FALSE(t.RestoreButton.state.enabled);
    EXPECT_TRUE(t.RestoreButton.state.visible);
    EXPECT_TRUE(t.SortOFF1.marker);
}

// The commands a window could still reach directly refuse to start inside
// another: they would refill the table the running command works on.
TEST(ModeControls, NoCommandInsideAnother) {
    AppState state;
    state.busy = true;
    state.FileListBox1 = {"A.PMI"};
    state.ListBox1.Add("D:\\A.PMI");
    state.ListBox1.highlighted = 0;
    testing::ScriptedPort port;
    port.saveFileAnswer = "D:\\run.log";
    IndexViewModel view;
    EXPECT_FALSE(ListBox1DblClick(state, port, view).show);
    FolderListModel folders;
    EXPECT_FALSE(FileNamesClick(state, port, folders));
    SaveLogFile1Click(state, port);
    EXPECT_FALSE(state.runLog.IsOpen());
    EXPECT_TRUE(port.calls.empty());
    EXPECT_TRUE(state.currentIndexFile.empty());
}

TEST(ModeControls, ClosingDuringACommandAsksItToStop) {
    AppState state;
    EXPECT_TRUE(CloseRequested(state));
    EXPECT_FALSE(state.AbortRequested);
    state.busy = true;
    EXPECT_FALSE(CloseRequested(state));
    EXPECT_TRUE(state.AbortRequested);
}

}  // namespace
}  // namespace kestrove
