// What assistive technology does through the interfaces a screen reader
// uses: every action does what the matching click or key does, and no
// control shows a state the program does not have.

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTextBrowser>
#include <QTextStream>
#include <filesystem>

#include "app/MainWindowTable.h"
#include "platform/Paths.h"
#include "qt/DirectoryTree.h"
#include "qt/GridModel.h"
#include "qt/HelpViewer.h"
#include "qt/MoveDlg.h"
#include "qt/TAboutBox.h"
#include "qt/TForm1.h"
#include "qt/TForm2.h"
#include "qt/TForm3.h"
#include "qt/TForm4.h"
#include "qt/TForm5.h"
#include "qt/TForm6.h"
#include "qt/Widgets.h"
#include "tests/qt/UiTestSupport.h"

using namespace kestrove;
using namespace kestrove::testing;

class AccessibleActionsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QAccessible::setActive(true); }
    void accessKeyOfModeOnlyMovesTheFocus();
    void modeButtonsToggleAsTheyAreClicked();
    void mainWindowButtonsPressAsTheyAreClicked_data();
    void mainWindowButtonsPressAsTheyAreClicked();
    void windowButtonsPressAsTheyAreClicked_data();
    void windowButtonsPressAsTheyAreClicked();
    void helpButtonsPressAsTheyAreClicked();
    void userDirectorySelectionAddsIt();
    void menuItemsChooseAsTheyAreClicked_data();
    void menuItemsChooseAsTheyAreClicked();
    void menuWindowsOpenAfterTheCallReturns();
    void statisticsResortOnToggle();
    void treeSelectionEntersTheDirectory();
    void driveSelectionEntersTheDrive();
    void folderCellToggleAddsTheFolder();
    void moveDestinationIsAValue();
    void statusPanelIsCurrentBehindStatistics();
    void viewerStartsEachViewAfresh();
    void choicesAreCheckedMenuItems();
    void panelsAndHiddenControls();
    void writesEveryControl();
};

namespace {

QAccessibleInterface* Acc(QObject* object) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
    if (!a)
        qFatal("no accessible interface");
    return a;
}

// The one action the control offers (press or toggle), as a screen reader
// does it; then the events it queued.
void DoDefaultAction(QObject* control) {
    QAccessibleActionInterface* actions = Acc(control)->actionInterface();
    QVERIFY(actions);
    const QStringList names = actions->actionNames();
    QVERIFY2(!names.isEmpty(), qPrintable(control->objectName()));
    actions->doAction(names.front());
    QCoreApplication::processEvents();
}

// A menu item through its menu's accessible children.
QAccessibleInterface* MenuItemAcc(QAction* item) {
    for (QObject* o : item->associatedObjects()) {
        auto* menu = qobject_cast<QMenu*>(o);
        if (!menu)
            continue;
        QAccessibleInterface* m = Acc(menu);
        for (int i = 0; i < m->childCount(); ++i)
            if (m->child(i)->object() == item)
                return m->child(i);
    }
    return nullptr;
}

void PressMenuItem(QAction* item) {
    QAccessibleInterface* a = MenuItemAcc(item);
    QVERIFY2(a, qPrintable(item->objectName()));
    a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCoreApplication::processEvents();
}

QString FileText(const std::string& path) {
    const auto native = platform::ToNative(path);
    QFile file(QString::fromStdString(native ? *native : std::string()));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<none>");
    return QString::fromLatin1(file.readAll());
}

// The files of a directory with their sizes.
QString Listing(const std::string& dir) {
    QStringList entries;
    const auto native = platform::ToNative(dir);
    for (const auto& e : std::filesystem::recursive_directory_iterator(*native))
        entries << QString::fromStdString(e.path().lexically_relative(*native).string()) +
                       (e.is_regular_file() ? QStringLiteral(" %1").arg(e.file_size())
                                            : QStringLiteral("/"));
    entries.sort();
    return entries.join(QLatin1Char('\n'));
}

