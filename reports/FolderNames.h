#pragma once
// The folder name list (TForm5): every file of the available list with its
// folder's display name from the message file's header, sorted by that name,
// and the click that adds a file to the selected list or takes it out.

#include <string>
#include <string_view>
#include <vector>

#include "core/AppState.h"
#include "core/WindowPort.h"
#include "reports/IndexViewer.h"  // Rgb and the colours

namespace kestrove {

struct FolderRow {
    std::string folderName;  // the header's name, 8-bit (Windows-1252)
    std::string fileName;    // the entry of FileListBox1
    bool marked = false;     // the file's path is in ListBox1
};

class FolderListModel {
  public:
    static constexpr int kColumns = 4;
    static constexpr int kTitleFontPoints = 10;
    static constexpr int kCellFontPoints = 9;
    static std::string_view ColumnTitle(int column);
    static int ColumnWidth(int column);

    // Grid rows, the title row included; row 0 is fixed once there is a file row.
    int RowCount() const { return static_cast<int>(rows_.size()) + 1; }
    bool TitleRowFixed() const { return !rows_.empty(); }
    // Column 0 the row number, 1 the folder name, 2 the file name, 3 ">" or
    // empty; empty outside the grid.
    std::string CellText(int row, int column) const;
    Rgb CellBackground(int row, int column) const;
    const std::vector<FolderRow>& rows() const { return rows_; }

    friend bool FileNamesClick(AppState& state, WindowPort& port, FolderListModel& model);
    friend void StringGrid1MouseDown(AppState& state, WindowPort& port, FolderListModel& model,
                                     int row, int column);

  private:
    std::vector<FolderRow> rows_;
};

// FileNamesClick: builds the rows; true when the window is to be shown
// (false in Network Mode, with an empty file list, after a failed open, or
// while another command runs).
// The window shows the busy pointer around the call.
bool FileNamesClick(AppState& state, WindowPort& port, FolderListModel& model);

// A mouse button pressed over the cell (row, column) of the folder list.
void StringGrid1MouseDown(AppState& state, WindowPort& port, FolderListModel& model, int row,
                          int column);

}  // namespace kestrove
