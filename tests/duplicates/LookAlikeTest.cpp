// Look-alikes: records whose fields repeat the record above but whose texts
// differ (or cannot be compared) are kept. Each case runs the whole run and
// checks the new pair byte for byte, the backups, the log, and the viewer's
// marks on the folder as it was.

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "core/LookAlikes.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "reports/IndexViewer.h"
#include "tests/support/EngineFixture.h"

namespace kestrove::testing {
namespace {

namespace faults = platform::faults;
using faults::Op;

constexpr const char* kSame = "same sender, subject, date, time and size as message";

MessageSpec Alert(std::string text) {
    return Msg("monitor@example.com", "ALERT: disk full", "6 Aug 18 0:20", 1533514800,
               std::move(text));
}

MessageSpec Ending(MessageSpec m, CtrlZ ending, std::optional<std::int32_t> fsize = {}) {
    m.ending = ending;
    if (fsize)
        m.fsize = fsize;
    return m;
}

// A message the run drops anyway, so that every case is rewritten.
MessageSpec Deleted(std::string before = {}) {
    MessageSpec m = Msg("old", "gone", "1 Jan 18", 1, "deleted text", kDeletedBit);
    m.before = std::move(before);
    return m;
}

class LookAlikes : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        state.sortOn = false;
        state.settings.BackupFiles = OnBackupExists::Overwrite;
    }

    // The viewer's column 1 over `index`, "-" for an empty cell.
    std::string ViewerMarks(const std::string& index) {
        state.ListBox1.Clear();
        state.ListBox1.Add(index);
        state.ListBox1.highlighted = 0;
        ViewResult view = ListBox1DblClick(state, port, model);
        EXPECT_TRUE(view.show);
        std::string out;
        for (int r = 1; r < model.RowCount(); ++r) {
            const std::string mark = model.CellText(r, 1);
            out += (out.empty() ? "" : " ") + (mark.empty() ? std::string("-") : mark);
        }
        return out;
    }

    // The log lines the scan wrote after its " PMI:" line.
    static std::vector<std::string> KeptLines(const std::vector<std::string>& log) {
        std::vector<std::string> kept;
        for (const std::string& line : log)
            if (line.starts_with("Message ") && line.find(" kept: ") != std::string::npos)
                kept.push_back(line);
        return kept;
    }

    // Writes the folder and loads its index, for a scan of its own.
    void Load(const FolderBuilder& folder, const std::string& path) {
        ASSERT_TRUE(folder.Write(path));
        ASSERT_TRUE(LoadIndex(state, port, path, 0));
    }

    static std::string KeptLine(int slot, const std::string& why) {
        return "Message " + std::to_string(slot) + " kept: " + kSame + " " +
               std::to_string(slot - 1) + ", " + why + ".";
    }

    IndexViewModel model;
};

struct Case {
    const char* what;
    std::vector<MessageSpec> messages;
    std::vector<int> kept;                  // the records of the new pair, in order
    std::string marks;                      // the viewer's column 1, before the run
    std::vector<std::string> keptLines;     // the look-alikes' log lines
    int dupes;                              // the " PMI:" line's count
    std::vector<std::string> boxes;         // the rewrite's questions, answered OK
    std::function<void()> arm = nullptr;    // faults for the scan and the viewer
    std::optional<std::size_t> cutAt = {};  // the message file's length
};

std::string Long(char fill, std::size_t n, std::size_t at = std::string::npos, char other = 0) {
    std::string text(n, fill);
    if (at != std::string::npos)
        text[at] = other;
    return text;
}

