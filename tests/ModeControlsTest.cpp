// The main window's table: what each mode shows, enables and means, and the
// rules while a command runs.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/ModeControls.h"
#include "duplicates/Duplicates.h"
#include "reports/FolderNames.h"
#include "reports/IndexViewer.h"
#include "tests/support/ScriptedPort.h"

namespace kestrove {
namespace {

// The command buttons a mode shows, in the order of the table's fields.
struct ShownButtons {
    bool run, stats, restore, move, del, net;
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

TEST(ModeControls, NormalMode) {
    const ModeControls t = ModeControlsFor(kNormalMode, false, true, true);
    EXPECT_EQ(t.fileMask, "*.pmi");
    EXPECT_EQ(t.filterText, "PMI Files|*.pmi");
    const ShownButtons b = Shown(t);
    EXPECT_TRUE(b.run && b.stats);
    EXPECT_FALSE(b.restore || b.move || b.del || b.net);
    EXPECT_TRUE(t.FileNames.state.visible);
    EXPECT_EQ(t.FileNames.click, Action::FileNamesClick);
    EXPECT_TRUE(t.NormalMode.marker && !t.BackupMode.marker && !t.NetworkMode.marker);
    EXPECT_EQ(RunMenuEnabled(t), (std::vector<bool>{true, true, false, false, false, false}));
    EXPECT_TRUE(t.FileListBox1.state.visible && t.ListBox1.state.visible);
    EXPECT_FALSE(t.ListBox2.state.visible || t.ListBox3.state.visible);
    EXPECT_EQ(t.LblFileList, "*.PMI Files");
    EXPECT_EQ(t.LblSelList, "Selected Files");
    EXPECT_EQ(t.noneSelected, "No Files Selected");
    EXPECT_EQ(t.availableList, ListId::FileListBox1);
    EXPECT_EQ(t.selectedList, ListId::ListBox1);
    // A click on a file shows its summary, a double click adds it; a double
    // click on a selected file views it.
    EXPECT_EQ(t.FileListBox1.click, Action::FileListBox1Click);
    EXPECT_EQ(t.FileListBox1.doubleClick, Action::BtnMoveFileClick);
    EXPECT_EQ(t.ListBox1.doubleClick, Action::ListBox1DblClick);
    EXPECT_FALSE(t.processEventsAfterButtons);
    EXPECT_FALSE(t.AbortButton.state.visible);
}

TEST(ModeControls, BackupMode) {
    const ModeControls t = ModeControlsFor(kBackupMode, false, true, true);
    EXPECT_EQ(t.fileMask, "*.bki");
    EXPECT_EQ(t.filterText, "BKI Files|*.bki");
    const ShownButtons b = Shown(t);
    EXPECT_TRUE(b.stats && b.restore && b.move && b.del);
    EXPECT_FALSE(b.run || b.net);
    EXPECT_TRUE(t.FileNames.state.visible);
    EXPECT_EQ(t.FileNames.click, Action::FileNamesClick);
    EXPECT_TRUE(!t.NormalMode.marker && t.BackupMode.marker && !t.NetworkMode.marker);
    EXPECT_EQ(RunMenuEnabled(t), (std::vector<bool>{false, true, true, true, true, false}));
    EXPECT_TRUE(t.FileListBox1.state.visible && t.ListBox1.state.visible);
    EXPECT_FALSE(t.ListBox2.state.visible || t.ListBox3.state.visible);
    EXPECT_EQ(t.LblFileList, "*.BKI Files");
    EXPECT_EQ(t.LblSelList, "Selected Files");
    EXPECT_EQ(t.noneSelected, "No Files Selected");
    EXPECT_EQ(t.ListBox1.doubleClick, Action::ListBox1DblClick);
    // "Move Backup Files" runs the command of the Move button.
    EXPECT_EQ(t.MoveBackupFiles2.choose, Action::MoveButtonClick);
    EXPECT_EQ(t.MoveButton.click, Action::MoveButtonClick);
}

TEST(ModeControls, NetworkMode) {
    for (int mode : {2, 3}) {  // 2 or more is Network Mode
        const ModeControls t = ModeControlsFor(mode, false, true, true);
        EXPECT_EQ(t.fileMask, "*.pmi");
        const ShownButtons b = Shown(t);
        EXPECT_TRUE(b.net);
        EXPECT_FALSE(b.run || b.stats || b.restore || b.move || b.del);
        // Folder names stay on show but have nothing to list.
        EXPECT_TRUE(t.FileNames.state.visible && t.FileNames.state.enabled);
        EXPECT_EQ(t.FileNames.click, Action::Nothing);
        EXPECT_TRUE(!t.NormalMode.marker && !t.BackupMode.marker && t.NetworkMode.marker);
        EXPECT_EQ(RunMenuEnabled(t), (std::vector<bool>{false, true, false, false, false, true}));
        EXPECT_EQ(t.DeleteNetworkDupes2.choose, Action::RunNetButtonClick);
        EXPECT_FALSE(t.FileListBox1.state.visible || t.ListBox1.state.visible);
        EXPECT_TRUE(t.ListBox2.state.visible && t.ListBox3.state.visible);
        EXPECT_EQ(t.LblFileList, "User Directories");
        EXPECT_EQ(t.LblSelList, "Selected Directories");
        EXPECT_EQ(t.noneSelected, "No Directories Selected");
        EXPECT_EQ(t.availableList, ListId::ListBox2);
        EXPECT_EQ(t.selectedList, ListId::ListBox3);
        // A click on a user directory adds it; the hidden file lists mean
        // nothing.
        EXPECT_EQ(t.ListBox2.click, Action::BtnMoveFileClick);
        EXPECT_EQ(t.ListBox1.doubleClick, Action::Nothing);
        EXPECT_TRUE(t.processEventsAfterButtons);
    }
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