// Everything a person can see or the program keeps after an action.
QString Snapshot(UiWorld& world, TForm1& f) {
    QStringList s;
    for (StatusText* line : {f.LabelInfoMsg1, f.LabelInfoMsg2, f.LabelInfoMsg3})
        s << line->text();
    s << f.LblNumFiles->text() << f.LblNumSelFiles->text() << f.LblFileList->text();
    for (QListWidget* list :
         {static_cast<QListWidget*>(f.FileListBox1), static_cast<QListWidget*>(f.ListBox1),
          static_cast<QListWidget*>(f.ListBox2), static_cast<QListWidget*>(f.ListBox3),
          f.DriveListBox})
        s << Items(list).join(QLatin1Char('|'));
    s << QString::number(f.state().mode) << QString::number(f.state().sortOn)
      << QString::number(f.state().exportCsv) << ToQt(f.TreeDirectory());
    for (const BoxRecord& box : Dialogs::Boxes())
        s << QStringLiteral("box %1: %2").arg(box.title, box.text);
    s << Dialogs::Failures();
    s << FileText(world.settings()) << Listing(world.c / "") << Listing(world.d / "");
    const HelpViewer* help = f.findChild<HelpViewer*>();
    s << QStringLiteral("window %1, help %2 at %3")
             .arg(f.isVisible())
             .arg(help->isVisible())
             .arg(help->Browser->source().toString());
    return s.join(QLatin1Char('\n'));
}

// The folders every case starts from: two of Normal Mode (one with a
// repeat), a backup pair, a directory on C: and one on D:.
void Furnish(UiWorld& world) {
    world.Folder(world.c / "A.PMI", 4, 1, "Alpha");
    world.Folder(world.c / "B.PMI", 3, 0, "Beta");
    world.Folder(world.c / "C.BKI", 2, 0, "Gamma");
    world.Touch(world.c / "C.BKM");
    world.MakeDir(world.c / "sub");
    world.MakeDir(world.d / "mail");
}

// How a case makes its action: a person's click or assistive technology.
enum class By { Click, Accessibility };

void Activate(QAbstractButton* button, By by) {
    if (by == By::Accessibility) {
        DoDefaultAction(button);
        return;
    }
    if (qobject_cast<QPushButton*>(button))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        ClickIndicator(button);
    QCoreApplication::processEvents();
}

void Choose(QAction* item, By by) {
    if (by == By::Accessibility) {
        PressMenuItem(item);
        return;
    }
    // A person opens the menu and clicks the item.
    for (QObject* o : item->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o)) {
            menu->popup(QPoint(0, 0));
            QVERIFY(QTest::qWaitForWindowExposed(menu));
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                              menu->actionGeometry(item).center());
        }
    QCoreApplication::processEvents();
}

// The mode a case starts in, with every available entry on the selected
// list and its first entry highlighted.
void Prepare(TForm1& f, int mode) {
    QTest::mouseClick(f.RGMode1->button(mode), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    ClickItem(mode == 2 ? f.ListBox3 : f.ListBox1, 0);
}

// Answers every window the action opens by pressing its first push button.
void AnswerWindowsWithTheirFirstButton(By by) {
    for (int i = 0; i < 3; ++i)
        Dialogs::SetNextModal([by](QDialog* window) {
            const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
            if (!buttons.isEmpty())
                Activate(buttons.front(), by);
        });
}

}  // namespace

// Alt+M leads to the checked mode button and changes nothing: no mode
// switch, the selected list as it was.
void AccessibleActionsTest::accessKeyOfModeOnlyMovesTheFocus() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QApplication::setActiveWindow(&f);
    QVERIFY(QTest::qWaitForWindowActive(&f));
    for (int mode : {1, 2, 0}) {
        Prepare(f, mode);
        QListWidget* selected = mode == 2 ? f.ListBox3 : f.ListBox1;
        const QStringList before = Items(selected);
        QVERIFY(!before.isEmpty());
        f.BtnGetStats->setFocus();
        QTest::keyClick(&f, Qt::Key_M, Qt::AltModifier);
        QTest::qWait(200);  // longer than an animated click
        QCOMPARE(f.state().mode, mode);
        QCOMPARE(f.RGMode1->itemIndex(), mode);
        QCOMPARE(Items(selected), before);
        QCOMPARE(QApplication::focusWidget(), f.RGMode1->button(mode));
    }
    KESTROVE_VERIFY_DIALOGS();
}

void AccessibleActionsTest::modeButtonsToggleAsTheyAreClicked() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    for (int mode : {1, 2, 0, 2}) {
        QAccessibleInterface* button = Acc(f.RGMode1->button(mode));
        QCOMPARE(button->role(), QAccessible::RadioButton);
        QVERIFY(button->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::toggleAction()));
        button->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(f.state().mode, mode);
        QVERIFY(button->state().checked);
        VerifyDrawsTheTable(f);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(f.LblFileList->text(), ToQt(ModeControlsFor(mode, false, true, true).LblFileList));
    }
}

