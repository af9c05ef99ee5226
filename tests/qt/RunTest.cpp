// Whole commands started from the window: a run by its button with its
// boxes answered by script, Abort clicked during a run, closing the window
// during a run, the network run and Move from the Run menu, the run log.

#include <QAction>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <set>

#include "core/MessageFlag.h"
#include "qt/DirectoryTree.h"
#include "qt/MoveDlg.h"
#include "qt/TForm1.h"
#include "qt/Widgets.h"
#include "tests/qt/UiTestSupport.h"
#include "tests/support/Snapshot.h"

using namespace kestrove;
using namespace kestrove::testing;
namespace fs = std::filesystem;

class RunTest : public QObject {
    Q_OBJECT
  private slots:
    void wholeRunFromButton();
    void emptyListLeavesMetersHidden();
    void abortClickedDuringRun();
    void closeDuringRunStopsItFirst();
    void networkRunFromMenu();
    void moveFromMenu();
    void moveCancelledMovesNothing();
    void runLog();
    void saveIndexNeverWritesThroughALink();
    void statusLinesAreNotRepaintedPerRecord();
    void charactersMeterMovesWithinALongText();
    void abortWaitsOnlyForTheRepaintInterval();
};

namespace {

std::uintmax_t Records(const TempDir& dir, const std::string& name) {
    return fs::file_size(dir.Native(name)) / kRecordSize;
}

// D:\Mail with A (5 messages and 2 repeats), B (3, nothing to drop) and C
// (4 messages, one of them deleted), all three selected.
struct ThreeFolders : UiWorld {
    ThreeFolders() {
        MakeDir(d / "Mail");
        Folder(d / "Mail\\A.PMI", 5, 2);
        Folder(d / "Mail\\B.PMI", 3);
        FolderBuilder c4;
        for (int i = 0; i < 4; ++i)
            c4.Add(Msg("x@y", "S" + std::to_string(i), "D", i, "T" + std::to_string(i),
                       i == 2 ? kDeletedBit : 0u));
        c4.Write(d / "Mail\\C.PMI");
        WriteIni("Startup", "Path", "D:\\Mail");
    }
};

}  // namespace

void RunTest::wholeRunFromButton() {
    ThreeFolders world;
    world.Touch(world.d / "Mail\\USER.LCK");  // the mail client has the mailbox open
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);

    bool checked = false;
    f.SetPumpHook([&](int pump) {
        if (pump != 3)
            return;
        checked = true;
        // Only Abort is live while the run runs.
        QVERIFY(f.Busy());
        QVERIFY(f.AbortButton->isVisible());
        QVERIFY(f.AbortButton->isEnabled());
        QVERIFY(!f.RunButton->isEnabled());
        QVERIFY(!f.RGMode1->isEnabled());
        QVERIFY(!f.RunDeleteDupes1->isEnabled());
        VerifyDrawsTheTable(f);  // the table while busy: only Abort
        QVERIFY(f.ProgressBarF->isVisible());
        // Nested commands are refused, whatever way they come.
        f.RunDeleteDupes1Click();
        f.ListBox1DblClick();
        f.NormalMode->trigger();
        QCOMPARE(f.ListBox1->count(), 3);
    });
    Dialogs::SetNextAnswer(Answer::Ok, QStringLiteral("Mailbox Active"));
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    f.SetPumpHook({});

    QVERIFY(checked);
    QCOMPARE(Dialogs::Boxes().front().icon, Icon::Exclamation);
    QCOMPARE(Dialogs::Boxes().front().buttons, Buttons::OkCancel);
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("2 of 3 files processed."));
    QCOMPARE(f.LabelInfoMsg2->text(), QString());
    QCOMPARE(f.LabelInfoMsg3->text(), QString());
    QVERIFY(!f.AbortButton->isVisible());
    QVERIFY(!f.ProgressBarF->isVisible() && !f.ProgressBarM->isVisible() &&
            !f.ProgressBar1->isVisible());
    QVERIFY(!f.Busy());
    QVERIFY(f.RunButton->isEnabled());
    QVERIFY(f.RunDeleteDupes1->isEnabled());
    QVERIFY(!f.RestoreBackupFiles1->isEnabled());  // as the mode has it
    QVERIFY(f.RGMode1->isEnabled());

    QCOMPARE(Records(world.d, "Mail\\A.PMI"), 5u);
    QCOMPARE(Records(world.d, "Mail\\A.BKI"), 7u);
    QVERIFY(fs::exists(world.d.Native("Mail\\A.BKM")));
    QCOMPARE(Records(world.d, "Mail\\B.PMI"), 3u);
    QVERIFY(!fs::exists(world.d.Native("Mail\\B.BKI")));
    QCOMPARE(Records(world.d, "Mail\\C.PMI"), 3u);
    QVERIFY(fs::exists(world.d.Native("Mail\\C.BKM")));
    KESTROVE_VERIFY_DIALOGS();
}

