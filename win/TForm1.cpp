#include "win/TForm1.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>
#include <vector>

#include "app/DirectoryNavigation.h"
#include "app/MainWindowTable.h"
#include "core/Format.h"
#include "platform/win32/Wide.h"
#include "win/Dialogs.h"
#include "win/Forms.h"
#include "win/Program.h"

namespace kestrove::win {

namespace {

// Status lines and meters reach the screen at most this often while a
// command runs. Ten times a second is enough to follow a run and to answer
// Abort at once; more often, the repaints (about half a millisecond per
// control under Wine) slow the run itself.
constexpr std::int64_t kRepaintMs = 100;

// A control repaints when its state changes; the same state again costs
// nothing.
// The control's own flag, whether or not its parent is on screen.
bool ShownFlag(HWND control) {
    return GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE;
}

void Enable(HWND control, bool on) {
    if ((IsWindowEnabled(control) != FALSE) != on)
        EnableWindow(control, on);
}

// A push button draws its caption in the system's colour; Abort, the one
// red caption (as in the Qt program), is drawn here, on the theme's button
// where a theme is on.
void DrawRedButton(const DRAWITEMSTRUCT& d) {
    RECT r = d.rcItem;
    const bool pressed = d.itemState & ODS_SELECTED;
    const bool disabled = d.itemState & ODS_DISABLED;
    if (HTHEME theme = OpenThemeData(d.hwndItem, L"BUTTON")) {
        DrawThemeParentBackground(d.hwndItem, d.hDC, &r);
        DrawThemeBackground(theme, d.hDC, BP_PUSHBUTTON,
                            disabled  ? PBS_DISABLED
                            : pressed ? PBS_PRESSED
                                      : PBS_NORMAL,
                            &r, nullptr);
        CloseThemeData(theme);
    } else {
        DrawFrameControl(d.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    }
    auto font = reinterpret_cast<HFONT>(SendMessageA(d.hwndItem, WM_GETFONT, 0, 0));
    HGDIOBJ before = font ? SelectObject(d.hDC, font) : nullptr;
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, disabled ? GetSysColor(COLOR_GRAYTEXT) : ToColorRef(kRed));
    const std::string caption = GetText(d.hwndItem);
    DrawTextA(d.hDC, caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (before)
        SelectObject(d.hDC, before);
    if ((d.itemState & ODS_FOCUS) && !(d.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = d.rcItem;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(d.hDC, &focus);
    }
}

constexpr int kStatusIds[3] = {kLabelInfoMsg1, kLabelInfoMsg2, kLabelInfoMsg3};
constexpr int kMeterIds[3] = {kProgressBarF, kProgressBarM, kProgressBar1};
constexpr int kMeterCaptionIds[3] = {kCaptionF, kCaptionM, kCaption1};

// Image 17 of the menu's image list: a navy arrow, the marker of the
// current choice.
HBITMAP MakeMarker() {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits)
        return bmp;
    auto* px = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            // A triangle from (4,3)-(4,13) to its tip at (12,8).
            const int half = (x - 4) * 5 / 8;
            const bool in = x >= 4 && x <= 12 && y >= 3 + half && y <= 13 - half;
            px[y * 16 + x] = in ? 0xFF000080u : 0x00000000u;  // premultiplied navy
        }
    return bmp;
}

// A check bitmap that draws nothing (white is the menu's background): the
// choices whose marker alone shows on screen still report their check to
// assistive technology.
HBITMAP MakeBlankCheck() {
    const int w = GetSystemMetrics(SM_CXMENUCHECK), h = GetSystemMetrics(SM_CYMENUCHECK);
    const int stride = ((w + 15) / 16) * 2;  // monochrome rows are WORD-aligned
    std::vector<unsigned char> white(static_cast<std::size_t>(stride * h), 0xFF);
    return CreateBitmap(w, h, 1, 1, white.data());
}

}  // namespace

TForm1::TForm1(std::string settingsFile) : MainWindowCommands(std::move(settingsFile), kRepaintMs) {
    Create("Form1", std::string(kMainWindowCaption).c_str(), WS_OVERLAPPEDWINDOW, 1000, 680,
           nullptr, kSkyBlue);
    marker_ = MakeMarker();
    blankCheck_ = MakeBlankCheck();
    BuildControls();
    BuildMenus();
    OnFontsChanged();
    Relayout();
    Construct();
}

TForm1::~TForm1() {
    if (menu_ && hwnd_)
        SetMenu(hwnd_, nullptr);
    if (menu_)
        DestroyMenu(menu_);
    if (marker_)
        DeleteObject(marker_);
    if (blankCheck_)
        DeleteObject(blankCheck_);
}

// ---------------------------------------------------------------- building

void TForm1::BuildControls() {
    HWND w = hwnd_;
    constexpr DWORD kList = WS_VSCROLL | WS_TABSTOP | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    auto label = [w](int id, std::string_view text) {
        return Child(w, "STATIC", std::string(text).c_str(), SS_LEFT, id);
    };

    // Labels stand before their lists, so that screen readers name the lists.
    const ModeControls start = ModeControlsFor(*state_);
    label(kLabel3, kLabels[0].caption);
    Child(w, "BUTTON", "", BS_GROUPBOX, kRGMode1);
    for (int i = 0; i < 3; ++i)
        Child(w, "BUTTON", std::string(kModeItems[static_cast<std::size_t>(i)]).c_str(),
              BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), kModeNormal + i);
    label(kLabel1, kLabels[1].caption);
    Child(w, "LISTBOX", "", kList | WS_GROUP, kDriveListBox);
    label(kLabel2, kLabels[2].caption);
    Child(w, "LISTBOX", "", kList | LBS_WANTKEYBOARDINPUT, kDirectoryListBox1);
    label(kLblFileList, start.LblFileList);
    Child(w, "LISTBOX", "", kList | LBS_EXTENDEDSEL, kFileListBox1);
    Child(w, "LISTBOX", "", kList | LBS_EXTENDEDSEL, kListBox2);
    ShowWindow(Item(kListBox2), SW_HIDE);
    label(kLblNumFiles, "0 Files");
    Button(kBtnMoveFile, "BtnMoveFile");
    Button(kBtnMoveAllFiles, "BtnMoveAllFiles");
    Button(kBtnUnMoveFile, "BtnUnMoveFile");
    Button(kBtnUnMoveAllFiles, "BtnUnMoveAllFiles");
    Button(kRunButton, "RunButton");
    Button(kRestoreButton, "RestoreButton");
    Button(kMoveButton, "MoveButton");
    Button(kDeleteButton, "DeleteButton");
    Button(kRunNetButton, "RunNetButton");
    Button(kBtnGetStats, "BtnGetStats");
    Button(kFileNames, "FileNames", BS_MULTILINE);
    Button(kAbortButton, "AbortButton", BS_OWNERDRAW);
    ShowWindow(Item(kAbortButton), SW_HIDE);
    label(kLblSelList, start.LblSelList);
    Child(w, "LISTBOX", "", kList, kListBox3);
    ShowWindow(Item(kListBox3), SW_HIDE);
    Child(w, "LISTBOX", "", kList, kListBox1);
    label(kLblNumSelFiles, "0 Files Selected");
    Child(w, "STATIC", "", SS_ETCHEDFRAME, kPanel1);
    for (std::size_t i = 0; i < 3; ++i)
        label(kStatusIds[i], kStatusDesignTexts[i]);
    meterGroup_ = Group(w, kMeterGroup);
    ShowWindow(meterGroup_, SW_HIDE);
    for (std::size_t i = 0; i < 3; ++i) {
        const char* caption = kMeterCaptions[i].data();
        meterCaptions_[i] = Child(meterGroup_, "STATIC", caption, SS_LEFT, kMeterCaptionIds[i]);
        meters_[i] = Child(meterGroup_, PROGRESS_CLASSA, "", PBS_SMOOTH, kMeterIds[i]);
        SendMessageA(meters_[i], PBM_SETRANGE32, 0, 100);
        SetWindowTextA(meters_[i], caption);  // its accessible name
    }
    CheckRadioButton(w, kModeNormal, kModeNetwork, kModeNormal);
    // Frames lie under what they frame.
    for (int id : {kRGMode1, kPanel1})
        SetWindowPos(Item(id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // The hints.
    HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, w,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, 400);
    for (const ButtonSpec& button : kButtons) {
        TTTOOLINFOA ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = w;
        ti.uId = reinterpret_cast<UINT_PTR>(Item(IdOf(button.name)));
        // The tooltip copies the text.
        const std::string hint(button.hint);
        ti.lpszText = const_cast<char*>(hint.c_str());
        SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

// The menu items take their ids in the order of the table.
void TForm1::BuildMenus() {
    menu_ = CreateMenu();
    int id = kClearNew;
    for (const MenuSpec& tableRow : kMenus) {
        HMENU m = CreatePopupMenu();
        for (const MenuItemSpec& item : tableRow.items) {
            if (item.Separator()) {
                AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
                continue;
            }
            AppendMenuA(m, MF_STRING, static_cast<UINT_PTR>(id), std::string(item.caption).c_str());
            ids_[item.name] = id;
            names_[id] = item.name;
            ++id;
        }
        AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(m),
                    std::string(tableRow.caption).c_str());
    }
    SetMenu(hwnd_, menu_);
}

void TForm1::OnFontsChanged() {
    HFONT bold = Font(9, true);
    HFONT plain = Font(9, false);
    auto apply = [&](HWND parent) {
        for (HWND child = GetWindow(parent, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            const int id = GetDlgCtrlID(child);
            const bool status =
                id == kLabelInfoMsg1 || id == kLabelInfoMsg2 || id == kLabelInfoMsg3;
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(status ? plain : bold), FALSE);
        }
    };
    apply(hwnd_);
    apply(meterGroup_);
}

void TForm1::Layout(int width, int height) {
    if (!Item(kPanel1))
        return;
    const int d = dpi_;
    const int W = MulDiv(width, 96, d), H = MulDiv(height, 96, d);
    const int panelH = 84;
    const int bottom = H - panelH - 8;  // the columns end here
    // The columns keep their design widths down to a window of about 1000
    // units; a narrower one (a small screen at high dpi) shrinks the left
    // and middle columns first, so that the right one stays inside.
    const int lw = std::min(200, std::max(140, (W - 16) * 2 / 9));
    // Left: mode, drive, directory.
    Place(Item(kLabel3), d, 8, 6, lw, 18);
    Place(Item(kRGMode1), d, 8, 22, lw, 78);
    Place(Item(kModeNormal), d, 18, 36, lw - 20, 20);
    Place(Item(kModeBackup), d, 18, 56, lw - 20, 20);
    Place(Item(kModeNetwork), d, 18, 76, lw - 20, 20);
    Place(Item(kLabel1), d, 8, 106, lw, 18);
    Place(Item(kDriveListBox), d, 8, 124, lw, 76);
    Place(Item(kLabel2), d, 8, 206, lw, 18);
    Place(Item(kDirectoryListBox1), d, 8, 224, lw, std::max(40, bottom - 224));
    // The available list.
    const int mx = 8 + lw + 10, mw = std::max(120, (W - mx - 64 - 8) * 2 / 5);
    Place(Item(kLblFileList), d, mx, 6, mw, 18);
    Place(Item(kFileListBox1), d, mx, 24, mw, std::max(40, bottom - 24 - 22));
    Place(Item(kListBox2), d, mx, 24, mw, std::max(40, bottom - 24 - 22));
    Place(Item(kLblNumFiles), d, mx, bottom - 18, mw, 18);
    // The arrows.
    const int ax = mx + mw + 10;
    const int ay = 24 + (bottom - 24) / 2 - 80;
    const int arrows[] = {kBtnMoveFile, kBtnMoveAllFiles, kBtnUnMoveFile, kBtnUnMoveAllFiles};
    for (int i = 0; i < 4; ++i)
        Place(Item(arrows[i]), d, ax, ay + i * 40, 44, 32);
    // Right: commands above the selected list, in two rows; a button that
    // does not fit its row's end goes on below, so none is cut off (Abort
    // least of all: its place is kept while it is hidden).
    const int rx = ax + 54, rw = std::max(110, W - rx - 8);
    int x = rx, y = 6;
    const auto flow = [&](int id, int bw) {
        if (x > rx && x + bw > rx + rw) {
            x = rx;
            y += 44;
        }
        Place(Item(id), d, x, y, bw, 40);
        x += bw + 6;
    };
    for (int id : {kRunButton, kRestoreButton, kMoveButton, kDeleteButton, kRunNetButton})
        if (IsWindowVisible(Item(id)))
            flow(id, 96);
    x = rx;
    y += 44;
    for (int id : {kBtnGetStats, kFileNames, kAbortButton})
        if (IsWindowVisible(Item(id)) || id == kAbortButton)
            flow(id, id == kFileNames ? 130 : 96);
    const int labelTop = y + 48;
    Place(Item(kLblSelList), d, rx, labelTop, rw, 18);
    const int listTop = labelTop + 18, listH = std::max(40, bottom - listTop - 22);
    if (splitLists_) {
        Place(Item(kListBox3), d, rx, listTop, rw, listH / 2 - 2);
        Place(Item(kListBox1), d, rx, listTop + listH / 2 + 2, rw, listH / 2 - 2);
    } else {
        Place(Item(kListBox3), d, rx, listTop, rw, listH);
        Place(Item(kListBox1), d, rx, listTop, rw, listH);
    }
    Place(Item(kLblNumSelFiles), d, rx, bottom - 18, rw, 18);
    // Panel1.
    const int py = H - panelH - 4;
    Place(Item(kPanel1), d, 8, py, W - 16, panelH);
    const int meterW = std::min(300, std::max(120, (W - 16) / 3)), meterX = W - 16 - meterW;
    Place(meterGroup_, d, meterX - 90, py + 6, 90 + meterW, 2 * 25 + 20);
    // The status lines take the whole panel while no meter shows, so that a
    // long line is not cut where the window is narrow (high dpi).
    const int statusW = ShownFlag(meterGroup_) ? meterX - 110 - 16 : W - 16 - 24;
    for (int i = 0; i < 3; ++i) {
        Place(Item(kStatusIds[i]), d, 16, py + 6 + i * 25, statusW, 20);
        Place(meterCaptions_[i], d, 0, 2 + i * 25, 84, 18);
        Place(meters_[i], d, 90, i * 25, meterW, 20);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// The window's start state is the engine's; the help is the page beside
// the program.
void TForm1::Construct() {
    helpFile_ = "Kestrove.hlp";
    StartUp();
}

HWND TForm1::Button(int id, const char* name, DWORD extra) {
    const ButtonSpec& tableRow = *FindButton(name);
    ids_[tableRow.name] = id;
    names_[id] = tableRow.name;
    // A button's lines are parted by CR LF.
    std::string caption;
    for (char c : tableRow.caption)
        caption += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return Child(hwnd_, "BUTTON", caption.c_str(), WS_TABSTOP | BS_PUSHBUTTON | extra, id);
}

int TForm1::IdOf(std::string_view name) const {
    const auto it = ids_.find(name);
    return it == ids_.end() ? 0 : it->second;
}

// ----------------------------------------------------------------- queries

bool TForm1::MenuEnabled(int id) const {
    return !(GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED));
}

bool TForm1::MenuChecked(int id) const {
    return GetMenuState(menu_, static_cast<UINT>(id), MF_BYCOMMAND) & MF_CHECKED;
}

bool TForm1::HasMarker(int id) const {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_BITMAP;
    GetMenuItemInfoA(menu_, static_cast<UINT>(id), FALSE, &mi);
    return mi.hbmpItem != nullptr;
}

// Shown, and so is the group it lies in (whether the form is on screen or
// not).
bool TForm1::Visible(int id) const {
    HWND control = Item(id);
    for (HWND w = control; w && w != hwnd_; w = GetParent(w))
        if (!ShownFlag(w))
            return false;
    return control != nullptr;
}

bool TForm1::Enabled(int id) const {
    return IsWindowEnabled(Item(id));
}

std::string TForm1::Text(int id) const {
    return GetText(Item(id));
}

std::vector<std::string> TForm1::Entries(int id) const {
    HWND list = Item(id);
    std::vector<std::string> out;
    const int n = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        const auto len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring s(static_cast<std::size_t>(len) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<std::size_t>(len));
        out.push_back(platform::win32::Utf8(s));
    }
    return out;
}

void TForm1::SelectEntries(int id, const std::vector<int>& rows) {
    HWND list = Item(id);
    if (GetWindowLongPtrA(list, GWL_STYLE) & LBS_EXTENDEDSEL) {
        SendMessageA(list, LB_SETSEL, FALSE, -1);
        for (int r : rows)
            SendMessageA(list, LB_SETSEL, TRUE, r);
    } else {
        SendMessageA(list, LB_SETCURSEL, rows.empty() ? static_cast<WPARAM>(-1) : rows.front(), 0);
    }
}

void TForm1::ListClick(int id) {
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(id)));
}

