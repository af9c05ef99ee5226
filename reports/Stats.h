#pragma once
// Sender statistics: messages and bytes per sender address over the index
// files of ListBox1, kept as an address table in the MessageTable's slots,
// and the Statistics window's grid over that table.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/AppState.h"
#include "core/IndexRecord.h"
#include "core/WindowPort.h"

namespace kestrove {

// An address table entry lives in one slot: the first record counted for the
// address, its sender text NUL-terminated at the `from` position (at most 34
// characters), its message count at the `mtime` position and its byte total
// at the `fsize` position, each signed 32-bit. The counters are kept 64 bits
// wide: their high words sit in bytes that carry no meaning for an entry
// (96 and 100), so a sender with more than 2 GiB of mail is neither negative
// nor sorted as such.
namespace address_entry {
inline constexpr std::size_t kTextMax = 34;  // "To: " and 30 characters
inline constexpr std::size_t kCountHigh = 96, kTotalHigh = 100;
std::string_view Text(const IndexRecord& slot);
std::int64_t Count(const IndexRecord& slot);
std::int64_t Total(const IndexRecord& slot);
}  // namespace address_entry

// The sender text of a record under the copy-to-self setting, without the
// characters of code 32 or below at its ends, into `out`. False when the
// record is not counted at all (deleted, or copy-to-self excluded).
bool SenderText(const IndexRecord& record, CopyToSelf copyToSelf, std::string& out);

// The Statistics window (TForm6) as the engine sees it: the two radio groups'
// choices (kept from one Get Stats to the next), the grid and the labels.
class StatsView {
  public:
    static constexpr int kColumns = 4;
    // Row 0 sky blue, 10 points bold; the other rows cream, 9 points; navy
    // text throughout (the colours are those of IndexViewer.h).
    static constexpr int kTitleFontPoints = 10;
    static constexpr int kCellFontPoints = 9;
    static std::string_view ColumnTitle(int column);
    static int ColumnWidth(int column);

    // RGSortOn: 0 "From", 1 "Messages", 2 "Size" (others: unsorted).
    // RGSortIn: 0 "Ascending", anything else descending.
    int sortOn = 0;
    int sortIn = 0;

    // Grid rows, the title row included.
    int RowCount() const { return rows_ + 1; }
    // A cell's text, 8-bit (Windows-1252) bytes; empty outside the grid.
    std::string CellText(int row, int column) const;

    const std::string& LblAddresses() const { return lblAddresses_; }
    const std::string& LblMessages() const { return lblMessages_; }
    const std::string& LblSize() const { return lblSize_; }
    std::int64_t TotalMessages() const { return totalMessages_; }
    std::int64_t TotalSize() const { return totalSize_; }

    friend bool BtnGetStatsClick(AppState& state, WindowPort& port, StatsView& view,
                                 const std::function<void()>& showWindow);
    friend void RGSortOnClick(AppState& state, StatsView& view);

  private:
    // The address entries shown, copied from the table at the end of Get
    // Stats: a later command that fills the table leaves them as they are.
    std::vector<IndexRecord> entries_;
    int rows_ = 0;
    std::int64_t totalMessages_ = 0;
    std::int64_t totalSize_ = 0;
    std::string lblAddresses_ = "Addresses:";
    std::string lblMessages_ = "Messages:";
    std::string lblSize_ = "Size:";
};

// Get Stats. Counts, sorts by the view's choices, fills the view, then calls
// `showWindow` (the modal Statistics window; may be empty) and tidies the
// main window after it. Returns whether the window was shown.
bool BtnGetStatsClick(AppState& state, WindowPort& port, StatsView& view,
                      const std::function<void()>& showWindow);

// A click on either radio group: re-sorts the rows on show by the choices.
void RGSortOnClick(AppState& state, StatsView& view);

// Sorts the first `count` entries of the address table by the choices.
void SortAddressTable(MessageTable& table, int count, int sortOn, int sortIn);

}  // namespace kestrove
