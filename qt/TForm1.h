#pragma once
// The main window: mode selector, drive, directory and file selection, the
// selected list every command works through, the command buttons, the menus,
// and Panel1 with three status lines and three meters. It owns the shared
// state and is the engine's window port; its handlers forward to the engine.

#include <QMainWindow>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/ModeControls.h"
#include "core/WindowPort.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace kestrove {

class DirectoryTree;
class HelpViewer;
class ListBox;
class MeterBar;
class MoveDlg;
class RadioGroup;
class StatusText;
class TAboutBox;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;

class TForm1 : public QMainWindow, public WindowPort {
    Q_OBJECT
  public:
    // `settingsFile`: the INI beside the executable (a Windows path text).
    explicit TForm1(std::string settingsFile, QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows built after this one, in their order of creation.
    void SetForms(TAboutBox* about, TForm2* viewer, TForm3* drives, TForm4* options,
                  TForm5* folders, TForm6* stats);

    AppState& state() { return *state_; }
    const std::string& helpFile() const { return helpFile_; }

    // --- the controls, under their names ---
    QLabel* Label3;  // "Mode"
    RadioGroup* RGMode1;
    QLabel* Label1;  // "Drive"
    QListWidget* DriveListBox;
    QLabel* Label2;  // "Directory"
    DirectoryTree* DirectoryListBox1;
    QComboBox* FilterComboBox1;  // never visible; holds the file list's mask
    QLabel* LblFileList;
    ListBox* FileListBox1;
    ListBox* ListBox2;
    QLabel* LblNumFiles;
    QPushButton* BtnMoveFile;
    QPushButton* BtnMoveAllFiles;
    QPushButton* BtnUnMoveFile;
    QPushButton* BtnUnMoveAllFiles;
    QPushButton* RunButton;
    QPushButton* BtnGetStats;
    QPushButton* RestoreButton;
    QPushButton* MoveButton;
    QPushButton* DeleteButton;
    QPushButton* RunNetButton;
    QPushButton* FileNames;
    QPushButton* AbortButton;
    QLabel* LblSelList;
    ListBox* ListBox1;
    ListBox* ListBox3;
    QLabel* LblNumSelFiles;
    QFrame* Panel1;
    StatusText* LabelInfoMsg1;
    StatusText* LabelInfoMsg2;
    StatusText* LabelInfoMsg3;
    MeterBar* ProgressBarF;
    MeterBar* ProgressBarM;
    MeterBar* ProgressBar1;
    MoveDlg* moveDlg;

    // The menu items (each named after its item; the action's name is its
    // "action" property).
    QMenu* FileMenu;
    QMenu* OptionsMenu;
    QMenu* RunMenu;
    QMenu* HelpMenu;
    QAction* ClearNew;
    QAction* NormalMode;
    QAction* BackupMode;
    QAction* NetworkMode;
    QAction* SaveIndexFile1;
    QAction* SaveLogFile1;
    QAction* Exit1;
    QAction* Sort1;
    QAction* SortOFF1;
    QAction* SaveIndexasCSV;
    QAction* SaveIndexasTAB;
    QAction* N5;
    QAction* SetOptions1;
    QAction* RunDeleteDupes1;
    QAction* GetStats1;
    QAction* RestoreBackupFiles1;
    QAction* MoveBackupFiles2;
    QAction* DeleteBackupFiles1;
    QAction* DeleteNetworkDupes2;
    QAction* Contents1;
    QAction* Index1;
    QAction* About1;

    // Whether a menu item shows the marker of the current choice (image 17).
    static bool HasMarker(const QAction* item);

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

    // Used by the Set Drives window's OK: the drive list built anew.
    void FillDriveList(const std::vector<std::string>& drives);
    // Enters a directory as the program does (the change event runs);
    // false when it cannot be entered.
    bool SetDirectory(const std::string& path);
    bool SetDrive(char letter);

    // Whether a long command is running (every other command is disabled).
    bool Busy() const { return state_->busy; }

    // Tests: called at every pump of a command, with the pump's number
    // (from 1 for each command).
    void SetPumpHook(std::function<void(int)> hook) { pumpHook_ = std::move(hook); }
    // Shows every pending status text and meter value now.
    void FlushDisplay();

    // --- WindowPort ---
    Answer MessageDialog(const std::string& text, const std::string& title, Icon icon,
                         Buttons buttons) override;
    void SetStatus(StatusLine line, const std::string& text, bool redraw = false) override;
    void SetCountLabel(CountLabel label, const std::string& text) override;
    void SetMeter(kestrove::Meter meter, int percent) override;
    void ShowMeter(kestrove::Meter meter, bool visible) override;
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
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildControls();
    void BuildMenus();
    void BuildTabOrder();
    void Construct();
    void SetModeControls(int mode);
    void SetMarker(QAction* item, bool on);
    // Shows the engine's table: enabled states and markers always; with
    // `layout` also what is shown and the captions (a mode switch).
    void ApplyControls(const ModeControls& controls, bool layout);
    void ApplyControls() { ApplyControls(ModeControlsFor(*state_), false); }
    // Runs the handler an action of the table names.
    void Perform(Action action);
    // The buttons and menu items beside their rows of the table.
    std::vector<std::pair<QPushButton*, ButtonControl ModeControls::*>> TableButtons() const;
    std::vector<std::pair<QAction*, MenuControl ModeControls::*>> TableMenuItems() const;
    void RunCommand(const std::function<void()>& command);
    std::vector<int> SelectedRows(QListWidget* list) const;
    QListWidget* ListWidget(ListId list) const;
    void SyncHighlight(ListId list);
    void OnDirectoryChanged();
    bool SaveRunning(const std::function<void()>& command);

    std::unique_ptr<AppState> state_;
    std::string helpFile_;

    TAboutBox* about_ = nullptr;
    TForm2* viewer_ = nullptr;
    TForm3* drives_ = nullptr;
    TForm4* options_ = nullptr;
    TForm5* folders_ = nullptr;
    TForm6* stats_ = nullptr;
    HelpViewer* help_ = nullptr;
    QVBoxLayout* selectedLayout_ = nullptr;

    // Status lines and meters as the commands left them, shown at most every
    // kRepaintInterval while a command runs.
    struct PendingText {
        std::string text;
        bool dirty = false;
    };
    std::array<PendingText, 3> pendingStatus_;
    std::array<int, 3> pendingMeter_{};
    std::array<bool, 3> meterDirty_{};
    std::int64_t lastRepaint_ = 0;  // milliseconds
    std::int64_t lastPump_ = 0;
    int pumps_ = 0;
    unsigned redraws_ = 0;
    std::function<void(int)> pumpHook_;
    bool closePending_ = false;
    bool fillingLists_ = false;
};

}  // namespace kestrove
