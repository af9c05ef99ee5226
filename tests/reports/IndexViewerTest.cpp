// The index viewer's model: opening a view, its marks, colours, cells,
// counts and limit.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MessageFlag.h"
#include "platform/File.h"
#include "reports/IndexViewer.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/OpenFiles.h"
#include "tests/support/Reasons.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

using testing::FolderBuilder;
using testing::MessageSpec;
using testing::Msg;
using testing::ScriptedPort;
using testing::TempDir;

class IndexViewer : public ::testing::Test {
  protected:
    std::string Index() const { return dir / "INBOX.PMI"; }

    ViewResult View(const FolderBuilder& folder) {
        EXPECT_TRUE(folder.Write(Index()));
        return Open();
    }
    ViewResult View(const std::vector<MessageSpec>& messages) {
        FolderBuilder folder;
        for (const MessageSpec& m : messages)
            folder.Add(m);
        return View(folder);
    }
    ViewResult Open() {
        state.ListBox1.Clear();
        state.ListBox1.Add(Index());
        state.ListBox1.highlighted = 0;
        return ListBox1DblClick(state, port, model);
    }
    // Column 1 of every record row, "-" for empty, and the rows' colours.
    std::string Marks() const {
        std::string out;
        for (int r = 1; r < model.RowCount(); ++r) {
            std::string mark = model.CellText(r, 1);
            out += out.empty() ? "" : " ";
            out += mark.empty() ? "-" : mark;
        }
        return out;
    }
    std::string Colours() const {
        std::string out;
        for (int r = 1; r < model.RowCount(); ++r) {
            static const char* names[] = {"sky", "red", "fuchsia", "cream", "green"};
            out += out.empty() ? "" : " ";
            out += names[static_cast<int>(model.RowColourOf(r))];
        }
        return out;
    }

    TempDir dir{'D'};
    AppState state;
    ScriptedPort port;
    IndexViewModel model;
};

MessageSpec Same(std::uint32_t flags = 0) {
    return Msg("alice@example.com", "Hello", "Mon, 1 Jan 2024", 100, "text", flags);
}

TEST_F(IndexViewer, NetworkModeOrNoSelectedEntryDoesNothing) {
    ASSERT_TRUE(FolderBuilder().Add(Same()).Write(Index()));
    state.ListBox1.Add(Index());
    state.mode = kNetworkMode;
    state.ListBox1.highlighted = 0;
    EXPECT_FALSE(ListBox1DblClick(state, port, model).show);

    state.mode = kNormalMode;
    state.ListBox1.highlighted = -1;
    ViewResult result = ListBox1DblClick(state, port, model);
    EXPECT_FALSE(result.show);
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(result.lblPMMfile, "File:");
    EXPECT_EQ(model.LblCellInfo(), "Cell: ");
    EXPECT_EQ(state.currentIndexFile, "");
}

TEST_F(IndexViewer, FilesThatCannotBeOpenedEndTheView) {
    state.ListBox1.Add(Index());
    state.ListBox1.highlighted = 0;
    port.Reply(Answer::Ok, "File Error");
    ViewResult result = ListBox1DblClick(state, port, model);
    EXPECT_FALSE(result.show);
    ASSERT_EQ(port.boxes.size(), 1u);
    // The message file's name is formed with ".pmm".
    EXPECT_TRUE(testing::FixedTextThenReason(port.boxes[0].text,
                                             "Cannot Open File: " + (dir / "INBOX.pmm")));
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    EXPECT_EQ(result.lblPMMfile, "File:");

    ASSERT_TRUE(FolderBuilder().Add(Same()).Write(Index()));
    ASSERT_TRUE(platform::RemoveFile(Index()));
    port.Reply(Answer::Ok, "File Error");
    result = ListBox1DblClick(state, port, model);
    EXPECT_FALSE(result.show);
    EXPECT_TRUE(testing::FixedTextThenReason(port.boxes[1].text, "Cannot Open File: " + Index()));
    EXPECT_NE(result.lblPMMfile, "File:");  // the header line was already set
    EXPECT_EQ(result.lbl1IndexFile, "File:");
}

