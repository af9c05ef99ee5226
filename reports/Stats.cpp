#include "reports/Stats.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/BusyScope.h"
#include "core/CommandChecks.h"
#include "core/Format.h"
#include "core/MessageFlag.h"
#include "core/Reason.h"
#include "platform/File.h"
#include "platform/Text.h"

namespace kestrove {

namespace address_entry {

std::string_view Text(const IndexRecord& slot) {
    // Never past the text's own 34 characters and its NUL.
    const std::uint8_t* p = &slot.bytes[rec::kFrom];
    std::size_t limit = kTextMax;
    std::size_t n = 0;
    while (n < limit && p[n] != 0)
        ++n;
    return {reinterpret_cast<const char*>(p), n};
}

std::int64_t Count(const IndexRecord& slot) {
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(GetU32(&slot.bytes[kCountHigh])) << 32) |
        GetU32(&slot.bytes[rec::kMtime]));
}

std::int64_t Total(const IndexRecord& slot) {
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(GetU32(&slot.bytes[kTotalHigh])) << 32) |
        GetU32(&slot.bytes[rec::kFsize]));
}

namespace {
void Put64(IndexRecord& slot, std::size_t low, std::size_t high, std::int64_t value) {
    std::uint64_t v = static_cast<std::uint64_t>(value);
    PutU32(&slot.bytes[low], static_cast<std::uint32_t>(v));
    PutU32(&slot.bytes[high], static_cast<std::uint32_t>(v >> 32));
}
}  // namespace

void SetCount(IndexRecord& slot, std::int64_t count) {
    Put64(slot, rec::kMtime, kCountHigh, count);
}

void SetTotal(IndexRecord& slot, std::int64_t total) {
    Put64(slot, rec::kFsize, kTotalHigh, total);
}

}  // namespace address_entry

namespace {

constexpr std::string_view kSelf = "Self";
constexpr std::string_view kToPrefix = "To: ";

struct StatsColumn {
    std::string_view title;
    int width;
};
constexpr std::array<StatsColumn, StatsView::kColumns> kStatsColumns{{
    {"Num", 40},
    {"                      From", 230},
    {"Messages", 75},
    {"       Size", 90},
}};

int Compare64(std::int64_t a, std::int64_t b) {
    return a < b ? -1 : a > b ? 1 : 0;
}

// "Messages" and "Size": the orderings CompareTimeSize and CompareSize (and
// their descending forms) over the entries' counters, read 64 bits wide.
int CompareCountTotal(const IndexRecord& a, const IndexRecord& b) {
    int c = Compare64(address_entry::Count(a), address_entry::Count(b));
    return c != 0 ? c : Compare64(address_entry::Total(a), address_entry::Total(b));
}
int CompareCountTotalDesc(const IndexRecord& a, const IndexRecord& b) {
    return CompareCountTotal(b, a);
}
int CompareTotal(const IndexRecord& a, const IndexRecord& b) {
    return Compare64(address_entry::Total(a), address_entry::Total(b));
}
int CompareTotalDesc(const IndexRecord& a, const IndexRecord& b) {
    return CompareTotal(b, a);
}

Ordering ChosenOrdering(int sortOn, int sortIn) {
    const bool ascending = sortIn == 0;
    switch (sortOn) {
        case 0:
            return ascending ? CompareFrom : CompareFromDesc;
        case 1:
            return ascending ? CompareCountTotal : CompareCountTotalDesc;
        case 2:
            return ascending ? CompareTotal : CompareTotalDesc;
        default:
            return nullptr;
    }
}

int Percent(std::int64_t part, std::int64_t whole) {
    if (whole <= 0)
        return 0;
    return static_cast<int>(std::clamp<std::int64_t>(part * 100 / whole, 0, 100));
}

// The main window once the statistics are over; also when the table is full.
void TidyMainWindow(WindowPort& port) {
    port.ShowAbort(false);
    for (Meter meter : {Meter::ProgressBar1, Meter::ProgressBarM, Meter::ProgressBarF}) {
        port.ShowMeter(meter, false);
        port.SetMeter(meter, 0);
    }
    port.ProcessEvents();
    port.SetStatus(StatusLine::LabelInfoMsg2, "");
    port.SetStatus(StatusLine::LabelInfoMsg3, "");
}

// Finds an address entry by the lower-cased text of its sender: the entry
// the search through the table in order would find, since no two entries
// fold alike. Open addressing over one array of slot numbers, with the
// folded texts in one arena, so that nothing is allocated per sender and a
// lookup touches little memory whatever the number of senders.
class SenderIndex {
  public:
    SenderIndex() : buckets_(kBuckets, -1) {}

