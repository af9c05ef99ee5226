// The main window's table: the rules it obeys in every mode, for every
// switch, idle and while a command runs.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "app/MainWindowTable.h"
#include "app/ModeControls.h"
#include "duplicates/Duplicates.h"
#include "reports/FolderNames.h"
#include "reports/IndexViewer.h"
#include "tests/support/ScriptedPort.h"

namespace kestrove {
namespace {

// Every mode index the radio group may hold (past Network Mode acts as it),
// with every setting of the two switches.
struct Case {
    int mode;
    bool sortOn, exportCsv;
};
std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (int mode : {0, 1, 2, 3})
        for (bool sortOn : {false, true})
            for (bool exportCsv : {false, true})
                cases.push_back({mode, sortOn, exportCsv});
    return cases;
}

ModeControls Table(const Case& c, bool busy = false) {
    return ModeControlsFor(c.mode, busy, c.sortOn, c.exportCsv);
}

bool Shown(const ModeControls& t, ListId list) {
    return ListOf(t, list).state.visible;
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& ch : upper)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return upper;
}

// Each command button and the Run menu item that runs the same command.
const std::pair<ButtonControl ModeControls::*, MenuControl ModeControls::*> kRunCommands[] = {
    {&ModeControls::RunButton, &ModeControls::RunDeleteDupes1},
    {&ModeControls::RestoreButton, &ModeControls::RestoreBackupFiles1},
    {&ModeControls::MoveButton, &ModeControls::MoveBackupFiles2},
    {&ModeControls::DeleteButton, &ModeControls::DeleteBackupFiles1},
    {&ModeControls::RunNetButton, &ModeControls::DeleteNetworkDupes2},
};

TEST(ModeControls, EveryModeShowsOneAvailableAndOneSelectedList) {
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(c.mode);
        const ModeControls t = Table(c);
        const bool network = c.mode >= kNetworkMode;
        EXPECT_EQ(t.mode, c.mode);
        // The lists of the mode, and the labels name them.
        EXPECT_NE(Shown(t, ListId::FileListBox1), Shown(t, ListId::ListBox2));
        EXPECT_NE(Shown(t, ListId::ListBox1), Shown(t, ListId::ListBox3));
        EXPECT_TRUE(Shown(t, t.availableList));
        EXPECT_TRUE(Shown(t, t.selectedList));
        EXPECT_EQ(t.availableList, network ? ListId::ListBox2 : ListId::FileListBox1);
        EXPECT_EQ(t.selectedList, network ? ListId::ListBox3 : ListId::ListBox1);
        // A label keeps its access key whatever list it names.
        EXPECT_EQ(AccessKey(t.LblFileList),
                  AccessKey(Table({kNormalMode, true, true}).LblFileList));
        EXPECT_EQ(AccessKey(t.LblSelList), AccessKey(Table({kNormalMode, true, true}).LblSelList));
        EXPECT_NE(AccessKey(t.LblFileList), 0);
        EXPECT_NE(AccessKey(t.LblSelList), 0);
        // What the selected list holds is what its labels say.
        const std::string kind = network ? "Directories" : "Files";
        EXPECT_EQ(WithoutAccessKey(t.LblSelList), "Selected " + kind);
        EXPECT_EQ(t.noneSelected, "No " + kind + " Selected");
        EXPECT_FALSE(t.AbortButton.state.visible);
        // Only the Network Mode switch lets the buttons redraw at once.
        EXPECT_EQ(t.processEventsAfterButtons, network);
    }
    // Past Network Mode the table is Network Mode's.
    const ModeControls net = ModeControlsFor(kNetworkMode, false, true, true);
    const ModeControls past = ModeControlsFor(kNetworkMode + 3, false, true, true);
    EXPECT_EQ(past.LblFileList, net.LblFileList);
    EXPECT_EQ(past.RunNetButton.state.visible, net.RunNetButton.state.visible);
    EXPECT_EQ(past.NetworkMode.marker, net.NetworkMode.marker);
}