TEST_F(IndexViewer, LabelsShowTheHeaderAndTheCounts) {
    FolderBuilder folder;
    folder.header().name = std::string(50, 'N');
    folder.header().unread = static_cast<std::int16_t>(0x8000);
    folder.header().deleted = 7;
    folder.header().id = "ID-0123456789-abcdefghijk";  // cut to 22
    folder.Add(Msg("a", "one", "d", 1, "x", kReadBit));
    folder.Add(Msg("b", "two", "d", 2, "x"));
    folder.Add(Msg("c", "three", "d", 3, "x", kReadBit | kDeletedBit));
    folder.Add(Msg("d", "four", "d", 4, "x"));
    ViewResult result = View(folder);

    ASSERT_TRUE(result.show);
    EXPECT_EQ(result.rows, 4);
    EXPECT_EQ(result.lblPMMfile,
              "File: " + (dir / "INBOX.pmm") + "    [" + std::string(50, 'N') +
                  "]  Unread: -32768,  Deleted: 7  ID: ID-0123456789-abcdefgh\n");
    // A deleted record that is also read counts as deleted only.
    EXPECT_EQ(result.lbl1IndexFile,
              "File: " + Index() + " Unread:2, Read:1,  Deleted:1,  Dupes:0,  Look-alikes:0 \n");
    EXPECT_EQ(result.cellInfo, "Click on any cell for more informaton.");
    EXPECT_EQ(state.currentIndexFile, Index());

    // An empty index: the title row alone, all counts 0.
    ASSERT_TRUE(testing::WriteFileBytes(Index(), std::string_view()));
    result = Open();
    EXPECT_TRUE(result.show);
    EXPECT_EQ(model.RowCount(), 1);
    EXPECT_FALSE(model.TitleRowFixed());
    EXPECT_EQ(result.lbl1IndexFile,
              "File: " + Index() + " Unread:0, Read:0,  Deleted:0,  Dupes:0,  Look-alikes:0 \n");
}

TEST_F(IndexViewer, DuplicateAndDeletedMarksWithTheirColours) {
    state.sortOn = false;
    MessageSpec other = Msg("bob", "Other", "Tue", 50, "t");

    View({Same(), Same(), other});
    EXPECT_EQ(Marks(), "- Dup -");
    EXPECT_EQ(Colours(), "cream fuchsia cream");
    EXPECT_EQ(model.Counts().dupes, 1);
    EXPECT_EQ(model.RowColourOf(0), RowColour::SkyBlue);

    View({Same(), Same(), Same()});
    EXPECT_EQ(Marks(), "- Dup Dup");
    EXPECT_EQ(model.Counts().dupes, 2);

    View({Same(kDeletedBit), Same()});  // the record above is deleted
    EXPECT_EQ(Marks(), "Del -");
    EXPECT_EQ(Colours(), "red cream");

    View({Same(), Same(kDeletedBit)});  // a deleted record is never a dupe
    EXPECT_EQ(Marks(), "- Del");
    EXPECT_EQ(Colours(), "cream red");
    EXPECT_EQ(model.Counts().dupes, 0);

    MessageSpec shouting = Same();
    shouting.subject = "HELLO";
    View({Same(), shouting});
    EXPECT_EQ(Marks(), "- -");

    // Equal records apart in the file meet only when the sort brings them together.
    MessageSpec late = Msg("carol", "Later", "Wed", 900, "t");
    View({Same(), late, Same()});
    EXPECT_EQ(Marks(), "- - -");
    state.sortOn = true;
    View({Same(), late, Same()});
    EXPECT_EQ(Marks(), "- Dup -");
    EXPECT_EQ(model.CellText(3, 5), "carol");
}