void TForm1::ListDoubleClick(int id) {
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(id)));
}

void TForm1::Choose(int id) {
    // A disabled item cannot be chosen, as with the mouse.
    if (MenuEnabled(id))
        SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// ---------------------------------------------------------------- events

LRESULT TForm1::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_VKEYTOITEM && LOWORD(wParam) == VK_RETURN &&
        reinterpret_cast<HWND>(lParam) == Item(kDirectoryListBox1)) {
        if (ModeControlsFor(*state_).DirectoryListBox1.enabled)
            EnterDirectoryEntry(HIWORD(wParam));
        return -2;
    }
    if (message == WM_VKEYTOITEM)
        return -1;
    if (message == WM_DRAWITEM && wParam == kAbortButton) {
        DrawRedButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return Form::Handle(message, wParam, lParam);
}

// ---------------------------------------------------------------- helpers

void TForm1::EnableMenu(int id, bool on) {
    EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void TForm1::ShowControl(int id, bool visible) {
    HWND control = Item(id);
    if (ShownFlag(control) == visible)
        return;
    if (visible) {
        ShowWindow(control, SW_SHOWNA);
        return;
    }
    // What lay under it is painted with the window's next paint, once for
    // all the controls hidden together, not at once for each.
    RECT area{};
    GetWindowRect(control, &area);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&area), 2);
    SetWindowPos(
        control, nullptr, 0, 0, 0, 0,
        SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    RedrawWindow(hwnd_, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TForm1::SetMarker(int id, bool on) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_BITMAP;
    mi.hbmpItem = on ? marker_ : nullptr;
    SetMenuItemInfoA(menu_, static_cast<UINT>(id), FALSE, &mi);
}

HWND TForm1::ListWindow(ListId list) const {
    switch (list) {
        case ListId::FileListBox1:
            return Item(kFileListBox1);
        case ListId::ListBox1:
            return Item(kListBox1);
        case ListId::ListBox2:
            return Item(kListBox2);
        case ListId::ListBox3:
            return Item(kListBox3);
    }
    return Item(kListBox1);
}

void TForm1::FillDriveList(const std::vector<std::string>& drives) {
    FillListBox(Item(kDriveListBox), drives);
}

// The user's move of the tree, as a click in the Qt program's: the change
// event takes the drive as the drive list has it.
void TForm1::EnterDirectoryEntry(int row) {
    if (row < 0 || row >= static_cast<int>(directoryEntries_.size()))
        return;
    if (!EnterTreeEntry(directoryEntries_[static_cast<std::size_t>(row)]))
        MessageDialog(
            Format("Cannot enter %s", directoryEntries_[static_cast<std::size_t>(row)].c_str()),
            kProgramTitle, Icon::Stop, Buttons::Ok);
}

// ------------------------------------------------------------------- table

// What a click means is the engine's table's, read at the click, so a mode
// or a running command changes it.
void TForm1::OnCommand(int id, int code, HWND control) {
    // Enter, as the dialog keys send it: the default command of the control
    // that has the focus.
    if (id == IDOK && code == 0) {
        EnterPressed(control ? control : GetFocus());
        return;
    }
    const ModeControls table = ModeControlsFor(*state_);
    const auto list = [&](const ListControl& control) {
        if (code == LBN_SELCHANGE)
            Perform(control.click);
        else if (code == LBN_DBLCLK)
            Perform(control.doubleClick);
    };
    switch (id) {
        case kModeNormal:
        case kModeBackup:
        case kModeNetwork:
            if (code == BN_CLICKED && table.RGMode1.enabled)
                RGMode1Change();
            return;
        case kDriveListBox:
            return list(table.DriveListBox);
        case kDirectoryListBox1:
            if (code == LBN_DBLCLK && table.DirectoryListBox1.enabled)
                EnterDirectoryEntry(static_cast<int>(SendMessageA(Item(id), LB_GETCURSEL, 0, 0)));
            return;
        case kFileListBox1:
            return list(table.FileListBox1);
        case kListBox2:
            return list(table.ListBox2);
        case kListBox1:
        case kListBox3:
            if (code == LBN_SELCHANGE)
                HighlightMoved(id == kListBox1 ? ListId::ListBox1 : ListId::ListBox3);
            else
                list(id == kListBox1 ? table.ListBox1 : table.ListBox3);
            return;
        default:
            break;
    }
    const auto name = names_.find(id);
    if (name == names_.end() || (code != BN_CLICKED && code != 0 && code != 1))
        return;
    for (const ButtonSpec& button : kButtons)
        if (button.name == name->second)
            return Perform((table.*button.field).click);
    for (const MenuItemSpec* item : MenuItems())
        if (item->name == name->second)
            return Perform((table.*item->field).choose);
}

void TForm1::EnterPressed(HWND control) {
    const ModeControls table = ModeControlsFor(*state_);
    if (control == Item(kDirectoryListBox1)) {
        if (table.DirectoryListBox1.enabled)
            EnterDirectoryEntry(static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0)));
        return;
    }
    for (ListId list : {ListId::FileListBox1, ListId::ListBox2, ListId::ListBox1, ListId::ListBox3})
        if (control == ListWindow(list))
            return Perform(ListOf(table, list).enter);
    // A push button with the focus: Enter presses it, as Space does.
    if (control && IsChild(hwnd_, control) && names_.count(GetDlgCtrlID(control)) &&
        IsWindowEnabled(control))
        SendMessageA(control, BM_CLICK, 0, 0);
}