// Every button and mode item of the main window in every mode: a screen
// reader's press leaves exactly what a click leaves.
void AccessibleActionsTest::mainWindowButtonsPressAsTheyAreClicked_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode");
    for (int mode = 0; mode < 3; ++mode)
        for (const ButtonSpec& tableRow : kButtons)
            if ((ModeControlsFor(mode, false, true, true).*tableRow.field).state.visible &&
                tableRow.name != "AbortButton")
                QTest::addRow("%s/%d", tableRow.name.data(), mode) << ToQt(tableRow.name) << mode;
    for (int mode = 0; mode < 3; ++mode)
        for (int item = 0; item < 3; ++item)
            QTest::addRow("RGMode1.%d/%d", item, mode)
                << QStringLiteral("RGMode1.%1").arg(item) << mode;
}

void AccessibleActionsTest::mainWindowButtonsPressAsTheyAreClicked() {
    QFETCH(QString, button);
    QFETCH(int, mode);
    QString after[2];
    for (By by : {By::Click, By::Accessibility}) {
        UiWorld world;
        Furnish(world);
        Forms forms = world.Open();
        TForm1& f = *forms.Form1;
        Prepare(f, mode);
        AnswerWindowsWithTheirFirstButton(by);
        if (button.startsWith(QLatin1String("RGMode1.")))
            Activate(f.RGMode1->button(button.back().digitValue()), by);
        else
            Activate(f.findChild<QPushButton*>(button), by);
        after[by == By::Click ? 0 : 1] = Snapshot(world, f);
        Dialogs::Reset();
    }
    QCOMPARE(after[1], after[0]);
}

// The buttons, radio buttons and check boxes of the other windows.
void AccessibleActionsTest::windowButtonsPressAsTheyAreClicked_data() {
    QTest::addColumn<QString>("window");  // the main window's control that opens it
    QTest::addColumn<QString>("control");
    const std::pair<const char*, QStringList> windows[] = {
        {"N5", {"SetDriveOK"}},           {"SetOptions1", {"OtherOptnsOK"}},
        {"About1", {"OKButton"}},         {"ListBox1", {"LMDButton1"}},
        {"BtnGetStats", {"LMDButton1"}},  {"FileNames", {"OKButton"}},
        {"MoveButton", {"ok", "cancel"}},
    };
    for (const auto& [window, controls] : windows)
        for (const QString& control : controls)
            QTest::addRow("%s/%s", window, qPrintable(control))
                << QString::fromLatin1(window) << control;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        QTest::addRow("N5/ChkDrive%c", letter)
            << QStringLiteral("N5") << QStringLiteral("ChkDrive%1").arg(QLatin1Char(letter));
    const std::pair<const char*, int> groups[] = {
        {"RGUnread", 3}, {"RGBackup", 3}, {"RGDeleted", 3}, {"RGRunCheck", 2}, {"RGStats", 3}};
    for (const auto& [group, items] : groups)
        for (int i = 0; i < items; ++i)
            QTest::addRow("SetOptions1/%s.%d", group, i)
                << QStringLiteral("SetOptions1") << QStringLiteral("%1.%2").arg(group).arg(i);
    for (int i = 0; i < 3; ++i)
        QTest::addRow("BtnGetStats/RGSortOn.%d", i)
            << QStringLiteral("BtnGetStats") << QStringLiteral("RGSortOn.%1").arg(i);
    for (int i = 0; i < 2; ++i)
        QTest::addRow("BtnGetStats/RGSortIn.%d", i)
            << QStringLiteral("BtnGetStats") << QStringLiteral("RGSortIn.%1").arg(i);
}

void AccessibleActionsTest::windowButtonsPressAsTheyAreClicked() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QString inside[2], after[2];
    for (By by : {By::Click, By::Accessibility}) {
        const int run = by == By::Click ? 0 : 1;
        UiWorld world;
        Furnish(world);
        Forms forms = world.Open();
        TForm1& f = *forms.Form1;
        Prepare(f, window == QLatin1String("MoveButton") ? 1 : 0);
        Dialogs::SetNextModal([&](QDialog* w) {
            QAbstractButton* b = nullptr;
            if (control == QLatin1String("ok") || control == QLatin1String("cancel")) {
                auto* move = static_cast<MoveDlg*>(w);
                b = move->Buttons->button(control == QLatin1String("ok")
                                              ? QDialogButtonBox::Ok
                                              : QDialogButtonBox::Cancel);
            } else if (control.contains(QLatin1Char('.'))) {
                const QStringList parts = control.split(QLatin1Char('.'));
                auto* group = w->findChild<RadioGroup*>(parts[0]);
                QVERIFY(group);
                b = group->button(parts[1].toInt());
            } else {
                b = w->findChild<QAbstractButton*>(control);
            }
            QVERIFY2(b, qPrintable(control));
            Activate(b, by);
            QStringList s{QString::number(w->isVisible()), QString::number(w->result())};
            for (QAbstractButton* other : w->findChildren<QAbstractButton*>())
                s << other->objectName() + QString::number(other->isChecked());
            for (QTableView* grid : w->findChildren<QTableView*>())
                for (int r = 0; r < grid->model()->rowCount(); ++r)
                    for (int c = 0; c < grid->model()->columnCount(); ++c)
                        s << grid->model()->index(r, c).data().toString();
            for (QLabel* label : w->findChildren<QLabel*>())
                if (label->objectName() != QLatin1String("SettingsFile"))  // a temporary path
                    s << label->text();
            inside[run] = s.join(QLatin1Char('\n'));
            if (w->isVisible())
                w->reject();
        });
        if (window == QLatin1String("ListBox1")) {
            DoubleClickItem(f.ListBox1, 0);
        } else if (auto* item = f.findChild<QAction*>(window)) {
            item->trigger();
            QCoreApplication::processEvents();
        } else {
            QTest::mouseClick(f.findChild<QPushButton*>(window), Qt::LeftButton);
        }
        QVERIFY2(!inside[run].isEmpty(), "the window did not open");
        after[run] = Snapshot(world, f);
        Dialogs::Reset();
    }
    QCOMPARE(inside[1], inside[0]);
    QCOMPARE(after[1], after[0]);
}

