#include "qt/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/MainWindowTable.h"
#include "qt/Accessible.h"
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

namespace kestrove {

namespace {

// Status lines and meters reach the screen at most this often while a
// command runs. A Qt repaint is cheap, so a run can be followed smoothly:
// about 30 frames a second.
constexpr std::int64_t kRepaintIntervalMs = 30;

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

// A button of the engine's table, by its name.
QPushButton* MakeButton(QWidget* parent, std::string_view name) {
    const ButtonSpec& tableRow = *FindButton(name);
    auto* b = new QPushButton(ToQt(tableRow.caption), parent);
    b->setObjectName(ToQt(tableRow.name));
    b->setToolTip(ToQt(tableRow.hint));
    b->setAccessibleName(ToQt(tableRow.Name()));
    b->setAccessibleDescription(ToQt(tableRow.hint));
    return b;
}

QLabel* MakeLabel(QWidget* parent, std::string_view name, std::string_view text) {
    auto* l = new QLabel(ToQt(text), parent);
    l->setObjectName(ToQt(name));
    return l;
}

std::size_t Index(StatusLine line) {
    return static_cast<std::size_t>(line);
}

std::size_t Index(kestrove::Meter meter) {
    return static_cast<std::size_t>(meter);
}

}  // namespace

TForm1::TForm1(std::string settingsFile, QWidget* parent)
    : QMainWindow(parent), MainWindowCommands(std::move(settingsFile), kRepaintIntervalMs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ToQt(kMainWindowCaption));
    BuildControls();
    BuildMenus();
    BuildTabOrder();
    Construct();
}

