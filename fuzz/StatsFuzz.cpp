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

// The order of two neighbouring rows under the radio groups' choices.
bool InOrder(const IndexRecord& a, const IndexRecord& b, int sortOn, int sortIn) {
    auto three = [](std::int64_t x, std::int64_t y) { return x < y ? -1 : x > y ? 1 : 0; };
    int c = 0;
    switch (sortOn) {
        case 0:
            c = sortIn == 0 ? CompareFrom(a, b) : CompareFromDesc(a, b);
            return c <= 0;
        case 1:
            c = three(address_entry::Count(a), address_entry::Count(b));
            if (c == 0)
                c = three(address_entry::Total(a), address_entry::Total(b));
            break;
        case 2:
            c = three(address_entry::Total(a), address_entry::Total(b));
            break;
        default:
            return true;
    }
    return sortIn == 0 ? c <= 0 : c >= 0;
}

void CheckOrder(const AppState& state, const StatsView& view, const char* what) {
    for (int i = 1; i + 1 < view.RowCount(); ++i)
        Check(InOrder(state.table[i - 1], state.table[i], view.sortOn, view.sortIn), what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AppState* state = new AppState();
    Scratch& scratch = TheScratch();
    scratch.Clear();
    Input in(data, size);
    state->settings.GetStats = static_cast<std::int8_t>(in.U8()) % 4;
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
    for (int i = 0; i + 1 < view.RowCount(); ++i) {
        const IndexRecord& slot = state->table[i];
        auto it = expect.find(platform::ToLower1252(address_entry::Text(slot)));
        Check(it != expect.end(), "an address that no record has");
        Check(address_entry::Count(slot) == it->second.first &&
                  address_entry::Total(slot) == it->second.second,
              "an address's counts are wrong");
    }
    CheckOrder(*state, view, "the rows are out of order");
    for (int row = -1; row <= view.RowCount(); ++row)
        for (int column = -1; column <= StatsView::kColumns; ++column)
            (void)view.CellText(row, column);

    view.sortOn = resortOn;
    view.sortIn = resortIn;
    RGSortOnClick(*state, view);
    CheckOrder(*state, view, "the re-sorted rows are out of order");
    return 0;
}
