#include "win/Grid.h"

#include <algorithm>
#include <iterator>

#include "platform/win32/Wide.h"

namespace kestrove::win {

// The list view outlives the grid by a little: its parent form destroys it.
VirtualGrid::~VirtualGrid() {
    if (hwnd_ && IsWindow(hwnd_))
        RemoveWindowSubclass(hwnd_, &VirtualGrid::Subclass, 1);
}

void VirtualGrid::Create(HWND parent, int id, int columns, Source source, bool fullRowSelect) {
    columns_ = columns;
    source_ = std::move(source);
    hwnd_ = Child(
        parent, WC_LISTVIEWA, "",
        WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL,
        id);
    ListView_SetExtendedListViewStyle(
        hwnd_, LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | (fullRowSelect ? LVS_EX_FULLROWSELECT : 0));
    for (int c = 0; c < columns; ++c) {
        std::string title(source_.title(c));
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        col.fmt = LVCFMT_LEFT;
        col.pszText = title.data();
        col.cx = source_.width(c);
        SendMessageA(hwnd_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c),
                     reinterpret_cast<LPARAM>(&col));
    }
    SetWindowSubclass(hwnd_, &VirtualGrid::Subclass, 1, reinterpret_cast<DWORD_PTR>(this));
}

void VirtualGrid::SetFonts(HFONT cells, HFONT titles, int dpi) {
    cells_ = cells;
    titles_ = titles;
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(cells), TRUE);
    SendMessageA(ListView_GetHeader(hwnd_), WM_SETFONT, reinterpret_cast<WPARAM>(titles), TRUE);
    for (int c = 0; c < columns_; ++c)
        ListView_SetColumnWidth(hwnd_, c, Scale(source_.width(c), dpi));
}

void VirtualGrid::SetRecordRows(int rows) {
    rows_ = rows;
    ListView_SetItemCountEx(hwnd_, rows, 0);
    Refresh();
}

void VirtualGrid::Refresh() {
    InvalidateRect(hwnd_, nullptr, FALSE);
}

COLORREF VirtualGrid::Background(int row, int column) const {
    return ToColorRef(source_.background(row, column));
}

COLORREF VirtualGrid::Foreground() const {
    return ToColorRef(kNavy);
}

std::string VirtualGrid::ShownText(int row, int column) const {
    wchar_t text[512] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row - 1),
                 reinterpret_cast<LPARAM>(&item));
    return platform::win32::Utf8(text);
}

void VirtualGrid::ShowColumn(int column) {
    RECT client{}, cell{};
    GetClientRect(hwnd_, &client);
    const int top = ListView_GetTopIndex(hwnd_);
    if (!ListView_GetSubItemRect(hwnd_, top, column, LVIR_BOUNDS, &cell))
        return;
    // Column 0's rectangle spans the whole row.
    if (column == 0)
        cell.right = cell.left + ListView_GetColumnWidth(hwnd_, 0);
    if (cell.left < 0)
        ListView_Scroll(hwnd_, cell.left, 0);
    else if (cell.right > client.right)
        ListView_Scroll(hwnd_, std::min(cell.left, cell.right - client.right), 0);
}

bool VirtualGrid::HitTest(POINT point, int& row, int& column) const {
    LVHITTESTINFO hit{};
    hit.pt = point;
    if (ListView_SubItemHitTest(hwnd_, &hit) < 0 || hit.iItem < 0)
        return false;
    row = hit.iItem + 1;
    column = hit.iSubItem;
    return true;
}

bool VirtualGrid::Notify(NMHDR* header, LRESULT& result) {
    if (header->hwndFrom != hwnd_)
        return false;
    // The forms are Unicode windows: the list view asks in UTF-16. The cells
    // hold the mail files' Windows-1252.
    if (header->code == LVN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
        if ((info->item.mask & LVIF_TEXT) && info->item.cchTextMax > 0) {
            buffer_.clear();
            source_.text(info->item.iItem + 1, info->item.iSubItem, buffer_);
            lstrcpynW(info->item.pszText, platform::win32::WideFrom1252(buffer_).c_str(),
                      info->item.cchTextMax);
        }
        result = 0;
        return true;
    }
    if (header->code == NM_CUSTOMDRAW) {
        auto* cd = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
        switch (cd->nmcd.dwDrawStage) {
            case CDDS_PREPAINT:
                result = CDRF_NOTIFYITEMDRAW;
                return true;
            case CDDS_ITEMPREPAINT:
                result = CDRF_NOTIFYSUBITEMDRAW;
                return true;
            case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
                const int row = static_cast<int>(cd->nmcd.dwItemSpec) + 1;
                cd->clrTextBk = Background(row, cd->iSubItem);
                cd->clrText = Foreground();
                // The selection shows through the system colours only on the
                // focused cell's row; the background decides the rest.
                cd->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
                result = CDRF_DODEFAULT;
                return true;
            }
            default:
                result = CDRF_DODEFAULT;
                return true;
        }
    }
    return false;
}

// The header (the title row) is painted sky blue with navy titles.
LRESULT CALLBACK VirtualGrid::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
    auto* grid = reinterpret_cast<VirtualGrid*>(data);
    if (message == WM_NOTIFY) {
        auto* nm = reinterpret_cast<NMHDR*>(lParam);
        if (nm->hwndFrom == ListView_GetHeader(window) && nm->code == NM_CUSTOMDRAW) {
            auto* cd = reinterpret_cast<NMCUSTOMDRAW*>(lParam);
            if (cd->dwDrawStage == CDDS_PREPAINT)
                return CDRF_NOTIFYITEMDRAW;
            if (cd->dwDrawStage == CDDS_ITEMPREPAINT) {
                HBRUSH sky = CreateSolidBrush(ToColorRef(kSkyBlue));
                FillRect(cd->hdc, &cd->rc, sky);
                DeleteObject(sky);
                FrameRect(cd->hdc, &cd->rc, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
                const int column = static_cast<int>(cd->dwItemSpec);
                std::string title(grid->source_.title(column));
                HGDIOBJ old = SelectObject(cd->hdc, grid->titles_);
                SetBkMode(cd->hdc, TRANSPARENT);
                SetTextColor(cd->hdc, ToColorRef(kNavy));
                RECT r = cd->rc;
                r.left += 3;
                DrawTextA(cd->hdc, title.c_str(), static_cast<int>(title.size()), &r,
                          DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
                SelectObject(cd->hdc, old);
                return CDRF_SKIPDEFAULT;
            }
        }
    }
    if (message == WM_KEYDOWN && (wParam == VK_LEFT || wParam == VK_RIGHT) && grid->sideways) {
        grid->sideways(wParam == VK_LEFT ? -1 : 1);
        return 0;
    }
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(window, &VirtualGrid::Subclass, 1);
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace kestrove::win
