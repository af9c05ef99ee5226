#pragma once
// The main window's handlers as every front end has them. Each toolkit's
// TForm1 derives from this class: it draws the engine's table and forwards
// its controls' events here, and supplies only what a toolkit alone can do
// (which entries of a list are selected, the radio group's item, its modal
// windows, its help, its event queue).

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ModeControls.h"
#include "core/AppState.h"
#include "core/Settings.h"
#include "core/WindowPort.h"

namespace kestrove {

class MainWindowCommands : public WindowPort {
  public:
    // `settingsFile`: the INI beside the executable (a Windows path text).
    explicit MainWindowCommands(std::string settingsFile);
    ~MainWindowCommands() override;

    AppState& state() { return *state_; }
    // Whether a long command is running (every other command is disabled).
    bool Busy() const { return state_->busy; }

    // --- handlers ---
    void RGMode1Change();
    void ModeRBNormalClick();
    void ModeRBBackupClick();
    void ModeRBNetworkClick();
    void NewExecute();
    virtual void DriveComboBox1Change() = 0;
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
    // Entering a drive or a directory makes its drive the current letter and
    // runs the tree's change event when the directory changes; false when it
    // cannot be entered.
    virtual bool SetDrive(char letter) = 0;
    virtual bool SetDirectory(const std::string& path) = 0;
    virtual std::string TreeDirectory() const = 0;  // empty before the first
    virtual void FillDriveList(const std::vector<std::string>& drives) = 0;

    // The Set Drives window's OK with its 26 boxes (A to Z): writes them,
    // re-enters the saved directory (drive C and "C:\" when it is gone),
    // saves it and builds the drive list anew. A refused write stops it.
    std::optional<SettingsWriteError> SetDriveOKxClick(const DriveChoices& offered);

    // Shows every pending status text and meter value now.
    virtual void FlushDisplay() = 0;

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
    // Lets the toolkit handle its waiting events once (the Network Mode
    // switch, so that the buttons redraw).
    virtual void HandlePendingEvents() = 0;
    // Shows a window modally. Statistics runs inside a long command.
    virtual void OpenWindow(Window window) = 0;
    virtual void ShowHelp(bool index) = 0;
    // Called as a long command starts, before the table disables the rest.
    virtual void CommandStarts() {}
    // The window closes now (after a command that a close had to wait for).
    virtual void CloseWindow() = 0;

    // The window's start state: settings, drives, the start directory (or
    // the root of drive C, without a message, when it is gone), Normal Mode.
    void StartUp();
    // The mode switches' common part (RGMode1, the table, the lists).
    void SetModeControls(int mode);
    // A long command: the table disables every other command while it runs;
    // a close asked for meanwhile happens when it has returned.
    void RunCommand(const std::function<void()>& command);
    // The window's close box or Exit: true when the window may close now;
    // during a command the command is asked to stop and the close waits.
    bool MayClose();

    std::unique_ptr<AppState> state_;

  private:
    bool closePending_ = false;
};

// The Other Options window's OK: writes the five choices, which are the
// settings from then on. A refused write stops it.
std::optional<SettingsWriteError> OtherOptnsOKClick(AppState& state, const Settings& chosen);

}  // namespace kestrove
