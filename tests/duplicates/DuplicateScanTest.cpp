// Loading an index into the table and the neighbour rule of the scan.

#include <gtest/gtest.h>

#include "core/Format.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "tests/support/EngineFixture.h"

namespace kestrove::testing {
namespace {

class DuplicateScan : public EngineTest {
  protected:
    // Writes the folder, loads and scans it; the marks of the slots.
    std::vector<int> Scan(const FolderBuilder& folder, bool sortOn = false) {
        const std::string path = Pmi("SCAN");
        EXPECT_TRUE(folder.Write(path));
        state.sortOn = sortOn;
        EXPECT_TRUE(LoadIndex(state, port, path, 0));
        FindDuplicates(state, port, path);
        std::vector<int> marks;
        for (int i = 0; i < state.table.count; ++i)
            marks.push_back(state.DropMarks[static_cast<std::size_t>(i)]);
        return marks;
    }
};

MessageSpec A(std::uint32_t flags = 0) {
    return Msg("Alice", "Lunch", "Mon, 1 Jan", 100, "text a", flags);
}

TEST_F(DuplicateScan, RunsOfEqualRecordsKeepTheirFirst) {
    FolderBuilder f;
    f.Add(A()).Add(A()).Add(A()).Add(Msg("Bob", "x", "d", 1, "b")).Add(A()).Add(A());
    EXPECT_EQ(Scan(f), (std::vector<int>{0, 1, 1, 0, 0, 1}));
    EXPECT_EQ(state.counts.dupes, 3);
    EXPECT_EQ(state.counts.messages, 6);
    EXPECT_EQ(state.counts.unread, 6);
}

TEST_F(DuplicateScan, OnlyTheRecordJustBeforeCounts) {
    // Sort off: equal records apart are both kept. Sort on: they meet.
    FolderBuilder f;
    f.Add(A()).Add(Msg("Bob", "x", "d", 1, "b")).Add(A());
    EXPECT_EQ(Scan(f, false), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(Scan(f, true), (std::vector<int>{0, 0, 1}));
    EXPECT_EQ(state.table[0].from(), "Bob");  // mtime 1 sorts first
}

TEST_F(DuplicateScan, DeletedRecords) {
    FolderBuilder f;
    // A deleted predecessor is never the earlier record of a pair.
    f.Add(A(kDeletedBit)).Add(A());
    // A deleted duplicate counts as deleted and as a duplicate.
    f.Add(Msg("Carol", "s", "d", 5, "c", kReadBit))
        .Add(Msg("Carol", "s", "d", 5, "c", kDeletedBit));
    // Deleted and read counts as deleted only.
    f.Add(Msg("Dan", "s", "d", 6, "d", kDeletedBit | kReadBit));
    EXPECT_EQ(Scan(f), (std::vector<int>{1, 0, 0, 1, 1}));
    EXPECT_EQ(state.counts.deleted, 3);
    EXPECT_EQ(state.counts.dupes, 1);
    EXPECT_EQ(state.counts.read, 1);
    EXPECT_EQ(state.counts.unread, 1);
}

TEST_F(DuplicateScan, WhatTheComparisonLooksAt) {
    FolderBuilder f;
    // Case counts: Bob and bob differ.
    f.Add(Msg("Bob", "s", "d", 1, "x")).Add(Msg("bob", "s", "d", 1, "x"));
    // Texts end at their NUL: bytes after it do not count.
    MessageSpec s1 = Msg("Eve", "Hi", "d", 2, "y"), s2 = s1;
    s1.raw = {{rec::kSubject + 3, 'X'}};
    s2.raw = {{rec::kSubject + 3, 'Y'}};
    f.Add(s1).Add(s2);
    // A 30-byte sender without a NUL, equal in its 30 bytes; other
    // msg_number, fpos, colour, fname, flags and uninterpreted bytes.
    MessageSpec l1 = Msg(std::string(30, 'L'), "s", "d", 3, "z"), l2 = l1;
    l2.msg_number = 77;
    l2.color = 5;
    l2.fname = "OTHER";
    l2.flags = kReadBit;
    l2.byte106 = l2.byte107 = l2.byte109 = 9;
    // Another fpos; the same text.
    f.Add(l1).Add(l2);
    // Every compared field, once different.
    f.Add(Msg("F", "s", "d", 4, "w")).Add(Msg("F", "t", "d", 4, "w"));
    f.Add(Msg("F", "t", "e", 4, "w")).Add(Msg("F", "t", "e", 5, "w"));
    f.Add(Msg("F", "t", "e", 5, "ww"));
    EXPECT_EQ(Scan(f), (std::vector<int>{0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0}));
}

TEST_F(DuplicateScan, LoadShowsAndLogsWhatItRead) {
    const std::string log = OpenLog();
    FolderBuilder f;
    f.Add(A()).Add(A(kReadBit)).Add(A(kDeletedBit)).IndexTail("partial record");
    const std::string path = Pmi("SCAN");
    ASSERT_TRUE(f.Write(path));
    ASSERT_TRUE(LoadIndex(state, port, path, 7));
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg2), "Message 2");
    FindDuplicates(state, port, path);
    EXPECT_EQ(state.table.count, 3);  // the partial record is not one
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "File:  7 " + path);
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg2), "Comparing message 1 with message 0");
    EXPECT_EQ(state.currentIndexFile, path);
    state.runLog.Close();
    EXPECT_EQ(Lines(log), (std::vector<std::string>{"PMI File " + path + " has 3 messages.",
                                                    " PMI: msg:3 read:1 deleted:1 dupes:2"}));
}

TEST_F(DuplicateScan, EmptyIndex) {
    EXPECT_TRUE(Scan(FolderBuilder()).empty());
    EXPECT_EQ(state.counts.messages + state.counts.read + state.counts.deleted +
                  state.counts.dupes + state.counts.unread,
              0);
}

TEST_F(DuplicateScan, IndexThatCannotBeOpened) {
    port.Reply(Answer::Ok, "File Error 1");
    EXPECT_FALSE(LoadIndex(state, port, Pmi("MISSING"), 0));
    EXPECT_TRUE(FixedTextThenReason(port.boxes.at(0).text, "Cannot Open File: " + Pmi("MISSING")));
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Stop);
    EXPECT_EQ(port.boxes.at(0).buttons, Buttons::Ok);
}

// The table holds MAXMSG - 1 records; one more ends the run, nothing changed.
TEST_F(DuplicateScan, TableLimit) {
    FolderBuilder f;
    for (int i = 0; i < MAXMSG - 1; ++i)
        f.Add(Msg("S", "t", "d", i % 50, "", i % 2 ? kDeletedBit : 0));
    const std::string fits = Pmi("FITS");
    ASSERT_TRUE(f.Write(fits));
    EXPECT_TRUE(LoadIndex(state, port, fits, 0));
    EXPECT_EQ(state.table.count, MAXMSG - 1);

    f.Add(A());
    const std::string big = Pmi("BIG");
    ASSERT_TRUE(f.Write(big));
    const FolderBytes before = f.Build();
    port.Reply(Answer::Ok, "Dimension Error");
    Run({big});
    EXPECT_EQ(port.boxes.at(0).text, "MAXMSG=35000 exceeded!  Redimension.");
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Stop);
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg2), "Message 34999");
    ExpectUntouched(big, before);
    EXPECT_FALSE(state.AbortRequested);
}

}  // namespace
}  // namespace kestrove::testing
