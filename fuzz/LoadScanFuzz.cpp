// Loading an index file into the table and the duplicate scan over it, and
// the index viewer over the same folder, which must mark exactly what the
// scan drops. Input: one options byte (bit 0 the sort switch, bit 1 a run
// log), the index file (a byte count and bytes), the rest is the message
// file.

#include <algorithm>
#include <cstring>

#include "core/AppState.h"
#include "core/LookAlikes.h"
#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "fuzz/FuzzSupport.h"
#include "reports/IndexViewer.h"

using namespace kestrove;
using namespace kestrove::fuzz;

namespace {

bool SameKey(const IndexRecord& a, const IndexRecord& b) {
    return a.from() == b.from() && a.subject() == b.subject() && a.date() == b.date() &&
           a.mtime() == b.mtime() && a.fsize() == b.fsize();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AppState* state = new AppState();  // the table is 4 MB: made once
    Scratch& scratch = TheScratch();
    scratch.Clear();
    Input in(data, size);
    const std::uint8_t options = in.U8();
    const Bytes pmi = in.File();
    const Bytes pmm = in.Rest();
    const std::string path = scratch.folder / "INBOX.PMI";
    scratch.Put("INBOX.PMI", pmi);
    scratch.Put("INBOX.PMM", pmm);

    state->sortOn = (options & 1) != 0;
    if (options & 2)
        state->runLog.Open(scratch.logs / "run.log");
    ScriptPort port(0);
    const bool loaded = LoadIndex(*state, port, path, 0);
    const std::size_t whole = pmi.size() / kRecordSize;
    if (whole >= static_cast<std::size_t>(MAXMSG)) {
        Check(!loaded && port.titles == std::vector<std::string>{"Dimension Error"},
              "a full table is not refused");
        state->runLog.Close();
        return 0;
    }
    Check(loaded && port.titles.empty(), "a readable index was not loaded");
    Check(state->table.count == static_cast<std::int32_t>(whole), "records lost or invented");
    for (std::size_t i = 0; i < whole; ++i)
        Check(std::memcmp(state->table[static_cast<int>(i)].bytes.data(),
                          pmi.data() + i * kRecordSize, kRecordSize) == 0,
              "a record changed on loading");

    FindDuplicates(*state, port, path);
    const MessageTable& table = state->table;
    const int count = table.count;
    if (state->sortOn) {
        for (int i = 1; i < count; ++i)
            Check(CompareTimeSize(table[i - 1], table[i]) <= 0, "the sorted table is out of order");
    }
    // The rule, restated plainly: deleted records, and records equal in the
    // five fields to a kept-or-duplicate record just before them whose
    // stored text is that record's; the others equal in the fields and not
    // deleted are look-alikes.
    IndexCounts expect;
    expect.messages = count;
    std::vector<std::uint8_t> lookAlike(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count; ++i) {
        const bool deleted = table[i].HasFlag(kDeletedBit);
        const bool alike =
            i > 0 && !table[i - 1].HasFlag(kDeletedBit) && SameKey(table[i - 1], table[i]);
        const bool dupe = alike && DuplicateOfAbove(table, i, pmm);
        expect.deleted += deleted;
        expect.read += !deleted && table[i].HasFlag(kReadBit);
        expect.dupes += dupe;
        lookAlike[static_cast<std::size_t>(i)] = alike && !dupe && !deleted;
        expect.lookalikes += lookAlike[static_cast<std::size_t>(i)];
        Check(state->DropMarks[static_cast<std::size_t>(i)] == ((deleted || dupe) ? 1 : 0),
              "a drop mark disagrees with the rule");
    }
    Check(static_cast<int>(state->lookAlikes.size()) == expect.lookalikes,
          "the look-alikes listed disagree with the rule");
    for (const LookAlike& kept : state->lookAlikes)
        Check(kept.slot > 0 && kept.slot < count &&
                  lookAlike[static_cast<std::size_t>(kept.slot)] && kept.match != TextMatch::Same &&
                  kept.match != TextMatch::NotCompared,
              "a look-alike listed that is none");
    // One compare for the marks past the table: a loop here would cost
    // more than the scan.
    static const std::vector<std::uint8_t> zeros(MAXMSG, 0);
    Check(state->DropMarks.size() == zeros.size() &&
              std::memcmp(state->DropMarks.data() + count, zeros.data(),
                          zeros.size() - static_cast<std::size_t>(count)) == 0,
          "a drop mark past the table");
    const IndexCounts& got = state->counts;
    Check(got.messages == expect.messages && got.deleted == expect.deleted &&
              got.read == expect.read && got.dupes == expect.dupes &&
              got.lookalikes == expect.lookalikes &&
              got.unread == count - expect.deleted - expect.read,
          "the counts disagree with the rule");
    state->runLog.Close();

    // The viewer loads and sorts alike, and marks what the scan drops.
    const std::vector<std::uint8_t> marks(state->DropMarks.begin(),
                                          state->DropMarks.begin() + count);
    state->ListBox1.Clear();
    state->ListBox1.Add(path);
    state->ListBox1.highlighted = 0;
    IndexViewModel model;
    const ViewResult view = ListBox1DblClick(*state, port, model);
    Check(view.show && view.rows == count && port.titles.empty(), "the viewer failed");
    for (int row = 1; row <= count; ++row) {
        Check(model.IsDeleted(row) == table[row - 1].HasFlag(kDeletedBit),
              "the viewer's Del disagrees");
        Check((model.IsDeleted(row) || model.IsDupe(row)) == (marks[row - 1] == 1),
              "the viewer marks other records than the scan drops");
        Check(model.IsLookAlike(row) == (lookAlike[static_cast<std::size_t>(row - 1)] == 1),
              "the viewer's look-alikes disagree with the scan's");
    }
    Check(model.Counts().lookalikes == expect.lookalikes, "the viewer counts other look-alikes");
    std::string cell;
    for (int row = -1; row <= model.RowCount(); ++row) {
        (void)model.RowColourOf(row);
        for (int column = -1; column <= IndexViewModel::kColumns; ++column)
            model.CellText(row, column, cell);
    }
    model.SelectCell(count, 5);
    return 0;
}