void TForm1::ShowModeControls(const ModeControls& controls, bool layout) {
    if (layout)
        CheckRadioButton(hwnd_, kModeNormal, kModeNetwork, kModeNormal + controls.mode);
    for (const ButtonSpec& tableRow : kButtons) {
        const ButtonControl& b = controls.*tableRow.field;
        const int id = IdOf(tableRow.name);
        Enable(Item(id), b.state.enabled);
        // The commands show and hide Abort themselves.
        if (layout && id != kAbortButton)
            ShowControl(id, b.state.visible);
    }
    for (const MenuItemSpec* item : MenuItems()) {
        const MenuControl& m = controls.*item->field;
        const int id = IdOf(item->name);
        EnableMenu(id, m.enabled);
        SetMarker(id, m.marker);
        if (item->checkable && !item->checkDrawn)
            SetMenuItemBitmaps(menu_, static_cast<UINT>(id), MF_BYCOMMAND, blankCheck_,
                               blankCheck_);
        if (item->checkable)
            CheckMenuItem(menu_, static_cast<UINT>(id),
                          MF_BYCOMMAND | (m.checked ? MF_CHECKED : MF_UNCHECKED));
    }
    for (int id : {kModeNormal, kModeBackup, kModeNetwork})
        Enable(Item(id), controls.RGMode1.enabled);
    Enable(Item(kDriveListBox), controls.DriveListBox.state.enabled);
    Enable(Item(kDirectoryListBox1), controls.DirectoryListBox1.enabled);
    for (ListId list : {ListId::FileListBox1, ListId::ListBox2, ListId::ListBox1, ListId::ListBox3})
        Enable(ListWindow(list), ListOf(controls, list).state.enabled);
    // Only items within the menus change, never the bar itself.
    if (!layout)
        return;
    SetText(Item(kLblFileList), std::string(controls.LblFileList));
    SetText(Item(kLblSelList), std::string(controls.LblSelList));
    Relayout();
}