// The help viewer's buttons.
void AccessibleActionsTest::helpButtonsPressAsTheyAreClicked() {
    for (QPushButton* HelpViewer::*button : {&HelpViewer::IndexButton, &HelpViewer::ContentsButton,
                                             &HelpViewer::BackButton, &HelpViewer::CloseButton}) {
        QString after[2];
        for (By by : {By::Click, By::Accessibility}) {
            UiWorld world;
            Forms forms = world.Open();
            TForm1& f = *forms.Form1;
            f.Index1->trigger();
            f.Contents1->trigger();
            HelpViewer* help = f.findChild<HelpViewer*>();
            QVERIFY(help->isVisible());
            Activate(help->*button, by);
            after[by == By::Click ? 0 : 1] = Snapshot(world, f);
            help->close();
        }
        QCOMPARE(after[1], after[0]);
    }
}

// Network Mode: a user directory selected through assistive technology is
// added as by its click; the keys only move the highlight, as before.
void AccessibleActionsTest::userDirectorySelectionAddsIt() {
    UiWorld world;
    Furnish(world);
    world.MakeDir(world.c / "user2");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.RGMode1->button(2), Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QVERIFY(f.ListBox2->count() >= 2);
    QAccessibleTableInterface* users = Acc(f.ListBox2)->tableInterface();
    QVERIFY(users->selectRow(1));
    QCOMPARE(Items(f.ListBox3).size(), 1);
    QVERIFY(Items(f.ListBox3).front().endsWith(f.ListBox2->item(1)->text()));
    f.ListBox2->setFocus();
    f.ListBox2->setCurrentRow(0);
    QTest::keyClick(f.ListBox2, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(Items(f.ListBox3).size(), 1);
    KESTROVE_VERIFY_DIALOGS();
}

// Every menu item: chosen through its accessible interface it does what a
// click in the open menu does.
void AccessibleActionsTest::menuItemsChooseAsTheyAreClicked_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("mode");
    for (int mode = 0; mode < 3; ++mode)
        for (const MenuItemSpec* item : MenuItems())
            QTest::addRow("%s/%d", item->name.data(), mode) << ToQt(item->name) << mode;
}

void AccessibleActionsTest::menuItemsChooseAsTheyAreClicked() {
    QFETCH(QString, item);
    QFETCH(int, mode);
    QString after[2];
    for (By by : {By::Click, By::Accessibility}) {
        UiWorld world;
        Furnish(world);
        Forms forms = world.Open();
        TForm1& f = *forms.Form1;
        Prepare(f, mode);
        AnswerWindowsWithTheirFirstButton(by);
        for (int i = 0; i < 2; ++i)
            Dialogs::SetNextSaveFile(world.d / "saved.txt");
        Choose(f.findChild<QAction*>(item), by);
        QStringList marks;
        for (const MenuItemSpec* tableRow : MenuItems()) {
            auto* action = f.findChild<QAction*>(ToQt(tableRow->name));
            marks << QStringLiteral("%1 %2 %3")
                         .arg(action->objectName())
                         .arg(TForm1::HasMarker(action))
                         .arg(action->isChecked());
        }
        after[by == By::Click ? 0 : 1] = Snapshot(world, f) + marks.join(QLatin1Char('\n'));
        Dialogs::Reset();
    }
    QCOMPARE(after[1], after[0]);
}

