// The three modes, their switches from the radio group and the menu, and
// New: buttons, lists, labels, menu items, and the selected lists emptied.

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "qt/TForm1.h"
#include "qt/Widgets.h"
#include "tests/qt/UiTestSupport.h"

using namespace kestrove;
using namespace kestrove::testing;

class ModesTest : public QObject {
    Q_OBJECT
  private slots:
    void switches_data();
    void switches();
    void sameModeEmptiesAgain();
    void backupModeWithoutBackups();
    void networkListsOnlyDirectories();
    void newReturnsToNormal();
    void folderNamesIdleInNetworkMode();
};

namespace {

struct World : UiWorld {
    World() {
        Touch(c / "A.PMI");
        Touch(c / "B.PMI");
        Touch(c / "A.BKI");
        MakeDir(c / "alice");
        MakeDir(c / "Bob");
    }
};

// A label as a screen reader says it: without its access key's mark.
QString Said(QLabel* label) {
    return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
}

void Select(TForm1& f, int mode, const QString& via) {
    if (via == QLatin1String("radio")) {
        ClickIndicator(f.RGMode1->button(mode));
    } else {
        QAction* items[] = {f.NormalMode, f.BackupMode, f.NetworkMode};
        items[mode]->trigger();
    }
}

// Something in both selected lists, so that the switch has to empty them.
void FillSelected(TForm1& f) {
    f.state().ListBox1.Add("C:\\\\X.PMI");
    f.state().ListBox3.Add("C:\\\\x");
    f.ListChanged(ListId::ListBox1);
    f.ListChanged(ListId::ListBox3);
}

}  // namespace

void ModesTest::switches_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("via");
    for (const char* via : {"radio", "menu"}) {
        QTest::newRow(qPrintable(QStringLiteral("normal %1").arg(via))) << 0 << via;
        QTest::newRow(qPrintable(QStringLiteral("backup %1").arg(via))) << 1 << via;
        QTest::newRow(qPrintable(QStringLiteral("network %1").arg(via))) << 2 << via;
    }
}

void ModesTest::switches() {
    QFETCH(int, mode);
    QFETCH(QString, via);
    World world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    // Start from another mode so that every switch changes something.
    Select(f, mode == 2 ? 1 : 2, QStringLiteral("menu"));
    FillSelected(f);
    Select(f, mode, via);

    QCOMPARE(f.RGMode1->itemIndex(), mode);
    QCOMPARE(f.state().mode, mode);
    VerifyDrawsTheTable(f);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(f.RunButton->isVisible(), mode == 0);
    QCOMPARE(f.RunNetButton->isVisible(), mode == 2);
    QVERIFY(!f.AbortButton->isVisible());

    QCOMPARE(f.FileListBox1->isVisible(), mode != 2);
    QCOMPARE(f.ListBox1->isVisible(), mode != 2);
    QCOMPARE(f.ListBox2->isVisible(), mode == 2);
    QCOMPARE(f.ListBox3->isVisible(), mode == 2);
    QCOMPARE(f.ListBox1->count(), 0);
    QCOMPARE(f.ListBox3->count(), 0);
    QVERIFY(f.state().ListBox1.Empty());
    QVERIFY(f.state().ListBox3.Empty());

    const char* fileList[] = {"*.PMI Files", "*.BKI Files", "User Directories"};
    QCOMPARE(Said(f.LblFileList), QString::fromLatin1(fileList[mode]));
    QCOMPARE(Said(f.LblSelList),
             mode == 2 ? QStringLiteral("Selected Directories") : QStringLiteral("Selected Files"));
    QCOMPARE(f.LblNumSelFiles->text(), mode == 2 ? QStringLiteral("No Directories Selected")
                                                 : QStringLiteral("No Files Selected"));
    if (mode == 0) {
        QCOMPARE(Items(f.FileListBox1), QStringList({"A.PMI", "B.PMI"}));
        QCOMPARE(f.LblNumFiles->text(), QStringLiteral("2 Files"));
    } else if (mode == 1) {
        QCOMPARE(Items(f.FileListBox1), QStringList({"A.BKI"}));
        QCOMPARE(f.LblNumFiles->text(), QStringLiteral("1 Files"));
    } else {
        QCOMPARE(Items(f.ListBox2), QStringList({"alice", "Bob"}));
        QCOMPARE(f.LblNumFiles->text(), QStringLiteral("2 directories"));
    }
    KESTROVE_VERIFY_DIALOGS();
}

