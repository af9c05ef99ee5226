// Assistive technology finds every control by a name, and the keyboard
// reaches them in the order of the layout.

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "app/MainWindowTable.h"
#include "qt/DirectoryTree.h"
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

class AccessibilityTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QAccessible::setActive(true); }
    void everyControlHasAName();
    void statusLinesAreNamedByTheirText();
    void menusHaveAccessKeys();
    void tabOrderFollowsLayout();
};

namespace {

bool IsControl(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::RadioButton:
        case QAccessible::CheckBox:
        case QAccessible::List:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::ProgressBar:
        case QAccessible::StaticText:
        case QAccessible::ComboBox:
        case QAccessible::Grouping:
        case QAccessible::EditableText:
        case QAccessible::MenuBar:
            return true;
        default:
            return false;
    }
}

// Every control below `window` without a name, as "ObjectName (role)".
QStringList Unnamed(QWidget* window) {
    QStringList unnamed;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || !IsControl(a->role()))
            continue;
        if (a->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 %2 (role %3)")
                           .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName())
                           .arg(static_cast<int>(a->role()), 0, 16);
    }
    return unnamed;
}

QStringList UnnamedMenuItems(QMenuBar* bar) {
    QStringList unnamed;
    for (QAction* menuAction : bar->actions()) {
        QMenu* menu = menuAction->menu();
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(menu);
        for (int i = 0; i < a->childCount(); ++i) {
            QAccessibleInterface* item = a->child(i);
            if (item->role() == QAccessible::Separator)
                continue;
            if (item->text(QAccessible::Name).trimmed().isEmpty())
                unnamed << menu->title() + QStringLiteral(" item %1").arg(i);
        }
    }
    return unnamed;
}

}  // namespace

void AccessibilityTest::everyControlHasAName() {
    UiWorld world;
    world.Folder(world.c / "A.PMI", 3, 1);
    world.MakeDir(world.c / "user");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;

    for (QAction* mode : {f.NormalMode, f.BackupMode, f.NetworkMode}) {
        mode->trigger();
        const QStringList unnamed = Unnamed(&f);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    }
    const QStringList menus = UnnamedMenuItems(f.menuBar());
    QVERIFY2(menus.isEmpty(), qPrintable(menus.join(QStringLiteral(", "))));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(f.ListBox1);
    QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Selected Files"));
    QAccessibleInterface* meter = QAccessible::queryAccessibleInterface(f.ProgressBarM->bar());
    QCOMPARE(meter->text(QAccessible::Name), QStringLiteral("Messages"));
    QAccessibleInterface* run = QAccessible::queryAccessibleInterface(f.RunButton);
    QCOMPARE(run->text(QAccessible::Name), QStringLiteral("Run"));

    // The other windows, each with something in it.
    f.NormalMode->trigger();
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    QList<QWidget*> windows{forms.AboutBox, forms.Form3, forms.Form4, f.moveDlg};
    for (QWidget* w : windows) {
        w->show();
        const QStringList unnamed = Unnamed(w);
        QVERIFY2(unnamed.isEmpty(), qPrintable(w->windowTitle() + QStringLiteral(": ") +
                                               unnamed.join(QStringLiteral(", "))));
        w->hide();
    }
    auto check = [](QDialog* w) {
        const QStringList unnamed = Unnamed(w);
        QVERIFY2(unnamed.isEmpty(), qPrintable(w->windowTitle() + QStringLiteral(": ") +
                                               unnamed.join(QStringLiteral(", "))));
        w->hide();
    };
    Dialogs::SetNextModal(check);
    DoubleClickItem(f.ListBox1, 0);
    Dialogs::SetNextModal(check);
    QTest::mouseClick(f.BtnGetStats, Qt::LeftButton);
    Dialogs::SetNextModal(check);
    QTest::mouseClick(f.FileNames, Qt::LeftButton);
    f.Contents1->trigger();
    HelpViewer* help = f.findChild<HelpViewer*>();
    QVERIFY(help && help->isVisible());
    const QStringList unnamed = Unnamed(help);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    help->close();
    KESTROVE_VERIFY_DIALOGS();
}

