#pragma once
// The main window's handlers as every front end has them. Each toolkit's
// TForm1 derives from this class: it draws the engine's table and forwards
// its controls' events here, and supplies only what a toolkit alone can do
// (drawing, which entries of a list are selected, the radio group's item,
// the directory tree, its modal windows, its help, its event queue).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ModeControls.h"
#include "app/RepaintThrottle.h"
#include "core/AppState.h"
#include "core/Settings.h"
#include "core/WindowPort.h"
#include "reports/Stats.h"

namespace kestrove {

class MainWindowCommands : public WindowPort {
  public:
    // `settingsFile`: the INI beside the executable (a Windows path text).
    // `repaintIntervalMs`: how often at most the status lines and meters
    // reach the screen while a command runs (each program says why).
    MainWindowCommands(std::string settingsFile, std::int64_t repaintIntervalMs);
    ~MainWindowCommands() override;

    AppState& state() { return *state_; }
    const AppState& state() const { return *state_; }
    // Whether a long command is running (every other command is disabled).
    bool Busy() const { return state_->busy; }

    // --- handlers ---
    void RGMode1Change();
    void ModeRBNormalClick();
    void ModeRBBackupClick();
    void ModeRBNetworkClick();
    void NewExecute();
    void DriveComboBox1Change();
    void FileListBox1Click();
    void FileListBox1DblClick();
    void BtnMoveFileClick();
    void BtnMoveAllFilesClick();
    void BtnUnMoveFile2Click();
    void BtnUnMoveAllFilesClick();
    void ListBox1DblClick();
    void RunDeleteDupes1Click();
    void RunNetButtonClick();
    void BtnGetStatsClick();
    void RestoreButtonClick();
    void MoveButtonClick();
    void DeleteButtonClick();
    void FileNamesClick();
    void Stop();
    void SaveIndexFile1Click();
    void SaveLogFile1Click();
    void SortONExecute();
    void SortOFFExecute();
    void SaveIndexasCSVClick();
    void SaveIndexasTABClick();
    void SetDrivesExecute();
    void SetOptionsExecute();
    void HelpContents1Execute();
    void HelpIndexExecute();
    void About1Click();
    virtual void FileExit1Execute() = 0;

    // Runs the handler an action of the table names.
    void Perform(Action action);

    // The directory tree and the drive list, as the program moves them.
    // Entering a drive or a directory makes its drive the current letter
    // (so that the change event that follows stays on it) and runs the
    // tree's change event when the directory changes; false when it cannot
    // be entered, and the letter stays as it was.
    bool SetDrive(char letter);
    bool SetDirectory(const std::string& path);
    virtual std::string TreeDirectory() const = 0;  // empty before the first
    virtual void FillDriveList(const std::vector<std::string>& drives) = 0;

    // The Set Drives window's OK with its 26 boxes (A to Z): writes them,
    // re-enters the saved directory (drive C and "C:\" when it is gone),
    // saves it and builds the drive list anew. A refused write stops it.
    std::optional<SettingsWriteError> SetDriveOKxClick(const DriveChoices& offered);

    // Shows every pending status text and meter now.
    void FlushDisplay();

    // Get Stats from the Statistics window: counts, then shows the window
    // with the main window's status panel up to date behind it.
    bool GetStats(StatsView& view, const std::function<void()>& showWindow);

    // Tests: called at every pump of a command, with its number (from 1 for
    // each command); the clock the repaint throttle reads (empty: the real).
    void SetPumpHook(std::function<void(int)> hook) { pumpHook_ = std::move(hook); }
    void SetClock(RepaintThrottle::Clock clock) { throttle_.SetClock(std::move(clock)); }

    // --- WindowPort: what every window does alike ---
    // A box shows the status lines as they stand.
    Answer MessageDialog(const std::string& text, const std::string& title, Icon icon,
                         Buttons buttons, DefaultButton byDefault = DefaultButton::First) final;
    // Shown at once when no command runs; during one, through the throttle.
    void SetStatus(StatusLine line, const std::string& text, bool redraw = false) final;
    void SetMeter(Meter meter, int percent) final;
    void ShowMeter(Meter meter, bool visible) final;
    void ProcessEvents() final;
    void HighlightEntry(ListId list, int index) final;
    // The choosers open with the status panel up to date, as a box does.
    std::optional<SaveChoice> ChooseSaveFile(std::string_view filter,
                                             const std::string& startDirectory) final;
    std::optional<std::string> ChooseDirectory(const std::string& start) final;

