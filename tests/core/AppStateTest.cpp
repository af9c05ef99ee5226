// The sorted lists of the main window and the file list.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/AppState.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

TEST(SortedListTest, KeepsEntriesSortedWithoutRegardToCase) {
    SortedList list;
    EXPECT_EQ(list.Add("D:\\MAIL\\sent.pmi"), 0);
    EXPECT_EQ(list.Add("D:\\MAIL\\INBOX.PMI"), 0);
    EXPECT_EQ(list.Add("D:\\MAIL\\Trash.pmi"), 2);
    EXPECT_EQ(list.Add("D:\\MAIL\\\xC9T\xC9.PMI"), 3);  // accented letters after Z
    EXPECT_EQ(list.Add("D:\\MAIL\\archive.pmi"), 0);
    EXPECT_EQ(list.entries(),
              (std::vector<std::string>{"D:\\MAIL\\archive.pmi", "D:\\MAIL\\INBOX.PMI",
                                        "D:\\MAIL\\sent.pmi", "D:\\MAIL\\Trash.pmi",
                                        "D:\\MAIL\\\xC9T\xC9.PMI"}));
    // Equal but for case: in the order added, after the existing one.
    EXPECT_EQ(list.Add("D:\\MAIL\\inbox.pmi"), 2);
    EXPECT_EQ(list.Add("D:\\MAIL\\\xE9t\xE9.pmi"), 6);
    EXPECT_EQ(list[1], "D:\\MAIL\\INBOX.PMI");
    EXPECT_EQ(list[2], "D:\\MAIL\\inbox.pmi");
    EXPECT_EQ(list.IndexOf("D:\\MAIL\\inbox.pmi"), 2);  // exact, case included
    EXPECT_EQ(list.IndexOf("D:\\MAIL\\Inbox.pmi"), -1);
    EXPECT_TRUE(list.Contains("D:\\MAIL\\INBOX.PMI"));
    // A duplicate is added again: the caller tests for it.
    list.Add("D:\\MAIL\\INBOX.PMI");
    EXPECT_EQ(list.Count(), 8);
}

TEST(SortedListTest, HighlightFollowsItsEntry) {
    SortedList list;
    list.Add("b");
    list.Add("d");
    list.highlighted = 1;  // "d"
    list.Add("a");
    EXPECT_EQ(list[list.highlighted], "d");
    list.Add("e");
    EXPECT_EQ(list[list.highlighted], "d");
    list.RemoveAt(0);
    EXPECT_EQ(list[list.highlighted], "d");
    list.RemoveAt(list.highlighted);
    EXPECT_EQ(list.highlighted, -1);
    list.RemoveAt(99);  // out of range: nothing
    EXPECT_EQ(list.Count(), 2);
    list.highlighted = 0;
    list.Clear();
    EXPECT_TRUE(list.Empty());
    EXPECT_EQ(list.highlighted, -1);
}

TEST(FileListTest, RereadListsMatchingFilesOnlySorted) {
    testing::TempDir dir;
    for (const char* name : {"sent.pmi", "INBOX.PMI", "Trash.Pmi", "INBOX.PMM", "A.BKI"})
        ASSERT_TRUE(testing::WriteFileBytes(dir / name, std::string_view()));
    std::filesystem::create_directory(dir.Native("OLD.PMI"));
    AppState state;
    state.fileListDirectory = dir.path();
    state.RereadFileList();
    EXPECT_EQ(state.FileListBox1, (std::vector<std::string>{"INBOX.PMI", "sent.pmi", "Trash.Pmi"}));
    state.fileListMask = "*.bki";
    state.RereadFileList();
    EXPECT_EQ(state.FileListBox1, (std::vector<std::string>{"A.BKI"}));
    state.fileListDirectory = dir / "MISSING";
    state.RereadFileList();
    EXPECT_TRUE(state.FileListBox1.empty());
}

}  // namespace
}  // namespace kestrove
