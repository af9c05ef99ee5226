// Start-up: the drive list, the start directory and its fallback, the
// settings as loaded (and clamped), the window's start state.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "qt/DirectoryTree.h"
#include "qt/TAboutBox.h"
#include "qt/TForm1.h"
#include "qt/TForm3.h"
#include "qt/TForm4.h"
#include "qt/Widgets.h"
#include "tests/qt/UiTestSupport.h"

using namespace kestrove;
using namespace kestrove::testing;

class StartupTest : public QObject {
    Q_OBJECT
  private slots:
    void withoutSettingsFile();
    void withSettingsFile();
    void savedPathGoneFallsBackToC_data();
    void savedPathGoneFallsBackToC();
    void noDriveOfferedGivesC();
};

void StartupTest::withoutSettingsFile() {
    UiWorld world;
    world.Touch(world.c / "INBOX.PMI");
    world.Touch(world.c / "sent.pmi");
    world.Touch(world.c / "Old.Pmi");
    world.Touch(world.c / "INBOX.PMM");
    world.MakeDir(world.c / "folder.pmi");  // a directory is not a file
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;

    QCOMPARE(f.windowTitle(), QStringLiteral("Kestrove - 2.30"));
    QCOMPARE(f.helpFile(), std::string("Kestrove.hlp"));
    QCOMPARE(Items(f.DriveListBox), QStringList({"C:", "D:", "S:"}));
    QVERIFY(f.DriveListBox->selectedItems().isEmpty());
    QCOMPARE(f.DirectoryListBox1->directory(), std::string("C:\\"));
    QCOMPARE(f.state().currentDirectory, std::string("C:\\"));
    // Entering the directory saved it and said so.
    QCOMPARE(world.ReadIni("Startup", "Path"), std::string("C:\\"));
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("Path=C:\\"));
    QCOMPARE(Items(f.FileListBox1), QStringList({"INBOX.PMI", "Old.Pmi", "sent.pmi"}));
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("3 Files"));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("No Files Selected"));

    QCOMPARE(f.RGMode1->itemIndex(), 0);
    QVERIFY(TForm1::HasMarker(f.NormalMode));
    QVERIFY(!TForm1::HasMarker(f.BackupMode));
    QVERIFY(TForm1::HasMarker(f.Sort1));
    QVERIFY(!TForm1::HasMarker(f.SortOFF1));
    QVERIFY(TForm1::HasMarker(f.SaveIndexasCSV));
    QVERIFY(f.SaveIndexasCSV->isChecked());
    QVERIFY(!TForm1::HasMarker(f.SaveIndexasTAB));
    QVERIFY(f.RunDeleteDupes1->isEnabled());
    QVERIFY(!f.RestoreBackupFiles1->isEnabled());
    QVERIFY(!f.MoveBackupFiles2->isEnabled());
    QVERIFY(!f.DeleteBackupFiles1->isEnabled());
    QVERIFY(!f.DeleteNetworkDupes2->isEnabled());
    QVERIFY(!f.AbortButton->isVisible());
    QVERIFY(!f.ProgressBarF->isVisible());
    QVERIFY(!f.ProgressBarM->isVisible());
    QVERIFY(!f.ProgressBar1->isVisible());
    QVERIFY(!f.FilterComboBox1->isVisible());

    const Settings& s = f.state().settings;
    QVERIFY(s == Settings{});
    for (QCheckBox* box : forms.Form3->ChkDrive)
        QVERIFY(!box->isChecked());
    QCOMPARE(forms.Form4->RGUnread->itemIndex(), 0);
    QCOMPARE(forms.Form4->RGStats->itemIndex(), 0);
    // About names the settings file in use, as the machine spells it.
    QCOMPARE(forms.AboutBox->SettingsFile->text(),
             QStringLiteral("Settings: ") +
                 QString::fromStdString(world.s.Native("Kestrove.INI").string()));
    KESTROVE_VERIFY_DIALOGS();
}

