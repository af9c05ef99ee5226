// The rules of choosing what the commands work through: moving entries
// between the available and the selected lists, their counts, the mode
// switches' lists, and the header summary of a clicked folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/Selection.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/Reasons.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using testing::FolderBuilder;
using testing::HeaderSpec;
using testing::ScriptedPort;
using testing::TempDir;

struct Selecting : ::testing::Test {
    AppState state;
    ScriptedPort port;

    Selecting() {
        state.fileListDirectory = "D:\\Mail";
        state.FileListBox1 = {"A.PMI", "B.PMI", "a.pmi"};
        state.currentDirectory = "D:\\Users";
        state.ListBox2 = {"amy", "bob"};
    }
    std::string SelectedCount() { return port.countLabels[CountLabel::LblNumSelFiles]; }
};

// ">" adds each selected file once, by its full path; the same name in
// another directory, or in another letter case, is another entry.
TEST_F(Selecting, AddingFiles) {
    BtnMoveFileClick(state, port, {1});
    BtnMoveFileClick(state, port, {1, 0});
    EXPECT_EQ(state.ListBox1.entries(),
              (std::vector<std::string>{"D:\\Mail\\A.PMI", "D:\\Mail\\B.PMI"}));
    EXPECT_EQ(SelectedCount(), "2 Files Selected");
    BtnMoveFileClick(state, port, {2, 7, -1});  // rows the list does not have: left out
    EXPECT_EQ(state.ListBox1.Count(), 3);
    EXPECT_TRUE(state.ListBox1.Contains("D:\\Mail\\a.pmi"));
    state.fileListDirectory = "E:\\Other";
    BtnMoveFileClick(state, port, {0});
    EXPECT_TRUE(state.ListBox1.Contains("E:\\Other\\A.PMI"));
    EXPECT_EQ(SelectedCount(), "4 Files Selected");
    EXPECT_TRUE(state.ListBox3.Empty());
    EXPECT_EQ(port.listChanges.back(), ListId::ListBox1);
}

// The full path joins with one backslash, whatever the directory ends in.
TEST_F(Selecting, ARootDirectoryDoublesTheSeparator) {
    state.fileListDirectory = "C:\\";
    BtnMoveFileClick(state, port, {0});
    EXPECT_EQ(state.ListBox1[0], "C:\\\\A.PMI");
}

TEST_F(Selecting, AddingAllAndTakingBack) {
    BtnMoveAllFilesClick(state, port);
    EXPECT_EQ(state.ListBox1.Count(), 3);
    EXPECT_EQ(SelectedCount(), "3 Files Selected");

    // "<" takes the highlighted entry, and the highlight goes with it.
    state.ListBox1.highlighted = 0;
    const std::string first = state.ListBox1[0];
    BtnUnMoveFile2Click(state, port);
    EXPECT_FALSE(state.ListBox1.Contains(first));
    EXPECT_EQ(state.ListBox1.highlighted, -1);
    EXPECT_EQ(SelectedCount(), "2 Files Selected");
    // With none highlighted nothing goes, and the count is shown all the same.
    port.countLabels.clear();
    BtnUnMoveFile2Click(state, port);
    EXPECT_EQ(state.ListBox1.Count(), 2);
    EXPECT_EQ(SelectedCount(), "2 Files Selected");
    // A highlight past the end (the list changed under it) takes nothing.
    state.ListBox1.highlighted = 5;
    BtnUnMoveFile2Click(state, port);
    EXPECT_EQ(state.ListBox1.Count(), 2);

    BtnUnMoveAllFilesClick(state, port);
    EXPECT_TRUE(state.ListBox1.Empty());
    EXPECT_EQ(SelectedCount(), "No Files Selected");
}

// In Network Mode the same moves work on the user directories.
TEST_F(Selecting, NetworkModeChoosesUserDirectories) {
    state.mode = kNetworkMode;
    state.ListBox1.Add("D:\\Mail\\A.PMI");
    BtnMoveFileClick(state, port, {1});
    EXPECT_EQ(state.ListBox3.entries(), (std::vector<std::string>{"D:\\Users\\bob"}));
    EXPECT_EQ(SelectedCount(), "1 Directories Selected");
    BtnMoveAllFilesClick(state, port);
    EXPECT_EQ(state.ListBox3.Count(), 2);
    EXPECT_EQ(SelectedCount(), "2 Directories Selected");
    state.ListBox3.highlighted = 1;
    BtnUnMoveFile2Click(state, port);
    EXPECT_EQ(state.ListBox3.entries(), (std::vector<std::string>{"D:\\Users\\amy"}));
    EXPECT_EQ(SelectedCount(), "1 Directories Selected");
    BtnUnMoveAllFilesClick(state, port);
    EXPECT_TRUE(state.ListBox3.Empty());
    EXPECT_EQ(SelectedCount(), "No Directories Selected");
    EXPECT_EQ(state.ListBox1.Count(), 1);  // the file selection is another list
}

// Only the selected lists keep a highlight.
TEST_F(Selecting, HighlightsOfTheSelectedLists) {
    NoteHighlight(state, ListId::ListBox1, 2);
    NoteHighlight(state, ListId::ListBox3, 1);
    NoteHighlight(state, ListId::FileListBox1, 1);
    NoteHighlight(state, ListId::ListBox2, 0);
    EXPECT_EQ(state.ListBox1.highlighted, 2);
    EXPECT_EQ(state.ListBox3.highlighted, 1);
    EXPECT_EQ(HighlightOf(state, ListId::FileListBox1), -1);
    EXPECT_EQ(HighlightOf(state, ListId::ListBox2), -1);
}