int TForm1::ModeItemIndex() const {
    for (int i = 0; i < 3; ++i)
        if (IsDlgButtonChecked(hwnd_, kModeNormal + i) == BST_CHECKED)
            return i;
    return -1;
}

std::vector<int> TForm1::SelectedRows(ListId list) const {
    return win::SelectedRows(ListWindow(list));
}

// Painting every changed control in one go is cheaper than one message for
// each.
void TForm1::HandlePendingEvents() {
    UpdateWindow(hwnd_);
    PumpMessages();
}

void TForm1::OpenWindow(Window window) {
    if (!forms_)
        return;
    const Forms& f = *forms_;
    if (window == Window::Viewer)
        f.Form2->View(*this);
    else if (window == Window::Statistics)
        f.Form6->GetStats(*this);
    else if (window == Window::FolderNames)
        f.Form5->FileNamesClick(*this);
    else
        (window == Window::About       ? static_cast<Form*>(f.AboutBox.get())
         : window == Window::SetDrives ? static_cast<Form*>(f.Form3.get())
                                       : static_cast<Form*>(f.Form4.get()))
            ->ShowModal(hwnd_);
}

void TForm1::ShowHelp(bool index) {
    OpenHelp(hwnd_, index);
}

void TForm1::CloseWindow() {
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
}

