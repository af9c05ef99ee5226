// The index viewer, the statistics and the folder name list, opened from
// the main window and worked by clicks.

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "core/MessageFlag.h"
#include "qt/GridModel.h"
#include "qt/TForm1.h"
#include "qt/TForm2.h"
#include "qt/TForm5.h"
#include "qt/TForm6.h"
#include "qt/Widgets.h"
#include "tests/qt/UiTestSupport.h"

using namespace kestrove;
using namespace kestrove::testing;

class WindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void viewerCountsAndColours();
    void viewerShowsLookAlikesApart();
    void viewerIgnoresNetworkModeAndNoSelection();
    void viewerReportsMissingMessageFile();
    void statisticsResortByRadioGroups();
    void folderListClickToggles();
    void rowsKeptAfterALaterRun();
};

namespace {

QColor Background(QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data(Qt::BackgroundRole).value<QColor>();
}

QString Cell(QTableView* grid, int row, int column) {
    return grid->model()->index(row, column).data(Qt::DisplayRole).toString();
}

}  // namespace

void WindowsTest::viewerCountsAndColours() {
    UiWorld world;
    FolderBuilder folder;
    folder.Add(Msg("alice", "Hello", "Mon", 10, "one", kReadBit));
    folder.Add(Msg("alice", "Hello", "Mon", 10, "one"));  // repeats the record above
    folder.Add(Msg("bob", "Other", "Tue", 20, "two", kDeletedBit));
    folder.Add(Msg("carol", "Third", "Wed", 30, "three"));
    folder.Write(world.c / "V.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm2& v = *forms.Form2;
    ClickItem(f.FileListBox1, 0);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);

    bool shown = false;
    Dialogs::SetNextModal([&](QDialog* window) {
        shown = true;
        QCOMPARE(window, static_cast<QDialog*>(&v));
        QCOMPARE(v.windowTitle(), QStringLiteral("WinPmail Index File"));
        QCOMPARE(v.StringGrid1->model()->rowCount(), 4);
        QCOMPARE(v.StringGrid1->model()->columnCount(), 37);
        QCOMPARE(
            v.Lbl1IndexFile->text(),
            QStringLiteral(
                "File: C:\\\\V.PMI Unread:2, Read:1,  Deleted:1,  Dupes:1,  Look-alikes:0 \n"));
        QVERIFY(v.LblPMMfile->text().startsWith(QStringLiteral("File: C:\\\\V.pmm")));
        QCOMPARE(v.LblCellInfo->text(), QStringLiteral("Click on any cell for more informaton."));
        QCOMPARE(Cell(v.StringGrid1, 1, 1), QStringLiteral("Dup"));
        QCOMPARE(Cell(v.StringGrid1, 2, 1), QStringLiteral("Del"));
        QCOMPARE(Background(v.StringGrid1, 0, 5), colors::kCream);
        QCOMPARE(Background(v.StringGrid1, 1, 5), colors::kFuchsia);
        QCOMPARE(Background(v.StringGrid1, 1, 30), colors::kFuchsia);  // the whole row
        QCOMPARE(Background(v.StringGrid1, 2, 0), colors::kRed);
        QCOMPARE(v.StringGrid1->horizontalHeader()->sectionSize(6), 180);
        QCOMPARE(v.StringGrid1->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("No."));
        ClickCell(v.StringGrid1, 3, 5);
        QCOMPARE(v.LblCellInfo->text(), QStringLiteral("Row 4 Column From: [carol]"));
        QTest::mouseClick(v.LMDButton1, Qt::LeftButton);
        QVERIFY(!v.isVisible());
    });
    DoubleClickItem(f.ListBox1, 0);
    QVERIFY(shown);

    // Enter on the entry does the same.
    Dialogs::SetNextModal([&](QDialog*) { shown = true; });
    shown = false;
    f.ListBox1->setFocus();
    QTest::keyClick(f.ListBox1, Qt::Key_Return);
    QVERIFY(shown);
    KESTROVE_VERIFY_DIALOGS();
}