TEST_F(LookAlikes, EachCaseAsTheRunAndTheViewerSeeIt) {
    const std::string another = "another text";
    const std::string uncompared = "the texts could not be compared: ";
    // Where the second message's text starts in the cases with a fault.
    const std::int64_t second = static_cast<std::int64_t>(kHeaderSize) + 5;
    const Case cases[] = {
        {"texts differ in their first byte",
         {Alert("Xost alpha"), Alert("Yost alpha"), Deleted()},
         {0, 1},
         "- Alike Del",
         {KeptLine(1, another)},
         0,
         {}},
        {"texts differ in the last byte before the Ctrl-Z",
         {Alert("host alpha"), Alert("host alphb"), Deleted()},
         {0, 1},
         "- Alike Del",
         {KeptLine(1, another)},
         0,
         {}},
        {"texts differ only past a Ctrl-Z inside them",
         {Alert("ab\x1a"
                "cd"),
          Alert("ab\x1a"
                "ce"),
          Deleted()},
         {0, 1},
         "- Alike Del",
         {KeptLine(1, another)},
         0,
         {}},
        {"the size's last byte is the Ctrl-Z in both: what follows is no part of them",
         {Ending(Alert("abc"), CtrlZ::Inside), Ending(Alert("abc"), CtrlZ::Inside), Deleted("q")},
         {0},
         "- Dup Del",
         {},
         1,
         {}},
        {"one text ends one byte after its size, the other has no Ctrl-Z there",
         // OK to the question: the copy goes on to the Ctrl-Z after the x.
         {Alert("abcd"), Ending(Alert("abcd"), CtrlZ::None), Deleted("x\x1a")},
         {0, 1},
         "- Alike Del",
         {KeptLine(1, uncompared + "a text has no Ctrl-Z at its end")},
         0,
         {"Message Size Error"}},
        {"three alike, the middle text another",
         {Alert("host alpha"), Alert("host gamma"), Alert("host alpha"), Deleted()},
         {0, 1, 2},
         "- Alike Alike Del",
         {KeptLine(1, another), KeptLine(2, another)},
         0,
         {}},
        {"three alike, the last text another",
         {Alert("host alpha"), Alert("host alpha"), Alert("host gamma"), Deleted()},
         {0, 2},
         "- Dup Alike Del",
         {KeptLine(2, another)},
         1,
         {}},
        {"three the same",
         {Alert("host alpha"), Alert("host alpha"), Alert("host alpha"), Deleted()},
         {0},
         "- Dup Dup Del",
         {},
         2,
         {}},
        {"sizes of 0: a lone Ctrl-Z each",
         {Alert(""), Alert(""), Deleted()},
         {0},
         "- Dup Del",
         {},
         1,
         {}},
        {"texts longer than a buffer, the same",
         {Alert(Long('a', 200000)), Alert(Long('a', 200000)), Deleted()},
         {0},
         "- Dup Del",
         {},
         1,
         {}},
        {"texts longer than a buffer, another byte in the second buffer",
         {Alert(Long('a', 200000)), Alert(Long('a', 200000, 70000, 'b')), Deleted()},
         {0, 1},
         "- Alike Del",
         {KeptLine(1, another)},
         0,
         {}},
        {"a text cut short by the end of the file",
         {Deleted(), Alert("host alpha"), Alert("host alpha")},
         {1, 2},
         "Del - Alike",
         {KeptLine(2, uncompared + "the message file ends inside a text")},
         0,
         {},
         nullptr,
         kHeaderSize + 13 + 11 + 4},
        {"a text past the end of the file",
         {Alert("host alpha"),
          [] {
              MessageSpec m = Alert("host alpha");
              m.fpos = 100000;
              m.writeText = false;
              return m;
          }(),
          Deleted()},
         {0},
         "- Alike Del",
         {KeptLine(1, uncompared + "a text starts past the end of the message file")},
         0,
         {"File Error 8"}},
        {"a read error while comparing: the same texts, kept",
         {Alert("host"), Alert("host"), Deleted()},
         {0, 1},
         "- Alike Del",
         {KeptLine(1, uncompared + "a read of the message file failed (" +
                          std::string(faults::kInjectedFaultText) + ")")},
         0,
         {},
         [second] { faults::FailReadAt("INBOX.PMM", second); }},
    };
    const std::string path = Pmi("INBOX");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& name :
             {path, MessageFileName(path), BackupIndexFileName(path), BackupMessageFileName(path)})
            platform::RemoveFile(name);
        FolderBuilder folder;
        for (const MessageSpec& m : c.messages)
            folder.Add(m);
        if (c.cutAt)
            folder.MessageFileLength(*c.cutAt);
        const FolderBytes old = folder.Build();
        ASSERT_TRUE(folder.Write(path));

        if (c.arm)
            c.arm();
        EXPECT_EQ(ViewerMarks(path), c.marks);
        faults::Reset();

        const std::string log = OpenLog();
        if (c.arm)
            c.arm();
        for (const std::string& title : c.boxes)
            port.Reply(Answer::Ok, title);
        Run({path});
        faults::Reset();
        EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "1 of 1 files processed.");
        ExpectRewritten(path, folder.Rewritten(c.kept), old);
        const std::vector<std::string> lines = Lines(log);
        EXPECT_EQ(KeptLines(lines), c.keptLines);
        const std::string pmiLine = " PMI: msg:" + std::to_string(c.messages.size()) +
                                    " read:0 deleted:1 dupes:" + std::to_string(c.dupes);
        EXPECT_NE(std::find(lines.begin(), lines.end(), pmiLine), lines.end()) << pmiLine;
        EXPECT_EQ(state.counts.dupes, c.dupes);
        EXPECT_EQ(state.counts.lookalikes, static_cast<int>(c.keptLines.size()));
        EXPECT_TRUE(port.ScriptDone());
    }
}