void RunTest::emptyListLeavesMetersHidden() {
    ThreeFolders world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    const QString before = f.LabelInfoMsg1->text();
    Dialogs::SetNextAnswer(Answer::Ok, QStringLiteral("No Data"));
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    QCOMPARE(Dialogs::Boxes().back().text, QStringLiteral("No files selected."));
    QCOMPARE(Dialogs::Boxes().back().icon, Icon::Information);
    QVERIFY(!f.ProgressBarF->isVisible());
    QVERIFY(!f.AbortButton->isVisible());
    QCOMPARE(f.LabelInfoMsg1->text(), before);
    KESTROVE_VERIFY_DIALOGS();
}

void RunTest::abortClickedDuringRun() {
    ThreeFolders world;
    world.Folder(world.d / "Mail\\B.PMI", 3, 1);  // B has a repeat too now
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    bool clicked = false;
    // Abort while the second folder is rewritten.
    f.SetPumpHook([&](int) {
        if (!clicked && f.state().ListBox1.highlighted == 1) {
            clicked = true;
            QTest::mouseClick(f.AbortButton, Qt::LeftButton);
        }
    });
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    f.SetPumpHook({});
    QVERIFY(clicked);
    QVERIFY(f.state().AbortRequested);
    QVERIFY(!f.AbortButton->isVisible());  // Stop hid it
    QVERIFY(f.LabelInfoMsg1->text() != QStringLiteral("1 of 3 files processed."));
    QVERIFY(!f.LabelInfoMsg1->text().contains(QStringLiteral("processed")));
    QCOMPARE(Records(world.d, "Mail\\A.PMI"), 5u);  // the first folder was done
    QCOMPARE(Records(world.d, "Mail\\B.PMI"), 4u);  // the second is as it was
    QVERIFY(!fs::exists(world.d.Native("Mail\\B.BKI")));
    QCOMPARE(Records(world.d, "Mail\\C.PMI"), 4u);  // the third was not touched
    QVERIFY(!fs::exists(world.d.Native("Mail\\C.BKI")));
    QVERIFY(f.RunButton->isEnabled());
    KESTROVE_VERIFY_DIALOGS();
}

void RunTest::closeDuringRunStopsItFirst() {
    ThreeFolders world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    bool stillOpen = false;
    f.SetPumpHook([&](int pump) {
        if (pump == 2) {
            f.close();
            stillOpen = f.isVisible();
        }
    });
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    f.SetPumpHook({});
    QVERIFY(stillOpen);       // not closed under the running command
    QVERIFY(!f.isVisible());  // closed once it had returned
    QVERIFY(f.state().AbortRequested);
    QVERIFY(!fs::exists(world.d.Native("Mail\\C.BKI")));
    KESTROVE_VERIFY_DIALOGS();
}

void RunTest::networkRunFromMenu() {
    UiWorld world;
    world.MakeDir(world.d / "Users\\amy");
    world.MakeDir(world.d / "Users\\bob");
    world.Folder(world.d / "Users\\amy\\IN.PMI", 2, 1);
    world.Folder(world.d / "Users\\bob\\IN.PMI", 2, 2);
    world.WriteIni("Startup", "Path", "D:\\Users");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.NetworkMode->trigger();
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    QCOMPARE(f.ListBox3->count(), 2);
    bool split = false;
    f.SetPumpHook(
        [&](int) { split = split || (f.ListBox1->isVisible() && f.ListBox3->isVisible()); });
    f.DeleteNetworkDupes2->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    f.SetPumpHook({});
    QVERIFY(split);  // the folder list showed below the directories
    QVERIFY(!f.ListBox1->isVisible());
    QVERIFY(f.ListBox3->isVisible());
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("1 folders"));
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("1 of 1 files processed."));
    QCOMPARE(Records(world.d, "Users\\amy\\IN.PMI"), 2u);
    QCOMPARE(Records(world.d, "Users\\bob\\IN.PMI"), 2u);
    QVERIFY(fs::exists(world.d.Native("Users\\bob\\IN.BKI")));
    KESTROVE_VERIFY_DIALOGS();
}