void StartupTest::withSettingsFile() {
    UiWorld world;
    world.MakeDir(world.d / "Mail\\Users");
    world.Touch(world.d / "Mail\\Users\\BOB.PMI");
    world.WriteIni("Startup", "Path", "d:\\mail\\users");
    world.WriteIni("Startup", "DriveC", "1");
    world.WriteIni("Startup", "DriveD", "-7");
    world.WriteIni("Startup", "DriveS", "0");
    world.WriteIni("Startup", "DriveE", "1");  // offered but not present
    world.WriteIni("Options", "MismatchedUnread", "5");
    world.WriteIni("Options", "MismatchedDeleted", "1");
    world.WriteIni("Options", "BackupFiles", "-3");
    world.WriteIni("Options", "RunCheck", "7");
    world.WriteIni("Options", "GetStats", "0x2");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;

    QCOMPARE(Items(f.DriveListBox), QStringList({"C:", "D:"}));
    // The tree shows the directory as the disk spells it.
    QCOMPARE(f.DirectoryListBox1->directory(), std::string("D:\\Mail\\Users"));
    QCOMPARE(Items(f.FileListBox1), QStringList({"BOB.PMI"}));
    QCOMPARE(world.ReadIni("Startup", "Path"), std::string("D:\\Mail\\Users"));

    // The radio groups clamp, and what they hold is what the commands see.
    const Settings& s = f.state().settings;
    QCOMPARE(s.MismatchedUnread, OnMismatch::Skip);
    QCOMPARE(s.MismatchedDeleted, OnMismatch::Ignore);
    QCOMPARE(ItemIndex(s.BackupFiles), -1);
    QCOMPARE(s.RunCheck, LockCheck::Never);
    QCOMPARE(s.GetStats, CopyToSelf::Exclude);
    QCOMPARE(forms.Form4->RGBackup->itemIndex(), -1);
    QCOMPARE(forms.Form4->RGUnread->itemIndex(), 2);

    QVERIFY(forms.Form3->ChkDrive[2]->isChecked());    // C: 1
    QVERIFY(!forms.Form3->ChkDrive[3]->isChecked());   // D: -7
    QVERIFY(!forms.Form3->ChkDrive[18]->isChecked());  // S: 0
    QVERIFY(forms.Form3->ChkDrive[4]->isChecked());    // E: 1
    KESTROVE_VERIFY_DIALOGS();
}

void StartupTest::savedPathGoneFallsBackToC_data() {
    QTest::addColumn<QString>("path");
    QTest::newRow("drive not mapped") << QStringLiteral("Q:\\Mail");
    QTest::newRow("directory gone") << QStringLiteral("D:\\Gone\\Away");
    QTest::newRow("not a path") << QStringLiteral("");
}

void StartupTest::savedPathGoneFallsBackToC() {
    QFETCH(QString, path);
    UiWorld world;
    world.WriteIni("Startup", "Path", path.toStdString());
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QCOMPARE(f.DirectoryListBox1->directory(), std::string("C:\\"));
    QCOMPARE(world.ReadIni("Startup", "Path"), std::string("C:\\"));
    // A later change of directory stays on drive C.
    world.MakeDir(world.c / "Later");
    f.DirectoryListBox1->refresh();
    QVERIFY(f.DirectoryListBox1->setDirectory("C:\\Later"));
    QCOMPARE(f.state().currentDirectory, std::string("C:\\Later"));
    QCOMPARE(world.ReadIni("Startup", "Path"), std::string("C:\\Later"));
    KESTROVE_VERIFY_DIALOGS();  // no message
}

void StartupTest::noDriveOfferedGivesC() {
    UiWorld world;
    for (char x = 'A'; x <= 'Z'; ++x)
        world.WriteIni("Startup", std::string("Drive") + x, "0");
    Forms forms = world.Open();
    QCOMPARE(Items(forms.Form1->DriveListBox), QStringList({"C"}));
    KESTROVE_VERIFY_DIALOGS();
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
