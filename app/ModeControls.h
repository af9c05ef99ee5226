#pragma once
// What the main window shows, enables and does in each mode and while a
// command runs. Every front end draws this table as it stands, so that the
// windows of every toolkit agree on it; none decides it again.

#include <string_view>

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove {

// A control's state on screen.
struct ControlState {
    bool visible = true;
    bool enabled = true;
};

// What a click (or a double click, or the menu item) on a control means.
// The front end forwards each to the handler of the same name.
enum class Action {
    Nothing,
    ModeRBNormalClick,
    ModeRBBackupClick,
    ModeRBNetworkClick,
    NewExecute,
    DriveComboBox1Change,
    FileListBox1Click,  // the header summary of the clicked files
    BtnMoveFileClick,   // add the selected available entries
    BtnMoveAllFilesClick,
    BtnUnMoveFile2Click,
    BtnUnMoveAllFilesClick,
    ListBox1DblClick,  // the index viewer
    RunDeleteDupes1Click,
    RunNetButtonClick,
    BtnGetStatsClick,
    RestoreButtonClick,
    MoveButtonClick,
    DeleteButtonClick,
    FileNamesClick,
    Stop,
    SaveIndexFile1Click,
    SaveLogFile1Click,
    SortONExecute,
    SortOFFExecute,
    SaveIndexasCSVClick,
    SaveIndexasTABClick,
    SetDrivesExecute,
    SetOptionsExecute,
    HelpContents1Execute,
    HelpIndexExecute,
    About1Click,
    FileExit1Execute,
};

// One button of the window: its state and what a click on it means.
struct ButtonControl {
    ControlState state;
    Action click = Action::Nothing;
};

// One menu item: enabled, the marker of the current choice (image 17), its
// check mark (shown by the items the menu table makes checkable), and what
// choosing it means.
struct MenuControl {
    bool enabled = true;
    bool marker = false;
    bool checked = false;
    Action choose = Action::Nothing;
};

// One list: its state and what a click, a double click and Enter on an
// entry mean.
struct ListControl {
    ControlState state;
    Action click = Action::Nothing;
    Action doubleClick = Action::Nothing;
    Action enter = Action::Nothing;
};

struct ModeControls {
    int mode = kNormalMode;  // RGMode1's item index

    // FilterComboBox1: the file list's mask and the filter's text.
    std::string_view fileMask;    // "*.pmi" or "*.bki"
    std::string_view filterText;  // "PMI Files|*.pmi" or "BKI Files|*.bki"

    ControlState RGMode1;
    ListControl DriveListBox;        // click: DriveComboBox1Change
    ControlState DirectoryListBox1;  // a change of directory: DriveComboBox1Change

    // The available lists (one shown) and the selected lists (one shown).
    ListControl FileListBox1;
    ListControl ListBox2;
    ListControl ListBox1;
    ListControl ListBox3;

    ButtonControl BtnMoveFile, BtnMoveAllFiles, BtnUnMoveFile, BtnUnMoveAllFiles;
    ButtonControl RunButton, BtnGetStats, RestoreButton, MoveButton, DeleteButton, RunNetButton;
    ButtonControl FileNames;
    // Only its enabled state and meaning: the commands show and hide it.
    ButtonControl AbortButton;

    // "File"
    MenuControl ClearNew, NormalMode, BackupMode, NetworkMode, SaveIndexFile1, SaveLogFile1, Exit1;
    // "Options"
    MenuControl Sort1, SortOFF1, SaveIndexasCSV, SaveIndexasTAB, N5, SetOptions1;
    // "Run"
    MenuControl RunDeleteDupes1, GetStats1, RestoreBackupFiles1, MoveBackupFiles2,
        DeleteBackupFiles1, DeleteNetworkDupes2;
    // "Help"
    MenuControl Contents1, Index1, About1;

    // The captions over the lists, with the access key of the list they
    // name, and LblNumSelFiles after a switch.
    std::string_view LblFileList;  // "*.PMI Files", "*.BKI Files", "User Directories"
    std::string_view LblSelList;   // "Selected Files", "Selected Directories"
    std::string_view noneSelected;
    // Which list each caption names (for the access key and screen readers).
    ListId availableList = ListId::FileListBox1;
    ListId selectedList = ListId::ListBox1;

    // The Network Mode switch lets the window handle its pending events once
    // after setting the buttons, so that they redraw.
    bool processEventsAfterButtons = false;
};

// The table for a mode (0 Normal, 1 Backup, 2 or more Network) and the
// switches of the Options menu. While `busy` (a long command runs) every
// control that starts something is disabled and means nothing; Abort stays
// live, and so do Exit (which asks the command to stop) and the help.
ModeControls ModeControlsFor(int mode, bool busy, bool sortOn, bool exportCsv);
// The same for the state's mode, busy flag and switches.
ModeControls ModeControlsFor(const AppState& state);

// The table's entry for one of the four lists.
const ListControl& ListOf(const ModeControls& controls, ListId list);

// Whether doing the action may open a modal window or box (a command, its
// messages, a chooser, a settings window, a viewer); false for the switches,
// the help and Exit.
bool MayOpenModalWindow(Action action);

// The window's close box or Exit: true when the window may close now. While
// a command runs it may not; the command is asked to stop instead, and the
// window closes once the command has returned.
bool CloseRequested(AppState& state);

}  // namespace kestrove
