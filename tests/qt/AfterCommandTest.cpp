// What the window is left with when a command ends, and what it offers
// before one: the keyboard focus given back, Abort gone whatever ended the
// command, the file list read again on entering its directory, Enter in a
// question that overwrites, and where the log goes.

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

#include "qt/DirectoryTree.h"
#include "qt/MoveDlg.h"
#include "qt/TForm1.h"
#include "qt/Widgets.h"
#include "tests/qt/UiTestSupport.h"

using namespace kestrove;
using namespace kestrove::testing;
namespace fs = std::filesystem;

class AfterCommandTest : public QObject {
    Q_OBJECT
  private slots:
    void focusComesBackAfterARun();
    void abortGoesWhenABoxEndsTheCommand();
    void enteringTheDirectoryAgainReadsItsFiles();
    void enterKeepsTheOldBackup();
    void theLogStartsInTheDirectoryAndIsNamed();
};

namespace {

struct MailFolders : UiWorld {
    MailFolders() {
        MakeDir(d / "Mail");
        Folder(d / "Mail\\A.PMI", 4, 1);
        Folder(d / "Mail\\B.PMI", 3);
        WriteIni("Startup", "Path", "D:\\Mail");
    }
};

// Presses Enter in the next message box as soon as it is shown, through
// the box's own keys.
class EnterInNextBox : public QObject {
  public:
    EnterInNextBox() { qApp->installEventFilter(this); }
    ~EnterInNextBox() override { qApp->removeEventFilter(this); }
    QString seen;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box && event->type() == QEvent::Show && seen.isEmpty()) {
            seen = box->windowTitle();
            QMetaObject::invokeMethod(
                box, [box] { QTest::keyClick(box, Qt::Key_Return); }, Qt::QueuedConnection);
        }
        return false;
    }
};

}  // namespace

// The button that started a run has the focus again, and Tab moves on.
void AfterCommandTest::focusComesBackAfterARun() {
    MailFolders world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    f.RunButton->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.RunButton, Qt::Key_Space);
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("1 of 2 files processed."));
    QCOMPARE(QApplication::focusWidget(), f.RunButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != f.RunButton);
    QVERIFY(QApplication::focusWidget()->isEnabled());

    // From a list that a run disables for its length: back to the list.
    f.FileListBox1->setFocus(Qt::TabFocusReason);
    f.RunDeleteDupes1->trigger();
    QCOMPARE(QApplication::focusWidget(), f.FileListBox1);
    KESTROVE_VERIFY_DIALOGS();
}

// Move's question about another drive answered Cancel ends the command
// before its own end: Abort goes with it.
void AfterCommandTest::abortGoesWhenABoxEndsTheCommand() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    world.Touch(world.d / "Mail\\A.BKI");
    world.Touch(world.d / "Mail\\A.BKM");
    world.WriteIni("Startup", "Path", "D:\\Mail");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.BackupMode->trigger();
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    Dialogs::SetNextModal([&](QDialog*) {
        QVERIFY(f.moveDlg->DirectoryListBox->setDirectory("C:\\"));
        f.moveDlg->Buttons->button(QDialogButtonBox::Ok)->click();
    });
    Dialogs::SetNextAnswer(Answer::Cancel,
                           QStringLiteral("Error: cant move folders between drives."));
    QTest::mouseClick(f.MoveButton, Qt::LeftButton);
    QVERIFY(!f.AbortButton->isVisible());
    QVERIFY(f.MoveButton->isEnabled());
    QVERIFY(fs::exists(world.d.Native("Mail\\A.BKI")));
    KESTROVE_VERIFY_DIALOGS();
}

// A click on the directory the tree is in reads its files again: one
// deleted meanwhile is gone from the list.
void AfterCommandTest::enteringTheDirectoryAgainReadsItsFiles() {
    MailFolders world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QCOMPARE(Items(f.FileListBox1), (QStringList{"A.PMI", "B.PMI"}));
    fs::remove(world.d.Native("Mail\\B.PMI"));
    fs::remove(world.d.Native("Mail\\B.PMM"));
    DirectoryTree* tree = f.DirectoryListBox1;
    QTreeWidgetItem* current = tree->currentItem();
    QVERIFY(current);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(current).center());
    QCOMPARE(Items(f.FileListBox1), QStringList{"A.PMI"});
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("1 Files"));
    KESTROVE_VERIFY_DIALOGS();
}

// "OK to OVERWRITE": Enter is Cancel, and the old backup stays.
void AfterCommandTest::enterKeepsTheOldBackup() {
    MailFolders world;
    QVERIFY(WriteFileBytes(world.d / "Mail\\A.BKI", std::string_view("old")));
    QVERIFY(WriteFileBytes(world.d / "Mail\\A.BKM", std::string_view("old")));
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    ClickItem(f.FileListBox1, 0);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);
    Dialogs::SetTesting(false);
    EnterInNextBox enter;
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    Dialogs::SetTesting(true);
    QCOMPARE(enter.seen, QStringLiteral("Backup File Exists"));
    QCOMPARE(Dialogs::Boxes().back().answer, Answer::Cancel);
    QCOMPARE(Dialogs::Boxes().back().byDefault, DefaultButton::Cancel);
    const auto kept = ReadFileBytes(world.d / "Mail\\A.BKI");
    QVERIFY(kept);
    QCOMPARE(std::string(kept->begin(), kept->end()), std::string("old"));
}

// Save Log File opens in the window's directory; a name without an
// extension under "Log Files" gets ".log", under "All Files" stays.
void AfterCommandTest::theLogStartsInTheDirectoryAndIsNamed() {
    MailFolders world;
    world.MakeDir(world.d / "Logs");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    Dialogs::SetNextSaveFile(world.d / "Logs\\run", 0);
    f.SaveLogFile1->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QCOMPARE(Dialogs::SaveFileStarts(), std::vector<std::string>{"D:\\Mail"});
    QVERIFY(f.state().runLog.IsOpen());
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    QVERIFY(fs::exists(world.d.Native("Logs\\run.log")));

    Dialogs::SetNextSaveFile(world.d / "Logs\\plain", 1);
    f.SaveLogFile1->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    QVERIFY(fs::exists(world.d.Native("Logs\\plain")));
    QVERIFY(!fs::exists(world.d.Native("Logs\\plain.log")));
    KESTROVE_VERIFY_DIALOGS();
}

QTEST_MAIN(AfterCommandTest)
#include "AfterCommandTest.moc"