void ModesTest::sameModeEmptiesAgain() {
    World world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    FillSelected(f);
    ClickIndicator(f.RGMode1->button(0));
    QCOMPARE(f.ListBox1->count(), 0);
    FillSelected(f);
    f.NormalMode->trigger();
    QCOMPARE(f.ListBox1->count(), 0);
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("No Files Selected"));
}

void ModesTest::backupModeWithoutBackups() {
    UiWorld world;
    world.Touch(world.c / "A.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.BackupMode->trigger();
    QCOMPARE(f.FileListBox1->count(), 0);
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("0 Files"));
}

void ModesTest::networkListsOnlyDirectories() {
    UiWorld world;
    world.Touch(world.c / "plain.txt");
    world.Touch(world.c / "A.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.NetworkMode->trigger();
    QCOMPARE(f.ListBox2->count(), 0);
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("0 directories"));
    world.MakeDir(world.c / "zed");
    world.MakeDir(world.c / "Amy");
    f.NetworkMode->trigger();
    QCOMPARE(Items(f.ListBox2), QStringList({"Amy", "zed"}));
}

void ModesTest::newReturnsToNormal() {
    World world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.NetworkMode->trigger();
    FillSelected(f);
    f.SetStatus(StatusLine::LabelInfoMsg2, "something");
    f.ClearNew->trigger();
    QCOMPARE(f.RGMode1->itemIndex(), 0);
    QVERIFY(TForm1::HasMarker(f.NormalMode));
    QVERIFY(!TForm1::HasMarker(f.NetworkMode));
    QVERIFY(f.RunButton->isVisible());
    QVERIFY(!f.RunNetButton->isVisible());
    QVERIFY(f.BtnGetStats->isVisible());
    QVERIFY(f.FileListBox1->isVisible());
    QVERIFY(f.ListBox1->isVisible());
    QVERIFY(!f.ListBox2->isVisible());
    QVERIFY(!f.ListBox3->isVisible());
    QVERIFY(f.RunDeleteDupes1->isEnabled());
    QVERIFY(!f.DeleteNetworkDupes2->isEnabled());
    QCOMPARE(Said(f.LblFileList), QStringLiteral("*.PMI Files"));
    QCOMPARE(Said(f.LblSelList), QStringLiteral("Selected Files"));
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("2 Files"));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("No Files Selected"));
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("File:"));
    QCOMPARE(f.LabelInfoMsg2->text(), QString());
    QCOMPARE(f.LabelInfoMsg3->text(), QString());
    QVERIFY(f.state().ListBox1.Empty());
    QVERIFY(f.state().ListBox3.Empty());
}

// "Display Folder Names" stays on show in Network Mode, where there is no
// file list to name: a click shows no box and no window and changes nothing.
void ModesTest::folderNamesIdleInNetworkMode() {
    World world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.NetworkMode->trigger();
    QVERIFY(f.FileNames->isVisible());
    QVERIFY(f.FileNames->isEnabled());
    ClickItem(f.ListBox2, 0);
    const QStringList selected = Items(f.ListBox3);
    const QString status = f.LabelInfoMsg1->text();
    const QString count = f.LblNumSelFiles->text();
    QTest::mouseClick(f.FileNames, Qt::LeftButton);
    QCOMPARE(Items(f.ListBox3), selected);
    QVERIFY(f.state().ListBox1.Empty());
    QCOMPARE(f.LabelInfoMsg1->text(), status);
    QCOMPARE(f.LblNumSelFiles->text(), count);
    QCOMPARE(f.state().mode, 2);
    KESTROVE_VERIFY_DIALOGS();  // no box, no window
}

QTEST_MAIN(ModesTest)
#include "ModesTest.moc"