// The folder a new user tried: two alerts of one minute, alike in every
// field but the host in their texts. Both stay, run after run.
TEST_F(LookAlikes, TheAlertFolderKeepsBothAlerts) {
    FolderBuilder alerts;
    alerts.Add(Alert("Host: alpha\r\nFilesystem /var is 100% full.\r\n"));
    alerts.Add(Alert("Host: gamma\r\nFilesystem /var is 100% full.\r\n"));
    ASSERT_EQ(alerts.Record(0).fsize(), alerts.Record(1).fsize());
    const std::string path = Pmi("ALERTS");
    ASSERT_TRUE(alerts.Write(path));
    const FolderBytes old = alerts.Build();
    state.sortOn = true;

    // Look-alikes only and nothing deleted: the folder is left alone.
    const std::string log = OpenLog();
    Run({path});
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "0 of 1 files processed.");
    ExpectUntouched(path, old);
    EXPECT_EQ(state.counts.dupes, 0);
    EXPECT_EQ(state.counts.lookalikes, 1);
    const std::vector<std::string> lines = Lines(log);
    EXPECT_NE(std::find(lines.begin(), lines.end(), " PMI: msg:2 read:0 deleted:0 dupes:0"),
              lines.end());
    EXPECT_EQ(KeptLines(lines), std::vector<std::string>{KeptLine(1, "another text")});
    EXPECT_EQ(ViewerMarks(path), "- Alike");
    EXPECT_EQ(model.RowColourOf(2), RowColour::PaleGreen);

    // With a deleted message beside them the folder is rewritten, twice,
    // the second time over the first run's backups ("Always Overwrite and
    // continue"): both alerts are in the folder after each run.
    alerts.Add(Deleted());
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(alerts.Write(path));
        Run({path});
        ExpectRewritten(path, alerts.Rewritten({0, 1}), alerts.Build());
    }
}