void RunTest::moveFromMenu() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    world.MakeDir(world.d / "Dest");
    world.Touch(world.d / "Mail\\A.BKI");
    world.Touch(world.d / "Mail\\A.BKM");
    world.WriteIni("Startup", "Path", "D:\\Mail");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.BackupMode->trigger();
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    QString startedIn;
    Dialogs::SetNextModal([&](QDialog*) {
        startedIn = ToQt(f.moveDlg->DirectoryListBox->directory());
        QVERIFY(f.moveDlg->DirectoryListBox->setDirectory("D:\\Dest"));
        f.moveDlg->Buttons->button(QDialogButtonBox::Ok)->click();
    });
    f.MoveBackupFiles2->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QCOMPARE(startedIn, QStringLiteral("D:\\Mail"));
    QVERIFY(fs::exists(world.d.Native("Dest\\A.BKI")));
    QVERIFY(fs::exists(world.d.Native("Dest\\A.BKM")));
    QVERIFY(!fs::exists(world.d.Native("Mail\\A.BKI")));
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("1 of 1 folders moved (2 files moved)."));
    QCOMPARE(f.ListBox1->count(), 0);
    QCOMPARE(f.FileListBox1->count(), 0);
    KESTROVE_VERIFY_DIALOGS();
}

void RunTest::moveCancelledMovesNothing() {
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
        f.moveDlg->Buttons->button(QDialogButtonBox::Cancel)->click();
    });
    QTest::mouseClick(f.MoveButton, Qt::LeftButton);
    QVERIFY(fs::exists(world.d.Native("Mail\\A.BKI")));
    QCOMPARE(f.ListBox1->count(), 1);
    KESTROVE_VERIFY_DIALOGS();
}

void RunTest::runLog() {
    ThreeFolders world;
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    Dialogs::SetNextSaveFile(world.d / "run.log");
    f.SaveLogFile1->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QVERIFY(f.state().runLog.IsOpen());
    ClickItem(f.FileListBox1, 0);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    QVERIFY(!f.state().runLog.IsOpen());  // a Normal Mode run closes it
    auto log = ReadFileBytes(world.d / "run.log");
    QVERIFY(log);
    const std::string text(log->begin(), log->end());
    QVERIFY2(text.find("PMI File D:\\Mail\\A.PMI has 7 messages.") != std::string::npos,
             text.c_str());
    KESTROVE_VERIFY_DIALOGS();
}

void RunTest::saveIndexNeverWritesThroughALink() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    world.MakeDir(world.d / "Other");
    world.Folder(world.d / "Mail\\A.PMI", 3);
    world.Folder(world.d / "Mail\\B.PMI", 3);
    QVERIFY(WriteFileBytes(world.d / "Other\\victim.txt", std::string_view("keep me")));
    QVERIFY(MakeLink("../Other/victim.txt", world.d.Native("Mail\\A.CSV")));
    world.WriteIni("Startup", "Path", "D:\\Mail");
    const auto other = Snapshot(world.d.Native("Other"), true);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    Dialogs::SetNextAnswer(Answer::Ok, QStringLiteral("File Link Error"));
    f.SaveIndexFile1->trigger();
    QCoreApplication::processEvents();  // the item's window opens after it returns
    QCOMPARE(Dialogs::Boxes().back().text,
             QStringLiteral("D:\\Mail\\A.CSV is a link - skipping file."));
    QCOMPARE(Dialogs::Boxes().back().icon, Icon::Stop);
    QVERIFY(Snapshot(world.d.Native("Other"), true) == other);
    QVERIFY(fs::is_symlink(world.d.Native("Mail\\A.CSV")));
    QVERIFY(fs::file_size(world.d.Native("Mail\\B.CSV")) > 0);  // the export went on
    KESTROVE_VERIFY_DIALOGS();
}