// Dup only where the run drops the record: the texts are the same. A
// look-alike has its own mark and colour, and says why it stays.
TEST_F(IndexViewer, LookAlikesAreShownApartFromDuplicates) {
    state.sortOn = false;
    MessageSpec other = Same();
    other.text = "TEXT";  // the same size, another text
    View({Same(), other, other, Same(kReadBit)});
    EXPECT_EQ(Marks(), "- Alike Dup Alike");
    EXPECT_EQ(Colours(), "cream green fuchsia green");
    EXPECT_TRUE(model.IsLookAlike(2));
    EXPECT_FALSE(model.IsDupe(2));
    const IndexCounts counts = model.Counts();
    EXPECT_EQ(counts.dupes, 1);
    EXPECT_EQ(counts.lookalikes, 2);
    EXPECT_EQ(model.Lbl1IndexFile(), "File: " + Index() +
                                         " Unread:3, Read:1,  Deleted:0,  Dupes:1,  "
                                         "Look-alikes:2 \n");
    EXPECT_EQ(ToRgb(RowColour::PaleGreen), kPaleGreen);
    EXPECT_NE(kPaleGreen, kFuchsia);
    EXPECT_NE(kPaleGreen, kCream);
    model.SelectCell(2, 1);
    EXPECT_EQ(model.LblCellInfo(),
              "Row 2 Column Dupe/Deleted: [Alike] kept: same sender, subject, date, time and "
              "size as row 1, another text.");
    EXPECT_EQ(model.CellInfo(2, 5), "Row 2 Column From: [alice@example.com]");
    EXPECT_EQ(model.CellInfo(3, 1), "Row 3 Column Dupe/Deleted: [Dup]");

    // A text that cannot be compared is a look-alike too.
    MessageSpec cut = Same();
    cut.ending = testing::CtrlZ::None;
    View({Same(), cut});
    EXPECT_EQ(Marks(), "- Alike");
    EXPECT_EQ(model.CellInfo(2, 1),
              "Row 2 Column Dupe/Deleted: [Alike] kept: same sender, subject, date, time and "
              "size as row 1, the texts could not be compared: the message file ends inside a "
              "text.");
}

TEST_F(IndexViewer, CellTextsFollowTheFields) {
    state.sortOn = false;
    auto colour = [](std::int8_t c) {
        MessageSpec m = Same();
        m.color = c;
        return m;
    };
    MessageSpec wide = Same();
    wide.fpos = 0x80000000u;
    wide.writeText = false;  // the record only: no text 2 GiB into the file
    wide.fsize = -2;
    wide.msg_number = 65535;
    wide.fname = std::string(14, 'F');
    wide.subject = std::string(36, 'S');
    wide.from = std::string(30, 'f');
    wide.date = std::string(16, 'd');
    wide.mtime = -1;
    wide.flags = static_cast<std::uint32_t>(MessageFlag::Urgent);
    MessageSpec all = Same(0xFFFFFFFFu);
    View({colour(5), colour(12), colour(0), colour(static_cast<std::int8_t>(200)), wide, all});

    EXPECT_EQ(model.CellText(1, 8), "5");
    EXPECT_EQ(model.CellText(2, 8), "<");
    EXPECT_EQ(model.CellText(3, 8), "");
    EXPECT_EQ(model.CellText(4, 8), "\xC8");
    EXPECT_EQ(model.CellText(5, 0), "5");
    EXPECT_EQ(model.CellText(5, 2), "-2147483648");
    EXPECT_EQ(model.CellText(5, 3), "65535");
    EXPECT_EQ(model.CellText(5, 4), std::string(14, 'F'));
    EXPECT_EQ(model.CellText(5, 5), std::string(30, 'f'));
    EXPECT_EQ(model.CellText(5, 6), std::string(36, 'S'));  // nothing of the date after it
    EXPECT_EQ(model.CellText(5, 7), std::string(16, 'd'));
    EXPECT_EQ(model.CellText(5, 9), "-1");
    EXPECT_EQ(model.CellText(5, 10), "-2");
    std::string flagCells;
    for (int c = 11; c < IndexViewModel::kColumns; ++c)
        flagCells += model.CellText(5, c).empty() ? "." : model.CellText(5, c);
    EXPECT_EQ(flagCells, "................u.........");  // only Urgent, column 27
    flagCells.clear();
    for (int c = 11; c < IndexViewModel::kColumns; ++c)
        flagCells += model.CellText(6, c);
    EXPECT_EQ(flagCells, ">UEdXARVHCTSDMrFuBmsaehLtO");  // the six unnamed bits leave no trace

    // Titles, widths and names; BINHEX and Enclosure differ from their titles.
    EXPECT_EQ(model.CellText(0, 28), "x");
    EXPECT_EQ(model.CellText(0, 13), "E");
    EXPECT_EQ(model.CellText(0, 32), "E");
    EXPECT_EQ(IndexViewModel::ColumnName(1), "Dupe/Deleted");
    EXPECT_EQ(IndexViewModel::ColumnWidth(6), 180);
    EXPECT_EQ(IndexViewModel::ColumnWidth(36), 10);
    EXPECT_EQ(model.CellInfo(6, 17), "Row 6 Column has been Read: [R]");
    model.SelectCell(5, 8);
    EXPECT_EQ(model.LblCellInfo(), "Row 5 Column Colour: []");
    EXPECT_EQ(model.CellText(7, 0), "");  // outside the grid
}