    // The slot of the entry whose folded text is `folded`, or -1.
    int Find(std::string_view folded, std::uint64_t hash) const {
        for (std::size_t at = hash & kMask;; at = (at + 1) & kMask) {
            const std::int32_t slot = buckets_[at];
            if (slot < 0)
                return -1;
            const Key& key = keys_[static_cast<std::size_t>(slot)];
            if (key.hash == hash && key.length == folded.size() &&
                std::memcmp(arena_.data() + key.offset, folded.data(), folded.size()) == 0)
                return slot;
        }
    }
    // Adds the entry of `slot` (the next slot of the table) after a failed Find.
    void Insert(std::string_view folded, std::uint64_t hash, int slot) {
        std::size_t at = hash & kMask;
        while (buckets_[at] >= 0)
            at = (at + 1) & kMask;
        buckets_[at] = slot;
        keys_.push_back({hash, static_cast<std::uint32_t>(arena_.size()),
                         static_cast<std::uint32_t>(folded.size())});
        arena_.append(folded);
    }
    static std::uint64_t Hash(std::string_view folded) {
        std::uint64_t h = 14695981039346656037ull;  // FNV-1a
        for (char c : folded)
            h = (h ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
        return h;
    }

  private:
    // More than twice MAXMSG, so probe runs stay short even when full.
    static constexpr std::size_t kBuckets = std::size_t{1} << 17;
    static constexpr std::size_t kMask = kBuckets - 1;
    static_assert(kBuckets > 2 * static_cast<std::size_t>(MAXMSG));
    struct Key {
        std::uint64_t hash;
        std::uint32_t offset, length;
    };
    std::vector<std::int32_t> buckets_;
    std::vector<Key> keys_;
    std::string arena_;
};

// "Message %d" without a format call per record.
void MessageStatus(std::string& out, int counted) {
    out.assign("Message ");
    char digits[16];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, counted);
    (void)ec;
    out.append(digits, end);
}

}  // namespace

bool SenderText(const IndexRecord& record, CopyToSelf copyToSelf, std::string& out) {
    out.clear();
    if (record.HasFlag(kDeletedBit))
        return false;
    const bool copySelf = record.HasFlag(kCopySelfBit);
    if (copySelf && copyToSelf == CopyToSelf::Exclude)
        return false;

    std::string_view from = record.from();
    while (!from.empty() && static_cast<std::uint8_t>(from.front()) <= 32)
        from.remove_prefix(1);
    while (!from.empty() && static_cast<std::uint8_t>(from.back()) <= 32)
        from.remove_suffix(1);
    // A value that names no item counts the message under its sender alone.
    if (copySelf && copyToSelf == CopyToSelf::AsSelf) {
        out.assign(kSelf);
    } else {
        if (copySelf && copyToSelf == CopyToSelf::AsTo)
            out.assign(kToPrefix);
        out.append(from);
    }
    return true;
}

namespace {
void SortEntries(IndexRecord* first, IndexRecord* last, int sortOn, int sortIn) {
    Ordering ordering = ChosenOrdering(sortOn, sortIn);
    if (ordering == nullptr || last - first < 2)
        return;
    std::sort(first, last, [ordering](const IndexRecord& a, const IndexRecord& b) {
        return ordering(a, b) < 0;
    });
}
}  // namespace

void SortAddressTable(MessageTable& table, int count, int sortOn, int sortIn) {
    SortEntries(table.begin(), table.begin() + count, sortOn, sortIn);
}

std::string_view StatsView::ColumnTitle(int column) {
    if (column < 0 || column >= kColumns)
        return {};
    return kStatsColumns[static_cast<std::size_t>(column)].title;
}

int StatsView::ColumnWidth(int column) {
    if (column < 0 || column >= kColumns)
        return 0;
    return kStatsColumns[static_cast<std::size_t>(column)].width;
}

std::string StatsView::CellText(int row, int column) const {
    if (column < 0 || column >= kColumns || row < 0 || row > rows_)
        return {};
    if (row == 0)
        return std::string(ColumnTitle(column));
    const IndexRecord& slot = entries_[static_cast<std::size_t>(row - 1)];
    switch (column) {
        case 0:
            return Format("%5d", row);
        case 1:
            return std::string(address_entry::Text(slot));
        case 2:
            return Format("%6lld", static_cast<long long>(address_entry::Count(slot)));
        default:
            return Format("%10lld", static_cast<long long>(address_entry::Total(slot)));
    }
}

