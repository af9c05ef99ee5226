#pragma once
// The main window: mode selector, drive, directory and file selection, the
// selected list every command works through, the command buttons, the menus,
// and Panel1 with three status lines and three meters. It owns the shared
// state and is the engine's window port; its handlers forward to the engine.

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <string>
#include <vector>

#include "app/MainWindow.h"

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

class TForm1 : public QMainWindow, public MainWindowCommands {
    Q_OBJECT
  public:
    // `settingsFile`: the INI beside the executable (a Windows path text).
    explicit TForm1(std::string settingsFile, QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows built after this one, in their order of creation.
    void SetForms(TAboutBox* about, TForm2* viewer, TForm3* drives, TForm4* options,
                  TForm5* folders, TForm6* stats);

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

    // --- the handlers only a toolkit has (MainWindowCommands has the rest) ---
    void FileExit1Execute() override;

    // The tree and the drive list as the program moves them.
    void FillDriveList(const std::vector<std::string>& drives) override;
    std::string TreeDirectory() const override;

    // --- WindowPort: the lists and choosers ---
    void SetCountLabel(CountLabel label, const std::string& text) override;
    void ShowAbort(bool visible) override;
    void ListChanged(ListId list) override;
    void ShowList(ListId list, bool visible) override;
    void SplitSelectedLists() override;
    void RestoreSelectedLists() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // --- what MainWindowCommands asks of the toolkit ---
    void ShowModeControls(const ModeControls& controls, bool layout) override;
    int ModeItemIndex() const override;
    std::vector<int> SelectedRows(ListId list) const override;
    std::optional<std::string> ChosenDriveEntry() const override;
    bool TreeSetDrive(char letter) override;
    bool TreeSetDirectory(const std::string& path) override;
    void HandlePendingEvents() override;
    void DrawStatus(StatusLine line, const std::string& text) override;
    void DrawMeter(kestrove::Meter meter, int percent) override;
    void DrawMetersShown(const std::array<bool, 3>& shown) override;
    void PaintStatusNow(StatusLine line) override;
    void DrawHighlight(ListId list, int index) override;
    Answer ShowMessageBox(const std::string& text, const std::string& title, Icon icon,
                          Buttons buttons, DefaultButton byDefault) override;
    void KeepFocus() override;
    void GiveFocusBack(std::string_view fallback) override;
    void OpenWindow(Window window) override;
    std::optional<SaveChoice> AskSaveFile(std::string_view filter,
                                          const std::string& startDirectory) override;
    std::optional<std::string> AskDirectory(const std::string& start) override;
    void ShowHelp(bool index) override;
    void CloseWindow() override;

  private:
    void BuildControls();
    void BuildMenus();
    void BuildTabOrder();
    void Construct();
    void SetMarker(QAction* item, bool on);
    static std::vector<int> SelectedRows(const QListWidget* list);
    QListWidget* ListWidget(ListId list) const;

    std::string helpFile_;

    TAboutBox* about_ = nullptr;
    TForm2* viewer_ = nullptr;
    TForm3* drives_ = nullptr;
    TForm4* options_ = nullptr;
    TForm5* folders_ = nullptr;
    TForm6* stats_ = nullptr;
    HelpViewer* help_ = nullptr;
    QVBoxLayout* selectedLayout_ = nullptr;
    std::array<StatusText*, 3> lines_{};
    std::array<MeterBar*, 3> meters_{};
    // The program fills a list: its selection signals are not the user's.
    bool fillingLists_ = false;
    QPointer<QWidget> focusBefore_;  // the focus when the running command started
};

}  // namespace kestrove