// Backup Mode lists the backup index files; the other modes the folders.
// The filter, the mask and the label all say the same.
TEST(ModeControls, TheMaskFollowsTheMode) {
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(c.mode);
        const ModeControls t = Table(c);
        EXPECT_EQ(t.fileMask, c.mode == kBackupMode ? "*.bki" : "*.pmi");
        const std::string filter(t.filterText);
        EXPECT_EQ(filter.substr(filter.find('|') + 1), t.fileMask);
        EXPECT_EQ(filter.substr(0, 3), Upper(t.fileMask.substr(2)));
        if (c.mode < kNetworkMode)
            EXPECT_EQ(WithoutAccessKey(t.LblFileList), Upper(t.fileMask) + " Files");
        else
            EXPECT_EQ(WithoutAccessKey(t.LblFileList), "User Directories");
    }
}

// A command button shows where its Run menu item is enabled, and both run
// the same command. Each mode has its own commands and no other's.
TEST(ModeControls, EachCommandButtonGoesWithItsMenuItem) {
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(c.mode);
        const ModeControls t = Table(c);
        int shown = 0;
        for (const auto& [button, item] : kRunCommands) {
            EXPECT_EQ((t.*button).state.visible, (t.*item).enabled);
            EXPECT_EQ((t.*button).click, (t.*item).choose);
            EXPECT_TRUE((t.*button).state.enabled);
            shown += (t.*button).state.visible;
        }
        EXPECT_EQ(shown, c.mode == kNormalMode ? 1 : c.mode == kBackupMode ? 3 : 1);
        EXPECT_EQ(t.RunButton.state.visible, c.mode == kNormalMode);
        EXPECT_EQ(t.RestoreButton.state.visible, c.mode == kBackupMode);
        EXPECT_EQ(t.RunNetButton.state.visible, c.mode >= kNetworkMode);
        // Statistics need files: no button in Network Mode, but the menu item
        // stays and says that no files are selected.
        EXPECT_EQ(t.BtnGetStats.state.visible, c.mode < kNetworkMode);
        EXPECT_TRUE(t.GetStats1.enabled);
        EXPECT_EQ(t.GetStats1.choose, t.BtnGetStats.click);
        // Folder names stay on show, but in Network Mode there is no file
        // list to name.
        EXPECT_TRUE(t.FileNames.state.visible && t.FileNames.state.enabled);
        EXPECT_EQ(t.FileNames.click,
                  c.mode >= kNetworkMode ? Action::Nothing : Action::FileNamesClick);
    }
}

// The current mode, sort switch and export format each carry the marker,
// on exactly one item of their group; the format's item also its check.
TEST(ModeControls, OneMarkerForEachChoice) {
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(c.mode);
        const ModeControls t = Table(c);
        const int mode = std::min(c.mode, static_cast<int>(kNetworkMode));
        const bool marks[3] = {t.NormalMode.marker, t.BackupMode.marker, t.NetworkMode.marker};
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(marks[m], m == mode);
        EXPECT_EQ(t.Sort1.marker, c.sortOn);
        EXPECT_EQ(t.SortOFF1.marker, !c.sortOn);
        EXPECT_EQ(t.SaveIndexasCSV.marker, c.exportCsv);
        EXPECT_EQ(t.SaveIndexasTAB.marker, !c.exportCsv);
        EXPECT_EQ(t.SaveIndexasCSV.checked, c.exportCsv);
        // An item shows its check only where the menu table lets it, and
        // there the check says what the marker shows.
        for (const MenuItemSpec* item : MenuItems()) {
            const MenuControl& m = t.*item->field;
            EXPECT_TRUE(item->checkable || !m.checked) << item->name;
            if (item->checkable) {
                EXPECT_EQ(m.checked, m.marker) << item->name;
            }
        }
    }
}

