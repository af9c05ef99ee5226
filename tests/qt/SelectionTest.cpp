// Building the selected lists: the four arrows, double-click and Enter, the
// header summary of a clicked file, a change of directory, Network Mode.

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidgetItem>
#include <filesystem>

#include "qt/DirectoryTree.h"
#include "qt/TForm1.h"
#include "qt/Widgets.h"
#include "tests/qt/UiTestSupport.h"

using namespace kestrove;
using namespace kestrove::testing;

class SelectionTest : public QObject {
    Q_OBJECT
  private slots:
    void arrowsAndCounts();
    void doubleClickAndEnterAdd();
    void rootDirectoryDoublesSeparator();
    void directoryChangeKeepsSelection();
    void headerSummary();
    void headerSummaryOfMissingFile();
    void networkClickAddsDirectories();
    void treeReadsDirectoriesMadeLater();
};

void SelectionTest::arrowsAndCounts() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    for (const char* name : {"A.PMI", "B.PMI", "C.PMI"})
        world.Folder(world.d / (std::string("Mail\\") + name), 1);
    world.WriteIni("Startup", "Path", "D:\\Mail");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QCOMPARE(Items(f.FileListBox1), QStringList({"A.PMI", "B.PMI", "C.PMI"}));

    ClickItem(f.FileListBox1, 1);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);  // twice: added once
    QCOMPARE(Items(f.ListBox1), QStringList({"D:\\Mail\\B.PMI"}));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("1 Files Selected"));
    QCOMPARE(f.FileListBox1->selectedItems().size(), 1);  // selection left as it was

    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    QCOMPARE(Items(f.ListBox1),
             QStringList({"D:\\Mail\\A.PMI", "D:\\Mail\\B.PMI", "D:\\Mail\\C.PMI"}));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("3 Files Selected"));
    QVERIFY(f.FileListBox1->selectedItems().isEmpty());

    // "<" with nothing highlighted changes nothing but the count.
    QTest::mouseClick(f.BtnUnMoveFile, Qt::LeftButton);
    QCOMPARE(f.ListBox1->count(), 3);
    ClickItem(f.ListBox1, 0);
    QTest::mouseClick(f.BtnUnMoveFile, Qt::LeftButton);
    QCOMPARE(Items(f.ListBox1), QStringList({"D:\\Mail\\B.PMI", "D:\\Mail\\C.PMI"}));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("2 Files Selected"));
    QTest::mouseClick(f.BtnUnMoveFile, Qt::LeftButton);  // nothing highlighted now
    QCOMPARE(f.ListBox1->count(), 2);

    QTest::mouseClick(f.BtnUnMoveAllFiles, Qt::LeftButton);
    QCOMPARE(f.ListBox1->count(), 0);
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("No Files Selected"));
    KESTROVE_VERIFY_DIALOGS();
}

void SelectionTest::doubleClickAndEnterAdd() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    world.Folder(world.d / "Mail\\A.PMI", 1);
    world.Folder(world.d / "Mail\\B.PMI", 1);
    world.WriteIni("Startup", "Path", "D:\\Mail");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    DoubleClickItem(f.FileListBox1, 1);
    QCOMPARE(Items(f.ListBox1), QStringList({"D:\\Mail\\B.PMI"}));
    f.FileListBox1->setFocus();
    f.FileListBox1->setCurrentRow(0);
    QTest::keyClick(f.FileListBox1, Qt::Key_Return);
    QCOMPARE(Items(f.ListBox1), QStringList({"D:\\Mail\\A.PMI", "D:\\Mail\\B.PMI"}));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("2 Files Selected"));
    // The clicks also showed the header summary.
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("File:D:\\Mail\\A.PMM, Name:Folder"));
    KESTROVE_VERIFY_DIALOGS();
}

void SelectionTest::rootDirectoryDoublesSeparator() {
    UiWorld world;
    world.Folder(world.c / "ROOT.PMI", 1);
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    ClickItem(f.FileListBox1, 0);
    QTest::mouseClick(f.BtnMoveFile, Qt::LeftButton);
    QCOMPARE(Items(f.ListBox1), QStringList({"C:\\\\ROOT.PMI"}));
    KESTROVE_VERIFY_DIALOGS();
}

void SelectionTest::directoryChangeKeepsSelection() {
    UiWorld world;
    world.MakeDir(world.d / "One");
    world.MakeDir(world.d / "Two");
    world.Folder(world.d / "One\\INBOX.PMI", 1);
    world.Folder(world.d / "Two\\INBOX.PMI", 1);
    world.WriteIni("Startup", "Path", "D:\\One");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    QVERIFY(f.DirectoryListBox1->setDirectory("d:\\two"));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("No Files Selected"));
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("Path=D:\\Two"));
    QCOMPARE(world.ReadIni("Startup", "Path"), std::string("D:\\Two"));
    QTest::mouseClick(f.BtnMoveAllFiles, Qt::LeftButton);
    // Two files of the same name in different directories are both kept.
    QCOMPARE(Items(f.ListBox1), QStringList({"D:\\One\\INBOX.PMI", "D:\\Two\\INBOX.PMI"}));

    // A click on a drive enters it.
    ClickItem(f.DriveListBox, 0);
    QCOMPARE(f.DirectoryListBox1->directory(), std::string("C:\\"));
    QCOMPARE(f.ListBox1->count(), 2);
    KESTROVE_VERIFY_DIALOGS();
}

