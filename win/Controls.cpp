#include "win/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include "platform/win32/Wide.h"

namespace kestrove::win {

namespace {

Form::ModalHook& Hook() {
    static Form::ModalHook hook;
    return hook;
}

constexpr const wchar_t* kFormClass = L"KestroveForm";

constexpr const wchar_t* kGroupClass = L"KestroveGroup";

LRESULT CALLBACK GroupProc(HWND group, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return SendMessageA(GetParent(group), message, wParam, lParam);
        case WM_ERASEBKGND: {
            // The brush the parent gives its own labels is its background.
            auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
                GetParent(group), WM_CTLCOLORSTATIC, wParam, reinterpret_cast<LPARAM>(group)));
            RECT rc{};
            GetClientRect(group, &rc);
            FillRect(reinterpret_cast<HDC>(wParam), &rc,
                     brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        default:
            return DefWindowProcW(group, message, wParam, lParam);
    }
}

void RegisterFormClass() {
    static bool registered = false;
    if (registered)
        return;
    // Unicode windows: every text they show may hold any character.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = kFormClass;
    RegisterClassExW(&wc);
    wc.style = 0;
    wc.lpfnWndProc = GroupProc;
    wc.hIcon = nullptr;
    wc.lpszClassName = kGroupClass;
    RegisterClassExW(&wc);
    registered = true;
}

}  // namespace

COLORREF ToColorRef(Rgb colour) {
    return RGB(colour.r, colour.g, colour.b);
}

int Scale(int value, int dpi) {
    return MulDiv(value, dpi, 96);
}

RECT PlaceInWorkArea(const RECT& work, int dpi, int width, int height) {
    const int areaW = work.right - work.left, areaH = work.bottom - work.top;
    const int w = std::min(Scale(width, dpi), areaW), h = std::min(Scale(height, dpi), areaH);
    const int x = work.left + (areaW - w) / 2, y = work.top + (areaH - h) / 2;
    return {x, y, x + w, y + h};
}

int WindowDpi(HWND window) {
    // GetDpiForWindow exists from Windows 10 1607 on; before it, the
    // screen's DPI is the only one.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpi && window) {
        const UINT dpi = getDpi(window);
        if (dpi)
            return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

std::string GetText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return platform::win32::Utf8(text);
}

void SetText(HWND window, const std::string& text) {
    SetWindowTextW(window, platform::win32::Wide(text).c_str());
}

