// Set Drives and Other Options: only OK writes; what they write; a refused
// write is shown and ends the handler.

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "qt/DirectoryTree.h"
#include "qt/TForm1.h"
#include "qt/TForm3.h"
#include "qt/TForm4.h"
#include "qt/Widgets.h"
#include "tests/qt/UiTestSupport.h"

using namespace kestrove;
using namespace kestrove::testing;

class SettingsWindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void setDrivesWritesEveryKey();
    void setDrivesWithNoneChecked();
    void setDrivesClosedWritesNothing();
    void otherOptionsWrites();
    void refusedWriteIsShown();
};

void SettingsWindowsTest::setDrivesWritesEveryKey() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm3& drives = *forms.Form3;
    QVERIFY(f.SetDirectory("D:\\Mail"));
    Dialogs::SetNextModal([&](QDialog* window) {
        QCOMPARE(window->windowTitle(), QStringLiteral("Set Drives"));
        ClickIndicator(drives.ChkDrive[3]);   // D
        ClickIndicator(drives.ChkDrive[25]);  // Z, not present
        QTest::mouseClick(drives.SetDriveOK, Qt::LeftButton);
        QVERIFY(!window->isVisible());
    });
    f.N5->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    for (char x = 'A'; x <= 'Z'; ++x)
        QCOMPARE(world.ReadIni("Startup", std::string("Drive") + x),
                 std::string(x == 'D' || x == 'Z' ? "1" : "0"));
    QCOMPARE(world.ReadIni("Startup", "Path"), std::string("D:\\Mail"));
    QCOMPARE(f.DirectoryListBox1->directory(), std::string("D:\\Mail"));
    QCOMPARE(Items(f.DriveListBox), QStringList({"D:"}));
    KESTROVE_VERIFY_DIALOGS();
}

void SettingsWindowsTest::setDrivesWithNoneChecked() {
    UiWorld world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    Dialogs::SetNextModal(
        [&](QDialog*) { QTest::mouseClick(forms.Form3->SetDriveOK, Qt::LeftButton); });
    f.N5->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    for (char x = 'A'; x <= 'Z'; ++x)
        QCOMPARE(world.ReadIni("Startup", std::string("Drive") + x), std::string("0"));
    QCOMPARE(Items(f.DriveListBox), QStringList({"c"}));
    KESTROVE_VERIFY_DIALOGS();
}

void SettingsWindowsTest::setDrivesClosedWritesNothing() {
    UiWorld world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    Dialogs::SetNextModal([&](QDialog* window) {
        ClickIndicator(forms.Form3->ChkDrive[0]);
        window->reject();  // the title bar's close box
    });
    f.N5->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QCOMPARE(world.ReadIni("Startup", "DriveA"), std::string("<missing>"));
    QCOMPARE(Items(f.DriveListBox), QStringList({"C:", "D:", "S:"}));
    QVERIFY(forms.Form3->ChkDrive[0]->isChecked());  // the window keeps the change
    KESTROVE_VERIFY_DIALOGS();
}

void SettingsWindowsTest::otherOptionsWrites() {
    UiWorld world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm4& options = *forms.Form4;
    Dialogs::SetNextModal([&](QDialog* window) {
        QCOMPARE(window->windowTitle(), QStringLiteral("Other Options"));
        ClickIndicator(options.RGUnread->button(2));
        ClickIndicator(options.RGBackup->button(1));
        ClickIndicator(options.RGRunCheck->button(1));
        ClickIndicator(options.RGStats->button(2));
        window->reject();
    });
    f.SetOptions1->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QCOMPARE(world.ReadIni("Options", "MismatchedUnread"), std::string("<missing>"));
    QCOMPARE(f.state().settings.MismatchedUnread, OnMismatch::Ask);

    Dialogs::SetNextModal([&](QDialog*) {
        ClickIndicator(options.RGDeleted->button(1));
        QTest::mouseClick(options.OtherOptnsOK, Qt::LeftButton);
    });
    f.SetOptions1->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QCOMPARE(world.ReadIni("Options", "MismatchedUnread"), std::string("2"));
    QCOMPARE(world.ReadIni("Options", "MismatchedDeleted"), std::string("1"));
    QCOMPARE(world.ReadIni("Options", "BackupFiles"), std::string("1"));
    QCOMPARE(world.ReadIni("Options", "RunCheck"), std::string("1"));
    QCOMPARE(world.ReadIni("Options", "GetStats"), std::string("2"));
    const Settings& s = f.state().settings;
    QCOMPARE(s.MismatchedUnread, OnMismatch::Skip);
    QCOMPARE(s.MismatchedDeleted, OnMismatch::Ignore);
    QCOMPARE(s.BackupFiles, OnBackupExists::Overwrite);
    QCOMPARE(s.RunCheck, LockCheck::Never);
    QCOMPARE(s.GetStats, CopyToSelf::Exclude);
    KESTROVE_VERIFY_DIALOGS();
}

void SettingsWindowsTest::refusedWriteIsShown() {
    UiWorld world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    // The settings file's place taken by a directory: every write is refused.
    std::filesystem::remove(world.s.Native("Kestrove.INI"));
    std::filesystem::create_directory(world.s.Native("Kestrove.INI"));
    Dialogs::SetNextModal([&](QDialog* window) {
        ClickIndicator(forms.Form4->RGStats->button(1));
        Dialogs::SetNextAnswer(Answer::Ok, QStringLiteral("Kestrove"));
        QTest::mouseClick(forms.Form4->OtherOptnsOK, Qt::LeftButton);
        QVERIFY(window->isVisible());  // the handler ended before closing
    });
    f.SetOptions1->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QCOMPARE(Dialogs::Boxes().back().text, QStringLiteral("Unable to write to S:\\Kestrove.INI"));
    QCOMPARE(Dialogs::Boxes().back().icon, Icon::Stop);
    QCOMPARE(f.state().settings.GetStats, CopyToSelf::AsSelf);

    Dialogs::SetNextModal([&](QDialog*) {
        Dialogs::SetNextAnswer(Answer::Ok, QStringLiteral("Kestrove"));
        QTest::mouseClick(forms.Form3->SetDriveOK, Qt::LeftButton);
    });
    f.N5->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QCOMPARE(Items(f.DriveListBox), QStringList({"C:", "D:", "S:"}));  // not rebuilt

    // A change of directory cannot save it either: said, and the rest skipped.
    world.MakeDir(world.c / "Other");
    f.DirectoryListBox1->refresh();
    Dialogs::SetNextAnswer(Answer::Ok, QStringLiteral("Kestrove"));
    const QString before = f.LabelInfoMsg1->text();
    QVERIFY(f.DirectoryListBox1->setDirectory("C:\\Other"));
    QCOMPARE(f.LabelInfoMsg1->text(), before);
    KESTROVE_VERIFY_DIALOGS();
}

QTEST_MAIN(SettingsWindowsTest)
#include "SettingsWindowsTest.moc"