// A close during a run asks the run to stop and closes once it has returned.
bool TForm1::OnClose() {
    if (!MayClose())
        return false;
    closed_ = true;
    ShowWindow(hwnd_, SW_HIDE);
    if (quitOnClose_)
        PostQuitMessage(0);
    return false;
}

// ------------------------------------------------------------------- tree

std::optional<std::string> TForm1::ChosenDriveEntry() const {
    const std::vector<int> rows = win::SelectedRows(Item(kDriveListBox));
    if (rows.empty())
        return std::nullopt;
    return Entries(kDriveListBox)[static_cast<std::size_t>(rows.front())];
}

bool TForm1::TreeSetDrive(char letter) {
    const TreeStep step = StepToDrive(letter, directory_);
    return step.possible && (step.directory.empty() || TreeSetDirectory(step.directory));
}

bool TForm1::TreeSetDirectory(const std::string& path) {
    TreeStep step = StepInto(path, directory_);
    if (!step.possible || step.directory.empty())
        return step.possible;
    directory_ = std::move(step.directory);
    FillDirectoryList();
    DriveComboBox1Change();  // the tree's change event
    return true;
}

// DirectoryListBox1 shows the current directory's ancestors, itself and its
// subdirectories, indented like a tree; a double click or Enter enters one.
void TForm1::FillDirectoryList() {
    directoryEntries_.clear();
    std::vector<std::string> shown;
    if (!directory_.empty()) {
        std::string path = DriveRoot(directory_[0]);
        directoryEntries_.push_back(path);
        shown.push_back(path);
        std::size_t depth = 1;
        for (const std::string& part : DirectoryComponents(directory_)) {
            path = ChildDirectory(path, part);
            directoryEntries_.push_back(path);
            shown.push_back(std::string(depth++ * 3, ' ') + part);
        }
        for (const std::string& name : Subdirectories(directory_)) {
            directoryEntries_.push_back(ChildDirectory(directory_, name));
            shown.push_back(std::string(depth * 3, ' ') + name);
        }
    }
    FillListBox(Item(kDirectoryListBox1), shown);
    const std::size_t current = directory_.empty() ? 0 : DirectoryComponents(directory_).size();
    SendMessageA(Item(kDirectoryListBox1), LB_SETCURSEL, current, 0);
}