struct OnDisk : ::testing::Test {
    TempDir dir;
    AppState state;
    ScriptedPort port;
    OnDisk() {
        fs::create_directories(dir.Native("amy"));
        fs::create_directories(dir.Native("bob"));
        FolderBuilder inbox(HeaderSpec{"Inbox", 2, 1, 640, "ID-IN", {}});
        inbox.Add(testing::Msg("a@b", "S", "D", 1, "text"));
        inbox.Write(dir / "IN.PMI");
        // The backup pair a run leaves.
        FolderBuilder backup(HeaderSpec{"Old Inbox", 4, 0, 0, "ID-BK", {}});
        backup.Write(dir / "OLD.PMI");
        fs::rename(dir.Native("OLD.PMI"), dir.Native("IN.BKI"));
        fs::rename(dir.Native("OLD.PMM"), dir.Native("IN.BKM"));
        std::ofstream(dir.Native("notes.txt")) << "x";
        state.currentDirectory = state.fileListDirectory = dir.path();
        state.RereadFileList();
    }
};

// Every switch empties both selected lists; Network Mode lists the user
// directories (never files, "." or ".."), the others the mask's files.
TEST_F(OnDisk, ModeSwitchesStartTheListsAfresh) {
    for (int mode : {kNormalMode, kBackupMode, kNetworkMode, kNormalMode}) {
        SCOPED_TRACE(mode);
        state.ListBox1.Add("X:\\A.PMI");
        state.ListBox3.Add("X:\\amy");
        ApplyModeLists(state, port, mode);
        EXPECT_TRUE(state.ListBox1.Empty() && state.ListBox3.Empty());
        EXPECT_EQ(state.mode, mode);
        const bool network = mode == kNetworkMode;
        EXPECT_EQ(port.listVisible[ListId::FileListBox1], !network);
        EXPECT_EQ(port.listVisible[ListId::ListBox2], network);
        EXPECT_EQ(port.countLabels[CountLabel::LblNumSelFiles],
                  network ? "No Directories Selected" : "No Files Selected");
        if (network) {
            EXPECT_EQ(state.ListBox2, (std::vector<std::string>{"amy", "bob"}));
            EXPECT_EQ(port.countLabels[CountLabel::LblNumFiles], "2 directories");
        } else {
            EXPECT_EQ(state.FileListBox1,
                      (std::vector<std::string>{mode == kBackupMode ? "IN.BKI" : "IN.PMI"}));
            EXPECT_EQ(port.countLabels[CountLabel::LblNumFiles], "1 Files");
        }
    }
    EXPECT_FALSE(port.abortVisible);
}

// New: Normal Mode's lists, the status lines and meters reset.
TEST_F(OnDisk, NewStartsAgain) {
    ApplyModeLists(state, port, kBackupMode);
    state.ListBox1.Add("X:\\A.BKI");
    port.SetStatus(StatusLine::LabelInfoMsg2, "old", false);
    NewLists(state, port);
    EXPECT_EQ(state.fileListMask, "*.pmi");
    EXPECT_EQ(state.FileListBox1, (std::vector<std::string>{"IN.PMI"}));
    EXPECT_TRUE(state.ListBox1.Empty());
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "File:");
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg2), "");
    for (Meter m : {Meter::ProgressBarF, Meter::ProgressBarM, Meter::ProgressBar1})
        EXPECT_FALSE(port.meterVisible[m]);
    EXPECT_EQ(port.countLabels[CountLabel::LblNumSelFiles], "No Files Selected");
}

// A click on a file shows its message file's header; in Backup Mode the
// backup's. With several selected, the last one's stays.
TEST_F(OnDisk, TheSummaryOfAClickedFolder) {
    FileListBox1Click(state, port, {0});
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1),
              "File:" + dir.path() + "\\IN.PMM, Name:Inbox");
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg2),
              "     Unread:2, deleted:1, deleted space:640, ID:ID-IN");

    state.mode = kBackupMode;
    state.fileListMask = "*.bki";
    state.RereadFileList();
    FileListBox1Click(state, port, {0});
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1),
              "File:" + dir.path() + "\\IN.BKM, Name:Old Inbox");

    // Network Mode has no files to sum up.
    state.mode = kNetworkMode;
    port.statusHistory.clear();
    FileListBox1Click(state, port, {0});
    EXPECT_TRUE(port.statusHistory.empty());
    EXPECT_TRUE(port.boxes.empty());
}

// A message file that cannot be opened is said in a box, and the files
// after it are not summed up; the lines keep what they had.
TEST_F(OnDisk, AMissingMessageFileEndsTheSummary) {
    state.FileListBox1 = {"GONE.PMI", "IN.PMI"};
    port.SetStatus(StatusLine::LabelInfoMsg1, "before", false);
    port.Reply(Answer::Ok, "File Error");
    FileListBox1Click(state, port, {0, 1});
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_TRUE(testing::FixedTextThenReason(port.boxes[0].text,
                                             "Cannot Open File: " + dir.path() + "\\GONE.PMM"));
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "before");
}

}  // namespace
}  // namespace kestrove
