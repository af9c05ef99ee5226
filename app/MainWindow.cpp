#include "app/MainWindow.h"

#include "app/DirectoryNavigation.h"
#include "app/MainWindowTable.h"
#include "app/Selection.h"
#include "backup/Backup.h"
#include "core/BusyScope.h"
#include "duplicates/Duplicates.h"
#include "reports/Export.h"

namespace kestrove {

MainWindowCommands::MainWindowCommands(std::string settingsFile, std::int64_t repaintIntervalMs)
    : state_(std::make_unique<AppState>()), throttle_(repaintIntervalMs) {
    state_->settingsFile = std::move(settingsFile);
}

MainWindowCommands::~MainWindowCommands() = default;

void MainWindowCommands::Perform(Action action) {
    switch (action) {
        case Action::Nothing:
            return;
        case Action::ModeRBNormalClick:
            return ModeRBNormalClick();
        case Action::ModeRBBackupClick:
            return ModeRBBackupClick();
        case Action::ModeRBNetworkClick:
            return ModeRBNetworkClick();
        case Action::NewExecute:
            return NewExecute();
        case Action::DriveComboBox1Change:
            return DriveComboBox1Change();
        case Action::FileListBox1Click:
            return FileListBox1Click();
        case Action::BtnMoveFileClick:
            return BtnMoveFileClick();
        case Action::BtnMoveAllFilesClick:
            return BtnMoveAllFilesClick();
        case Action::BtnUnMoveFile2Click:
            return BtnUnMoveFile2Click();
        case Action::BtnUnMoveAllFilesClick:
            return BtnUnMoveAllFilesClick();
        case Action::ListBox1DblClick:
            return ListBox1DblClick();
        case Action::RunDeleteDupes1Click:
            return RunDeleteDupes1Click();
        case Action::RunNetButtonClick:
            return RunNetButtonClick();
        case Action::BtnGetStatsClick:
            return BtnGetStatsClick();
        case Action::RestoreButtonClick:
            return RestoreButtonClick();
        case Action::MoveButtonClick:
            return MoveButtonClick();
        case Action::DeleteButtonClick:
            return DeleteButtonClick();
        case Action::FileNamesClick:
            return FileNamesClick();
        case Action::Stop:
            return Stop();
        case Action::SaveIndexFile1Click:
            return SaveIndexFile1Click();
        case Action::SaveLogFile1Click:
            return SaveLogFile1Click();
        case Action::SortONExecute:
            return SortONExecute();
        case Action::SortOFFExecute:
            return SortOFFExecute();
        case Action::SaveIndexasCSVClick:
            return SaveIndexasCSVClick();
        case Action::SaveIndexasTABClick:
            return SaveIndexasTABClick();
        case Action::SetDrivesExecute:
            return SetDrivesExecute();
        case Action::SetOptionsExecute:
            return SetOptionsExecute();
        case Action::HelpContents1Execute:
            return HelpContents1Execute();
        case Action::HelpIndexExecute:
            return HelpIndexExecute();
        case Action::About1Click:
            return About1Click();
        case Action::FileExit1Execute:
            return FileExit1Execute();
    }
}

// ---------------------------------------------------------------- start-up

void MainWindowCommands::StartUp() {
    const IniFile ini(state_->settingsFile);
    const StartDirectory start = ChooseStartDirectory(ini);
    state_->settings = ReadSettings(ini);
    state_->currentDrive = start.drive;
    FillDriveList(RebuildDriveList(ini, "C"));
    state_->fileListMask = std::string(ModeControlsFor(kNormalMode, false, true, true).fileMask);
    SetDrive(start.drive);
    SetDirectory(start.directory);
    const std::string tree = TreeDirectory();
    state_->currentDirectory = tree.empty() ? start.directory : tree;
    PointFileList(*state_, *this);
    ModeRBNormalClick();
}

std::optional<SettingsWriteError> MainWindowCommands::SetDriveOKxClick(
    const DriveChoices& offered) {
    const IniFile ini(state_->settingsFile);
    if (auto error = WriteDriveChoices(ini, offered))
        return error;
    // A drive chosen in the drive list would pull the tree back to itself
    // when the directory changes; the list is built anew below anyway.
    FillDriveList({});
    // The stored directory, or drive C and "C:\" as at start-up.
    const StartDirectory start = ChooseStartDirectory(ini);
    SetDrive(start.drive);
    SetDirectory(start.directory);
    const std::string tree = TreeDirectory();
    if (auto error = ini.WriteString(kStartupSection, "Path",
                                     tree.empty() ? state_->currentDirectory : tree))
        return error;
    FillDriveList(RebuildDriveList(ini, "c"));
    return std::nullopt;
}

std::optional<SettingsWriteError> OtherOptnsOKClick(AppState& state, const Settings& chosen) {
    if (auto error = WriteSettings(IniFile(state.settingsFile), chosen))
        return error;
    state.settings = chosen;
    return std::nullopt;
}

// ------------------------------------------------------------------- modes

void MainWindowCommands::RGMode1Change() {
    const int index = ModeItemIndex();
    if (index == 0)
        ModeRBNormalClick();
    if (index == 1)
        ModeRBBackupClick();
    if (index == 2)
        ModeRBNetworkClick();
}

void MainWindowCommands::SetModeControls(int mode) {
    const ModeControls controls =
        ModeControlsFor(mode, state_->busy, state_->sortOn, state_->exportCsv);
    ShowModeControls(controls, true);
    if (controls.processEventsAfterButtons) {
        FlushDisplay();
        HandlePendingEvents();
    }
    ApplyModeLists(*state_, *this, mode);
}

void MainWindowCommands::ModeRBNormalClick() {
    SetModeControls(kNormalMode);
}

void MainWindowCommands::ModeRBBackupClick() {
    SetModeControls(kBackupMode);
}

void MainWindowCommands::ModeRBNetworkClick() {
    SetModeControls(kNetworkMode);
}

// New brings the whole window back to Normal Mode (buttons, menu items,
// lists and captions too), and clears the status lines and meters.
void MainWindowCommands::NewExecute() {
    SetModeControls(kNormalMode);
    NewLists(*state_, *this);
}

// ------------------------------------------------------ drives and folders

bool MainWindowCommands::SetDrive(char letter) {
    const char before = state_->currentDrive;
    state_->currentDrive = letter;
    if (TreeSetDrive(letter))
        return true;
    state_->currentDrive = before;
    return false;
}

bool MainWindowCommands::SetDirectory(const std::string& path) {
    if (path.size() < 2 || path[1] != ':')
        return false;
    const char before = state_->currentDrive;
    state_->currentDrive = path[0];
    if (TreeSetDirectory(path))
        return true;
    state_->currentDrive = before;
    return false;
}

// A drive that cannot be entered leaves the chosen letter current, so that
// the next change of directory tries it again.
void MainWindowCommands::DriveComboBox1Change() {
    const char drive = ChooseDrive(*state_, ChosenDriveEntry());
    if (!TreeSetDrive(drive)) {
        MessageDialog(DriveNotReadyText(drive), kProgramTitle, Icon::Stop, Buttons::Ok);
        return;
    }
    EnterDirectory(*state_, *this, TreeDirectory());
}

bool MainWindowCommands::EnterTreeEntry(const std::string& path) {
    const std::string before = TreeDirectory();
    if (!TreeSetDirectory(path))
        return false;
    if (TreeDirectory() == before)
        DriveComboBox1Change();
    return true;
}

// --------------------------------------------------------------- selection

void MainWindowCommands::HighlightMoved(ListId list) {
    const std::vector<int> rows = SelectedRows(list);
    NoteHighlight(*state_, list, rows.empty() ? -1 : rows.front());
}

void MainWindowCommands::HighlightEntry(ListId list, int index) {
    DrawHighlight(list, index);
    NoteHighlight(*state_, list, index);
}

void MainWindowCommands::FileListBox1Click() {
    kestrove::FileListBox1Click(*state_, *this, SelectedRows(ListId::FileListBox1));
}

void MainWindowCommands::FileListBox1DblClick() {
    BtnMoveFileClick();
}

void MainWindowCommands::BtnMoveFileClick() {
    kestrove::BtnMoveFileClick(*state_, *this,
                               SelectedRows(ModeControlsFor(*state_).availableList));
}

// ">>" takes every available entry and leaves none of them selected.
void MainWindowCommands::BtnMoveAllFilesClick() {
    kestrove::BtnMoveAllFilesClick(*state_, *this);
    HighlightEntry(ModeControlsFor(*state_).availableList, -1);
}

void MainWindowCommands::BtnUnMoveFile2Click() {
    kestrove::BtnUnMoveFile2Click(*state_, *this);
}

void MainWindowCommands::BtnUnMoveAllFilesClick() {
    kestrove::BtnUnMoveAllFilesClick(*state_, *this);
}

// ---------------------------------------------------------------- commands

// While a long command runs the table disables every other command; only
// Abort (and leaving the program, which asks the run to stop) stays live.
void MainWindowCommands::RunCommand(const std::function<void()>& command) {
    if (state_->busy)
        return;
    throttle_.CommandStarts();
    KeepFocus();
    {
        BusyScope busy(*state_);
        ApplyControls();
        command();
    }
    FlushDisplay();
    ApplyControls();
    // Abort belongs to a running command, however the command ended (a box
    // answered Cancel ends some before their own end hides it).
    ShowAbort(false);
    GiveFocusBack(CommandButton(ModeControlsFor(*state_)));
    if (closePending_) {
        closePending_ = false;
        CloseWindow();
    }
}

// ----------------------------------------------------------- status panel

Answer MainWindowCommands::MessageDialog(const std::string& text, const std::string& title,
                                         Icon icon, Buttons buttons, DefaultButton byDefault) {
    FlushDisplay();
    return ShowMessageBox(text, title, icon, buttons, byDefault);
}

std::optional<SaveChoice> MainWindowCommands::ChooseSaveFile(std::string_view filter,
                                                             const std::string& startDirectory) {
    FlushDisplay();
    return AskSaveFile(filter, startDirectory);
}

std::optional<std::string> MainWindowCommands::ChooseDirectory(const std::string& start) {
    FlushDisplay();
    return AskDirectory(start);
}

void MainWindowCommands::Open(Window window) {
    FlushDisplay();
    OpenWindow(window);
}

bool MainWindowCommands::GetStats(StatsView& view, const std::function<void()>& showWindow) {
    return kestrove::BtnGetStatsClick(*state_, *this, view, [this, &showWindow] {
        FlushDisplay();
        if (showWindow)
            showWindow();
    });
}

void MainWindowCommands::FlushDisplay() {
    const RepaintThrottle::Changes changes = throttle_.TakeChanges();
    if (changes.metersShown)
        DrawMetersShown(*changes.metersShown);
    for (std::size_t i = 0; i < 3; ++i) {
        if (changes.status[i])
            DrawStatus(static_cast<StatusLine>(i), *changes.status[i]);
        if (changes.meters[i])
            DrawMeter(static_cast<Meter>(i), *changes.meters[i]);
    }
}

void MainWindowCommands::SetStatus(StatusLine line, const std::string& text, bool redraw) {
    throttle_.SetStatus(line, text);
    if (!state_->busy) {
        FlushDisplay();
        return;
    }
    if (!redraw || !throttle_.RepaintDue())
        return;
    FlushDisplay();
    PaintStatusNow(line);
}

// Nothing pumps while one long text is copied, and its Characters meter
// moves about 100 times: it is shown from here, within the throttle. (A
// meter paints itself at once when its value changes.)
void MainWindowCommands::SetMeter(Meter meter, int percent) {
    throttle_.SetMeter(meter, percent);
    if (!state_->busy || throttle_.RepaintDue())
        FlushDisplay();
}

// During a command the meters follow at the next pump, so that the ones a
// command shows or hides together show or hide as one.
void MainWindowCommands::ShowMeter(Meter meter, bool visible) {
    throttle_.ShowMeter(meter, visible);
    if (!state_->busy)
        FlushDisplay();
}

// A pump comes per message; events are handled at the first of a command
// and then once per repaint interval.
void MainWindowCommands::ProcessEvents() {
    const int pump = throttle_.Pump();
    if (pumpHook_)
        pumpHook_(pump);
    if (throttle_.EventsDue()) {
        FlushDisplay();
        HandlePendingEvents();
    } else if (throttle_.MetersShownPending()) {
        FlushDisplay();
    }
}

// ----------------------------------------------------------------- closing

bool MainWindowCommands::MayClose() {
    if (CloseRequested(*state_))
        return true;
    closePending_ = true;
    return false;
}

void MainWindowCommands::ListBox1DblClick() {
    if (!state_->busy)
        Open(Window::Viewer);
}

void MainWindowCommands::RunDeleteDupes1Click() {
    RunCommand([this] { kestrove::RunDeleteDupes1Click(*state_, *this); });
}

void MainWindowCommands::RunNetButtonClick() {
    RunCommand([this] { kestrove::RunNetButtonClick(*state_, *this); });
}

void MainWindowCommands::BtnGetStatsClick() {
    RunCommand([this] { Open(Window::Statistics); });
}

void MainWindowCommands::RestoreButtonClick() {
    RunCommand([this] { kestrove::RestoreButtonClick(*state_, *this); });
}

void MainWindowCommands::MoveButtonClick() {
    RunCommand([this] { kestrove::MoveButtonClick(*state_, *this); });
}

void MainWindowCommands::DeleteButtonClick() {
    RunCommand([this] { kestrove::DeleteButtonClick(*state_, *this); });
}

void MainWindowCommands::FileNamesClick() {
    if (!state_->busy)
        Open(Window::FolderNames);
}

void MainWindowCommands::Stop() {
    kestrove::Stop(*state_, *this);
}

void MainWindowCommands::SaveIndexFile1Click() {
    RunCommand([this] { kestrove::SaveIndexFile1Click(*state_, *this); });
}

void MainWindowCommands::SaveLogFile1Click() {
    if (!state_->busy)
        kestrove::SaveLogFile1Click(*state_, *this);
}

void MainWindowCommands::SortONExecute() {
    kestrove::SortONExecute(*state_);
    ApplyControls();
}

void MainWindowCommands::SortOFFExecute() {
    kestrove::SortOFFExecute(*state_);
    ApplyControls();
}

void MainWindowCommands::SaveIndexasCSVClick() {
    kestrove::SaveIndexasCSVClick(*state_);
    ApplyControls();
}

void MainWindowCommands::SaveIndexasTABClick() {
    kestrove::SaveIndexasTABClick(*state_);
    ApplyControls();
}

void MainWindowCommands::SetDrivesExecute() {
    if (ModeControlsFor(*state_).N5.enabled)
        Open(Window::SetDrives);
}

void MainWindowCommands::SetOptionsExecute() {
    if (ModeControlsFor(*state_).SetOptions1.enabled)
        Open(Window::SetOptions);
}

void MainWindowCommands::HelpContents1Execute() {
    ShowHelp(false);
}

void MainWindowCommands::HelpIndexExecute() {
    ShowHelp(true);
}

void MainWindowCommands::About1Click() {
    if (ModeControlsFor(*state_).About1.enabled)
        Open(Window::About);
}

}  // namespace kestrove