// A menu item or button that opens a modal window returns to the screen
// reader first; the window opens after.
void AccessibleActionsTest::menuWindowsOpenAfterTheCallReturns() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    Prepare(f, 0);
    for (QAction* item : {f.N5, f.SetOptions1, f.About1, f.GetStats1, f.SaveLogFile1}) {
        bool opened = false;
        if (item == f.SaveLogFile1)
            Dialogs::SetNextSaveFile(std::nullopt);
        else
            Dialogs::SetNextModal([&](QDialog* w) {
                opened = true;
                w->reject();
            });
        QAccessibleInterface* a = MenuItemAcc(item);
        QVERIFY(a);
        a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY2(!opened && !Dialogs::ScriptDone(), qPrintable(item->objectName()));
        QTRY_VERIFY2(Dialogs::ScriptDone(), qPrintable(item->objectName()));
        QCOMPARE(opened, item != f.SaveLogFile1);
        KESTROVE_VERIFY_DIALOGS();
    }
    // So does a button's press.
    bool opened = false;
    Dialogs::SetNextModal([&](QDialog* w) {
        opened = true;
        w->reject();
    });
    Acc(f.BtnGetStats)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QVERIFY(!opened);
    QTRY_VERIFY(opened);
    KESTROVE_VERIFY_DIALOGS();
}

void AccessibleActionsTest::statisticsResortOnToggle() {
    UiWorld world;
    FolderBuilder folder;
    for (int i = 0; i < 6; ++i)
        folder.Add(Msg(i < 3 ? "zed@example.org" : "amy" + std::to_string(i) + "@example.org",
                       "S" + std::to_string(i), "Mon", 10 + i, "text"));
    folder.Write(world.c / "S.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm6& stats = *forms.Form6;
    Prepare(f, 0);
    bool shown = false;
    Dialogs::SetNextModal([&](QDialog*) {
        shown = true;
        auto first = [&] { return stats.gridModel()->index(0, 1).data().toString(); };
        QVERIFY(first().startsWith(QStringLiteral("amy")));
        QAccessibleInterface* messages = Acc(stats.RGSortOn->button(1));
        QAccessibleInterface* descending = Acc(stats.RGSortIn->button(1));
        messages->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        descending->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(messages->state().checked && descending->state().checked);
        QCOMPARE(first(), QStringLiteral("zed@example.org"));
        DoDefaultAction(stats.LMDButton1);
        QVERIFY(!stats.isVisible());
    });
    QTest::mouseClick(f.BtnGetStats, Qt::LeftButton);
    QVERIFY(shown);
    KESTROVE_VERIFY_DIALOGS();
}

// Selecting a row or toggling a cell of the tree enters its directory as a
// click does; the highlight stays on the current directory.
void AccessibleActionsTest::treeSelectionEntersTheDirectory() {
    UiWorld world;
    Furnish(world);
    world.Folder(world.c / "sub\\X.PMI", 2);
    world.MakeDir(world.c / "tmp");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    DirectoryTree* tree = f.DirectoryListBox1;
    QAccessibleInterface* a = Acc(tree);
    QAccessibleTableInterface* table = a->tableInterface();
    QVERIFY(table);
    auto rowOf = [&](const QString& name) {
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->cellAt(r, 0)->text(QAccessible::Name) == name)
                return r;
        return -1;
    };
    QVERIFY(rowOf(QStringLiteral("sub")) >= 0);
    QVERIFY(table->selectRow(rowOf(QStringLiteral("sub"))));
    QCOMPARE(tree->directory(), world.c / "sub");
    QCOMPARE(f.state().currentDirectory, world.c / "sub");
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("1 Files"));
    QCOMPARE(Items(f.FileListBox1), QStringList{"X.PMI"});
    QCOMPARE(f.LabelInfoMsg1->text(), ToQt("Path=" + world.c / "sub"));

    // A cell's toggle, on another directory and on the current one.
    const int root = rowOf(ToQt(world.c / ""));
    QVERIFY(root >= 0);
    QAccessibleInterface* cell = table->cellAt(root, 0);
    QVERIFY(cell->actionInterface());
    cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(tree->directory(), world.c / "");
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("2 Files"));
    cell = table->cellAt(rowOf(ToQt(world.c / "")), 0);
    cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(tree->directory(), world.c / "");
    QVERIFY(cell->state().selected);
    QCOMPARE(table->selectedRowCount(), 1);
    KESTROVE_VERIFY_DIALOGS();
}

