// The sender statistics over fuzzed index files.
// Input: the GetStats setting, the two radio groups' choices (sort on, sort
// in) and a second pair for a re-sort, then up to four index files.

#include <map>
#include <utility>

#include "core/AppState.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Text.h"
#include "reports/Stats.h"

using namespace kestrove;
using namespace kestrove::fuzz;

namespace {

// A row as the window shows it: the sender in an entry's slot, and the two
// counters read back from their cells.
struct Row {
    IndexRecord slot;
    std::int64_t count = 0, total = 0;
};

Row RowOf(const StatsView& view, int row) {
    Row r;
    const std::string text = view.CellText(row, 1);
    Check(text.size() <= address_entry::kTextMax, "a sender text over its width");
    std::copy(text.begin(), text.end(), r.slot.bytes.begin() + rec::kFrom);
    r.count = std::stoll(view.CellText(row, 2));
    r.total = std::stoll(view.CellText(row, 3));
    return r;
}

// The order of two neighbouring rows under the radio groups' choices.
bool InOrder(const Row& a, const Row& b, int sortOn, int sortIn) {
    auto three = [](std::int64_t x, std::int64_t y) { return x < y ? -1 : x > y ? 1 : 0; };
    int c = 0;
    switch (sortOn) {
        case 0:
            c = sortIn == 0 ? CompareFrom(a.slot, b.slot) : CompareFromDesc(a.slot, b.slot);
            return c <= 0;
        case 1:
            c = three(a.count, b.count);
            if (c == 0)
                c = three(a.total, b.total);
            break;
        case 2:
            c = three(a.total, b.total);
            break;
        default:
            return true;
    }
    return sortIn == 0 ? c <= 0 : c >= 0;
}

void CheckOrder(const StatsView& view, const char* what) {
    for (int row = 2; row < view.RowCount(); ++row)
        Check(InOrder(RowOf(view, row - 1), RowOf(view, row), view.sortOn, view.sortIn), what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AppState* state = new AppState();
    Scratch& scratch = TheScratch();
    scratch.Clear();
    Input in(data, size);
    state->settings.GetStats = ChoiceAt<CopyToSelf>(static_cast<std::int8_t>(in.U8()) % 4);
    StatsView view;
    view.sortOn = in.U8() % 4;
    view.sortIn = in.U8() % 2;
    const int resortOn = in.U8() % 4, resortIn = in.U8() % 2;
    std::vector<Bytes> files;
    while (!in.Empty() && files.size() < 4)
        files.push_back(in.File());
    if (files.empty())
        files.emplace_back();

    state->ListBox1.Clear();
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> expect;
    std::int64_t messages = 0, bytes = 0;
    std::string sender;
    for (std::size_t f = 0; f < files.size(); ++f) {
        const std::string name = "S" + std::to_string(f) + ".PMI";
        scratch.Put(name, files[f]);
        state->ListBox1.Add(scratch.folder / name);
        for (std::size_t at = 0; at + kRecordSize <= files[f].size(); at += kRecordSize) {
            IndexRecord r;
            std::copy(files[f].begin() + static_cast<std::ptrdiff_t>(at),
                      files[f].begin() + static_cast<std::ptrdiff_t>(at + kRecordSize),
                      r.bytes.begin());
            if (!SenderText(r, state->settings.GetStats, sender))
                continue;
            auto& [count, total] = expect[platform::ToLower1252(sender)];
            ++count;
            total += r.fsize();
            ++messages;
            bytes += r.fsize();
        }
    }

    ScriptPort port(0);
    const bool shown = BtnGetStatsClick(*state, port, view, {});
    Check(shown && port.titles.empty(), "the statistics failed on readable files");
    Check(view.RowCount() == static_cast<int>(expect.size()) + 1, "addresses lost or invented");
    Check(view.TotalMessages() == messages && view.TotalSize() == bytes, "the totals are wrong");
    for (int row = 1; row < view.RowCount(); ++row) {
        const Row r = RowOf(view, row);
        auto it = expect.find(platform::ToLower1252(address_entry::Text(r.slot)));
        Check(it != expect.end(), "an address that no record has");
        Check(r.count == it->second.first && r.total == it->second.second,
              "an address's counts are wrong");
    }
    CheckOrder(view, "the rows are out of order");
    for (int row = -1; row <= view.RowCount(); ++row)
        for (int column = -1; column <= StatsView::kColumns; ++column)
            (void)view.CellText(row, column);

    view.sortOn = resortOn;
    view.sortIn = resortIn;
    // The table is another command's by now: the rows stay the window's.
    state->table.count = 0;
    RGSortOnClick(*state, view);
    CheckOrder(view, "the re-sorted rows are out of order");
    return 0;
}
