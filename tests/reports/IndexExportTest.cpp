// The index export, byte for byte, its failures, and the two switches.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/Faults.h"
#include "reports/Export.h"
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
namespace faults = platform::faults;

class IndexExport : public ::testing::Test {
  protected:
    void TearDown() override { faults::Reset(); }
    std::string P(std::string_view name) const { return dir / name; }
    std::string Get(std::string_view name) const {
        auto bytes = testing::ReadFileBytes(P(name));
        return bytes ? std::string(bytes->begin(), bytes->end()) : "-";
    }
    void Select(std::string_view name) { state.ListBox1.Add(P(name)); }

    // Two records that use every corner of the line format: all flags set
    // (deleted too), fpos and flags with bit 31, msg_number 65535, colour
    // 200, a 36-byte subject without NUL, quotes, commas and a tab in texts.
    // In file order they are not in time order; the export never sorts.
    FolderBuilder Corners() const {
        FolderBuilder folder;
        MessageSpec a = Msg("He said \"hi\", ok", "0123456789abcdefghijklmnopqrstuvwxyz",
                            "Mon, 1 Jan 2024", 2000000000, "text", 0xFFFFFFFFu);
        a.fpos = 0x80000000u;
        a.writeText = false;  // the record only: no text 2 GiB into the file
        a.msg_number = 65535;
        a.fname = "F\tNAME";
        a.color = static_cast<std::int8_t>(200);
        a.fsize = 1234;
        MessageSpec b = Msg("from", "subj", "date", -1, "text", 0x80000000u);
        b.fpos = 128;
        b.msg_number = 1;
        b.fname = "f";
        b.color = 5;
        folder.Add(a).Add(b);
        return folder;
    }

    TempDir dir{'D'};
    AppState state;
    ScriptedPort port;
};

TEST_F(IndexExport, CsvAndTabFilesByteForByte) {
    ASSERT_TRUE(Corners().Write(P("FOLDER.PMI")));
    Select("FOLDER.PMI");
    SaveIndexFile1Click(state, port);
    EXPECT_EQ(Get("FOLDER.CSV"),
              "flags, fpos, msg_number, fname, from, subject, date, color, mtime, fsize\r\n"
              "-1, -2147483648, 65535, \"F\tNAME\", \"He said \"hi\", ok\", "
              "\"0123456789abcdefghijklmnopqrstuvwxyz\", \"Mon, 1 Jan 2024\", -56, 2000000000, "
              "1234\r\n"
              "-2147483648, 128, 1, \"f\", \"from\", \"subj\", \"date\", 5, -1, 4\r\n");

    SaveIndexasTABClick(state);
    SaveIndexFile1Click(state, port);
    EXPECT_EQ(Get("FOLDER.TXT"),
              "flags \tfpos \tmsg_number \tfname \tfrom \tsubject \tdate \tcolor \tmtime "
              "\tfsize\r\n"
              "-1\t-2147483648\t65535\t\"F\tNAME\"\t\"He said \"hi\", ok\"\t"
              "\"0123456789abcdefghijklmnopqrstuvwxyz\"\t\"Mon, 1 Jan 2024\"\t-56\t2000000000\t"
              "1234\r\n"
              "-2147483648\t128\t1\t\"f\"\t\"from\"\t\"subj\"\t\"date\"\t5\t-1\t4\r\n");
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "File " + P("FOLDER.TXT"));
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg2), "");
    EXPECT_EQ(state.currentIndexFile, P("FOLDER.PMI"));
}

TEST_F(IndexExport, OnlyWholeRecordsAreExported) {
    FolderBuilder folder;
    for (int i = 0; i < 8; ++i)
        folder.Add(Msg("a", "b", "c", i, "t"));
    folder.IndexTail(std::string(56, 'x'));  // 1000 bytes in all
    ASSERT_TRUE(folder.Write(P("A.PMI")));
    ASSERT_TRUE(testing::WriteFileBytes(P("EMPTY.PMI"), std::string_view()));
    Select("A.PMI");
    Select("EMPTY.PMI");
    SaveIndexFile1Click(state, port);
    const std::string a = Get("A.CSV");
    EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), 9);
    EXPECT_EQ(Get("EMPTY.CSV"), ExportTitleLine(true));
    EXPECT_EQ(port.statusHistory[1].second, "Message 1");
}

