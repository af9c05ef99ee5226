#pragma once
// A grid over a virtual list view (LVS_OWNERDATA): the list view asks for
// each cell when it shows it, and the cells are painted by custom draw. The
// list view's header is the grid's title row (row 0); list item i is grid
// row i + 1.

#include <functional>
#include <string>

#include "win/Controls.h"

namespace kestrove::win {

class VirtualGrid {
  public:
    struct Source {
        std::function<void(int row, int column, std::string& out)> text;  // grid rows
        std::function<Rgb(int row, int column)> background;
        std::function<std::string_view(int column)> title;
        std::function<int(int column)> width;  // 96-dpi pixels
    };

    VirtualGrid() = default;
    VirtualGrid(const VirtualGrid&) = delete;
    VirtualGrid& operator=(const VirtualGrid&) = delete;
    ~VirtualGrid();

    void Create(HWND parent, int id, int columns, Source source, bool fullRowSelect);
    HWND hwnd() const { return hwnd_; }
    void SetFonts(HFONT cells, HFONT titles, int dpi);
    // The number of grid rows below the title row.
    void SetRecordRows(int rows);
    int RecordRows() const { return rows_; }
    void Refresh();

    // The colours a cell is painted in (grid row, from 1).
    COLORREF Background(int row, int column) const;
    COLORREF Foreground() const;
    // A cell's text as the list view shows it (through its own request).
    std::string ShownText(int row, int column) const;
    // The grid cell under a point of the list view's client area; false
    // outside the record rows.
    bool HitTest(POINT point, int& row, int& column) const;

    // The parent's WM_NOTIFY for the list view; true when handled.
    bool Notify(NMHDR* header, LRESULT& result);

    // Left and Right move the current cell (-1 or +1) instead of scrolling,
    // when set.
    std::function<void(int step)> sideways;
    // Scrolls a column into view.
    void ShowColumn(int column);

  private:
    static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
    HWND hwnd_ = nullptr;
    int columns_ = 0;
    int rows_ = 0;
    Source source_;
    HFONT cells_ = nullptr, titles_ = nullptr;
    std::string buffer_;
};

}  // namespace kestrove::win
