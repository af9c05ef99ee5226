#include "qt/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cctype>
#include <chrono>
#include <ctime>
#include <limits>
#include <map>

#include "backup/Backup.h"
#include "core/BusyScope.h"
#include "core/Format.h"
#include "core/Selection.h"
#include "core/Settings.h"
#include "duplicates/Duplicates.h"
#include "qt/Dialogs.h"
#include "qt/DirectoryTree.h"
#include "qt/HelpViewer.h"
#include "qt/MoveDlg.h"
#include "qt/TAboutBox.h"
#include "qt/TForm2.h"
#include "qt/TForm3.h"
#include "qt/TForm4.h"
#include "qt/TForm5.h"
#include "qt/TForm6.h"
#include "qt/Widgets.h"
#include "reports/Export.h"

namespace kestrove {

namespace {

// Status lines and meters are repainted at most this often while a command
// runs; a per-record update costs a string copy, not a repaint.
constexpr std::int64_t kRepaintIntervalMs = 30;

// Milliseconds of a monotonic clock. A coarse clock serves: it is read per
// record and needs no better than a few milliseconds.
std::int64_t NowMs() {
#ifdef CLOCK_MONOTONIC_COARSE
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
#else
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

// Image 17 of the menu's image list: the marker of the current choice.
const QIcon& MarkerIcon() {
    static const QIcon icon = [] {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(colors::kNavy);
        const QPointF arrow[3] = {{4, 3}, {13, 8}, {4, 13}};
        p.drawPolygon(arrow, 3);
        return QIcon(pixmap);
    }();
    return icon;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAccessibleName(QString(caption).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    b->setAccessibleDescription(hint);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

int StatusIndex(StatusLine line) {
    return static_cast<int>(line);
}

int MeterIndex(kestrove::Meter meter) {
    return static_cast<int>(meter);
}

}  // namespace

TForm1::TForm1(std::string settingsFile, QWidget* parent)
    : QMainWindow(parent), state_(std::make_unique<AppState>()) {
    state_->settingsFile = std::move(settingsFile);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kestrove - 2.30"));
    BuildControls();
    BuildMenus();
    BuildTabOrder();
    Construct();
}

TForm1::~TForm1() = default;

void TForm1::SetForms(TAboutBox* about, TForm2* viewer, TForm3* drives, TForm4* options,
                      TForm5* folders, TForm6* stats) {
    about_ = about;
    viewer_ = viewer;
    drives_ = drives;
    options_ = options;
    folders_ = folders;
    stats_ = stats;
}

// ---------------------------------------------------------------- building

void TForm1::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Form1Client"));
    FillBackground(central, colors::kSkyBlue);
    QFont bold = font();
    bold.setBold(true);
    central->setFont(bold);
    setCentralWidget(central);

    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(8, 8, 8, 8);
    auto* columns = new QHBoxLayout();
    outer->addLayout(columns, 1);

    // Left: mode, drive, directory.
    auto* left = new QVBoxLayout();
    Label3 = MakeLabel(central, "Label3", QStringLiteral("&Mode"));
    RGMode1 = new RadioGroup(QString(),
                             {QStringLiteral("Normal Mode"), QStringLiteral("Backup Mode"),
                              QStringLiteral("Network Mode")},
                             central);
    RGMode1->setObjectName(QStringLiteral("RGMode1"));
    RGMode1->setAccessibleName(QStringLiteral("Mode"));
    RGMode1->setItemIndex(0);
    Label3->setBuddy(RGMode1->button(0));
    Label1 = MakeLabel(central, "Label1", QStringLiteral("Dri&ve"));
    auto* driveList = new ListBox(central);
    DriveListBox = driveList;
    DriveListBox->setObjectName(QStringLiteral("DriveListBox"));
    DriveListBox->setAccessibleName(QStringLiteral("Drive"));
    DriveListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    DriveListBox->setMaximumHeight(90);
    Label1->setBuddy(DriveListBox);
    Label2 = MakeLabel(central, "Label2", QStringLiteral("&Directory"));
    DirectoryListBox1 = new DirectoryTree(central);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setAccessibleName(QStringLiteral("Directory"));
    Label2->setBuddy(DirectoryListBox1);
    FilterComboBox1 = new QComboBox(central);
    FilterComboBox1->setObjectName(QStringLiteral("FilterComboBox1"));
    FilterComboBox1->setAccessibleName(QStringLiteral("File Type"));
    FilterComboBox1->addItem(QStringLiteral("PMI Files (*.pmi)"), QStringLiteral("*.pmi"));
    FilterComboBox1->addItem(QStringLiteral("BKI Files (*.bki)"), QStringLiteral("*.bki"));
    FilterComboBox1->setVisible(false);
    left->addWidget(Label3);
    left->addWidget(RGMode1);
    left->addWidget(Label1);
    left->addWidget(DriveListBox);
    left->addWidget(Label2);
    left->addWidget(DirectoryListBox1, 1);
    columns->addLayout(left, 3);

    // The available list.
    auto* middle = new QVBoxLayout();
    LblFileList = MakeLabel(central, "LblFileList", QStringLiteral("*.PMI Files"));
    FileListBox1 = new ListBox(central);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setAccessibleName(QStringLiteral("Available Files"));
    FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox2 = new ListBox(central);
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    ListBox2->setAccessibleName(QStringLiteral("User Directories"));
    ListBox2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox2->setSortingEnabled(false);
    ListBox2->setVisible(false);
    LblFileList->setBuddy(FileListBox1);
    LblNumFiles = MakeLabel(central, "LblNumFiles", QStringLiteral("0 Files"));
    middle->addWidget(LblFileList);
    middle->addWidget(FileListBox1, 1);
    middle->addWidget(ListBox2, 1);
    middle->addWidget(LblNumFiles);
    columns->addLayout(middle, 3);

    // The four arrows.
    auto* arrows = new QVBoxLayout();
    arrows->addStretch(1);
    BtnMoveFile = MakeButton(central, "BtnMoveFile", QStringLiteral(">"),
                             QStringLiteral("Add the highlighted entries to the selected list."));
    BtnMoveFile->setAccessibleName(QStringLiteral("Add Selected"));
    BtnMoveAllFiles = MakeButton(central, "BtnMoveAllFiles", QStringLiteral(">>"),
                                 QStringLiteral("Add every entry to the selected list."));
    BtnMoveAllFiles->setAccessibleName(QStringLiteral("Add All"));
    BtnUnMoveFile =
        MakeButton(central, "BtnUnMoveFile", QStringLiteral("<"),
                   QStringLiteral("Remove the highlighted entry from the selected list."));
    BtnUnMoveFile->setAccessibleName(QStringLiteral("Remove Selected"));
    BtnUnMoveAllFiles = MakeButton(central, "BtnUnMoveAllFiles", QStringLiteral("<<"),
                                   QStringLiteral("Empty the selected list."));
    BtnUnMoveAllFiles->setAccessibleName(QStringLiteral("Remove All"));
    for (auto* b : {BtnMoveFile, BtnMoveAllFiles, BtnUnMoveFile, BtnUnMoveAllFiles}) {
        b->setFixedWidth(44);
        arrows->addWidget(b);
    }
    arrows->addStretch(1);
    columns->addLayout(arrows);

    // Right: the command buttons above the selected list.
    auto* right = new QVBoxLayout();
    auto* commands = new QVBoxLayout();
    RunButton = MakeButton(central, "RunButton", QStringLiteral("Run"),
                           QStringLiteral("Run will remove all of the duplicate messages in the "
                                          "selected files."));
    BtnGetStats = MakeButton(central, "BtnGetStats", QStringLiteral("Get Stats"),
                             QStringLiteral("Get statistics for selected files"));
    RestoreButton = MakeButton(central, "RestoreButton", QStringLiteral("Restore"),
                               QStringLiteral("Restore backup files."));
    MoveButton = MakeButton(central, "MoveButton", QStringLiteral("Move"),
                            QStringLiteral("Move backup files."));
    DeleteButton = MakeButton(central, "DeleteButton", QStringLiteral("Delete"),
                              QStringLiteral("Delete backup files."));
    RunNetButton = MakeButton(central, "RunNetButton", QStringLiteral("Network Run"),
                              QStringLiteral("Run will remove duplicate messages in the selected "
                                             "users."));
    FileNames = MakeButton(central, "FileNames", QStringLiteral("Display\nFolder Names"),
                           QStringLiteral("Display the folder names as well as the file names."));
    AbortButton = MakeButton(central, "AbortButton", QStringLiteral("Abort"),
                             QStringLiteral("Abort the current run."));
    for (auto* b : {RunButton, BtnGetStats, RestoreButton, MoveButton, DeleteButton, RunNetButton,
                    FileNames, AbortButton})
        b->setMinimumHeight(44);
    // The mode's commands above, the ones every file mode has below; the
    // buttons a mode hides leave no gaps.
    auto* firstRow = new QHBoxLayout();
    for (auto* b : {RunButton, RestoreButton, MoveButton, DeleteButton, RunNetButton})
        firstRow->addWidget(b);
    firstRow->addStretch(1);
    auto* secondRow = new QHBoxLayout();
    for (auto* b : {BtnGetStats, FileNames, AbortButton})
        secondRow->addWidget(b);
    secondRow->addStretch(1);
    commands->addLayout(firstRow);
    commands->addLayout(secondRow);
    for (auto* b : {RunButton, BtnGetStats, RestoreButton, MoveButton, DeleteButton, RunNetButton,
                    AbortButton})
        b->setMinimumWidth(96);
    FileNames->setMinimumWidth(150);
    {
        // Abort comes and goes without moving the other buttons.
        QSizePolicy sp = AbortButton->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        AbortButton->setSizePolicy(sp);
    }
    AbortButton->setVisible(false);
    {
        QPalette ap = AbortButton->palette();
        ap.setColor(QPalette::ButtonText, colors::kRed);
        AbortButton->setPalette(ap);
    }
    right->addLayout(commands);
    LblSelList = MakeLabel(central, "LblSelList", QStringLiteral("Selected Files"));
    ListBox3 = new ListBox(central);
    ListBox3->setObjectName(QStringLiteral("ListBox3"));
    ListBox3->setAccessibleName(QStringLiteral("Selected Directories"));
    ListBox3->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox3->setVisible(false);
    ListBox1 = new ListBox(central);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setAccessibleName(QStringLiteral("Selected Files"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    LblSelList->setBuddy(ListBox1);
    LblNumSelFiles = MakeLabel(central, "LblNumSelFiles", QStringLiteral("0 Files Selected"));
    right->addWidget(LblSelList);
    selectedLayout_ = new QVBoxLayout();
    selectedLayout_->setSpacing(2);
    selectedLayout_->addWidget(ListBox3, 1);
    selectedLayout_->addWidget(ListBox1, 1);
    right->addLayout(selectedLayout_, 1);
    right->addWidget(LblNumSelFiles);
    columns->addLayout(right, 5);

    // Panel1: three status lines, three meters.
    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setAccessibleName(QStringLiteral("Progress"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Sunken);
    auto* panel = new QGridLayout(Panel1);
    panel->setContentsMargins(8, 4, 8, 4);
    panel->setVerticalSpacing(2);
    LabelInfoMsg1 = new StatusText(1, QStringLiteral("File"), Panel1);
    LabelInfoMsg1->setObjectName(QStringLiteral("LabelInfoMsg1"));
    LabelInfoMsg2 = new StatusText(2, QString(), Panel1);
    LabelInfoMsg2->setObjectName(QStringLiteral("LabelInfoMsg2"));
    LabelInfoMsg3 = new StatusText(3, QString(), Panel1);
    LabelInfoMsg3->setObjectName(QStringLiteral("LabelInfoMsg3"));
    ProgressBarF = new MeterBar(QStringLiteral("Files"), Panel1);
    ProgressBarF->setObjectName(QStringLiteral("ProgressBarF"));
    ProgressBarM = new MeterBar(QStringLiteral("Messages"), Panel1);
    ProgressBarM->setObjectName(QStringLiteral("ProgressBarM"));
    ProgressBar1 = new MeterBar(QStringLiteral("Characters"), Panel1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    const std::array<StatusText*, 3> lines{LabelInfoMsg1, LabelInfoMsg2, LabelInfoMsg3};
    const std::array<MeterBar*, 3> meters{ProgressBarF, ProgressBarM, ProgressBar1};
    for (int i = 0; i < 3; ++i) {
        panel->addWidget(lines[static_cast<std::size_t>(i)], i, 0);
        MeterBar* m = meters[static_cast<std::size_t>(i)];
        QSizePolicy sp = m->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        m->setSizePolicy(sp);
        m->setMinimumWidth(260);
        m->setVisible(false);
        panel->addWidget(m, i, 1);
    }
    panel->setColumnStretch(0, 3);
    panel->setColumnStretch(1, 1);
    outer->addWidget(Panel1);

    moveDlg = new MoveDlg(this);

    // Bindings.
    connect(RGMode1, &RadioGroup::clicked, this, [this] { RGMode1Change(); });
    connect(driveList, &QListWidget::itemClicked, this, [this] {
        if (!Busy())
            DriveComboBox1Change();
    });
    connect(driveList, &QListWidget::itemSelectionChanged, this, [this, driveList] {
        if (!fillingLists_ && !Busy() && !driveList->inMousePress() && driveList->hasFocus())
            DriveComboBox1Change();
    });
    connect(DirectoryListBox1, &DirectoryTree::directoryChanged, this,
            [this] { OnDirectoryChanged(); });
    connect(FileListBox1, &QListWidget::itemClicked, this, [this] {
        if (!Busy())
            FileListBox1Click();
    });
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fillingLists_ && !Busy() && !FileListBox1->inMousePress() && FileListBox1->hasFocus())
            FileListBox1Click();
    });
    connect(FileListBox1, &QListWidget::itemDoubleClicked, this,
            [this] { FileListBox1DblClick(); });
    connect(FileListBox1, &ListBox::enterPressed, this, [this] { FileListBox1DblClick(); });
    // A click on a user directory adds it at once; from the keys, Enter does.
    connect(ListBox2, &QListWidget::itemClicked, this, [this] {
        if (!Busy())
            BtnMoveFileClick();
    });
    connect(ListBox2, &ListBox::enterPressed, this, [this] {
        if (!Busy())
            BtnMoveFileClick();
    });
    connect(ListBox1, &QListWidget::itemSelectionChanged, this,
            [this] { SyncHighlight(ListId::ListBox1); });
    connect(ListBox3, &QListWidget::itemSelectionChanged, this,
            [this] { SyncHighlight(ListId::ListBox3); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
    connect(ListBox1, &ListBox::enterPressed, this, [this] { ListBox1DblClick(); });
    connect(BtnMoveFile, &QPushButton::clicked, this, [this] { BtnMoveFileClick(); });
    connect(BtnMoveAllFiles, &QPushButton::clicked, this, [this] { BtnMoveAllFilesClick(); });
    connect(BtnUnMoveFile, &QPushButton::clicked, this, [this] { BtnUnMoveFile2Click(); });
    connect(BtnUnMoveAllFiles, &QPushButton::clicked, this, [this] { BtnUnMoveAllFilesClick(); });
    connect(RunButton, &QPushButton::clicked, this, [this] { RunDeleteDupes1Click(); });
    connect(BtnGetStats, &QPushButton::clicked, this, [this] { BtnGetStatsClick(); });
    connect(RestoreButton, &QPushButton::clicked, this, [this] { RestoreButtonClick(); });
    connect(MoveButton, &QPushButton::clicked, this, [this] { MoveButtonClick(); });
    connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteButtonClick(); });
    connect(RunNetButton, &QPushButton::clicked, this, [this] { RunNetButtonClick(); });
    connect(FileNames, &QPushButton::clicked, this, [this] { FileNamesClick(); });
    connect(AbortButton, &QPushButton::clicked, this, [this] { Stop(); });

    resize(1000, 660);
    // Centred on the desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setAccessibleName(QStringLiteral("Menu"));
    auto item = [this](QMenu* menu, QAction*& member, const char* name, const char* action,
                       const QString& caption, void (TForm1::*handler)()) {
        member = menu->addAction(caption);
        member->setObjectName(QString::fromLatin1(name));
        member->setProperty("action", QString::fromLatin1(action));
        member->setIconVisibleInMenu(true);
        if (handler)
            connect(member, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    FileMenu = bar->addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("File1"));
    item(FileMenu, ClearNew, "ClearNew", "New", QStringLiteral("New"), &TForm1::NewExecute);
    FileMenu->addSeparator();
    item(FileMenu, NormalMode, "NormalMode", "Normal", QStringLiteral("Normal Mode"),
         &TForm1::ModeRBNormalClick);
    item(FileMenu, BackupMode, "BackupMode", "Backup", QStringLiteral("Backup Mode"),
         &TForm1::ModeRBBackupClick);
    item(FileMenu, NetworkMode, "NetworkMode", "Network", QStringLiteral("Network Mode"),
         &TForm1::ModeRBNetworkClick);
    FileMenu->addSeparator();
    item(FileMenu, SaveIndexFile1, "SaveIndexFile1", "SaveIndex", QStringLiteral("SaveIndex"),
         &TForm1::SaveIndexFile1Click);
    item(FileMenu, SaveLogFile1, "SaveLogFile1", "SaveLogFile", QStringLiteral("Save Log File"),
         &TForm1::SaveLogFile1Click);
    FileMenu->addSeparator();
    item(FileMenu, Exit1, "Exit1", "FileExit1", QStringLiteral("E&xit"), &TForm1::FileExit1Execute);

    OptionsMenu = bar->addMenu(QStringLiteral("&Options"));
    OptionsMenu->setObjectName(QStringLiteral("Options1"));
    item(OptionsMenu, Sort1, "Sort1", "SortON", QStringLiteral("Sort ON "), &TForm1::SortONExecute);
    item(OptionsMenu, SortOFF1, "SortOFF1", "SortOFF", QStringLiteral("Sort OFF"),
         &TForm1::SortOFFExecute);
    OptionsMenu->addSeparator();
    item(OptionsMenu, SaveIndexasCSV, "SaveIndexasCSV", "SaveAsCSV",
         QStringLiteral("Save Index As CSV"), &TForm1::SaveIndexasCSVClick);
    SaveIndexasCSV->setCheckable(true);
    item(OptionsMenu, SaveIndexasTAB, "SaveIndexasTAB", "SaveAsTAB",
         QStringLiteral("Save Index as TAB"), &TForm1::SaveIndexasTABClick);
    OptionsMenu->addSeparator();
    item(OptionsMenu, N5, "N5", "SetDrives", QStringLiteral("Set Drives"),
         &TForm1::SetDrivesExecute);
    item(OptionsMenu, SetOptions1, "SetOptions1", "SetOptions", QStringLiteral("Set Options"),
         &TForm1::SetOptionsExecute);

    RunMenu = bar->addMenu(QStringLiteral("&Run"));
    RunMenu->setObjectName(QStringLiteral("Run1"));
    item(RunMenu, RunDeleteDupes1, "RunDeleteDupes1", "DeleteDupes",
         QStringLiteral("Run Delete Dupes"), &TForm1::RunDeleteDupes1Click);
    item(RunMenu, GetStats1, "GetStats1", "GetStats", QStringLiteral("GetStats"),
         &TForm1::BtnGetStatsClick);
    item(RunMenu, RestoreBackupFiles1, "RestoreBackupFiles1", "RestoreBkUp",
         QStringLiteral("Restore Backup Files"), &TForm1::RestoreButtonClick);
    item(RunMenu, MoveBackupFiles2, "MoveBackupFiles2", "MoveBkUp",
         QStringLiteral("Move Backup Files"), &TForm1::MoveButtonClick);
    item(RunMenu, DeleteBackupFiles1, "DeleteBackupFiles1", "DelBkUp",
         QStringLiteral("Delete Backup Files"), &TForm1::DeleteButtonClick);
    item(RunMenu, DeleteNetworkDupes2, "DeleteNetworkDupes2", "NetworkUnDup",
         QStringLiteral("Delete Network Dupes"), &TForm1::RunNetButtonClick);

    HelpMenu = bar->addMenu(QStringLiteral("&Help"));
    HelpMenu->setObjectName(QStringLiteral("Help1"));
    item(HelpMenu, Contents1, "Contents1", "HelpContents1", QStringLiteral("&Contents"),
         &TForm1::HelpContents1Execute);
    item(HelpMenu, Index1, "Index1", "HelpIndex", QStringLiteral("&Index"),
         &TForm1::HelpIndexExecute);
    item(HelpMenu, About1, "About1", "", QStringLiteral("About"), &TForm1::About1Click);
}

void TForm1::BuildTabOrder() {
    QWidget* order[] = {RGMode1->button(0), RGMode1->button(1), RGMode1->button(2),
                        DriveListBox,       DirectoryListBox1,  FileListBox1,
                        ListBox2,           BtnMoveFile,        BtnMoveAllFiles,
                        BtnUnMoveFile,      BtnUnMoveAllFiles,  RunButton,
                        RestoreButton,      MoveButton,         DeleteButton,
                        RunNetButton,       BtnGetStats,        FileNames,
                        AbortButton,        ListBox3,           ListBox1};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

// The window's start state: settings, drives, the start directory (or the
// root of drive C, without a message, when it is gone), Normal Mode.
void TForm1::Construct() {
    helpFile_ = "Kestrove.hlp";
    help_ = new HelpViewer(this);
    const IniFile ini(state_->settingsFile);
    std::string start = ReadStartPath(ini);
    state_->settings = ReadSettings(ini);
    state_->currentDrive = start.empty() ? 'C' : start[0];
    FillDriveList(RebuildDriveList(ini, "C"));

    state_->fileListMask = FilterComboBox1->currentData().toString().toStdString();
    if (!SetDrive(state_->currentDrive) || !SetDirectory(start)) {
        state_->currentDrive = 'C';
        start = "C:\\";
        SetDrive('C');
        SetDirectory(start);
    }

    state_->currentDirectory =
        DirectoryListBox1->directory().empty() ? start : DirectoryListBox1->directory();
    PointFileList(*state_, *this);
    ModeRBNormalClick();
    UpdateOptionsMenu();
    RunDeleteDupes1->setEnabled(true);
    RestoreBackupFiles1->setEnabled(false);
    MoveBackupFiles2->setEnabled(false);
    DeleteBackupFiles1->setEnabled(false);
    DeleteNetworkDupes2->setEnabled(false);
}

// ----------------------------------------------------------------- helpers

bool TForm1::HasMarker(const QAction* item) {
    return item->property("marked").toBool();
}

void TForm1::SetMarker(QAction* item, bool on) {
    item->setProperty("marked", on);
    item->setIcon(on ? MarkerIcon() : QIcon());
}

void TForm1::UpdateOptionsMenu() {
    const OptionsMenuMarks marks = OptionsMenuState(*state_);
    SetMarker(Sort1, marks.sortOnMarker);
    SetMarker(SortOFF1, marks.sortOffMarker);
    SetMarker(SaveIndexasCSV, marks.csvMarker);
    SetMarker(SaveIndexasTAB, marks.tabMarker);
    SaveIndexasCSV->setChecked(marks.csvChecked);
}

std::vector<int> TForm1::SelectedRows(QListWidget* list) const {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected())
            rows.push_back(i);
    return rows;
}

QListWidget* TForm1::ListWidget(ListId list) const {
    switch (list) {
        case ListId::FileListBox1:
            return FileListBox1;
        case ListId::ListBox1:
            return ListBox1;
        case ListId::ListBox2:
            return ListBox2;
        case ListId::ListBox3:
            return ListBox3;
    }
    return ListBox1;
}

void TForm1::SyncHighlight(ListId list) {
    if (fillingLists_)
        return;
    QListWidget* w = ListWidget(list);
    const auto rows = SelectedRows(w);
    const int row = rows.empty() ? -1 : rows.front();
    if (list == ListId::ListBox1)
        state_->ListBox1.highlighted = row;
    else if (list == ListId::ListBox3)
        state_->ListBox3.highlighted = row;
}

void TForm1::FillDriveList(const std::vector<std::string>& drives) {
    fillingLists_ = true;
    FillList(DriveListBox, drives);
    fillingLists_ = false;
}

// The program entering a drive or directory makes its drive the current
// drive letter, so that the change event that follows stays on it.
bool TForm1::SetDrive(char letter) {
    const char before = state_->currentDrive;
    state_->currentDrive = letter;
    if (DirectoryListBox1->setDrive(letter))
        return true;
    state_->currentDrive = before;
    return false;
}

bool TForm1::SetDirectory(const std::string& path) {
    if (path.size() < 2 || path[1] != ':')
        return false;
    const char before = state_->currentDrive;
    state_->currentDrive = path[0];
    if (DirectoryListBox1->setDirectory(path))
        return true;
    state_->currentDrive = before;
    return false;
}

void TForm1::OnDirectoryChanged() {
    DriveComboBox1Change();
}

// While a long command runs every other command is disabled; only Abort
// (and leaving the program, which asks the run to stop) stays live.
void TForm1::RunCommand(const std::function<void()>& command) {
    if (state_->busy)
        return;
    pumps_ = 0;
    lastPump_ = std::numeric_limits<std::int64_t>::min() / 2;
    lastRepaint_ = Now();
    {
        BusyScope busy(*state_);
        SetCommandsEnabled(false);
        command();
    }
    FlushDisplay();
    SetCommandsEnabled(true);
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

void TForm1::SetCommandsEnabled(bool enabled) {
    std::map<QObject*, bool>& saved = enabledBeforeCommand_;
    const QList<QWidget*> widgets{RGMode1,           DriveListBox, DirectoryListBox1, FileListBox1,
                                  ListBox2,          BtnMoveFile,  BtnMoveAllFiles,   BtnUnMoveFile,
                                  BtnUnMoveAllFiles, RunButton,    BtnGetStats,       RestoreButton,
                                  MoveButton,        DeleteButton, RunNetButton,      FileNames};
    QList<QAction*> actions;
    for (QMenu* m : {FileMenu, OptionsMenu, RunMenu, HelpMenu})
        for (QAction* a : m->actions())
            if (!a->isSeparator() && a != Exit1 && a != Contents1 && a != Index1)
                actions << a;
    if (!enabled) {
        saved.clear();
        for (QWidget* w : widgets) {
            saved[w] = w->isEnabled();
            w->setEnabled(false);
        }
        for (QAction* a : actions) {
            saved[a] = a->isEnabled();
            a->setEnabled(false);
        }
        AbortButton->setEnabled(true);
        return;
    }
    for (QWidget* w : widgets)
        w->setEnabled(saved.count(w) ? saved[w] : true);
    for (QAction* a : actions)
        a->setEnabled(saved.count(a) ? saved[a] : true);
    saved.clear();
}

// ------------------------------------------------------------------- modes

void TForm1::RGMode1Change() {
    const int index = RGMode1->itemIndex();
    if (index == 0)
        ModeRBNormalClick();
    if (index == 1)
        ModeRBBackupClick();
    if (index == 2)
        ModeRBNetworkClick();
}

void TForm1::SetModeControls(int mode) {
    FilterComboBox1->setCurrentIndex(mode == kBackupMode ? 1 : 0);
    RGMode1->setItemIndex(mode);
    SetMarker(NormalMode, mode == kNormalMode);
    SetMarker(BackupMode, mode == kBackupMode);
    SetMarker(NetworkMode, mode == kNetworkMode);
    RunButton->setVisible(mode == kNormalMode);
    BtnGetStats->setVisible(mode != kNetworkMode);
    RestoreButton->setVisible(mode == kBackupMode);
    MoveButton->setVisible(mode == kBackupMode);
    DeleteButton->setVisible(mode == kBackupMode);
    RunNetButton->setVisible(mode == kNetworkMode);
    FileNames->setVisible(mode != kNetworkMode);
    if (mode == kNetworkMode)
        QCoreApplication::processEvents();
    RunDeleteDupes1->setEnabled(mode == kNormalMode);
    RestoreBackupFiles1->setEnabled(mode == kBackupMode);
    MoveBackupFiles2->setEnabled(mode == kBackupMode);
    DeleteBackupFiles1->setEnabled(mode == kBackupMode);
    DeleteNetworkDupes2->setEnabled(mode == kNetworkMode);
    LblFileList->setText(mode == kNormalMode   ? QStringLiteral("*.PMI Files")
                         : mode == kBackupMode ? QStringLiteral("*.BKI Files")
                                               : QStringLiteral("User Directories"));
    LblFileList->setBuddy(mode == kNetworkMode ? static_cast<QWidget*>(ListBox2) : FileListBox1);
    LblSelList->setText(mode == kNetworkMode ? QStringLiteral("Selected Directories")
                                             : QStringLiteral("Selected Files"));
    LblSelList->setBuddy(mode == kNetworkMode ? static_cast<QWidget*>(ListBox3) : ListBox1);
    ApplyModeLists(*state_, *this, mode);
}

void TForm1::ModeRBNormalClick() {
    SetModeControls(kNormalMode);
}

void TForm1::ModeRBBackupClick() {
    SetModeControls(kBackupMode);
}

void TForm1::ModeRBNetworkClick() {
    SetModeControls(kNetworkMode);
}

// New brings the whole window back to Normal Mode (buttons, menu items,
// lists and captions too), and clears the status lines and meters.
void TForm1::NewExecute() {
    SetModeControls(kNormalMode);
    NewLists(*state_, *this);
}

// --------------------------------------------------------------- selection

void TForm1::DriveComboBox1Change() {
    for (int i = 0; i < DriveListBox->count(); ++i)
        if (DriveListBox->item(i)->isSelected()) {
            const QString text = DriveListBox->item(i)->text();
            if (!text.isEmpty())
                state_->currentDrive = text.at(0).toLatin1();
            break;
        }
    if (static_cast<unsigned char>(state_->currentDrive) < 'A')
        state_->currentDrive = 'C';
    if (!DirectoryListBox1->setDrive(state_->currentDrive)) {
        Dialogs::Error(this,
                       Format("Drive %c: cannot be entered.",
                              std::toupper(static_cast<unsigned char>(state_->currentDrive))));
        return;
    }
    state_->currentDirectory = DirectoryListBox1->directory();
    PointFileList(*state_, *this);
    const IniFile ini(state_->settingsFile);
    if (auto error = ini.WriteString(kStartupSection, "Path", state_->currentDirectory)) {
        Dialogs::Error(this, error->message);
        return;
    }
    ShowDirectoryLists(*state_, *this);
}

void TForm1::FileListBox1Click() {
    kestrove::FileListBox1Click(*state_, *this, SelectedRows(FileListBox1));
}

void TForm1::FileListBox1DblClick() {
    if (!Busy())
        BtnMoveFileClick();
}

void TForm1::BtnMoveFileClick() {
    const bool network = state_->mode >= kNetworkMode;
    kestrove::BtnMoveFileClick(*state_, *this, SelectedRows(network ? ListBox2 : FileListBox1));
}

void TForm1::BtnMoveAllFilesClick() {
    QListWidget* list = state_->mode >= kNetworkMode ? ListBox2 : FileListBox1;
    fillingLists_ = true;
    list->selectAll();
    fillingLists_ = false;
    BtnMoveFileClick();
    fillingLists_ = true;
    list->clearSelection();
    fillingLists_ = false;
}

void TForm1::BtnUnMoveFile2Click() {
    kestrove::BtnUnMoveFile2Click(*state_, *this);
}

void TForm1::BtnUnMoveAllFilesClick() {
    kestrove::BtnUnMoveAllFilesClick(*state_, *this);
}

// ---------------------------------------------------------------- commands

void TForm1::ListBox1DblClick() {
    if (Busy() || !viewer_)
        return;
    viewer_->View(*this);
}

void TForm1::RunDeleteDupes1Click() {
    RunCommand([this] { kestrove::RunDeleteDupes1Click(*state_, *this); });
}

void TForm1::RunNetButtonClick() {
    RunCommand([this] { kestrove::RunNetButtonClick(*state_, *this); });
}

void TForm1::BtnGetStatsClick() {
    if (!stats_)
        return;
    RunCommand([this] { stats_->GetStats(*this); });
}

void TForm1::RestoreButtonClick() {
    RunCommand([this] { kestrove::RestoreButtonClick(*state_, *this); });
}

void TForm1::MoveButtonClick() {
    RunCommand([this] { kestrove::MoveButtonClick(*state_, *this); });
}

void TForm1::DeleteButtonClick() {
    RunCommand([this] { kestrove::DeleteButtonClick(*state_, *this); });
}

void TForm1::FileNamesClick() {
    if (Busy() || !folders_)
        return;
    folders_->FileNamesClick(*this);
}

void TForm1::Stop() {
    kestrove::Stop(*state_, *this);
}

void TForm1::SaveIndexFile1Click() {
    RunCommand([this] { kestrove::SaveIndexFile1Click(*state_, *this); });
}

void TForm1::SaveLogFile1Click() {
    if (!Busy())
        kestrove::SaveLogFile1Click(*state_, *this);
}

void TForm1::SortONExecute() {
    kestrove::SortONExecute(*state_);
    UpdateOptionsMenu();
}

void TForm1::SortOFFExecute() {
    kestrove::SortOFFExecute(*state_);
    UpdateOptionsMenu();
}

void TForm1::SaveIndexasCSVClick() {
    kestrove::SaveIndexasCSVClick(*state_);
    UpdateOptionsMenu();
}

void TForm1::SaveIndexasTABClick() {
    kestrove::SaveIndexasTABClick(*state_);
    UpdateOptionsMenu();
}

void TForm1::SetDrivesExecute() {
    if (drives_ && !Busy())
        Dialogs::Exec(drives_);
}

void TForm1::SetOptionsExecute() {
    if (options_ && !Busy())
        Dialogs::Exec(options_);
}

void TForm1::HelpContents1Execute() {
    help_->ShowContents();
}

void TForm1::HelpIndexExecute() {
    help_->ShowIndex();
}

void TForm1::About1Click() {
    if (about_ && !Busy())
        Dialogs::Exec(about_);
}

void TForm1::FileExit1Execute() {
    help_->close();
    close();
}

// A close during a run asks the run to stop and closes once it has returned.
void TForm1::closeEvent(QCloseEvent* event) {
    if (state_->busy) {
        state_->AbortRequested = true;
        closePending_ = true;
        event->ignore();
        return;
    }
    help_->close();
    event->accept();
}

// -------------------------------------------------------------- WindowPort

Answer TForm1::MessageDialog(const std::string& text, const std::string& title, Icon icon,
                             Buttons buttons) {
    FlushDisplay();
    return Dialogs::Message(this, text, title, icon, buttons);
}

void TForm1::FlushDisplay() {
    const std::array<StatusText*, 3> lines{LabelInfoMsg1, LabelInfoMsg2, LabelInfoMsg3};
    for (std::size_t i = 0; i < 3; ++i) {
        PendingText& p = pendingStatus_[i];
        if (!p.dirty)
            continue;
        p.dirty = false;
        lines[i]->setText(ToQt(p.text));
    }
    const std::array<MeterBar*, 3> meters{ProgressBarF, ProgressBarM, ProgressBar1};
    for (std::size_t i = 0; i < 3; ++i)
        if (meterDirty_[i]) {
            meterDirty_[i] = false;
            meters[i]->setValue(pendingMeter_[i]);
        }
}

void TForm1::SetStatus(StatusLine line, const std::string& text, bool redraw) {
    PendingText& p = pendingStatus_[static_cast<std::size_t>(StatusIndex(line))];
    p.text = text;
    p.dirty = true;
    if (!state_->busy) {
        FlushDisplay();
        return;
    }
    // The clock is read for every eighth redraw only: they come per record.
    if (!redraw || (++redraws_ & 7) != 0 || !RepaintDue())
        return;
    FlushDisplay();
    // At once, without handling other events.
    const std::array<StatusText*, 3> lines{LabelInfoMsg1, LabelInfoMsg2, LabelInfoMsg3};
    lines[static_cast<std::size_t>(StatusIndex(line))]->repaint();
}

void TForm1::SetCountLabel(CountLabel label, const std::string& text) {
    (label == CountLabel::LblNumFiles ? LblNumFiles : LblNumSelFiles)->setText(ToQt(text));
}

void TForm1::SetMeter(kestrove::Meter meter, int percent) {
    const auto i = static_cast<std::size_t>(MeterIndex(meter));
    pendingMeter_[i] = percent;
    meterDirty_[i] = true;
    if (!state_->busy) {
        FlushDisplay();
        return;
    }
    // Nothing pumps while one long text is copied, and its Characters meter
    // moves about 100 times: it is shown from here, within the throttle. (A
    // meter repaints itself at once when its value shows a change.)
    if (RepaintDue())
        FlushDisplay();
}

void TForm1::ShowMeter(kestrove::Meter meter, bool visible) {
    const std::array<MeterBar*, 3> meters{ProgressBarF, ProgressBarM, ProgressBar1};
    FlushDisplay();
    meters[static_cast<std::size_t>(MeterIndex(meter))]->setVisible(visible);
}

void TForm1::ShowAbort(bool visible) {
    AbortButton->setVisible(visible);
}

void TForm1::ListChanged(ListId list) {
    fillingLists_ = true;
    switch (list) {
        case ListId::FileListBox1:
            FillList(FileListBox1, state_->FileListBox1);
            break;
        case ListId::ListBox2:
            FillList(ListBox2, state_->ListBox2);
            break;
        case ListId::ListBox1:
        case ListId::ListBox3: {
            const SortedList& s = list == ListId::ListBox1 ? state_->ListBox1 : state_->ListBox3;
            QListWidget* w = ListWidget(list);
            FillList(w, s.entries());
            if (s.highlighted >= 0 && s.highlighted < w->count())
                w->setCurrentRow(s.highlighted);
            break;
        }
    }
    fillingLists_ = false;
}

void TForm1::HighlightEntry(ListId list, int index) {
    QListWidget* w = ListWidget(list);
    fillingLists_ = true;
    if (index >= 0 && index < w->count()) {
        w->setCurrentRow(index);
        w->scrollToItem(w->item(index));
    } else {
        w->clearSelection();
    }
    fillingLists_ = false;
    if (list == ListId::ListBox1)
        state_->ListBox1.highlighted = index;
    else if (list == ListId::ListBox3)
        state_->ListBox3.highlighted = index;
}

void TForm1::ShowList(ListId list, bool visible) {
    ListWidget(list)->setVisible(visible);
}

// The network run shows the selected user directories above the folder list
// of the directory in hand.
void TForm1::SplitSelectedLists() {
    ListBox3->setVisible(true);
    ListBox1->setVisible(true);
}

void TForm1::RestoreSelectedLists() {
    ListBox3->setVisible(true);
    ListBox1->setVisible(false);
}

std::int64_t TForm1::Now() const {
    return clock_ ? clock_() : NowMs();
}

bool TForm1::RepaintDue() {
    const std::int64_t now = Now();
    if (now - lastRepaint_ < kRepaintIntervalMs)
        return false;
    lastRepaint_ = now;
    return true;
}

void TForm1::ProcessEvents() {
    ++pumps_;
    if (pumpHook_)
        pumpHook_(pumps_);
    // A pump comes per message. The first of a command handles events and
    // repaints at once; later ones when the clock, read at every pump, says
    // the interval has passed, so Abort never waits for a count of messages.
    const std::int64_t now = Now();
    if (now - lastPump_ < kRepaintIntervalMs)
        return;
    lastPump_ = now;
    lastRepaint_ = now;
    FlushDisplay();
    QCoreApplication::processEvents();
}

std::optional<std::string> TForm1::ChooseSaveFile(std::string_view) {
    return Dialogs::SaveFile(this, QStringLiteral("Save Log File"),
                             QStringLiteral("Log Files (*.log);;All Files (*)"));
}

std::optional<std::string> TForm1::ChooseDirectory(const std::string& start) {
    return moveDlg->Choose(start);
}

}  // namespace kestrove