// Idle, every menu item but the mode's Run commands is enabled, and every
// control that is enabled means what its name says.
TEST(ModeControls, IdleEverythingElseIsLive) {
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(c.mode);
        const ModeControls t = Table(c);
        for (const MenuSpec* menu : {&kMenus[0], &kMenus[1], &kMenus[3]})
            for (const MenuItemSpec& item : menu->items)
                EXPECT_TRUE(item.Separator() || (t.*item.field).enabled) << item.name;
        for (const MenuItemSpec* item : MenuItems())
            EXPECT_NE((t.*item->field).choose, Action::Nothing) << item->name;
        for (const ButtonSpec& button : kButtons)
            EXPECT_TRUE((t.*button.field).state.enabled) << button.name;
        EXPECT_TRUE(t.RGMode1.enabled && t.DirectoryListBox1.enabled);
        EXPECT_EQ(t.DriveListBox.click, Action::DriveComboBox1Change);
        EXPECT_EQ(t.BtnMoveFile.click, Action::BtnMoveFileClick);
        EXPECT_EQ(t.BtnMoveAllFiles.click, Action::BtnMoveAllFilesClick);
        EXPECT_EQ(t.BtnUnMoveFile.click, Action::BtnUnMoveFile2Click);
        EXPECT_EQ(t.BtnUnMoveAllFiles.click, Action::BtnUnMoveAllFilesClick);
        EXPECT_EQ(t.AbortButton.click, Action::Stop);
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
        // Enter does what the double click does.
        EXPECT_EQ(t.FileListBox1.enter, Action::BtnMoveFileClick);
        EXPECT_EQ(t.ListBox1.enter, Action::ListBox1DblClick);
        EXPECT_EQ(CommandButton(t), mode == kNormalMode ? "RunButton" : "RestoreButton");
    }
    const ModeControls net = ModeControlsFor(kNetworkMode, false, true, true);
    EXPECT_EQ(net.ListBox2.click, Action::BtnMoveFileClick);
    EXPECT_EQ(net.ListBox2.enter, Action::BtnMoveFileClick);
    EXPECT_EQ(net.ListBox1.doubleClick, Action::Nothing);
    EXPECT_EQ(net.ListBox3.doubleClick, Action::Nothing);
    EXPECT_EQ(net.ListBox3.enter, Action::Nothing);
    EXPECT_EQ(CommandButton(net), "RunNetButton");
}

// While a command runs only Abort starts anything (and Exit, which asks the
// command to stop, and the help). What is shown stays as the mode left it.
TEST(ModeControls, WhileACommandRunsOnlyAbort) {
    for (const Case& c : AllCases()) {
        SCOPED_TRACE(c.mode);
        const ModeControls idle = Table(c);
        const ModeControls t = Table(c, true);

        for (const ButtonSpec& button : kButtons) {
            const ButtonControl& b = t.*button.field;
            EXPECT_EQ(b.state.visible, (idle.*button.field).state.visible) << button.name;
            const bool abort = button.field == &ModeControls::AbortButton;
            EXPECT_EQ(b.state.enabled, abort) << button.name;
            EXPECT_EQ(b.click, abort ? Action::Stop : Action::Nothing) << button.name;
        }
        for (const MenuItemSpec* item : MenuItems()) {
            const MenuControl& m = t.*item->field;
            const bool live = item->field == &ModeControls::Exit1 ||
                              item->field == &ModeControls::Contents1 ||
                              item->field == &ModeControls::Index1;
            EXPECT_EQ(m.enabled, live) << item->name;
            EXPECT_EQ(m.choose != Action::Nothing, live) << item->name;
            EXPECT_EQ(m.marker, (idle.*item->field).marker) << item->name;
            EXPECT_EQ(m.checked, (idle.*item->field).checked) << item->name;
        }
        for (ListId list :
             {ListId::FileListBox1, ListId::ListBox2, ListId::ListBox1, ListId::ListBox3}) {
            const ListControl& l = ListOf(t, list);
            EXPECT_EQ(l.state.visible, ListOf(idle, list).state.visible);
            EXPECT_EQ(l.click, Action::Nothing);
            EXPECT_EQ(l.doubleClick, Action::Nothing);
            EXPECT_EQ(l.enter, Action::Nothing);
        }
        // The selected lists stay live to show the entry in hand.
        EXPECT_FALSE(t.FileListBox1.state.enabled || t.ListBox2.state.enabled);
        EXPECT_TRUE(t.ListBox1.state.enabled && t.ListBox3.state.enabled);
        EXPECT_FALSE(t.RGMode1.enabled || t.DriveListBox.state.enabled ||
                     t.DirectoryListBox1.enabled);
        EXPECT_EQ(t.DriveListBox.click, Action::Nothing);
        EXPECT_EQ(t.LblFileList, idle.LblFileList);
    }
}

TEST(ModeControls, EachListByItsName) {
    const ModeControls t = ModeControlsFor(kNormalMode, false, true, true);
    EXPECT_EQ(&ListOf(t, ListId::FileListBox1), &t.FileListBox1);
    EXPECT_EQ(&ListOf(t, ListId::ListBox1), &t.ListBox1);
    EXPECT_EQ(&ListOf(t, ListId::ListBox2), &t.ListBox2);
    EXPECT_EQ(&ListOf(t, ListId::ListBox3), &t.ListBox3);
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