// A drive selected through assistive technology is entered at once; a
// later click in the tree stays on it.
void AccessibleActionsTest::driveSelectionEntersTheDrive() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QAccessibleTableInterface* drives = Acc(f.DriveListBox)->tableInterface();
    QVERIFY(drives);
    int d = -1;
    for (int r = 0; r < drives->rowCount(); ++r)
        if (drives->cellAt(r, 0)
                ->text(QAccessible::Name)
                .startsWith(QLatin1String("d:"), Qt::CaseInsensitive))
            d = r;
    QVERIFY(d >= 0);
    QVERIFY(drives->selectRow(d));
    QCOMPARE(f.TreeDirectory().substr(0, 2), std::string("D:"));
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("Path=D:\\"));
    // The user then clicks "mail" in the tree.
    DirectoryTree* tree = f.DirectoryListBox1;
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QTreeWidgetItem* mail = nullptr;
    for (int i = 0; i < root->childCount(); ++i)
        if (root->child(i)->text(0) == QLatin1String("mail"))
            mail = root->child(i);
    QVERIFY(mail);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      tree->visualItemRect(mail).center());
    QCOMPARE(f.TreeDirectory(), world.d / "mail");
    QCOMPARE(world.ReadIni("Startup", "Path"), world.d / "mail");
    KESTROVE_VERIFY_DIALOGS();
}

// The folder name list: a cell's toggle adds the folder, a second removes
// it, as clicks do; the grid itself keeps no selection.
void AccessibleActionsTest::folderCellToggleAddsTheFolder() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm5& names = *forms.Form5;
    bool shown = false;
    Dialogs::SetNextModal([&](QDialog*) {
        shown = true;
        QAccessibleTableInterface* table = Acc(names.StringGrid1)->tableInterface();
        QVERIFY(table);
        QAccessibleInterface* cell = table->cellAt(0, 1);
        const QStringList before = Items(f.ListBox1);
        cell->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(Items(f.ListBox1).size(), before.size() + 1);
        QCOMPARE(table->selectedCellCount(), 0);
        table->cellAt(0, 2)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        QCOMPARE(Items(f.ListBox1), before);
        names.accept();
    });
    QTest::mouseClick(f.FileNames, Qt::LeftButton);
    QVERIFY(shown);
    KESTROVE_VERIFY_DIALOGS();
}

void AccessibleActionsTest::moveDestinationIsAValue() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    Prepare(f, 1);
    bool shown = false;
    Dialogs::SetNextModal([&](QDialog* w) {
        shown = true;
        auto* move = static_cast<MoveDlg*>(w);
        QAccessibleInterface* line = Acc(move->PathLabel);
        QCOMPARE(line->text(QAccessible::Name), QStringLiteral("Destination"));
        QCOMPARE(line->text(QAccessible::Value), ToQt(world.c / ""));
        QVERIFY(line->valueInterface());
        QCOMPARE(line->valueInterface()->currentValue().toString(), ToQt(world.c / ""));
        // Another directory chosen through the tree's interface.
        QAccessibleTableInterface* tree = Acc(move->DirectoryListBox)->tableInterface();
        for (int r = 0; r < tree->rowCount(); ++r)
            if (tree->cellAt(r, 0)->text(QAccessible::Name) == QLatin1String("sub"))
                tree->selectRow(r);
        QCOMPARE(line->valueInterface()->currentValue().toString(), ToQt(world.c / "sub"));
        QCOMPARE(line->text(QAccessible::Value), ToQt(world.c / "sub"));
        move->reject();
    });
    QTest::mouseClick(f.MoveButton, Qt::LeftButton);
    QVERIFY(shown);
    KESTROVE_VERIFY_DIALOGS();
}

// Behind the Statistics window the main window shows the count's last
// status and meters, not the ones from before it.
void AccessibleActionsTest::statusPanelIsCurrentBehindStatistics() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    Prepare(f, 0);
    f.SetClock([] { return std::int64_t{0}; });  // no repaint falls due by itself
    bool shown = false;
    Dialogs::SetNextModal([&](QDialog*) {
        shown = true;
        QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("2 of 2 files processed."));
        QVERIFY(f.ProgressBarF->value() > 0);
        QVERIFY(f.ProgressBarM->value() > 0);
    });
    QTest::mouseClick(f.BtnGetStats, Qt::LeftButton);
    QVERIFY(shown);
    KESTROVE_VERIFY_DIALOGS();
}

