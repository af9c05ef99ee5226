#pragma once
// The index viewer's model: one folder's index shown record by record with
// every field and flag, the Dup/Del marks, the counts and the message file's
// header line. The model keeps its own copy of the records it shows, so a
// later command that fills the MessageTable does not change its rows; cells
// are made on demand from that copy, and per row only a one-byte mark is
// kept.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove {

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kSkyBlue{166, 202, 240};
inline constexpr Rgb kNavy{0, 0, 128};
inline constexpr Rgb kCream{255, 251, 240};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kFuchsia{255, 0, 255};
// A look-alike's row: green, for a message that stays; navy reads well on it.
inline constexpr Rgb kPaleGreen{170, 230, 170};

// The background of a viewer row.
enum class RowColour { SkyBlue, Red, Fuchsia, Cream, PaleGreen };
Rgb ToRgb(RowColour colour);

// What a double-click on ListBox1 leaves for the window: whether to show the
// viewer, and the texts of its labels (which change even when it is not
// shown: a failed index open keeps the new header line).
struct ViewResult {
    bool show = false;
    std::string lblPMMfile, lbl1IndexFile, cellInfo;
    int rows = 0;  // record rows, without the title row
};

class IndexViewModel {
  public:
    static constexpr int kColumns = 37;
    static constexpr int kTitleFontPoints = 12;
    static constexpr int kCellFontPoints = 9;
    static constexpr int kRowHeight = 24;
    // Column 1's texts: deleted, duplicate (the run drops both), look-alike
    // (the run keeps it).
    static constexpr std::string_view kDeletedText = "Del";
    static constexpr std::string_view kDupeText = "Dup";
    static constexpr std::string_view kLookAlikeText = "Alike";

    // The column table: title (row 0), width in pixels, name in the
    // cell-information line. Empty/0 outside 0..36.
    static std::string_view ColumnTitle(int column);
    static int ColumnWidth(int column);
    static std::string_view ColumnName(int column);

    // The labels, as the window shows them (their start texts included).
    const std::string& LblPMMfile() const { return lblPMMfile_; }
    const std::string& Lbl1IndexFile() const { return lbl1IndexFile_; }
    const std::string& LblCellInfo() const { return lblCellInfo_; }

    // Grid rows: the title row and one per record. Row 0 is a fixed title
    // row once there is a record row.
    int RowCount() const { return records_ + 1; }
    int RecordCount() const { return records_; }
    bool TitleRowFixed() const { return records_ > 0; }

    // A cell's text, as 8-bit (Windows-1252) bytes; empty outside the grid.
    std::string CellText(int row, int column) const;
    void CellText(int row, int column, std::string& out) const;
    RowColour RowColourOf(int row) const;
    bool IsDeleted(int row) const;
    bool IsDupe(int row) const;
    // Kept although its fields repeat the row above: another text, or one
    // that could not be compared.
    bool IsLookAlike(int row) const;
    // "Row %d Column %s: [%s]" for a cell; for column 1 of a look-alike the
    // reason it is kept follows.
    std::string CellInfo(int row, int column) const;
    // StringGrid1SelectCell: fills the cell-information line (always allowed).
    void SelectCell(int row, int column);

    IndexCounts Counts() const { return counts_; }

    // Opening a view (ListBox1DblClick's work on the viewer).
    friend ViewResult ListBox1DblClick(AppState& state, WindowPort& port, IndexViewModel& model);

  private:
    // A row's mark: these bits, and a look-alike's TextMatch above them.
    enum Mark : std::uint8_t { kDeletedMark = 1, kDupeMark = 2, kLookAlikeMark = 4 };
    static constexpr int kMatchShift = 4;
    const IndexRecord* Record(int row) const;
    ViewResult Result(bool show) const;

    std::string lblPMMfile_ = "File:";
    std::string lbl1IndexFile_ = "File:";
    std::string lblCellInfo_ = "Cell: ";
    std::vector<IndexRecord> rows_;  // the records shown, in their order
    int records_ = 0;
    std::vector<std::uint8_t> marks_;
    IndexCounts counts_;
};

// The double-click on ListBox1: in Network Mode, with no entry selected, or
// while another command runs, nothing happens (show false, labels
// unchanged). Otherwise loads the index of the selected entry into
// state.table and fills the model with a copy of its records. Records the
// run would drop as duplicates are told from look-alikes by their texts, read
// (never written) in the message file the index's positions belong to: the
// .PMM of an index file, the .BKM of a backup index file. A file that cannot
// be read whole is reported, and nothing is shown.
ViewResult ListBox1DblClick(AppState& state, WindowPort& port, IndexViewModel& model);

// The cell text of a record's column (0..36), `rowNumber` for column 0 and
// `mark` for column 1; shared with the export's tests of the same fields.
void RecordCellText(const IndexRecord& record, int rowNumber, std::string_view mark, int column,
                    std::string& out);

}  // namespace kestrove