TForm1::~TForm1() {
    delete FilterComboBox1;
}

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
    Label3 = MakeLabel(central, kLabels[0].name, kLabels[0].caption);
    RGMode1 = new RadioGroup(
        QString(), {ToQt(kModeItems[0]), ToQt(kModeItems[1]), ToQt(kModeItems[2])}, central);
    RGMode1->setObjectName(QStringLiteral("RGMode1"));
    RGMode1->setAccessibleName(QStringLiteral("Mode"));
    RGMode1->setItemIndex(0);
    SetGroupBuddy(Label3, RGMode1);
    Label1 = MakeLabel(central, kLabels[1].name, kLabels[1].caption);
    auto* driveList = new ListBox(central);
    DriveListBox = driveList;
    DriveListBox->setObjectName(QStringLiteral("DriveListBox"));
    DriveListBox->setAccessibleName(QStringLiteral("Drive"));
    DriveListBox->setSelectionMode(QAbstractItemView::SingleSelection);
    DriveListBox->setMaximumHeight(90);
    Label1->setBuddy(DriveListBox);
    Label2 = MakeLabel(central, kLabels[2].name, kLabels[2].caption);
    DirectoryListBox1 = new DirectoryTree(central);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setAccessibleName(QStringLiteral("Directory"));
    Label2->setBuddy(DirectoryListBox1);
    // Outside the window, so that it is out of assistive technology's view
    // too (its list's entries would say they show).
    FilterComboBox1 = new QComboBox();
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
    LblFileList = MakeLabel(central, "LblFileList", ModeControlsFor(*state_).LblFileList);
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
    LblNumFiles = MakeLabel(central, "LblNumFiles", "0 Files");
    middle->addWidget(LblFileList);
    middle->addWidget(FileListBox1, 1);
    middle->addWidget(ListBox2, 1);
    middle->addWidget(LblNumFiles);
    columns->addLayout(middle, 3);

    // The four arrows.
    auto* arrows = new QVBoxLayout();
    arrows->addStretch(1);
    BtnMoveFile = MakeButton(central, "BtnMoveFile");
    BtnMoveAllFiles = MakeButton(central, "BtnMoveAllFiles");
    BtnUnMoveFile = MakeButton(central, "BtnUnMoveFile");
    BtnUnMoveAllFiles = MakeButton(central, "BtnUnMoveAllFiles");
    for (auto* b : {BtnMoveFile, BtnMoveAllFiles, BtnUnMoveFile, BtnUnMoveAllFiles}) {
        b->setFixedWidth(44);
        arrows->addWidget(b);
    }
    arrows->addStretch(1);
    columns->addLayout(arrows);

    // Right: the command buttons above the selected list.
    auto* right = new QVBoxLayout();
    auto* commands = new QVBoxLayout();
    RunButton = MakeButton(central, "RunButton");
    BtnGetStats = MakeButton(central, "BtnGetStats");
    RestoreButton = MakeButton(central, "RestoreButton");
    MoveButton = MakeButton(central, "MoveButton");
    DeleteButton = MakeButton(central, "DeleteButton");
    RunNetButton = MakeButton(central, "RunNetButton");
    FileNames = MakeButton(central, "FileNames");
    AbortButton = MakeButton(central, "AbortButton");
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
    LblSelList = MakeLabel(central, "LblSelList", ModeControlsFor(*state_).LblSelList);
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
    LblNumSelFiles = MakeLabel(central, "LblNumSelFiles", "0 Files Selected");
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
    MakeGroupPanel(Panel1, QStringLiteral("Progress"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setFrameShadow(QFrame::Sunken);
    auto* panel = new QGridLayout(Panel1);
    panel->setContentsMargins(8, 4, 8, 4);
    panel->setVerticalSpacing(2);
    const char* lineNames[3] = {"LabelInfoMsg1", "LabelInfoMsg2", "LabelInfoMsg3"};
    const char* meterNames[3] = {"ProgressBarF", "ProgressBarM", "ProgressBar1"};
    for (int i = 0; i < 3; ++i) {
        const auto n = static_cast<std::size_t>(i);
        lines_[n] = new StatusText(i + 1, ToQt(kStatusDesignTexts[n]), Panel1);
        lines_[n]->setObjectName(QString::fromLatin1(lineNames[n]));
        meters_[n] = new MeterBar(ToQt(kMeterCaptions[n]), Panel1);
        meters_[n]->setObjectName(QString::fromLatin1(meterNames[n]));
        panel->addWidget(lines_[n], i, 0);
        MeterBar* m = meters_[n];
        QSizePolicy sp = m->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        m->setSizePolicy(sp);
        m->setMinimumWidth(260);
        m->setVisible(false);
        panel->addWidget(m, i, 1);
    }
    LabelInfoMsg1 = lines_[0];
    LabelInfoMsg2 = lines_[1];
    LabelInfoMsg3 = lines_[2];
    ProgressBarF = meters_[0];
    ProgressBarM = meters_[1];
    ProgressBar1 = meters_[2];
    panel->setColumnStretch(0, 3);
    panel->setColumnStretch(1, 1);
    outer->addWidget(Panel1);

    moveDlg = new MoveDlg(this);

    // Bindings: what a click means is the engine's table's, read at the
    // click, so a mode or a running command changes it.
    connect(RGMode1, &RadioGroup::clicked, this, [this] { RGMode1Change(); });
    connect(driveList, &QListWidget::itemClicked, this,
            [this] { Perform(ModeControlsFor(*state_).DriveListBox.click); });
    // A selection by the keys or by assistive technology is a choice too:
    // the drive chosen is entered at once, never at a later change.
    connect(driveList, &QListWidget::itemSelectionChanged, this, [this, driveList] {
        if (!fillingLists_ && !driveList->inMousePress())
            Perform(ModeControlsFor(*state_).DriveListBox.click);
    });
    // The tree's change event, whoever changed its directory.
    connect(DirectoryListBox1, &DirectoryTree::directoryChanged, this,
            [this] { DriveComboBox1Change(); });
    connect(DirectoryListBox1, &DirectoryTree::reentered, this,
            [this] { EnterTreeEntry(TreeDirectory()); });
    connect(FileListBox1, &QListWidget::itemClicked, this,
            [this] { Perform(ModeControlsFor(*state_).FileListBox1.click); });
    connect(FileListBox1, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fillingLists_ && !FileListBox1->inMousePress())
            Perform(ModeControlsFor(*state_).FileListBox1.click);
    });
    // The double click and Enter mean what the table says, in each list.
    for (const auto& [list, field] : {std::pair<ListBox*, ListControl ModeControls::*>{
                                          FileListBox1, &ModeControls::FileListBox1},
                                      {ListBox2, &ModeControls::ListBox2},
                                      {ListBox1, &ModeControls::ListBox1},
                                      {ListBox3, &ModeControls::ListBox3}}) {
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, field] { Perform((ModeControlsFor(*state_).*field).doubleClick); });
        connect(list, &ListBox::enterPressed, this,
                [this, field] { Perform((ModeControlsFor(*state_).*field).enter); });
    }
    connect(ListBox2, &QListWidget::itemClicked, this,
            [this] { Perform(ModeControlsFor(*state_).ListBox2.click); });
    // Assistive technology selects an entry without making it current (the
    // keys select the entry they make current): that selection is its click.
    connect(ListBox2->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& added) {
                if (fillingLists_ || ListBox2->inMousePress())
                    return;
                for (const QModelIndex& index : added.indexes())
                    if (index != ListBox2->currentIndex()) {
                        Perform(ModeControlsFor(*state_).ListBox2.click);
                        return;
                    }
            });
    for (ListId list : {ListId::ListBox1, ListId::ListBox3})
        connect(ListWidget(list), &QListWidget::itemSelectionChanged, this, [this, list] {
            if (!fillingLists_)
                HighlightMoved(list);
        });
    for (const ButtonSpec& b : kButtons)
        connect(findChild<QPushButton*>(ToQt(b.name)), &QPushButton::clicked, this,
                [this, field = b.field] { Perform((ModeControlsFor(*state_).*field).click); });

    resize(1000, 660);
    // Centred on the desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setAccessibleName(QStringLiteral("Menu"));
    for (const MenuSpec& tableRow : kMenus) {
        QMenu* menu = bar->addMenu(ToQt(tableRow.caption));
        menu->setObjectName(ToQt(tableRow.name));
        menu->setAccessibleName(ToQt(WithoutAccessKey(tableRow.caption)));
        for (const MenuItemSpec& item : tableRow.items) {
            if (item.Separator()) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(ToQt(item.caption));
            action->setObjectName(ToQt(item.name));
            action->setProperty("action", ToQt(item.action));
            action->setIconVisibleInMenu(true);
            action->setCheckable(item.checkable);
            if (item.checkable && !item.checkDrawn)
                HideCheckMark(action);
            // Each item does what the engine's table says it means at the
            // moment. One that may open a modal window does it once the
            // trigger has returned, so that whoever chose it (assistive
            // technology, which waits for its call) is not held meanwhile.
            const bool modal = MayOpenModalWindow((ModeControlsFor(*state_).*item.field).choose);
            connect(
                action, &QAction::triggered, this,
                [this, field = item.field] { Perform((ModeControlsFor(*state_).*field).choose); },
                modal ? Qt::QueuedConnection : Qt::AutoConnection);
        }
    }
    for (auto [menu, name] : {std::pair{&FileMenu, "File1"},
                              {&OptionsMenu, "Options1"},
                              {&RunMenu, "Run1"},
                              {&HelpMenu, "Help1"}})
        *menu = bar->findChild<QMenu*>(QString::fromLatin1(name));
    for (auto [item, name] : {std::pair{&ClearNew, "ClearNew"},
                              {&NormalMode, "NormalMode"},
                              {&BackupMode, "BackupMode"},
                              {&NetworkMode, "NetworkMode"},
                              {&SaveIndexFile1, "SaveIndexFile1"},
                              {&SaveLogFile1, "SaveLogFile1"},
                              {&Exit1, "Exit1"},
                              {&Sort1, "Sort1"},
                              {&SortOFF1, "SortOFF1"},
                              {&SaveIndexasCSV, "SaveIndexasCSV"},
                              {&SaveIndexasTAB, "SaveIndexasTAB"},
                              {&N5, "N5"},
                              {&SetOptions1, "SetOptions1"},
                              {&RunDeleteDupes1, "RunDeleteDupes1"},
                              {&GetStats1, "GetStats1"},
                              {&RestoreBackupFiles1, "RestoreBackupFiles1"},
                              {&MoveBackupFiles2, "MoveBackupFiles2"},
                              {&DeleteBackupFiles1, "DeleteBackupFiles1"},
                              {&DeleteNetworkDupes2, "DeleteNetworkDupes2"},
                              {&Contents1, "Contents1"},
                              {&Index1, "Index1"},
                              {&About1, "About1"}})
        *item = bar->findChild<QAction*>(QString::fromLatin1(name));
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

