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

#include "app/DirectoryNavigation.h"
#include "app/Selection.h"
#include "backup/Backup.h"
#include "core/BusyScope.h"
#include "core/Format.h"
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
    : QMainWindow(parent), MainWindowCommands(std::move(settingsFile)) {
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

    // Bindings: what a click means is the engine's table's, read at the
    // click, so a mode or a running command changes it.
    connect(RGMode1, &RadioGroup::clicked, this, [this] { RGMode1Change(); });
    connect(driveList, &QListWidget::itemClicked, this,
            [this] { Perform(ModeControlsFor(*state_).DriveListBox.click); });
    connect(driveList, &QListWidget::itemSelectionChanged, this, [this, driveList] {
        if (!fillingLists_ && !driveList->inMousePress() && driveList->hasFocus())
            Perform(ModeControlsFor(*state_).DriveListBox.click);
    });
    connect(DirectoryListBox1, &DirectoryTree::directoryChanged, this,
            [this] { OnDirectoryChanged(); });
    connect(FileListBox1, &QListWidget::itemClicked, this,
            [this] { Perform(ModeControlsFor(*state_).FileListBox1.click); });
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fillingLists_ && !FileListBox1->inMousePress() && FileListBox1->hasFocus())
            Perform(ModeControlsFor(*state_).FileListBox1.click);
    });
    // From the keys, Enter stands for the double click.
    for (const auto& [list, field] : {std::pair<ListBox*, ListControl ModeControls::*>{
                                          FileListBox1, &ModeControls::FileListBox1},
                                      {ListBox2, &ModeControls::ListBox2},
                                      {ListBox1, &ModeControls::ListBox1},
                                      {ListBox3, &ModeControls::ListBox3}}) {
        auto doubleClick = [this, field] {
            Perform((ModeControlsFor(*state_).*field).doubleClick);
        };
        connect(list, &QListWidget::itemDoubleClicked, this, doubleClick);
        connect(list, &ListBox::enterPressed, this, doubleClick);
    }
    connect(ListBox2, &QListWidget::itemClicked, this,
            [this] { Perform(ModeControlsFor(*state_).ListBox2.click); });
    // A user directory is added by its click; from the keys, Enter adds it.
    connect(ListBox2, &ListBox::enterPressed, this,
            [this] { Perform(ModeControlsFor(*state_).ListBox2.click); });
    connect(ListBox1, &QListWidget::itemSelectionChanged, this,
            [this] { SyncHighlight(ListId::ListBox1); });
    connect(ListBox3, &QListWidget::itemSelectionChanged, this,
            [this] { SyncHighlight(ListId::ListBox3); });
    for (const auto& [name, field] : kButtonFields)
        connect(findChild<QPushButton*>(ToQt(name)), &QPushButton::clicked, this,
                [this, field] { Perform((ModeControlsFor(*state_).*field).click); });

    resize(1000, 660);
    // Centred on the desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setAccessibleName(QStringLiteral("Menu"));
    // Each item does what the engine's table says it means at the moment.
    auto item = [this](QMenu* menu, QAction*& member, const char* name, const char* action,
                       const QString& caption, MenuControl ModeControls::*field) {
        member = menu->addAction(caption);
        member->setObjectName(QString::fromLatin1(name));
        member->setProperty("action", QString::fromLatin1(action));
        member->setIconVisibleInMenu(true);
        connect(member, &QAction::triggered, this,
                [this, field] { Perform((ModeControlsFor(*state_).*field).choose); });
    };
    FileMenu = bar->addMenu(QStringLiteral("&File"));
    FileMenu->setObjectName(QStringLiteral("File1"));
    item(FileMenu, ClearNew, "ClearNew", "New", QStringLiteral("New"), &ModeControls::ClearNew);
    FileMenu->addSeparator();
    item(FileMenu, NormalMode, "NormalMode", "Normal", QStringLiteral("Normal Mode"),
         &ModeControls::NormalMode);
    item(FileMenu, BackupMode, "BackupMode", "Backup", QStringLiteral("Backup Mode"),
         &ModeControls::BackupMode);
    item(FileMenu, NetworkMode, "NetworkMode", "Network", QStringLiteral("Network Mode"),
         &ModeControls::NetworkMode);
    FileMenu->addSeparator();
    item(FileMenu, SaveIndexFile1, "SaveIndexFile1", "SaveIndex", QStringLiteral("SaveIndex"),
         &ModeControls::SaveIndexFile1);
    item(FileMenu, SaveLogFile1, "SaveLogFile1", "SaveLogFile", QStringLiteral("Save Log File"),
         &ModeControls::SaveLogFile1);
    FileMenu->addSeparator();
    item(FileMenu, Exit1, "Exit1", "FileExit1", QStringLiteral("E&xit"), &ModeControls::Exit1);

    OptionsMenu = bar->addMenu(QStringLiteral("&Options"));
    OptionsMenu->setObjectName(QStringLiteral("Options1"));
    item(OptionsMenu, Sort1, "Sort1", "SortON", QStringLiteral("Sort ON "), &ModeControls::Sort1);
    item(OptionsMenu, SortOFF1, "SortOFF1", "SortOFF", QStringLiteral("Sort OFF"),
         &ModeControls::SortOFF1);
    OptionsMenu->addSeparator();
    item(OptionsMenu, SaveIndexasCSV, "SaveIndexasCSV", "SaveAsCSV",
         QStringLiteral("Save Index As CSV"), &ModeControls::SaveIndexasCSV);
    SaveIndexasCSV->setCheckable(true);
    item(OptionsMenu, SaveIndexasTAB, "SaveIndexasTAB", "SaveAsTAB",
         QStringLiteral("Save Index as TAB"), &ModeControls::SaveIndexasTAB);
    OptionsMenu->addSeparator();
    item(OptionsMenu, N5, "N5", "SetDrives", QStringLiteral("Set Drives"), &ModeControls::N5);
    item(OptionsMenu, SetOptions1, "SetOptions1", "SetOptions", QStringLiteral("Set Options"),
         &ModeControls::SetOptions1);

    RunMenu = bar->addMenu(QStringLiteral("&Run"));
    RunMenu->setObjectName(QStringLiteral("Run1"));
    item(RunMenu, RunDeleteDupes1, "RunDeleteDupes1", "DeleteDupes",
         QStringLiteral("Run Delete Dupes"), &ModeControls::RunDeleteDupes1);
    item(RunMenu, GetStats1, "GetStats1", "GetStats", QStringLiteral("GetStats"),
         &ModeControls::GetStats1);
    item(RunMenu, RestoreBackupFiles1, "RestoreBackupFiles1", "RestoreBkUp",
         QStringLiteral("Restore Backup Files"), &ModeControls::RestoreBackupFiles1);
    item(RunMenu, MoveBackupFiles2, "MoveBackupFiles2", "MoveBkUp",
         QStringLiteral("Move Backup Files"), &ModeControls::MoveBackupFiles2);
    item(RunMenu, DeleteBackupFiles1, "DeleteBackupFiles1", "DelBkUp",
         QStringLiteral("Delete Backup Files"), &ModeControls::DeleteBackupFiles1);
    item(RunMenu, DeleteNetworkDupes2, "DeleteNetworkDupes2", "NetworkUnDup",
         QStringLiteral("Delete Network Dupes"), &ModeControls::DeleteNetworkDupes2);

    HelpMenu = bar->addMenu(QStringLiteral("&Help"));
    HelpMenu->setObjectName(QStringLiteral("Help1"));
    item(HelpMenu, Contents1, "Contents1", "HelpContents1", QStringLiteral("&Contents"),
         &ModeControls::Contents1);
    item(HelpMenu, Index1, "Index1", "HelpIndex", QStringLiteral("&Index"), &ModeControls::Index1);
    item(HelpMenu, About1, "About1", "", QStringLiteral("About"), &ModeControls::About1);
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
    StartUp();
}