// A second view starts with the prompt, at the first column; a cell
// chosen by assistive technology is told of as a clicked one.
void AccessibleActionsTest::viewerStartsEachViewAfresh() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm2& v = *forms.Form2;
    Prepare(f, 0);
    const QString prompt = QStringLiteral("Click on any cell for more informaton.");
    for (int view = 0; view < 2; ++view) {
        bool shown = false;
        Dialogs::SetNextModal([&](QDialog*) {
            shown = true;
            QCOMPARE(v.LblCellInfo->text(), prompt);
            QCOMPARE(v.StringGrid1->horizontalScrollBar()->value(), 0);
            QVERIFY(!v.StringGrid1->currentIndex().isValid());
            QCOMPARE(Acc(v.Lbl1IndexFile)->text(QAccessible::Name),
                     v.Lbl1IndexFile->text().trimmed());
            QVERIFY(!Acc(v.LblPMMfile)->text(QAccessible::Name).endsWith(QLatin1Char('\n')));
            // A cell chosen through assistive technology tells of itself as a
            // clicked one does.
            if (view == 0) {
                QAccessibleTableInterface* table = Acc(v.StringGrid1)->tableInterface();
                table->cellAt(2, 5)->actionInterface()->doAction(
                    QAccessibleActionInterface::toggleAction());
                const QString told = v.LblCellInfo->text();
                QVERIFY(told.startsWith(QStringLiteral("Row 3 Column From: [")));
                ClickCell(v.StringGrid1, 0, 0);
                ClickCell(v.StringGrid1, 2, 5);
                QCOMPARE(v.LblCellInfo->text(), told);
            }
            // The user looks at a far column and leaves.
            v.StringGrid1->scrollTo(v.StringGrid1->model()->index(0, 30));
            ClickCell(v.StringGrid1, 0, 30);
            QVERIFY(v.LblCellInfo->text() != prompt);
            QVERIFY(v.StringGrid1->horizontalScrollBar()->value() > 0);
            QTest::mouseClick(v.LMDButton1, Qt::LeftButton);
        });
        DoubleClickItem(f.ListBox1, 0);
        QVERIFY(shown);
    }
    KESTROVE_VERIFY_DIALOGS();
}

// The mode, sort and format items say their choice as a check.
void AccessibleActionsTest::choicesAreCheckedMenuItems() {
    UiWorld world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    auto checks = [&] {
        for (QAction* item : {f.NormalMode, f.BackupMode, f.NetworkMode, f.Sort1, f.SortOFF1,
                              f.SaveIndexasCSV, f.SaveIndexasTAB}) {
            const QAccessible::State state = MenuItemAcc(item)->state();
            QVERIFY2(state.checkable, qPrintable(item->objectName()));
            QCOMPARE(bool(state.checked), TForm1::HasMarker(item));
        }
    };
    checks();
    for (QAction* item : {f.BackupMode, f.SortOFF1, f.SaveIndexasTAB, f.SaveIndexasTAB,
                          f.NetworkMode, f.Sort1, f.SaveIndexasCSV, f.SaveIndexasCSV}) {
        PressMenuItem(item);
        QVERIFY(TForm1::HasMarker(item));
        checks();
        if (QTest::currentTestFailed())
            return;
    }
}

void AccessibleActionsTest::panelsAndHiddenControls() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm2& v = *forms.Form2;
    QCOMPARE(Acc(f.Panel1)->role(), QAccessible::Grouping);
    QCOMPARE(Acc(f.Panel1)->text(QAccessible::Name), QStringLiteral("Progress"));
    QCOMPARE(Acc(v.Panel1)->role(), QAccessible::Grouping);
    QCOMPARE(Acc(v.Panel2)->role(), QAccessible::Grouping);
    QCOMPARE(Acc(v.Panel2)->text(QAccessible::Name), QStringLiteral("Cell Information"));

    // The filter box, never shown, is not in the window's tree; nothing in
    // the tree that claims to show is in a hidden widget.
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* a) {
        QVERIFY(a->object() != f.FilterComboBox1);
        auto* w = qobject_cast<QWidget*>(a->object());
        if (w && !w->isVisible())
            QVERIFY2(a->state().invisible, qPrintable(a->text(QAccessible::Name)));
        for (int i = 0; i < a->childCount(); ++i)
            walk(a->child(i));
    };
    walk(Acc(&f));
    QVERIFY(!QTest::currentTestFailed());

    // The viewer's cells show while it does, and not once it is closed.
    Prepare(f, 0);
    QAccessibleTableInterface* table = Acc(v.StringGrid1)->tableInterface();
    Dialogs::SetNextModal([&](QDialog*) {
        QVERIFY(!table->cellAt(0, 0)->state().invisible);
        v.accept();
    });
    DoubleClickItem(f.ListBox1, 0);
    QVERIFY(!v.isVisible());
    QVERIFY(Acc(v.StringGrid1)->state().invisible);
    // From the application down, nothing in a hidden window claims to show.
    std::function<void(QAccessibleInterface*, bool)> below = [&](QAccessibleInterface* a,
                                                                 bool hiddenWindow) {
        hiddenWindow = hiddenWindow || a->state().invisible;
        if (hiddenWindow)
            QVERIFY2(a->state().invisible,
                     qPrintable(
                         QStringLiteral("%1 (role %2) in %3")
                             .arg(a->text(QAccessible::Name))
                             .arg(static_cast<int>(a->role()), 0, 16)
                             .arg(a->parent() ? a->parent()->text(QAccessible::Name) : QString())));
        for (int i = 0; i < a->childCount(); ++i)
            below(a->child(i), hiddenWindow);
    };
    below(Acc(qApp), false);
    QVERIFY(!QTest::currentTestFailed());
    // So in the main window in each mode, whose lists come and go.
    for (int mode : {2, 1, 0}) {
        Prepare(f, mode);
        // Qt keeps its entries' interfaces in step with the lists only while
        // assistive technology listens, which it does not here: drop them,
        // as it would.
        for (QListWidget* list : f.findChildren<QListWidget*>()) {
            QAccessibleTableModelChangeEvent reset(list,
                                                   QAccessibleTableModelChangeEvent::ModelReset);
            Acc(list)->tableInterface()->modelChange(&reset);
        }
        below(Acc(&f), false);
        QVERIFY2(!QTest::currentTestFailed(), qPrintable(QString::number(mode)));
    }
    KESTROVE_VERIFY_DIALOGS();
}