bool BtnGetStatsClick(AppState& state, WindowPort& port, StatsView& view,
                      const std::function<void()>& showWindow) {
    state.AbortRequested = false;
    if (!HaveSelection(state, port))
        return false;
    BusyScope busy(state);
    RunLog::Reporter logFailures(state.runLog, port);

    MessageTable& table = state.table;
    table.count = 0;  // AddressCount
    int filesDone = 0;
    port.ShowAbort(true);
    for (Meter meter : {Meter::ProgressBarF, Meter::ProgressBarM, Meter::ProgressBar1})
        port.SetMeter(meter, 0);
    port.ShowMeter(Meter::ProgressBarF, true);
    port.ShowMeter(Meter::ProgressBarM, true);
    view.entries_.clear();
    view.rows_ = 0;

    SenderIndex senders;
    std::string sender, folded, status;

    for (int n = 0; n < state.ListBox1.Count(); ++n) {
        port.ProcessEvents();
        if (state.AbortRequested) {
            table.count = 0;
            return false;
        }
        port.SetMeter(Meter::ProgressBarF, Percent(n, state.ListBox1.Count()));
        state.ListBox1.highlighted = n;
        port.HighlightEntry(ListId::ListBox1, n);
        const std::string path = state.ListBox1[n];

        std::unique_ptr<platform::File> file =
            platform::File::Open(path, platform::OpenMode::ReadBinary);
        if (!file) {
            table.count = 0;
            port.MessageDialog(WithSystemReason(Format("Cannot Open File: %s", path.c_str())),
                               "File Error 1", Icon::Stop, Buttons::Ok);
            return false;
        }
        const std::int64_t records = RecordLimit(*file);

        port.SetStatus(StatusLine::LabelInfoMsg1, Format("File:%3d %s", n, path.c_str()));
        int counted = 0;
        IndexRecord record;
        for (std::int64_t n = 0; n < records && record.ReadFrom(*file); ++n) {
            MessageStatus(status, counted);
            port.SetStatus(StatusLine::LabelInfoMsg2, status, true);
            if (!SenderText(record, state.settings.GetStats, sender))
                continue;
            ++counted;

            folded.resize(sender.size());
            for (std::size_t i = 0; i < sender.size(); ++i)
                folded[i] =
                    static_cast<char>(platform::ToLower1252(static_cast<std::uint8_t>(sender[i])));
            const std::uint64_t hash = SenderIndex::Hash(folded);
            const int found = senders.Find(folded, hash);
            if (found >= 0) {
                IndexRecord& slot = table[found];
                address_entry::SetCount(slot, address_entry::Count(slot) + 1);
                address_entry::SetTotal(slot, address_entry::Total(slot) + record.fsize());
            } else {
                if (table.count == MAXMSG) {
                    // The table is full: stop rather than write past it.
                    file->Close();
                    table.count = 0;
                    port.MessageDialog(
                        Format("More than %d different senders - statistics stopped.", MAXMSG),
                        "Data Error", Icon::Stop, Buttons::Ok);
                    TidyMainWindow(port);
                    return false;
                }
                IndexRecord& slot = table[table.count];
                slot = record;
                std::memset(&slot.bytes[rec::kFrom], 0, address_entry::kTextMax + 1);
                std::memcpy(&slot.bytes[rec::kFrom], sender.data(), sender.size());
                address_entry::SetCount(slot, 1);
                address_entry::SetTotal(slot, record.fsize());
                senders.Insert(folded, hash, table.count);
                ++table.count;
            }
            port.SetMeter(Meter::ProgressBarM, Percent(counted, records));
        }
        // A read error is not the end of the file: the counts would be short.
        if (file->ReadFailed()) {
            const std::string text = CannotReadText(path, file->Tell());
            file->Close();
            table.count = 0;
            port.MessageDialog(text, "File Error 1", Icon::Stop, Buttons::Ok);
            return false;
        }
        file->Close();
        state.runLog.Write(Format("PMI File %s has %d messages.\n", path.c_str(), counted));
        ++filesDone;
    }

    const int addresses = table.count;
    SortAddressTable(table, addresses, view.sortOn, view.sortIn);
    view.entries_.assign(table.begin(), table.begin() + addresses);
    view.rows_ = addresses;
    view.totalMessages_ = 0;
    view.totalSize_ = 0;
    for (int i = 0; i < addresses; ++i) {
        view.totalMessages_ += address_entry::Count(table[i]);
        view.totalSize_ += address_entry::Total(table[i]);
    }
    if (state.runLog.IsOpen())
        state.runLog.Close();

    port.SetStatus(StatusLine::LabelInfoMsg1,
                   Format("%d of %d files processed.", filesDone, state.ListBox1.Count()));
    view.lblAddresses_ = Format("Addresses: %d ", addresses);
    view.lblMessages_ = Format("Messages: %lld ", static_cast<long long>(view.totalMessages_));
    view.lblSize_ = Format("Size: %lld ", static_cast<long long>(view.totalSize_));
    if (showWindow)
        showWindow();
    TidyMainWindow(port);
    return true;
}

void RGSortOnClick(AppState& state, StatsView& view) {
    const int k = view.RowCount() - 1;
    if (k < 1)
        return;
    // The window's own rows: the table may hold another command's records
    // by now.
    (void)state;
    SortEntries(view.entries_.data(), view.entries_.data() + view.entries_.size(), view.sortOn,
                view.sortIn);
}

}  // namespace kestrove
