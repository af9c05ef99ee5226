#include "app/ModeControls.h"

namespace kestrove {

namespace {

ButtonControl Button(bool visible, Action click) {
    return {{visible, true}, click};
}

MenuControl Item(Action choose, bool enabled = true, bool marker = false) {
    return {enabled, marker, false, choose};
}

// An item of a choice: its check mark says what its marker shows, so that
// assistive technology, which does not see the image, hears the choice.
MenuControl Choice(Action choose, bool chosen) {
    return {true, chosen, chosen, choose};
}

// While a command runs nothing else may start: a control stays where it is
// on screen but is disabled and means nothing.
void Freeze(ControlState& state) {
    state.enabled = false;
}
void Freeze(ButtonControl& button) {
    Freeze(button.state);
    button.click = Action::Nothing;
}
void Freeze(ListControl& list) {
    Freeze(list.state);
    list.click = Action::Nothing;
    list.doubleClick = Action::Nothing;
    list.enter = Action::Nothing;
}
void Freeze(MenuControl& item) {
    item.enabled = false;
    item.choose = Action::Nothing;
}

}  // namespace

ModeControls ModeControlsFor(int mode, bool busy, bool sortOn, bool exportCsv) {
    const bool normal = mode == kNormalMode;
    const bool backup = mode == kBackupMode;
    const bool network = mode >= kNetworkMode;

    ModeControls t;
    t.mode = mode;
    t.fileMask = backup ? "*.bki" : "*.pmi";
    t.filterText = backup ? "BKI Files|*.bki" : "PMI Files|*.pmi";

    t.DriveListBox.click = Action::DriveComboBox1Change;
    // A click on an available file shows its summary and a double click adds
    // it; a click on a user directory adds it at once. From the keys, Enter
    // adds the entry or opens the viewer.
    t.FileListBox1 = {{!network, true},
                      Action::FileListBox1Click,
                      Action::BtnMoveFileClick,
                      Action::BtnMoveFileClick};
    t.ListBox2 = {
        {network, true}, Action::BtnMoveFileClick, Action::Nothing, Action::BtnMoveFileClick};
    const Action viewer = network ? Action::Nothing : Action::ListBox1DblClick;
    t.ListBox1 = {{!network, true}, Action::Nothing, viewer, viewer};
    t.ListBox3 = {{network, true}, Action::Nothing, Action::Nothing, Action::Nothing};

    t.BtnMoveFile = Button(true, Action::BtnMoveFileClick);
    t.BtnMoveAllFiles = Button(true, Action::BtnMoveAllFilesClick);
    t.BtnUnMoveFile = Button(true, Action::BtnUnMoveFile2Click);
    t.BtnUnMoveAllFiles = Button(true, Action::BtnUnMoveAllFilesClick);
    t.RunButton = Button(normal, Action::RunDeleteDupes1Click);
    t.BtnGetStats = Button(!network, Action::BtnGetStatsClick);
    t.RestoreButton = Button(backup, Action::RestoreButtonClick);
    t.MoveButton = Button(backup, Action::MoveButtonClick);
    t.DeleteButton = Button(backup, Action::DeleteButtonClick);
    t.RunNetButton = Button(network, Action::RunNetButtonClick);
    // Shown in every mode; in Network Mode there is no file list to name,
    // so a click does nothing and shows nothing.
    t.FileNames = Button(true, network ? Action::Nothing : Action::FileNamesClick);
    t.AbortButton = Button(false, Action::Stop);

    t.ClearNew = Item(Action::NewExecute);
    t.NormalMode = Choice(Action::ModeRBNormalClick, normal);
    t.BackupMode = Choice(Action::ModeRBBackupClick, backup);
    t.NetworkMode = Choice(Action::ModeRBNetworkClick, network);
    t.SaveIndexFile1 = Item(Action::SaveIndexFile1Click);
    t.SaveLogFile1 = Item(Action::SaveLogFile1Click);
    t.Exit1 = Item(Action::FileExit1Execute);
    t.Sort1 = Choice(Action::SortONExecute, sortOn);
    t.SortOFF1 = Choice(Action::SortOFFExecute, !sortOn);
    t.SaveIndexasCSV = Choice(Action::SaveIndexasCSVClick, exportCsv);
    t.SaveIndexasTAB = Choice(Action::SaveIndexasTABClick, !exportCsv);
    t.N5 = Item(Action::SetDrivesExecute);
    t.SetOptions1 = Item(Action::SetOptionsExecute);
    // The Run menu follows the mode; "GetStats" stays enabled in every mode
    // (with nothing selected in Network Mode it says so). "Move Backup Files"
    // and "Delete Network Dupes" run the commands of their buttons.
    t.RunDeleteDupes1 = Item(Action::RunDeleteDupes1Click, normal);
    t.GetStats1 = Item(Action::BtnGetStatsClick);
    t.RestoreBackupFiles1 = Item(Action::RestoreButtonClick, backup);
    t.MoveBackupFiles2 = Item(Action::MoveButtonClick, backup);
    t.DeleteBackupFiles1 = Item(Action::DeleteButtonClick, backup);
    t.DeleteNetworkDupes2 = Item(Action::RunNetButtonClick, network);
    t.Contents1 = Item(Action::HelpContents1Execute);
    t.Index1 = Item(Action::HelpIndexExecute);
    t.About1 = Item(Action::About1Click);

    // One access key for each list label in every mode, and none that the
    // menu bar or another label has.
    t.LblFileList = normal ? "*.PMI F&iles" : backup ? "*.BKI F&iles" : "User D&irectories";
    t.LblSelList = network ? "S&elected Directories" : "S&elected Files";
    t.noneSelected = network ? "No Directories Selected" : "No Files Selected";
    t.availableList = network ? ListId::ListBox2 : ListId::FileListBox1;
    t.selectedList = network ? ListId::ListBox3 : ListId::ListBox1;
    t.processEventsAfterButtons = network;

    if (busy) {
        Freeze(t.RGMode1);
        Freeze(t.DriveListBox);
        Freeze(t.DirectoryListBox1);
        for (ListControl* l : {&t.FileListBox1, &t.ListBox2})
            Freeze(*l);
        // The selected lists stay live to show the entry in hand, but a
        // double click opens nothing.
        for (ListControl* l : {&t.ListBox1, &t.ListBox3}) {
            l->doubleClick = Action::Nothing;
            l->enter = Action::Nothing;
        }
        for (ButtonControl* b :
             {&t.BtnMoveFile, &t.BtnMoveAllFiles, &t.BtnUnMoveFile, &t.BtnUnMoveAllFiles,
              &t.RunButton, &t.BtnGetStats, &t.RestoreButton, &t.MoveButton, &t.DeleteButton,
              &t.RunNetButton, &t.FileNames})
            Freeze(*b);
        for (MenuControl* m :
             {&t.ClearNew, &t.NormalMode, &t.BackupMode, &t.NetworkMode, &t.SaveIndexFile1,
              &t.SaveLogFile1, &t.Sort1, &t.SortOFF1, &t.SaveIndexasCSV, &t.SaveIndexasTAB, &t.N5,
              &t.SetOptions1, &t.RunDeleteDupes1, &t.GetStats1, &t.RestoreBackupFiles1,
              &t.MoveBackupFiles2, &t.DeleteBackupFiles1, &t.DeleteNetworkDupes2, &t.About1})
            Freeze(*m);
    }
    return t;
}

ModeControls ModeControlsFor(const AppState& state) {
    return ModeControlsFor(state.mode, state.busy, state.sortOn, state.exportCsv);
}

const ListControl& ListOf(const ModeControls& controls, ListId list) {
    // In ListId's order.
    static constexpr ListControl ModeControls::*kLists[] = {
        &ModeControls::FileListBox1, &ModeControls::ListBox1, &ModeControls::ListBox2,
        &ModeControls::ListBox3};
    return controls.*kLists[static_cast<std::size_t>(list)];
}

bool MayOpenModalWindow(Action action) {
    switch (action) {
        case Action::Nothing:
        case Action::ModeRBNormalClick:
        case Action::ModeRBBackupClick:
        case Action::ModeRBNetworkClick:
        case Action::NewExecute:
        case Action::SortONExecute:
        case Action::SortOFFExecute:
        case Action::SaveIndexasCSVClick:
        case Action::SaveIndexasTABClick:
        case Action::HelpContents1Execute:
        case Action::HelpIndexExecute:
        case Action::FileExit1Execute:
        case Action::Stop:
            return false;
        default:
            return true;
    }
}

bool CloseRequested(AppState& state) {
    if (!state.busy)
        return true;
    state.AbortRequested = true;
    return false;
}

}  // namespace kestrove