namespace {

HWND ChildOfClass(HWND parent, const wchar_t* cls, const char* text, DWORD style, int id,
                  DWORD exStyle) {
    return CreateWindowExW(exStyle, cls, platform::win32::Wide(text).c_str(),
                           WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int id, DWORD exStyle) {
    return ChildOfClass(parent, platform::win32::Wide(cls).c_str(), text, style, id, exStyle);
}

HWND Group(HWND parent, int id) {
    RegisterFormClass();
    return ChildOfClass(parent, kGroupClass, "", WS_CLIPCHILDREN, id, WS_EX_CONTROLPARENT);
}

void Place(HWND control, int dpi, int x, int y, int w, int h) {
    MoveWindow(control, Scale(x, dpi), Scale(y, dpi), Scale(w, dpi), Scale(h, dpi), TRUE);
}

void FillListBox(HWND list, const std::vector<std::string>& entries) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& e : entries)
        SendMessageW(list, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(platform::win32::Wide(e).c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::vector<int> SelectedRows(HWND list) {
    std::vector<int> rows;
    const LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
    if (style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL)) {
        const int n = static_cast<int>(SendMessageA(list, LB_GETSELCOUNT, 0, 0));
        if (n > 0) {
            rows.resize(static_cast<std::size_t>(n));
            SendMessageA(list, LB_GETSELITEMS, static_cast<WPARAM>(n),
                         reinterpret_cast<LPARAM>(rows.data()));
        }
    } else {
        const int row = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
        if (row != LB_ERR)
            rows.push_back(row);
    }
    return rows;
}

std::string DialogFilter(std::string_view filter) {
    std::string out(filter);
    for (char& c : out)
        if (c == '|')
            c = '\0';
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

// ---------------------------------------------------------------- Form

HWND Form::Item(int id) const {
    if (HWND direct = GetDlgItem(hwnd_, id))
        return direct;
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        hwnd_,
        [](HWND child, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            if (GetDlgCtrlID(child) != s->id)
                return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

Form::~Form() {
    if (hwnd_) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    DropFonts();
    if (brush_)
        DeleteObject(brush_);
}

void Form::Create(const char* name, const char* caption, DWORD style, int width, int height,
                  HWND owner, Rgb background) {
    RegisterFormClass();
    background_ = background;
    brush_ = CreateSolidBrush(ToColorRef(background));
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, platform::win32::Wide(caption).c_str(),
                            style, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    // The accessible name of the window class is no use; the name tells tests
    // and screen readers which form this is.
    SetPropA(hwnd_, "KestroveName", const_cast<char*>(name));
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::Proc));
    dpi_ = WindowDpi(hwnd_);
    // Centred on the screen its owner is on, and inside it at any DPI.
    HMONITOR monitor = MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(monitor, &mi);
    const RECT r = PlaceInWorkArea(mi.rcWork, dpi_, width, height);
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT Form::Font(int points, bool bold, bool fixed) {
    for (const FontKey& k : fonts_)
        if (k.points == points && k.bold == bold && k.fixed == fixed)
            return k.font;
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(points, dpi_, 72);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lf.lfPitchAndFamily = static_cast<BYTE>(fixed ? FIXED_PITCH | FF_MODERN : FF_SWISS);
    // Fixedsys: the statistics grid's font, on every Windows and in wine.
    lstrcpynA(lf.lfFaceName, fixed ? "Fixedsys" : "Tahoma", LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    fonts_.push_back({points, bold, fixed, font});
    return font;
}

void Form::ApplyFont(int id, HFONT font) {
    SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

void Form::DropFonts() {
    for (const FontKey& k : fonts_)
        DeleteObject(k.font);
    fonts_.clear();
}

void Form::Relayout() {
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    Layout(rc.right, rc.bottom);
}

void Form::SetModalHook(ModalHook hook) {
    Hook() = std::move(hook);
}

void Form::ShowModal(HWND owner) {
    modal_ = true;
    done_ = false;
    if (Hook()) {
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        Relayout();
        if (focusOnShow_)
            SetFocus(focusOnShow_);
        const ModalHook hook = Hook();  // the hook may set another one
        hook(*this);
        Close();
        modal_ = false;
        return;
    }
    if (owner)
        EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    if (focusOnShow_)
        SetFocus(focusOnShow_);
    MSG msg;
    bool quit = false;
    while (!done_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = true;
            break;
        }
        if (!IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (owner)
        EnableWindow(owner, TRUE);
    ShowWindow(hwnd_, SW_HIDE);
    if (owner)
        SetActiveWindow(owner);
    modal_ = false;
    if (quit)
        PostQuitMessage(static_cast<int>(msg.wParam));
}

void Form::Close() {
    done_ = true;
    ShowWindow(hwnd_, SW_HIDE);
}

void Form::Click(int id) {
    SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

void Form::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        HWND top = GetAncestor(msg.hwnd, GA_ROOT);
        if (!top || !IsDialogMessageW(top, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool Form::OnClose() {
    return false;
}

LRESULT CALLBACK Form::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(window, message, wParam, lParam);
    return form->Handle(message, wParam, lParam);
}

LRESULT Form::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            Layout(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ERASEBKGND: {
            RECT rc{};
            GetClientRect(hwnd_, &rc);
            FillRect(reinterpret_cast<HDC>(wParam), &rc, brush_);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, ToColorRef(background_));
            SetTextColor(dc, ToColorRef(kNavy));
            return reinterpret_cast<LRESULT>(brush_);
        }
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_ACTIVATE: {
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus))
                    lastFocus_ = focus;
                break;
            }
            HWND to = lastFocus_;
            if (!to || !IsWindow(to) || !IsWindowVisible(to) || !IsWindowEnabled(to))
                to = focusOnShow_;
            if (!to || !IsWindowVisible(to) || !IsWindowEnabled(to))
                break;
            SetFocus(to);
            return 0;
        }
        case WM_NEXTDLGCTL: {
            // The dialog keys send it to any window: an access key of a label
            // or a frame moves the focus to the control after it.
            HWND to = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                     : GetNextDlgTabItem(hwnd_, GetFocus(), wParam != 0);
            if (!to || !IsChild(hwnd_, to))
                return 0;
            // Into a group of option buttons at its chosen one: focus on
            // another would choose that one.
            char cls[16] = "";
            GetClassNameA(to, cls, sizeof cls);
            const LONG_PTR style = GetWindowLongPtrA(to, GWL_STYLE);
            if (lstrcmpiA(cls, "Button") == 0 && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                SendMessageA(to, BM_GETCHECK, 0, 0) != BST_CHECKED) {
                for (HWND item = GetNextDlgGroupItem(hwnd_, to, FALSE); item && item != to;
                     item = GetNextDlgGroupItem(hwnd_, item, FALSE))
                    if (SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                        to = item;
                        break;
                    }
            }
            SetFocus(to);
            return 0;
        }
        case WM_NOTIFY: {
            bool handled = false;
            const LRESULT r = OnNotify(reinterpret_cast<NMHDR*>(lParam), handled);
            if (handled)
                return r;
            break;
        }
        case WM_CLOSE:
            if (modal_) {
                Close();
                return 0;
            }
            if (OnClose())
                DestroyWindow(hwnd_);
            return 0;
        case 0x02E0: {  // WM_DPICHANGED: new fonts and sizes for the new monitor
            dpi_ = HIWORD(wParam);
            std::vector<FontKey> old;
            old.swap(fonts_);
            OnFontsChanged();
            for (const FontKey& k : old)
                DeleteObject(k.font);
            // Where the system puts it, kept inside the new monitor's work area.
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            GetMonitorInfoA(MonitorFromRect(r, MONITOR_DEFAULTTONEAREST), &mi);
            const RECT& work = mi.rcWork;
            const int w = std::min(r->right - r->left, work.right - work.left);
            const int h = std::min(r->bottom - r->top, work.bottom - work.top);
            const int x = std::clamp(static_cast<int>(r->left), static_cast<int>(work.left),
                                     static_cast<int>(work.right) - w);
            const int y = std::clamp(static_cast<int>(r->top), static_cast<int>(work.top),
                                     static_cast<int>(work.bottom) - h);
            SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
            Relayout();
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace kestrove::win
