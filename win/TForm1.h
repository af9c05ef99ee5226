#pragma once
// The main window of the Windows program: mode selector, drive, directory
// and file selection, the selected list every command works through, the
// command buttons, the menus, and Panel1 with three status lines and three
// meters. It owns the shared state and is the engine's window port; its
// handlers forward to the engine.

#include <array>
#include <map>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "win/Controls.h"

namespace kestrove::win {

struct Forms;

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
    kMeterGroup,  // holds the meters and their captions
    // Menu items, in the order of the engine's menu table.
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

class TForm1 : public Form, public MainWindowCommands {
  public:
    // `settingsFile`: the INI beside the executable.
    explicit TForm1(std::string settingsFile);
    ~TForm1() override;

    // The windows shown from this one, once they are built.
    void SetForms(const Forms* forms) { forms_ = forms; }
    const std::string& helpFile() const { return helpFile_; }

    // The menu bar and its state, for tests and the screenshots.
    HMENU menu() const { return menu_; }
    bool MenuEnabled(int id) const;
    bool HasMarker(int id) const;  // image 17, the current choice
    bool MenuChecked(int id) const;
    bool Visible(int id) const;
    bool Enabled(int id) const;
    std::string Text(int id) const;  // a control's caption or text
    // The entries of a list box as shown, in UTF-8.
    std::vector<std::string> Entries(int id) const;
    // Selects entries of a list box (the user's clicks), without the click's
    // handler; then Click or DoubleClick does what the user's would.
    void SelectEntries(int id, const std::vector<int>& rows);
    void ListClick(int id);
    void ListDoubleClick(int id);
    // A menu item chosen.
    void Choose(int id);
    // A button's or menu item's id by its name in the engine's table; 0 for
    // a name it does not have.
    int IdOf(std::string_view name) const;

    // --- the handlers only a toolkit has (MainWindowCommands has the rest) ---
    void FileExit1Execute() override;

    // The tree and the drive list as the program moves them.
    void FillDriveList(const std::vector<std::string>& drives) override;
    std::string TreeDirectory() const override { return directory_; }
    const std::string& directory() const { return directory_; }

    // Whether the window has closed (the program then ends).
    bool Closed() const { return closed_; }
    // The program ends its event loop when the window closes.
    void QuitOnClose(bool on) { quitOnClose_ = on; }

    // --- WindowPort: the lists and choosers ---
    std::optional<std::string> AskDirectory(const std::string& start) override;
    std::optional<SaveChoice> AskSaveFile(std::string_view filter,
                                          const std::string& startDirectory) override;
    void ShowAbort(bool visible) override;
    void SetCountLabel(CountLabel label, const std::string& text) override;
    void ShowList(ListId list, bool visible) override;
    void ListChanged(ListId list) override;
    void RestoreSelectedLists() override;
    void SplitSelectedLists() override;

  protected:
    // The form's events.
    void Layout(int width, int height) override;
    void OnCommand(int id, int code, HWND control) override;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnClose() override;
    void OnFontsChanged() override;
    // --- what MainWindowCommands asks of the toolkit ---
    void CloseWindow() override;
    void OpenWindow(Window window) override;
    void ShowHelp(bool index) override;
    void ShowModeControls(const ModeControls& controls, bool layout) override;
    std::vector<int> SelectedRows(ListId list) const override;
    int ModeItemIndex() const override;
    std::optional<std::string> ChosenDriveEntry() const override;
    bool TreeSetDrive(char letter) override;
    bool TreeSetDirectory(const std::string& path) override;
    void HandlePendingEvents() override;
    void DrawStatus(StatusLine line, const std::string& text) override;
    void DrawMeter(Meter meter, int percent) override;
    void DrawMetersShown(const std::array<bool, 3>& shown) override;
    void PaintStatusNow(StatusLine line) override;
    void DrawHighlight(ListId list, int index) override;
    Answer ShowMessageBox(const std::string& text, const std::string& title, Icon icon,
                          Buttons buttons, DefaultButton byDefault) override;
    void KeepFocus() override;
    void GiveFocusBack(std::string_view fallback) override;

  private:
    void BuildControls();
    void BuildMenus();
    void Construct();
    void SetMarker(int id, bool on);
    HWND Button(int id, const char* name, DWORD extra = 0);
    void EnableMenu(int id, bool on);
    void ShowControl(int id, bool visible);
    void FillDirectoryList();
    void EnterDirectoryEntry(int row);
    HWND ListWindow(ListId list) const;
    void EnterPressed(HWND control);

    std::string helpFile_;
    std::map<std::string_view, int> ids_;  // the table's names
    std::map<int, std::string_view> names_;
    HMENU menu_ = nullptr;
    HBITMAP marker_ = nullptr;
    HBITMAP blankCheck_ = nullptr;  // the check of a choice shown by its marker alone
    const Forms* forms_ = nullptr;

    // DirectoryListBox1: the current directory, and the directory of each
    // entry shown (its ancestors, itself, its subdirectories).
    std::string directory_;
    std::vector<std::string> directoryEntries_;
    bool splitLists_ = false;
    HWND focusBefore_ = nullptr;  // the focus when the running command started

    HWND meterGroup_ = nullptr;  // the meters and their captions
    std::array<HWND, 3> meters_{};
    std::array<HWND, 3> meterCaptions_{};
    bool closed_ = false;
    bool quitOnClose_ = false;
};

}  // namespace kestrove::win