void SelectionTest::headerSummary() {
    UiWorld world;
    HeaderSpec header;
    header.name = "My Folder";
    header.unread = 3;
    header.deleted = 2;
    header.delsize = 4096;
    header.id = "ABCDEF:0001:X";
    FolderBuilder folder(header);
    folder.Add(Msg("a@b", "s", "d", 1, "t"));
    folder.Write(world.c / "F.PMI");
    header.name = "Its Backup";
    FolderBuilder backup(header);
    backup.Add(Msg("a@b", "s", "d", 1, "t"));
    backup.Write(world.c / "F.BKI");
    // Write() names the message file after the index: move it to .BKM.
    std::filesystem::rename(world.c.Native("F.PMM"), world.c.Native("F.BKM"));
    folder.Write(world.c / "F.PMI");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;

    ClickItem(f.FileListBox1, 0);
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("File:C:\\\\F.PMM, Name:My Folder"));
    QCOMPARE(f.LabelInfoMsg2->text(),
             QStringLiteral("     Unread:3, deleted:2, deleted space:4096, ID:ABCDEF:0001:X"));

    f.BackupMode->trigger();
    ClickItem(f.FileListBox1, 0);
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("File:C:\\\\F.BKM, Name:Its Backup"));
    QCOMPARE(f.ListBox1->count(), 0);  // a click alone adds nothing
    KESTROVE_VERIFY_DIALOGS();
}

void SelectionTest::headerSummaryOfMissingFile() {
    UiWorld world;
    world.Folder(world.c / "A.PMI", 1);
    world.Touch(world.c / "B.PMI");  // no B.PMM
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    ClickItem(f.FileListBox1, 0);
    const QString before = f.LabelInfoMsg1->text();
    Dialogs::SetNextAnswer(Answer::Ok, QStringLiteral("File Error"));
    ClickItem(f.FileListBox1, 1);
    QCOMPARE(Dialogs::Boxes().back().text,
             QStringLiteral("Cannot Open File: C:\\\\B.PMM (No such file or directory)"));
    QCOMPARE(Dialogs::Boxes().back().icon, Icon::Stop);
    QCOMPARE(f.LabelInfoMsg1->text(), before);
    KESTROVE_VERIFY_DIALOGS();
}

void SelectionTest::networkClickAddsDirectories() {
    UiWorld world;
    world.MakeDir(world.d / "Users\\amy");
    world.MakeDir(world.d / "Users\\bob");
    world.MakeDir(world.d / "Users\\cy");
    world.WriteIni("Startup", "Path", "D:\\Users");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    f.NetworkMode->trigger();
    ClickItem(f.ListBox2, 1);
    QCOMPARE(Items(f.ListBox3), QStringList({"D:\\Users\\bob"}));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("1 Directories Selected"));
    ClickItem(f.ListBox2, 0, Qt::ControlModifier);  // adds amy, bob stays once
    QCOMPARE(Items(f.ListBox3), QStringList({"D:\\Users\\amy", "D:\\Users\\bob"}));
    ClickItem(f.ListBox3, 1);
    QTest::mouseClick(f.BtnUnMoveFile, Qt::LeftButton);
    QCOMPARE(Items(f.ListBox3), QStringList({"D:\\Users\\amy"}));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("1 Directories Selected"));
    // A change of directory says "No Files Selected" in Network Mode too.
    QVERIFY(f.DirectoryListBox1->setDirectory("D:\\Users\\amy"));
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("No Files Selected"));
    QCOMPARE(f.LblNumFiles->text(), QStringLiteral("0 directories"));
    QCOMPARE(f.ListBox3->count(), 1);
    QTest::mouseClick(f.BtnUnMoveAllFiles, Qt::LeftButton);
    QCOMPARE(f.LblNumSelFiles->text(), QStringLiteral("No Directories Selected"));
    KESTROVE_VERIFY_DIALOGS();
}

namespace {

QStringList Children(const QTreeWidgetItem* item) {
    QStringList names;
    for (int i = 0; i < item->childCount(); ++i)
        names << item->child(i)->text(0);
    return names;
}

}  // namespace

// The tree reads a directory's children when it is expanded or entered, so
// directories made while the program runs show up, and gone ones go.
void SelectionTest::treeReadsDirectoriesMadeLater() {
    UiWorld world;
    world.MakeDir(world.d / "Mail");
    world.MakeDir(world.d / "Old");
    world.WriteIni("Startup", "Path", "D:\\Mail");
    Forms forms = world.Open();
    TForm1& f = *forms.Form1;
    DirectoryTree* tree = f.DirectoryListBox1;
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QVERIFY(root);
    QCOMPARE(root->text(0), QStringLiteral("D:\\"));
    QCOMPARE(Children(root), QStringList({"Mail", "Old"}));

    world.MakeDir(world.d / "New");
    world.MakeDir(world.d / "Mail\\Inner");
    world.MakeDir(world.d / "New\\Deeper");
    std::filesystem::remove_all(world.d.Native("Old"));
    tree->collapseItem(root);
    tree->expandItem(root);
    QCOMPARE(Children(root), QStringList({"Mail", "New"}));
    QCOMPARE(tree->directory(), std::string("D:\\Mail"));  // still where it was
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Mail"));

    // Entering a directory by a click reads its children too.
    QTreeWidgetItem* fresh = root->child(1);
    tree->setCurrentItem(fresh);
    QCOMPARE(tree->directory(), std::string("D:\\New"));
    QCOMPARE(f.LabelInfoMsg1->text(), QStringLiteral("Path=D:\\New"));
    QCOMPARE(Children(fresh), QStringList({"Deeper"}));
    tree->setCurrentItem(root->child(0));
    QCOMPARE(Children(root->child(0)), QStringList({"Inner"}));
    KESTROVE_VERIFY_DIALOGS();
}

QTEST_MAIN(SelectionTest)
#include "SelectionTest.moc"