std::vector<int> TForm1::SelectedRows(const QListWidget* list) {
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

// ---------------------------------------------------------- drives and tree

void TForm1::FillDriveList(const std::vector<std::string>& drives) {
    fillingLists_ = true;
    FillList(DriveListBox, drives);
    fillingLists_ = false;
}

std::optional<std::string> TForm1::ChosenDriveEntry() const {
    const std::vector<int> rows = SelectedRows(DriveListBox);
    if (rows.empty())
        return std::nullopt;
    return FromQt(DriveListBox->item(rows.front())->text());
}

bool TForm1::TreeSetDrive(char letter) {
    return DirectoryListBox1->setDrive(letter);
}

bool TForm1::TreeSetDirectory(const std::string& path) {
    return DirectoryListBox1->setDirectory(path);
}

std::string TForm1::TreeDirectory() const {
    return DirectoryListBox1->directory();
}

// ------------------------------------------------------------------- modes

void TForm1::ShowModeControls(const ModeControls& controls, bool layout) {
    if (layout) {
        FilterComboBox1->setCurrentIndex(FilterComboBox1->findData(ToQt(controls.fileMask)));
        RGMode1->setItemIndex(controls.mode);
    }
    for (const ButtonSpec& tableRow : kButtons) {
        auto* button = findChild<QPushButton*>(ToQt(tableRow.name));
        const ButtonControl& b = controls.*tableRow.field;
        button->setEnabled(b.state.enabled);
        // The commands show and hide Abort themselves.
        if (layout && button != AbortButton)
            button->setVisible(b.state.visible);
    }
    for (const MenuItemSpec* item : MenuItems()) {
        auto* action = findChild<QAction*>(ToQt(item->name));
        const MenuControl& m = controls.*item->field;
        action->setEnabled(m.enabled);
        SetMarker(action, m.marker);
        if (item->checkable)
            action->setChecked(m.checked);
    }
    RGMode1->setEnabled(controls.RGMode1.enabled);
    DriveListBox->setEnabled(controls.DriveListBox.state.enabled);
    DirectoryListBox1->setEnabled(controls.DirectoryListBox1.enabled);
    for (ListId list : {ListId::FileListBox1, ListId::ListBox2, ListId::ListBox1, ListId::ListBox3})
        ListWidget(list)->setEnabled(ListOf(controls, list).state.enabled);
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

// ----------------------------------------------------------------- windows

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

Answer TForm1::ShowMessageBox(const std::string& text, const std::string& title, Icon icon,
                              Buttons buttons, DefaultButton byDefault) {
    return Dialogs::Message(this, text, title, icon, buttons, byDefault);
}

void TForm1::KeepFocus() {
    focusBefore_ = QApplication::focusWidget();
}

// Qt moves the focus on from a control it disables; it comes back here.
void TForm1::GiveFocusBack(std::string_view fallback) {
    QWidget* to = focusBefore_.data();
    focusBefore_.clear();
    if (!to || !to->isVisible() || !to->isEnabled() || to->window() != this)
        to = findChild<QPushButton*>(ToQt(fallback));
    if (to && to->isVisible() && to->isEnabled())
        to->setFocus(Qt::OtherFocusReason);
}

std::optional<SaveChoice> TForm1::AskSaveFile(std::string_view, const std::string& startDirectory) {
    return Dialogs::SaveFile(this, QStringLiteral("Save Log File"),
                             {QStringLiteral("Log Files (*.log)"), QStringLiteral("All Files (*)")},
                             startDirectory);
}

std::optional<std::string> TForm1::AskDirectory(const std::string& start) {
    return moveDlg->Choose(start);
}

void TForm1::FileExit1Execute() {
    help_->close();
    close();
}

void TForm1::CloseWindow() {
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

// ------------------------------------------------------------ status panel

void TForm1::DrawStatus(StatusLine line, const std::string& text) {
    lines_[Index(line)]->setText(ToQt(text));
}

void TForm1::DrawMeter(kestrove::Meter meter, int percent) {
    meters_[Index(meter)]->setValue(percent);
}

void TForm1::DrawMetersShown(const std::array<bool, 3>& shown) {
    for (std::size_t i = 0; i < 3; ++i)
        meters_[i]->setVisible(shown[i]);
}

void TForm1::PaintStatusNow(StatusLine line) {
    lines_[Index(line)]->repaint();
}

void TForm1::HandlePendingEvents() {
    QCoreApplication::processEvents();
}

void TForm1::SetCountLabel(CountLabel label, const std::string& text) {
    (label == CountLabel::LblNumFiles ? LblNumFiles : LblNumSelFiles)->setText(ToQt(text));
}

void TForm1::ShowAbort(bool visible) {
    AbortButton->setVisible(visible);
}

// ------------------------------------------------------------------- lists

void TForm1::ListChanged(ListId list) {
    QListWidget* w = ListWidget(list);
    fillingLists_ = true;
    FillList(w, EntriesOf(*state_, list));
    const int highlighted = HighlightOf(*state_, list);
    if (highlighted >= 0 && highlighted < w->count())
        w->setCurrentRow(highlighted);
    fillingLists_ = false;
}

void TForm1::DrawHighlight(ListId list, int index) {
    QListWidget* w = ListWidget(list);
    fillingLists_ = true;
    if (index >= 0 && index < w->count()) {
        w->setCurrentRow(index);
        w->scrollToItem(w->item(index));
    } else {
        w->clearSelection();
    }
    fillingLists_ = false;
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

}  // namespace kestrove