// An index that cannot be opened ends the export before its output file is
// created; the files before it are complete.
TEST_F(IndexExport, FailuresEndTheExport) {
    ASSERT_TRUE(Corners().Write(P("A.PMI")));
    ASSERT_TRUE(Corners().Write(P("C.PMI")));
    Select("A.PMI");
    Select("B.PMI");
    Select("C.PMI");
    const int openBefore = testing::CountOpenFiles();
    port.Reply(Answer::Ok, "File Error");
    SaveIndexFile1Click(state, port);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_TRUE(testing::FixedTextThenReason(port.boxes[0].text,
                                             "Cannot Open Input Index File: " + P("B.PMI")));
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    const std::string a = Get("A.CSV");
    EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), 3);
    EXPECT_EQ(Get("B.CSV"), "-");
    EXPECT_EQ(Get("C.CSV"), "-");
    EXPECT_EQ(testing::CountOpenFiles(), openBefore);

    ScriptedPort create;
    ASSERT_TRUE(Corners().Write(P("B.PMI")));
    faults::FailAlways(faults::Op::Create, "B.CSV");
    create.Reply(Answer::Ok, "File Error");
    SaveIndexFile1Click(state, create);
    ASSERT_EQ(create.boxes.size(), 1u);
    EXPECT_EQ(create.boxes[0].text,
              testing::Injected("Cannot Open Output Index File: " + P("B.CSV")));
    EXPECT_EQ(Get("C.CSV"), "-");

    // A failed write is reported, not left as a short file that looks done.
    faults::Reset();
    faults::FailWriteAt("A.CSV", 100);
    ScriptedPort write;
    write.Reply(Answer::Ok, "File Error");
    SaveIndexFile1Click(state, write);
    ASSERT_EQ(write.boxes.size(), 1u);
    EXPECT_EQ(write.boxes[0].text,
              testing::Injected("Cannot Write Output Index File: " + P("A.CSV")));
    EXPECT_EQ(testing::CountOpenFiles(), openBefore);

    ScriptedPort empty;
    state.ListBox1.Clear();
    empty.Reply(Answer::Ok, "No Data");
    SaveIndexFile1Click(state, empty);
    EXPECT_EQ(empty.boxes[0].text, "No files selected.");
}

// The format is read once per file, when its name is formed: a switch made
// during the pump before a file counts from the next file on.
// Only index files are exported, and never onto themselves: the export file
// of another kind of file, or one that is the index under another name, is
// neither created nor emptied.
TEST_F(IndexExport, WrongInputsAreRefusedBeforeAnyFileIsWritten) {
    ASSERT_TRUE(Corners().Write(P("A.PMI")));
    const std::string index = Get("A.PMI"), text = Get("A.PMM");
    ASSERT_TRUE(testing::WriteFileBytes(P("A.TXT"), index));
    for (const char* name : {"A.PMM", "A.TXT", "A"}) {
        ScriptedPort p;
        state.ListBox1.Clear();
        Select(name);
        state.exportCsv = false;
        p.Reply(Answer::Ok, "File Error");
        EXPECT_FALSE(SaveIndexFile1Click(state, p).completed);
        ASSERT_EQ(p.boxes.size(), 1u) << name;
        EXPECT_EQ(p.boxes[0].text, P(name) + " is not an index file (.PMI or .BKI).");
        EXPECT_EQ(Get("A.PMM"), text);
        EXPECT_EQ(Get("A.TXT"), index);
    }
    // A.PMI and its backup A.BKI have one export file: the second export
    // would replace the first's.
    ASSERT_TRUE(Corners().Write(P("B.PMI")));
    ASSERT_TRUE(testing::WriteFileBytes(P("B.BKI"), "short"));
    ScriptedPort both;
    state.ListBox1.Clear();
    Select("B.PMI");
    Select("b.bki");
    state.exportCsv = true;
    both.Reply(Answer::Ok, "File Error");
    const CommandResult result = SaveIndexFile1Click(state, both);
    EXPECT_EQ(result.done, 1);
    ASSERT_EQ(both.boxes.size(), 1u);
    EXPECT_EQ(both.boxes[0].text,
              "Output file " + P("B.CSV") + " was written by this export already.");
    EXPECT_EQ(Get("B.CSV"), ExportTitleLine(true));  // b.bki's, which sorts first

    std::error_code failed;
    std::filesystem::create_hard_link(dir.Native("A.PMI"), dir.Native("A.CSV"), failed);
    if (failed)
        GTEST_SKIP() << "no hard links here";
    ScriptedPort p;
    state.ListBox1.Clear();
    Select("A.PMI");
    state.exportCsv = true;
    p.Reply(Answer::Ok, "File Error");
    EXPECT_FALSE(SaveIndexFile1Click(state, p).completed);
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].text, "Output file " + P("A.CSV") + " is the index file itself.");
    EXPECT_EQ(Get("A.PMI"), index);
}

TEST_F(IndexExport, FormatSwitchTakesEffectWithTheNextFile) {
    ASSERT_TRUE(Corners().Write(P("A.PMI")));
    ASSERT_TRUE(Corners().Write(P("B.PMI")));
    Select("A.PMI");
    Select("B.PMI");
    port.AtPump(1, [&] { SaveIndexasTABClick(state); });
    SaveIndexFile1Click(state, port);
    EXPECT_EQ(Get("A.CSV").substr(0, 6), "flags,");
    EXPECT_EQ(Get("B.TXT").substr(0, 7), "flags \t");
    EXPECT_EQ(Get("B.CSV"), "-");
    EXPECT_FALSE(state.exportCsv);
    SortOFFExecute(state);
    SortOFFExecute(state);
    EXPECT_FALSE(state.sortOn);
    SortONExecute(state);
    SaveIndexasCSVClick(state);
    EXPECT_TRUE(state.sortOn && state.exportCsv);
}

}  // namespace
}  // namespace kestrove