// Two alerts alike in every field but their texts, and a true repeat: the
// look-alike has its own text and colour, also for a screen reader.
void WindowsTest::viewerShowsLookAlikesApart() {
    QAccessible::setActive(true);
    UiWorld world;
    FolderBuilder folder;
    for (const char* host : {"alpha", "gamma", "gamma"})
        folder.Add(Msg("monitor@example.com", "ALERT: disk full", "6 Aug 18 0:20", 1533514800,
                       std::string("Host: ") + host));
    folder.Write(world.c / "A.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm2& v = *forms.Form2;
    f.SortOFF1->trigger();
    ClickItem(f.FileListBox1, 0);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);

    bool shown = false;
    Dialogs::SetNextModal([&](QDialog*) {
        shown = true;
        QCOMPARE(v.Lbl1IndexFile->text(),
                 QStringLiteral("File: C:\\\\A.PMI Unread:3, Read:0,  Deleted:0,  Dupes:1,  "
                                "Look-alikes:1 \n"));
        QCOMPARE(Cell(v.StringGrid1, 1, 1), QStringLiteral("Alike"));
        QCOMPARE(Cell(v.StringGrid1, 2, 1), QStringLiteral("Dup"));
        const Rgb green = ToRgb(RowColour::PaleGreen);
        QCOMPARE(Background(v.StringGrid1, 1, 20), QColor(green.r, green.g, green.b));
        QCOMPARE(Background(v.StringGrid1, 2, 20), colors::kFuchsia);
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(v.StringGrid1)->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->cellAt(1, 1)->text(QAccessible::Name), QStringLiteral("Alike"));
        // The reason, in the cell-information line, from the keyboard.
        ClickCell(v.StringGrid1, 0, 1);
        QTest::keyClick(v.StringGrid1, Qt::Key_Down);
        QCOMPARE(v.LblCellInfo->text(),
                 QStringLiteral("Row 2 Column Dupe/Deleted: [Alike] kept: same sender, subject, "
                                "date, time and size as row 1, another text."));
        QTest::keyClick(&v, Qt::Key_Escape);
    });
    ClickItem(f.ListBox1, 0);
    QTest::keyClick(f.ListBox1, Qt::Key_Return);
    QVERIFY(shown);
    KESTROVE_VERIFY_DIALOGS();
}

void WindowsTest::viewerIgnoresNetworkModeAndNoSelection() {
    UiWorld world;
    world.Folder(world.c / "V.PMI", 2);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    f.ListBox1DblClick();  // nothing highlighted: nothing happens
    f.ListBox1->clearSelection();
    KESTROVE_VERIFY_DIALOGS();
}

void WindowsTest::viewerReportsMissingMessageFile() {
    UiWorld world;
    world.Touch(world.c / "X.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    Dialogs::SetNextAnswer(Answer::Ok, QStringLiteral("File Error"));
    DoubleClickItem(f.ListBox1, 0);
    QCOMPARE(Dialogs::Boxes().back().text,
             QStringLiteral("Cannot Open File: C:\\\\X.pmm (No such file or directory)"));
    KESTROVE_VERIFY_DIALOGS();  // and no window
}

void WindowsTest::statisticsResortByRadioGroups() {
    UiWorld world;
    FolderBuilder folder;
    auto add = [&](const char* from, int size) {
        MessageSpec m = Msg(from, "s", "d", size, std::string(static_cast<std::size_t>(size), 'x'));
        folder.Add(m);
    };
    add("apple", 10);
    add("Banana", 500);
    add("Banana", 5);
    add("cherry", 100);
    folder.Write(world.c / "S.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm6& s = *forms.Form6;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);

    auto senders = [&] {
        QStringList out;
        for (int r = 0; r < s.StringGrid1->model()->rowCount(); ++r)
            out << Cell(s.StringGrid1, r, 1);
        return out;
    };
    bool shown = false;
    Dialogs::SetNextModal([&](QDialog*) {
        shown = true;
        QCOMPARE(s.LblAddresses->text(), QStringLiteral("Addresses: 3 "));
        QCOMPARE(s.LblMessages->text(), QStringLiteral("Messages: 4 "));
        QCOMPARE(senders(), QStringList({"apple", "Banana", "cherry"}));
        QCOMPARE(Cell(s.StringGrid1, 1, 2), QStringLiteral("     2"));
        ClickIndicator(s.RGSortOn->button(2));  // Size
        QCOMPARE(senders(), QStringList({"apple", "cherry", "Banana"}));
        s.RGSortIn->setItemIndex(1);
        s.RGSortOnClick();  // Descending
        QCOMPARE(senders(), QStringList({"Banana", "cherry", "apple"}));
        ClickIndicator(s.RGSortOn->button(1));  // Messages
        QCOMPARE(senders().front(), QStringLiteral("Banana"));
        QCOMPARE(Cell(s.StringGrid1, 0, 0), QStringLiteral("    1"));  // numbers stay
        QCOMPARE(s.LblAddresses->text(), QStringLiteral("Addresses: 3 "));
        QTest::mouseClick(s.LMDButton1, Qt::LeftButton);
    });
    QTest::mouseClick(f.BtnGetStats, Qt::LeftButton);
    QVERIFY(shown);
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("1 of 1 files processed."));
    QVERIFY(!f.AbortButton->isVisible());
    QVERIFY(!f.ProgressBarF->isVisible());
    // The choices stay for the next Get Stats.
    QCOMPARE(s.RGSortOn->itemIndex(), 1);
    QCOMPARE(s.RGSortIn->itemIndex(), 1);
    KESTROVE_VERIFY_DIALOGS();
}

void WindowsTest::folderListClickToggles() {
    UiWorld world;
    HeaderSpec gamma;
    gamma.name = "Gamma";
    FolderBuilder(gamma).Add(Msg("a", "b", "c", 1, "t")).Write(world.c / "A.PMI");
    HeaderSpec beta;
    beta.name = "beta";
    FolderBuilder(beta).Add(Msg("a", "b", "c", 1, "t")).Write(world.c / "B.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm5& list = *forms.Form5;
    // A file already selected shows its marker from the start.
    ClickItem(f.FileListBox1, 0);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);

    bool shown = false;
    Dialogs::SetNextModal([&](QDialog*) {
        shown = true;
        QTableView* grid = list.StringGrid1;
        QCOMPARE(Cell(grid, 0, 1), QStringLiteral("beta"));  // collation, not byte order
        QCOMPARE(Cell(grid, 1, 1), QStringLiteral("Gamma"));
        QCOMPARE(Cell(grid, 0, 0), QStringLiteral("1"));
        QCOMPARE(Cell(grid, 1, 3), QStringLiteral(">"));
        QCOMPARE(Background(grid, 1, 3), colors::kRed);
        QCOMPARE(Background(grid, 0, 3), colors::kCream);
        QCOMPARE(Background(grid, 0, 0), colors::kSkyBlue);

        ClickCell(grid, 0, 1);  // add B
        QCOMPARE(Cell(grid, 0, 3), QStringLiteral(">"));
        QCOMPARE(Background(grid, 0, 3), colors::kRed);
        QCOMPARE(Items(f.ListBox1), QStringList({"C:\\\\A.PMI", "C:\\\\B.PMI"}));
        QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("2 Files Selected"));
        ClickCell(grid, 0, 2);  // and take it out again
        QCOMPARE(Cell(grid, 0, 3), QString());
        QCOMPARE(Background(grid, 0, 3), colors::kCream);
        QCOMPARE(Items(f.ListBox1), QStringList({"C:\\\\A.PMI"}));
        QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("1 Files Selected"));
        ClickCell(grid, 1, 0);  // the number column changes nothing
        QCOMPARE(f.ListBox1->count(), 1);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(1, 1));
        QTest::keyClick(grid, Qt::Key_Return);  // Enter is a click
        QCOMPARE(f.ListBox1->count(), 0);
        QTest::mouseClick(list.OKButton, Qt::LeftButton);
    });
    QTest::mouseClick(f.FileNames, Qt::LeftButton);
    QVERIFY(shown);
    KESTROVE_VERIFY_DIALOGS();
}