namespace {
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
}  // namespace

void RunTest::statusLinesAreNotRepaintedPerRecord() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    const int records = 4000;
    world.Folder(world.d / "Mail\\BIG.PMI", records, 40);
    world.WriteIni("Startup", "Path", "D:\\Mail");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    PaintCounter counter;
    f.LabelInfoMsg2->installEventFilter(&counter);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("1 of 1 files processed."));
    // "Message %d of %d" was set for every record; it was painted at most
    // once per few tens of milliseconds (and once more at the end).
    QVERIFY2(counter.paints <= elapsed / 25 + 4,
             qPrintable(QStringLiteral("%1 paints in %2 ms").arg(counter.paints).arg(elapsed)));
    QVERIFY(counter.paints < records / 10);
    KESTROVE_VERIFY_DIALOGS();
}

namespace {
// The values a meter shows each time it is painted.
class PaintedValues : public QObject {
  public:
    explicit PaintedValues(QProgressBar* bar) : bar_(bar) { bar->installEventFilter(this); }
    std::vector<int> values;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            values.push_back(bar_->value());
        return false;
    }

  private:
    QProgressBar* bar_;
};
}  // namespace

// Nothing pumps while one long text is copied; the Characters meter is
// drawn there all the same, as often as the throttle allows.
void RunTest::charactersMeterMovesWithinALongText() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    FolderBuilder folder;
    folder.Add(Msg("a@b", "Long", "D", 1, std::string(2000000, 'x')));
    folder.Add(folder.messages().back());
    folder.Write(world.d / "Mail\\LONG.PMI");
    world.WriteIni("Startup", "Path", "D:\\Mail");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    std::int64_t now = 0;
    f.SetClock([&] { return now += 31; });  // every reading past the interval
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    PaintedValues painted(f.ProgressBar1->bar());
    int pumps = 0;
    std::size_t paintsAtPump2 = 0;
    f.SetPumpHook([&](int pump) {
        pumps = pump;
        if (pump == 2)  // the first message's, before its text
            paintsAtPump2 = painted.values.size();
    });
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    f.SetPumpHook({});
    f.SetClock({});
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("1 of 1 files processed."));
    QCOMPARE(pumps, 4);  // the folder's, two messages', the end's
    std::set<int> within;
    for (std::size_t i = paintsAtPump2; i < painted.values.size(); ++i)
        if (painted.values[i] > 0 && painted.values[i] < 100)
            within.insert(painted.values[i]);
    QVERIFY2(within.size() >= 50, qPrintable(QString::number(within.size())));
    KESTROVE_VERIFY_DIALOGS();
}

// Events are handled at the first pump after the repaint interval, by the
// clock read at every pump, and not more often.
void RunTest::abortWaitsOnlyForTheRepaintInterval() {
    for (int later : {0, 1, 4}) {
        UiWorld world;
        world.MakeDir(world.d / "Mail");
        world.Folder(world.d / "Mail\\MANY.PMI", 40, 4);
        world.WriteIni("Startup", "Path", "D:\\Mail");
        Forms forms = world.Open();
        TForm1& f = *forms.Form1;
        std::int64_t now = 1000;
        f.SetClock([&] { return now; });
        QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
        int lastPump = 0;
        const int clickAt = 3, timeAt = clickAt + later;
        f.SetPumpHook([&](int pump) {
            lastPump = pump;
            if (pump == clickAt)  // a click waiting in the queue
                QMetaObject::invokeMethod(f.AbortButton, &QPushButton::click, Qt::QueuedConnection);
            if (pump == timeAt)
                now += 30;
        });
        QTest::mouseClick(f.RunButton, Qt::LeftButton);
        f.SetPumpHook({});
        f.SetClock({});
        QVERIFY(f.state().AbortRequested);
        QCOMPARE(lastPump, timeAt);
        QVERIFY(!f.LabelInfoMsg1->text().contains(QStringLiteral("processed")));
    }
    KESTROVE_VERIFY_DIALOGS();
}

QTEST_MAIN(RunTest)
#include "RunTest.moc"