// ----------------------------------------------------------------- helpers

bool TForm1::HasMarker(const QAction* item) {
    return item->property("marked").toBool();
}

void TForm1::SetMarker(QAction* item, bool on) {
    item->setProperty("marked", on);
    item->setIcon(on ? MarkerIcon() : QIcon());
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

std::string TForm1::TreeDirectory() const {
    return DirectoryListBox1->directory();
}

void TForm1::OnDirectoryChanged() {
    DriveComboBox1Change();
}

// ------------------------------------------------------------------- modes

void TForm1::ShowModeControls(const ModeControls& controls, bool layout) {
    if (layout) {
        FilterComboBox1->setCurrentIndex(FilterComboBox1->findData(QString::fromLatin1(
            controls.fileMask.data(), static_cast<qsizetype>(controls.fileMask.size()))));
        RGMode1->setItemIndex(controls.mode);
    }
    for (const auto& [name, field] : kButtonFields) {
        auto* button = findChild<QPushButton*>(ToQt(name));
        const ButtonControl& b = controls.*field;
        button->setEnabled(b.state.enabled);
        // The commands show and hide Abort themselves.
        if (layout && button != AbortButton)
            button->setVisible(b.state.visible);
    }
    for (const auto& [name, field] : kMenuFields) {
        auto* action = findChild<QAction*>(ToQt(name));
        const MenuControl& m = controls.*field;
        action->setEnabled(m.enabled);
        SetMarker(action, m.marker);
    }
    SaveIndexasCSV->setChecked(controls.SaveIndexasCSVChecked);
    RGMode1->setEnabled(controls.RGMode1.enabled);
    DriveListBox->setEnabled(controls.DriveListBox.state.enabled);
    DirectoryListBox1->setEnabled(controls.DirectoryListBox1.enabled);
    FileListBox1->setEnabled(controls.FileListBox1.state.enabled);
    ListBox2->setEnabled(controls.ListBox2.state.enabled);
    ListBox1->setEnabled(controls.ListBox1.state.enabled);
    ListBox3->setEnabled(controls.ListBox3.state.enabled);
    if (!layout)
        return;
    LblFileList->setText(ToQt(controls.LblFileList));
    LblFileList->setBuddy(ListWidget(controls.availableList));
    LblSelList->setText(ToQt(controls.LblSelList));
    LblSelList->setBuddy(ListWidget(controls.selectedList));
}

int TForm1::ModeItemIndex() const {
    return RGMode1->itemIndex();
}

std::vector<int> TForm1::SelectedRows(ListId list) const {
    return SelectedRows(ListWidget(list));
}

void TForm1::HandlePendingEvents() {
    QCoreApplication::processEvents();
}

void TForm1::OpenWindow(Window window) {
    switch (window) {
        case Window::About:
            if (about_)
                Dialogs::Exec(about_);
            return;
        case Window::Viewer:
            if (viewer_)
                viewer_->View(*this);
            return;
        case Window::SetDrives:
            if (drives_)
                Dialogs::Exec(drives_);
            return;
        case Window::SetOptions:
            if (options_)
                Dialogs::Exec(options_);
            return;
        case Window::FolderNames:
            if (folders_)
                folders_->FileNamesClick(*this);
            return;
        case Window::Statistics:
            if (stats_)
                stats_->GetStats(*this);
            return;
    }
}

void TForm1::ShowHelp(bool index) {
    if (index)
        help_->ShowIndex();
    else
        help_->ShowContents();
}

void TForm1::CommandStarts() {
    pumps_ = 0;
    lastPump_ = std::numeric_limits<std::int64_t>::min() / 2;
    lastRepaint_ = Now();
}

void TForm1::CloseWindow() {
    close();
}

// --------------------------------------------------------------- selection

void TForm1::DriveComboBox1Change() {
    std::optional<std::string> chosen;
    for (int i = 0; i < DriveListBox->count(); ++i)
        if (DriveListBox->item(i)->isSelected()) {
            chosen = FromQt(DriveListBox->item(i)->text());
            break;
        }
    const char drive = ChooseDrive(*state_, chosen);
    if (!DirectoryListBox1->setDrive(drive)) {
        MessageDialog(DriveNotReadyText(drive), kProgramTitle, Icon::Stop, Buttons::Ok);
        return;
    }
    EnterDirectory(*state_, *this, DirectoryListBox1->directory());
}

// ---------------------------------------------------------------- commands

void TForm1::FileExit1Execute() {
    help_->close();
    close();
}

// A close during a run asks the run to stop and closes once it has returned.
void TForm1::closeEvent(QCloseEvent* event) {
    if (!MayClose()) {
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