// The controls of every window as assistive technology lists them, into
// build/a11y-controls.txt: "window / role / name".
void AccessibleActionsTest::writesEveryControl() {
    UiWorld world;
    Furnish(world);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    Prepare(f, 0);
    QStringList lines;
    // A menu is hidden until it opens; its items are listed all the same.
    std::function<void(const QString&, QAccessibleInterface*, int)> walk =
        [&](const QString& window, QAccessibleInterface* a, int depth) {
            const QAccessible::Role role = a->role();
            if (role == QAccessible::Cell || role == QAccessible::TreeItem ||
                role == QAccessible::ListItem || role == QAccessible::Row)
                return;  // the entries of a list or grid: data, not controls
            const bool menu = role == QAccessible::PopupMenu || role == QAccessible::MenuItem;
            if (role != QAccessible::Client && role != QAccessible::Separator &&
                role != QAccessible::ScrollBar && (menu || !a->state().invisible)) {
                QString line =
                    QStringLiteral("%1 / %2 / %3")
                        .arg(window,
                             QString::fromLatin1(
                                 QMetaEnum::fromType<QAccessible::Role>().valueToKey(role)),
                             a->text(QAccessible::Name).simplified());
                if (a->state().checkable)
                    line += a->state().checked ? QStringLiteral(" (checked)")
                                               : QStringLiteral(" (not checked)");
                if (a->valueInterface())
                    line += QStringLiteral(" = ") + a->text(QAccessible::Value);
                lines << line;
            }
            if (role == QAccessible::ScrollBar || depth > 12)
                return;
            for (int i = 0; i < a->childCount(); ++i)
                walk(window, a->child(i), depth + 1);
        };
    const QString main = f.windowTitle();
    walk(main, Acc(&f), 0);
    for (QAction* bar : f.menuBar()->actions())
        walk(main + QStringLiteral(" (menu)"), Acc(bar->menu()), 0);
    auto inside = [&](QDialog* w) {
        walk(w->windowTitle(), Acc(w), 0);
        w->reject();
    };
    for (QDialog* w : QList<QDialog*>{forms.AboutBox, forms.Form3, forms.Form4}) {
        Dialogs::SetNextModal(inside);
        Dialogs::Exec(w);
    }
    Dialogs::SetNextModal(inside);
    DoubleClickItem(f.ListBox1, 0);
    Dialogs::SetNextModal(inside);
    QTest::mouseClick(f.BtnGetStats, Qt::LeftButton);
    Dialogs::SetNextModal(inside);
    QTest::mouseClick(f.FileNames, Qt::LeftButton);
    Prepare(f, 1);
    Dialogs::SetNextModal(inside);
    QTest::mouseClick(f.MoveButton, Qt::LeftButton);
    f.Contents1->trigger();
    HelpViewer* help = f.findChild<HelpViewer*>();
    QVERIFY(help);
    walk(help->windowTitle(), Acc(help), 0);
    help->close();

    QFile out(QStringLiteral(KESTROVE_BUILD_DIR "/a11y-controls.txt"));
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text));
    QTextStream(&out) << lines.join(QLatin1Char('\n')) << '\n';
    QVERIFY(lines.size() > 50);
    KESTROVE_VERIFY_DIALOGS();
}

QTEST_MAIN(AccessibleActionsTest)
#include "AccessibleActionsTest.moc"