void AccessibilityTest::statusLinesAreNamedByTheirText() {
    UiWorld world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    auto name = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    };
    QCOMPARE(name(f.LabelInfoMsg1), QStringLiteral("Path=C:\\"));
    QVERIFY(!name(f.LabelInfoMsg2).isEmpty());
    f.SetStatus(StatusLine::LabelInfoMsg2, "Message 7");
    QCOMPARE(name(f.LabelInfoMsg2), QStringLiteral("Message 7"));
    f.SetStatus(StatusLine::LabelInfoMsg2, "");
    QVERIFY(!name(f.LabelInfoMsg2).isEmpty());
}

void AccessibilityTest::menusHaveAccessKeys() {
    UiWorld world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QStringList titles;
    for (QAction* a : f.menuBar()->actions())
        titles << a->text();
    QCOMPARE(titles, QStringList({"&File", "&Options", "&Run", "&Help"}));
    QCOMPARE(f.Exit1->text(), QStringLiteral("E&xit"));
    // No two access keys of the window clash.
    QStringList texts = titles;
    for (QLabel* label : f.findChildren<QLabel*>())
        if (label->window() == &f)
            texts << label->text();
    for (QAbstractButton* button : f.findChildren<QAbstractButton*>())
        if (button->window() == &f)
            texts << button->text();
    QStringList keys;
    for (const QString& text : texts) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at >= 0 && at + 1 < text.size()) {
            const QString key = text.mid(at + 1, 1).toUpper();
            QVERIFY2(!keys.contains(key), qPrintable(QStringLiteral("Alt+%1 twice").arg(key)));
            keys << key;
        }
    }
    QCOMPARE(f.Contents1->text(), QStringLiteral("&Contents"));
    QCOMPARE(f.Index1->text(), QStringLiteral("&Index"));
    // Every menu as the engine's table has it: the Windows program's keys.
    const QList<QAction*> menus = f.menuBar()->actions();
    QCOMPARE(menus.size(), qsizetype(kMenus.size()));
    for (std::size_t m = 0; m < kMenus.size(); ++m) {
        QCOMPARE(menus[qsizetype(m)]->text(), ToQt(kMenus[m].caption));
        const QList<QAction*> items = menus[qsizetype(m)]->menu()->actions();
        QCOMPARE(items.size(), qsizetype(kMenus[m].items.size()));
        for (std::size_t i = 0; i < kMenus[m].items.size(); ++i) {
            const MenuItemSpec& tableRow = kMenus[m].items[i];
            QAction* item = items[qsizetype(i)];
            QCOMPARE(item->isSeparator(), tableRow.Separator());
            if (tableRow.Separator())
                continue;
            QCOMPARE(item->text(), ToQt(tableRow.caption));
            QCOMPARE(item->objectName(), ToQt(tableRow.name));
            QCOMPARE(item->isCheckable(), tableRow.checkable);
        }
    }
}

void AccessibilityTest::tabOrderFollowsLayout() {
    UiWorld world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    const QList<QWidget*> expected{f.DriveListBox,      f.DirectoryListBox1, f.FileListBox1,
                                   f.BtnMoveFile,       f.BtnMoveAllFiles,   f.BtnUnMoveFile,
                                   f.BtnUnMoveAllFiles, f.RunButton,         f.BtnGetStats,
                                   f.FileNames,         f.ListBox1};
    QList<QWidget*> seen;
    QWidget* w = f.RGMode1->button(0);
    for (int i = 0; i < 500 && seen.size() < expected.size(); ++i) {
        w = w->nextInFocusChain();
        if (expected.contains(w) && !seen.contains(w))
            seen << w;
    }
    QCOMPARE(seen, expected);
}

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