// With the sort switch on, records far apart in the file meet; their texts
// are compared where they lie.
TEST_F(LookAlikes, SortedNeighboursAreComparedWhereTheirTextsLie) {
    const std::string filler(5000, '.');
    FolderBuilder f;
    MessageSpec late = Alert("host alpha, the same"), other = Alert("host gamma, the same");
    late.mtime = other.mtime = 1533514860;  // a minute later
    f.Add(Alert("host alpha, the same")).Add(late);
    for (int i = 0; i < 20; ++i)
        f.Add(Msg("filler", "x", "d", 10 + i, filler));
    f.Add(Alert("host alpha, the same")).Add(other).Add(Deleted());
    const std::string path = Pmi("SORTED");
    ASSERT_TRUE(f.Write(path));
    state.sortOn = true;
    // Sorted: the deleted one (mtime 1), the fillers, the pair of the same
    // text, the look-alikes a minute later.
    std::string marks = "Del";
    for (int i = 0; i < 20; ++i)
        marks += " -";
    EXPECT_EQ(ViewerMarks(path), marks + " - Dup - Alike");
    EXPECT_EQ(model.Counts().dupes, 1);
    EXPECT_EQ(model.Counts().lookalikes, 1);

    Run({path});
    EXPECT_EQ(state.counts.dupes, 1);
    EXPECT_EQ(state.counts.lookalikes, 1);
    const std::vector<std::uint8_t> pmm = ReadFolder(path).pmm;
    const std::string text(pmm.begin(), pmm.end());
    auto times = [&](const std::string& what) {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(times("host alpha, the same"), 2);
    EXPECT_EQ(times("host gamma, the same"), 1);
    EXPECT_EQ(ReadFolder(path).pmi.size(), 23 * kRecordSize);
}

// The viewer of a backup index reads the texts where the backup's
// positions point: the backup message file.
TEST_F(LookAlikes, TheViewerOfABackupComparesInTheBackupMessageFile) {
    FolderBuilder f;
    f.Add(Alert("host alpha")).Add(Alert("host alpha")).Add(Alert("host gamma")).Add(Deleted());
    const std::string path = Pmi("INBOX");
    ASSERT_TRUE(f.Write(path));
    Run({path});
    ExpectRewritten(path, f.Rewritten({0, 2}), f.Build());
    faults::StartCounting();
    EXPECT_EQ(ViewerMarks(BackupIndexFileName(path)), "- Dup Alike Del");
    EXPECT_EQ(faults::Calls(Op::Create), 0);  // the viewer writes nothing
    EXPECT_EQ(ViewerMarks(path), "- Alike");
}

// Each text of a run of candidates is read once, whatever its length.
TEST_F(LookAlikes, EachTextIsReadOnce) {
    FolderBuilder f;
    for (int i = 0; i < 4; ++i)
        f.Add(Alert("host alpha"));
    f.Add(Alert("host gamma"));
    const std::string path = Pmi("ONCE");
    Load(f, path);
    faults::StartCounting();
    FindDuplicates(state, port, path);
    EXPECT_EQ(faults::Calls(Op::Read, "ONCE.PMM"), 5);
    EXPECT_EQ(state.counts.dupes, 3);
    EXPECT_EQ(state.counts.lookalikes, 1);

    // A text of several buffers: one read per buffer and text while the
    // texts agree; none after they differ.
    FolderBuilder big;
    big.Add(Alert(Long('x', 300000, 10, 'y'))).Add(Alert(Long('x', 300000)));
    Load(big, path);
    faults::StartCounting();
    FindDuplicates(state, port, path);
    EXPECT_EQ(faults::Calls(Op::Read, "ONCE.PMM"), 2);
    EXPECT_EQ(state.counts.lookalikes, 1);
}

TEST_F(LookAlikes, AMessageFileThatCannotBeOpenedKeepsEveryCandidate) {
    FolderBuilder f;
    f.Add(Alert("host alpha")).Add(Alert("host alpha"));
    const std::string path = Pmi("INBOX");
    Load(f, path);
    faults::FailNth(Op::Open, 1, "INBOX.PMM");
    const std::string log = OpenLog();
    FindDuplicates(state, port, path);
    state.runLog.Close();
    EXPECT_EQ(state.counts.dupes, 0);
    EXPECT_EQ(state.DropMarks[1], 0);
    EXPECT_EQ(KeptLines(Lines(log)),
              std::vector<std::string>{KeptLine(
                  1, "the texts could not be compared: the message file cannot be opened (" +
                         std::string(faults::kInjectedFaultText) + ")")});
}

// A deleted record is dropped whatever its text; it is a duplicate only
// when its text is the one above's, and never a look-alike.
TEST_F(LookAlikes, DeletedRecordsAreNeverLookAlikes) {
    FolderBuilder f;
    f.Add(Alert("host alpha"));
    MessageSpec same = Alert("host alpha"), other = Alert("host gamma");
    same.flags = other.flags = kDeletedBit;
    f.Add(same);
    f.Add(Alert("host beta"));
    f.Add(other);
    const std::string path = Pmi("INBOX");
    Load(f, path);
    FindDuplicates(state, port, path);
    EXPECT_EQ(state.counts.deleted, 2);
    EXPECT_EQ(state.counts.dupes, 1);
    EXPECT_EQ(state.counts.lookalikes, 0);
    EXPECT_EQ(std::vector<int>(state.DropMarks.begin(), state.DropMarks.begin() + 4),
              (std::vector<int>{0, 1, 0, 1}));
}

}  // namespace
}  // namespace kestrove::testing
