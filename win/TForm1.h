#pragma once
// The main window of the Windows program: mode selector, drive, directory
// and file selection, the selected list every command works through, the
// command buttons, the menus, and Panel1 with three status lines and three
// meters. It owns the shared state and is the engine's window port; its
// handlers forward to the engine.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/WindowPort.h"
#include "win/Controls.h"

namespace kestrove::win {

class TAboutBox;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;

// Control and menu ids. Tests send clicks and selections by these.
enum ControlId : int {
    kLabel3 = 100,
    kRGMode1,  // the group frame; its items follow
    kModeNormal,
    kModeBackup,
    kModeNetwork,
    kLabel1,
    kDriveListBox,
    kLabel2,
    kDirectoryListBox1,
    kLblFileList,
    kFileListBox1,
    kListBox2,
    kLblNumFiles,
    kBtnMoveFile,
    kBtnMoveAllFiles,
    kBtnUnMoveFile,
    kBtnUnMoveAllFiles,
    kRunButton,
    kRestoreButton,
    kMoveButton,
    kDeleteButton,
    kRunNetButton,
    kBtnGetStats,
    kFileNames,
    kAbortButton,
    kLblSelList,
    kListBox3,
    kListBox1,
    kLblNumSelFiles,
    kPanel1,
    kLabelInfoMsg1,
    kLabelInfoMsg2,
    kLabelInfoMsg3,
    kProgressBarF,
    kProgressBarM,
    kProgressBar1,
    kCaptionF,
    kCaptionM,
    kCaption1,
    // Menu items.
    kClearNew = 300,
    kNormalModeItem,  // the File menu's NormalMode, BackupMode, NetworkMode
    kBackupModeItem,
    kNetworkModeItem,
    kSaveIndexFile1,
    kSaveLogFile1,
    kExit1,
    kSort1,
    kSortOFF1,
    kSaveIndexasCSV,
    kSaveIndexasTAB,
    kN5,
    kSetOptions1,
    kRunDeleteDupes1,
    kGetStats1,
    kRestoreBackupFiles1,
    kMoveBackupFiles2,
    kDeleteBackupFiles1,
    kDeleteNetworkDupes2,
    kContents1,
    kIndex1,
    kAbout1,
};

class TForm1 : public Form, public WindowPort {
  public:
    // `settingsFile`: the INI beside the executable.
    explicit TForm1(std::string settingsFile);
    ~TForm1() override;

    void SetForms(TAboutBox* about, TForm2* viewer, TForm3* drives, TForm4* options,
                  TForm5* folders, TForm6* stats);
    AppState& state() { return *state_; }
    const std::string& helpFile() const { return helpFile_; }

    // The menu bar and its state, for tests and the screenshots.
    HMENU menu() const { return menu_; }
    bool MenuEnabled(int id) const;
    bool HasMarker(int id) const;  // image 17, the current choice
    bool MenuChecked(int id) const;
    bool Visible(int id) const;
    bool Enabled(int id) const;
    std::string Text(int id) const;  // a control's caption or text
    // The entries of a list box as shown.
    std::vector<std::string> Entries(int id) const;
    // Selects entries of a list box (the user's clicks), without the click's
    // handler; then Click or DoubleClick does what the user's would.
    void SelectEntries(int id, const std::vector<int>& rows);
    void ListClick(int id);
    void ListDoubleClick(int id);
    // A menu item chosen.
    void Choose(int id);

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
    void FileExit1Execute();

    // The Set Drives OK: the drive list built anew.
    void FillDriveList(const std::vector<std::string>& drives);
    // Enters a directory as the program does (the change event runs); false
    // when it cannot be entered.
    bool SetDirectory(const std::string& path);
    bool SetDrive(char letter);
    const std::string& directory() const { return directory_; }

    bool Busy() const { return state_->busy; }
    // Whether the window has closed (the program then ends).
    bool Closed() const { return closed_; }
    // The program ends its event loop when the window closes.
    void QuitOnClose(bool on) { quitOnClose_ = on; }
    // Tests: called at every pump of a command with its number (from 1).
    void SetPumpHook(std::function<void(int)> hook) { pumpHook_ = std::move(hook); }
    // Shows every pending status text and meter value now.
    void FlushDisplay();

    // --- WindowPort ---
    Answer MessageDialog(const std::string& text, const std::string& title, Icon icon,
                         Buttons buttons) override;
    void SetStatus(StatusLine line, const std::string& text, bool redraw = false) override;
    void SetCountLabel(CountLabel label, const std::string& text) override;
    void SetMeter(Meter meter, int percent) override;
    void ShowMeter(Meter meter, bool visible) override;
    void ShowAbort(bool visible) override;
    void ListChanged(ListId list) override;
    void HighlightEntry(ListId list, int index) override;
    void ShowList(ListId list, bool visible) override;
    void SplitSelectedLists() override;
    void RestoreSelectedLists() override;
    void ProcessEvents() override;
    std::optional<std::string> ChooseSaveFile(std::string_view filter) override;
    std::optional<std::string> ChooseDirectory(const std::string& start) override;

  protected:
    void Layout(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnClose() override;
    void OnFontsChanged() override;

  private:
    void BuildControls();
    void BuildMenus();
    void Construct();
    void SetModeControls(int mode);
    void SetMarker(int id, bool on);
    void UpdateOptionsMenu();
    void RunCommand(const std::function<void()>& command);
    void SetCommandsEnabled(bool enabled);
    void EnableMenu(int id, bool on);
    void ShowControl(int id, bool visible);
    void FillDirectoryList();
    void EnterDirectoryEntry(int row);
    void SyncHighlight(ListId list);
    HWND ListWindow(ListId list) const;

    std::unique_ptr<AppState> state_;
    std::string helpFile_;
    HMENU menu_ = nullptr;
    HBITMAP marker_ = nullptr;
    TAboutBox* about_ = nullptr;
    TForm2* viewer_ = nullptr;
    TForm3* drives_ = nullptr;
    TForm4* options_ = nullptr;
    TForm5* folders_ = nullptr;
    TForm6* stats_ = nullptr;

    // DirectoryListBox1: the current directory, and the directory of each
    // entry shown (its ancestors, itself, its subdirectories).
    std::string directory_;
    std::vector<std::string> directoryEntries_;
    bool splitLists_ = false;

    // Status lines and meters as the commands left them; during a command
    // they reach the screen at most every kRepaintMs.
    std::array<std::string, 3> statusText_;
    std::array<bool, 3> statusDirty_{};
    std::array<int, 3> meterValue_{};
    std::array<bool, 3> meterDirty_{};
    std::uint64_t lastShown_ = 0;
    int pumps_ = 0;
    std::function<void(int)> pumpHook_;
    std::vector<std::pair<int, bool>> enabledBefore_;
    bool closePending_ = false;
    bool closed_ = false;
    bool quitOnClose_ = false;
};

}  // namespace kestrove::win