QTEST_MAIN(WindowsTest)
// The viewer and the statistics keep the rows they showed: a run over
// another folder fills the engine's table afresh, and the hidden windows
// (which assistive technology still reads) go on showing their own rows.
void WindowsTest::rowsKeptAfterALaterRun() {
    UiWorld world;
    FolderBuilder first;
    first.Add(Msg("alice", "Hello", "Mon", 10, "one", kReadBit));
    first.Add(Msg("bob", "Other", "Tue", 20, "two"));
    first.Write(world.c / "A.PMI");
    world.Folder(world.c / "B.PMI", 9, 3);  // other senders, repeats to drop
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    TForm2& v = *forms.Form2;
    TForm6& s = *forms.Form6;
    ClickItem(f.FileListBox1, 0);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);
    QCOMPARE(Items(f.ListBox1), QStringList({"C:\\\\A.PMI"}));

    auto rows = [](QTableView* grid) {
        QStringList out;
        QAbstractItemModel* model = grid->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c) {
                cells << model->index(r, c).data(Qt::DisplayRole).toString();
                cells << model->index(r, c).data(Qt::AccessibleTextRole).toString();
            }
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    };
    QStringList viewed, counted;
    Dialogs::SetNextModal([&](QDialog*) { viewed = rows(v.StringGrid1); });
    DoubleClickItem(f.ListBox1, 0);
    Dialogs::SetNextModal([&](QDialog*) { counted = rows(s.StringGrid1); });
    QTest::mouseClick(f.BtnGetStats, Qt::LeftButton);
    QCOMPARE(viewed.size(), 2);
    QVERIFY(viewed[0].contains(QStringLiteral("alice")));
    QCOMPARE(counted.size(), 2);
    QVERIFY(counted[0].contains(QStringLiteral("alice")));
    QVERIFY(counted[1].contains(QStringLiteral("     1")));

    QTest::mouseClick(f.BtnUnMoveAllFiles, Qt::LeftButton);
    ClickItem(f.FileListBox1, 1);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);
    QTest::mouseClick(f.RunButton, Qt::LeftButton);
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("1 of 1 files processed."));
    QCOMPARE(f.state().table.count, 12);  // the run's folder is in the table now

    QCOMPARE(rows(v.StringGrid1), viewed);
    QCOMPARE(rows(s.StringGrid1), counted);
    // Sorting the statistics again sorts the rows it showed.
    s.RGSortIn->setItemIndex(1);
    s.RGSortOnClick();
    QVERIFY(Cell(s.StringGrid1, 0, 1).contains(QStringLiteral("bob")));
    QVERIFY(Cell(s.StringGrid1, 1, 1).contains(QStringLiteral("alice")));
    QCOMPARE(s.StringGrid1->model()->rowCount(), 2);
    KESTROVE_VERIFY_DIALOGS();
}

#include "WindowsTest.moc"