  protected:
    // The windows shown from the main window.
    enum class Window { About, Viewer, SetDrives, SetOptions, FolderNames, Statistics };

    // Draws the table: enabled states and markers always; with `layout`
    // also what is shown, the captions, the mode's item and file filter.
    virtual void ShowModeControls(const ModeControls& controls, bool layout) = 0;
    void ApplyControls() { ShowModeControls(ModeControlsFor(*state_), false); }
    // RGMode1's chosen item, -1 for none.
    virtual int ModeItemIndex() const = 0;
    // The selected entries of one of the four lists, top to bottom.
    virtual std::vector<int> SelectedRows(ListId list) const = 0;
    // The text of DriveListBox's first selected entry; none when none is.
    virtual std::optional<std::string> ChosenDriveEntry() const = 0;
    // The tree enters a drive (the directory it is in when it is on that
    // drive, else the root: StepToDrive) or a directory, and runs its
    // change event (DriveComboBox1Change) when its directory changes; false
    // when it cannot, and nothing changes then.
    virtual bool TreeSetDrive(char letter) = 0;
    virtual bool TreeSetDirectory(const std::string& path) = 0;
    // Paints what changed and lets the toolkit handle its waiting events
    // once (where Abort is noticed).
    virtual void HandlePendingEvents() = 0;
    // The status panel: a line's text, a meter's value, which meters show.
    virtual void DrawStatus(StatusLine line, const std::string& text) = 0;
    virtual void DrawMeter(Meter meter, int percent) = 0;
    virtual void DrawMetersShown(const std::array<bool, 3>& shown) = 0;
    // Paints a status line at once, without handling other events.
    virtual void PaintStatusNow(StatusLine line) = 0;
    // Selects one entry of a list on screen (-1: none) and scrolls to it.
    virtual void DrawHighlight(ListId list, int index) = 0;
    virtual Answer ShowMessageBox(const std::string& text, const std::string& title, Icon icon,
                                  Buttons buttons, DefaultButton byDefault) = 0;
    // The keyboard focus around a command, which disables the controls: the
    // control that has it is remembered, and after the command it gets the
    // focus back, or `fallback` (a button's name in the table) when it is
    // hidden or disabled then.
    virtual void KeepFocus() = 0;
    virtual void GiveFocusBack(std::string_view fallback) = 0;
    // Shows a window modally (the status panel is up to date by then).
    // Statistics runs inside a long command.
    virtual void OpenWindow(Window window) = 0;
    // The save-file dialog and the directory chooser (the status panel is
    // up to date by then).
    virtual std::optional<SaveChoice> AskSaveFile(std::string_view filter,
                                                  const std::string& startDirectory) = 0;
    virtual std::optional<std::string> AskDirectory(const std::string& start) = 0;
    virtual void ShowHelp(bool index) = 0;
    // The window closes now (after a command that a close had to wait for).
    virtual void CloseWindow() = 0;

    // The user enters a directory of the tree (a click, a double click or
    // Enter on its entry). The directory the tree is in already is read
    // again: files may have come or gone since. False when it cannot be
    // entered.
    bool EnterTreeEntry(const std::string& path);

    // The user moved the highlight of a list: a selected list's highlighted
    // entry becomes its first selected row (-1 for none).
    void HighlightMoved(ListId list);

    // The window's start state: settings, drives, the start directory (or
    // the root of drive C, without a message, when it is gone), Normal Mode.
    void StartUp();
    // The mode switches' common part (RGMode1, the table, the lists).
    void SetModeControls(int mode);
    // A long command: the table disables every other command while it runs;
    // a close asked for meanwhile happens when it has returned.
    void RunCommand(const std::function<void()>& command);
    // Every modal window goes through here: what the status panel holds
    // reaches the screen first, so the window behind it is current.
    void Open(Window window);
    // The window's close box or Exit: true when the window may close now;
    // during a command the command is asked to stop and the close waits.
    bool MayClose();

    std::unique_ptr<AppState> state_;

  private:
    RepaintThrottle throttle_;
    std::function<void(int)> pumpHook_;
    bool closePending_ = false;
};

// The Other Options window's OK: writes the five choices, which are the
// settings from then on. A refused write stops it.
std::optional<SettingsWriteError> OtherOptnsOKClick(AppState& state, const Settings& chosen);

}  // namespace kestrove