// ---------------------------------------------------------------- commands

void TForm1::FileExit1Execute() {
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

// -------------------------------------------------------------- WindowPort

Answer TForm1::ShowMessageBox(const std::string& text, const std::string& title, Icon icon,
                              Buttons buttons, DefaultButton byDefault) {
    return ShowMessage(hwnd_, text, title, icon, buttons, byDefault);
}

void TForm1::KeepFocus() {
    HWND focus = GetFocus();
    focusBefore_ = focus && IsChild(hwnd_, focus) ? focus : nullptr;
}

// A disabled control keeps the focus, and then no key reaches the window.
void TForm1::GiveFocusBack(std::string_view fallback) {
    HWND to = focusBefore_;
    focusBefore_ = nullptr;
    if (!to || !IsWindow(to) || !IsWindowVisible(to) || !IsWindowEnabled(to))
        to = Item(IdOf(fallback));
    if (to && IsWindowVisible(to) && IsWindowEnabled(to))
        SetFocus(to);
}

// Each change costs a repaint (a progress bar paints itself at once); the
// throttle sets only what the screen does not show already.
void TForm1::DrawStatus(StatusLine line, const std::string& text) {
    SetText(Item(kStatusIds[static_cast<std::size_t>(line)]), text);
}

void TForm1::DrawMeter(Meter meter, int percent) {
    SendMessageA(meters_[static_cast<std::size_t>(meter)], PBM_SETPOS, static_cast<WPARAM>(percent),
                 0);
}

// The meters lie in one group, which shows and hides as one window; a meter
// hidden with the others stays shown within the hidden group, so that the
// next command that shows them all shows just the group.
void TForm1::DrawMetersShown(const std::array<bool, 3>& shown) {
    const bool any = std::find(shown.begin(), shown.end(), true) != shown.end();
    const bool wasShown = ShownFlag(meterGroup_);
    if (!any) {
        ShowControl(kMeterGroup, false);
        if (wasShown)
            Relayout();  // the status lines widen again
        return;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (ShownFlag(meters_[i]) == shown[i])
            continue;
        const int how = shown[i] ? SW_SHOWNA : SW_HIDE;
        ShowWindow(meters_[i], how);
        ShowWindow(meterCaptions_[i], how);
    }
    ShowControl(kMeterGroup, true);
    if (!wasShown)
        Relayout();
}

void TForm1::PaintStatusNow(StatusLine line) {
    UpdateWindow(Item(kStatusIds[static_cast<std::size_t>(line)]));
}

void TForm1::SetCountLabel(CountLabel label, const std::string& text) {
    SetText(Item(label == CountLabel::LblNumFiles ? kLblNumFiles : kLblNumSelFiles), text);
}

// A command disables the control that had the focus, and then no key
// reaches the window: the keys go to Abort while it shows.
void TForm1::ShowAbort(bool visible) {
    ShowControl(kAbortButton, visible);
    HWND focus = GetFocus();
    if (visible && (!focus || !IsWindowEnabled(focus)) && IsWindowVisible(hwnd_))
        SetFocus(Item(kAbortButton));
}

void TForm1::ListChanged(ListId list) {
    HWND w = ListWindow(list);
    FillListBox(w, EntriesOf(*state_, list));
    if (HighlightOf(*state_, list) >= 0)
        SendMessageA(w, LB_SETCURSEL, static_cast<WPARAM>(HighlightOf(*state_, list)), 0);
}

void TForm1::DrawHighlight(ListId list, int index) {
    HWND w = ListWindow(list);
    if (GetWindowLongPtrA(w, GWL_STYLE) & LBS_EXTENDEDSEL) {
        SendMessageA(w, LB_SETSEL, FALSE, -1);
        if (index >= 0)
            SendMessageA(w, LB_SETSEL, TRUE, index);
    } else {
        SendMessageA(w, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void TForm1::ShowList(ListId list, bool visible) {
    ShowWindow(ListWindow(list), visible ? SW_SHOWNA : SW_HIDE);
}

// The network run shows the selected user directories above the folder list
// of the directory in hand.
void TForm1::SplitSelectedLists() {
    splitLists_ = true;
    ShowControl(kListBox3, true);
    ShowControl(kListBox1, true);
    Relayout();
}

void TForm1::RestoreSelectedLists() {
    splitLists_ = false;
    ShowControl(kListBox3, true);
    ShowControl(kListBox1, false);
    Relayout();
}

std::optional<SaveChoice> TForm1::AskSaveFile(std::string_view filter,
                                              const std::string& startDirectory) {
    return win::ChooseSaveFile(hwnd_, "Save Log File", filter, startDirectory);
}

std::optional<std::string> TForm1::AskDirectory(const std::string& start) {
    return win::ChooseDirectory(hwnd_, start);
}

}  // namespace kestrove::win
