// The folder name list: rows sorted by display name, the marker, the click.

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/File.h"
#include "reports/FolderNames.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/Reasons.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

using testing::FolderBuilder;
using testing::ScriptedPort;
using testing::TempDir;

class FolderNameList : public ::testing::Test {
  protected:
    void SetUp() override { state.fileListDirectory = dir.path(); }
    void Folder(const std::string& indexName, const std::string& displayName) {
        FolderBuilder folder;
        folder.header().name = displayName;
        ASSERT_TRUE(folder.Write(dir / indexName));
        state.FileListBox1.push_back(indexName);
    }
    // Columns 1 to 3 of every row, "name/file/marker".
    std::string Rows() const {
        std::string out;
        for (int r = 1; r < model.RowCount(); ++r) {
            out += out.empty() ? "" : " ";
            out += model.CellText(r, 1) + "/" + model.CellText(r, 2) + "/" + model.CellText(r, 3);
        }
        return out;
    }

    TempDir dir{'D'};
    AppState state;
    ScriptedPort port;
    FolderListModel model;
};

// Collation, not byte order: "beta" before "Gamma", in the C locale too;
// equal names keep the file list's order; row numbers do not move.
TEST_F(FolderNameList, RowsAreSortedByDisplayName) {
    std::setlocale(LC_ALL, "C");
    Folder("A.PMI", "Gamma");
    Folder("B.PMI", "beta");
    Folder("C.PMI", "Alpha");
    Folder("D.PMI", "beta");
    Folder("E.PMI", std::string(50, 'z'));
    ASSERT_TRUE(FileNamesClick(state, port, model));
    EXPECT_EQ(Rows(), "Alpha/C.PMI/ beta/B.PMI/ beta/D.PMI/ Gamma/A.PMI/ " + std::string(50, 'z') +
                          "/E.PMI/");
    EXPECT_EQ(model.CellText(1, 0), "1");
    EXPECT_EQ(model.CellText(5, 0), "5");
    EXPECT_EQ(model.CellText(0, 1), "Folder Name");
    EXPECT_EQ(FolderListModel::ColumnWidth(1), 200);
    EXPECT_TRUE(port.boxes.empty());
}

TEST_F(FolderNameList, AClickAddsOrRemovesTheFile) {
    Folder("A.PMI", "Inbox");
    Folder("B.PMI", "Sent");
    state.ListBox1.Add(dir / "B.PMI");
    ASSERT_TRUE(FileNamesClick(state, port, model));
    EXPECT_EQ(Rows(), "Inbox/A.PMI/ Sent/B.PMI/>");
    EXPECT_EQ(model.CellBackground(2, 3), kRed);
    EXPECT_EQ(model.CellBackground(1, 3), kCream);
    EXPECT_EQ(model.CellBackground(1, 0), kSkyBlue);

    // The number column and the title row do nothing.
    StringGrid1MouseDown(state, port, model, 1, 0);
    StringGrid1MouseDown(state, port, model, 0, 2);
    EXPECT_TRUE(port.countLabels.empty());
    EXPECT_EQ(state.ListBox1.Count(), 1);

    StringGrid1MouseDown(state, port, model, 2, 1);
    EXPECT_TRUE(state.ListBox1.Empty());
    EXPECT_EQ(model.CellText(2, 3), "");
    EXPECT_EQ(port.countLabels[CountLabel::LblNumSelFiles], "0 Files Selected");

    StringGrid1MouseDown(state, port, model, 1, 2);
    EXPECT_EQ(state.ListBox1.entries(), std::vector<std::string>{dir / "A.PMI"});
    EXPECT_EQ(model.CellBackground(1, 3), kRed);
    EXPECT_EQ(port.countLabels[CountLabel::LblNumSelFiles], "1 Files Selected");
    StringGrid1MouseDown(state, port, model, 1, 3);
    EXPECT_TRUE(state.ListBox1.Empty());
    EXPECT_EQ(model.CellText(1, 3), "");
}

// Cells outside the grid read no row: the marker column of a row above the
// first was read before the rows.
TEST_F(FolderNameList, CellsOutsideTheGridAreBlank) {
    Folder("A.PMI", "Inbox");
    state.ListBox1.Add(dir / "A.PMI");
    ASSERT_TRUE(FileNamesClick(state, port, model));
    for (int row : {-1, -2, model.RowCount()}) {
        EXPECT_EQ(model.CellBackground(row, 3), kCream) << row;
        EXPECT_EQ(model.CellText(row, 3), "") << row;
    }
    EXPECT_EQ(model.CellText(1, FolderListModel::kColumns), "");
}

TEST_F(FolderNameList, BackupModeNamesComeFromTheBackupMessageFiles) {
    FolderBuilder folder;
    folder.header().name = "Old mail";
    ASSERT_TRUE(folder.Write(dir / "X.PMI"));
    auto pmm = testing::ReadFileBytes(dir / "X.PMM");
    ASSERT_TRUE(pmm);
    ASSERT_TRUE(testing::WriteFileBytes(dir / "X.BKM", *pmm));
    ASSERT_TRUE(testing::WriteFileBytes(dir / "X.BKI", std::string_view()));
    ASSERT_TRUE(platform::RemoveFile(dir / "X.PMM"));
    state.mode = kBackupMode;
    state.FileListBox1 = {"X.BKI"};
    ASSERT_TRUE(FileNamesClick(state, port, model));
    EXPECT_EQ(Rows(), "Old mail/X.BKI/");
    StringGrid1MouseDown(state, port, model, 1, 1);
    EXPECT_EQ(state.ListBox1.entries(), std::vector<std::string>{dir / "X.BKI"});
}

TEST_F(FolderNameList, NothingToListOrAFileThatCannotBeRead) {
    Folder("A.PMI", "Inbox");
    state.mode = kNetworkMode;
    EXPECT_FALSE(FileNamesClick(state, port, model));
    state.mode = kNormalMode;
    std::vector<std::string> files = state.FileListBox1;
    state.FileListBox1.clear();
    EXPECT_FALSE(FileNamesClick(state, port, model));
    EXPECT_TRUE(port.boxes.empty());

    // A message file too short for a header reads as one padded with zeros:
    // the name is what the file holds, as the viewer shows it.
    state.FileListBox1 = files;
    ASSERT_TRUE(testing::WriteFileBytes(dir / "SHORT.PMM", std::string_view("Short name")));
    state.FileListBox1.push_back("SHORT.PMI");
    ASSERT_TRUE(FileNamesClick(state, port, model));
    EXPECT_EQ(Rows(), "Inbox/A.PMI/ Short name/SHORT.PMI/");

    state.FileListBox1.push_back("GONE.PMI");
    port.Reply(Answer::Ok, "File Error");
    EXPECT_FALSE(FileNamesClick(state, port, model));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_TRUE(testing::FixedTextThenReason(port.boxes[0].text,
                                             "Cannot Open File: " + (dir / "GONE.PMM")));
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
}

}  // namespace
}  // namespace kestrove