// Nothing of a larger earlier view shows through a smaller later one.
TEST_F(IndexViewer, ALaterSmallerViewShowsNothingStale) {
    std::vector<MessageSpec> big, small;
    for (int i = 0; i < 20; ++i) {
        MessageSpec m = Msg("old sender " + std::to_string(i), "old subject, long enough",
                            "old date", 1000 + i, "old text", 0xFFFFFFFFu);
        m.color = 9;
        big.push_back(m);
    }
    for (int i = 0; i < 10; ++i)
        small.push_back(Msg("n" + std::to_string(i), "s", "d", i, "t"));
    View(big);
    ASSERT_EQ(model.RecordCount(), 20);
    View(small);

    ASSERT_EQ(model.RowCount(), 11);
    for (int r = 1; r <= 10; ++r) {
        EXPECT_EQ(model.CellText(r, 5), "n" + std::to_string(r - 1));
        EXPECT_EQ(model.CellText(r, 6), "s");
        EXPECT_EQ(model.CellText(r, 8), "");
        EXPECT_EQ(model.RowColourOf(r), RowColour::Cream);
        for (int c = 11; c < IndexViewModel::kColumns; ++c)
            EXPECT_EQ(model.CellText(r, c), "") << r << "," << c;
    }
    EXPECT_EQ(model.CellText(11, 5), "");
}

// 35,000 records are shown whole; the 35,001st stops the view, and the index
// file is closed on that path too.
TEST_F(IndexViewer, TheTableLimitStopsTheViewAtTheRecordPastIt) {
    ASSERT_TRUE(FolderBuilder().Write(Index()));  // the message file
    std::vector<std::uint8_t> records(static_cast<std::size_t>(MAXMSG) * kRecordSize, 0);
    ASSERT_TRUE(testing::WriteFileBytes(Index(), records));
    ViewResult result = Open();
    EXPECT_TRUE(result.show);
    EXPECT_EQ(result.rows, MAXMSG);
    EXPECT_EQ(model.CellText(MAXMSG, 0), "35000");

    records.resize(records.size() + kRecordSize);
    ASSERT_TRUE(testing::WriteFileBytes(Index(), records));
    const int openBefore = testing::CountOpenFiles();
    port.Reply(Answer::Ok, "Data Error");
    result = Open();
    EXPECT_FALSE(result.show);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, "MAXMSG > 35000 - redimension.");
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    EXPECT_EQ(state.table.count, MAXMSG);
    EXPECT_EQ(testing::CountOpenFiles(), openBefore);
    EXPECT_TRUE(platform::RemoveFile(Index()));
}

}  // namespace
}  // namespace kestrove
