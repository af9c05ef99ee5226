#include "win/TForm1.h"

#include <algorithm>
#include <cctype>

#include "backup/Backup.h"
#include "core/BusyScope.h"
#include "core/Format.h"
#include "core/Selection.h"
#include "core/Settings.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "reports/Export.h"
#include "win/Dialogs.h"
#include "win/Forms.h"

namespace kestrove::win {

namespace {

// Status lines and meters reach the screen at most this often while a
// command runs: a per-record update costs a string copy, not a repaint.
constexpr std::uint64_t kRepaintMs = 30;

constexpr int kStatusIds[3] = {kLabelInfoMsg1, kLabelInfoMsg2, kLabelInfoMsg3};
constexpr int kMeterIds[3] = {kProgressBarF, kProgressBarM, kProgressBar1};
constexpr int kMeterCaptionIds[3] = {kCaptionF, kCaptionM, kCaption1};

// The controls a running command disables (Abort stays live).
constexpr int kCommandControls[] = {
    kModeNormal,        kModeBackup,  kModeNetwork,   kDriveListBox,    kDirectoryListBox1,
    kFileListBox1,      kListBox2,    kBtnMoveFile,   kBtnMoveAllFiles, kBtnUnMoveFile,
    kBtnUnMoveAllFiles, kRunButton,   kRestoreButton, kMoveButton,      kDeleteButton,
    kRunNetButton,      kBtnGetStats, kFileNames,     kListBox1,        kListBox3};
// The menu items a running command disables: all but Exit and the help.
constexpr int kCommandMenus[] = {kClearNew,
                                 kNormalModeItem,
                                 kBackupModeItem,
                                 kNetworkModeItem,
                                 kSaveIndexFile1,
                                 kSaveLogFile1,
                                 kSort1,
                                 kSortOFF1,
                                 kSaveIndexasCSV,
                                 kSaveIndexasTAB,
                                 kN5,
                                 kSetOptions1,
                                 kRunDeleteDupes1,
                                 kGetStats1,
                                 kRestoreBackupFiles1,
                                 kMoveBackupFiles2,
                                 kDeleteBackupFiles1,
                                 kDeleteNetworkDupes2,
                                 kAbout1};

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

std::string SubPath(const std::string& parent, std::string_view name) {
    std::string path = parent;
    if (path.empty() || !platform::IsSeparator(path.back()))
        path += '\\';
    path += name;
    return path;
}

// A directory text as the tree shows it: the drive letter in capitals, no
// separator at the end but for the root, each existing component in the
// letter case it has on disk. Empty when it does not exist.
std::string CanonicalDirectory(const std::string& path) {
    if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0])))
        return {};
    std::string result =
        std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) +
        ":\\";
    if (!platform::DirectoryExists(result))
        return {};
    std::size_t i = 2;
    while (i < path.size()) {
        while (i < path.size() && platform::IsSeparator(path[i]))
            ++i;
        const std::size_t end = std::find_if(path.begin() + static_cast<std::ptrdiff_t>(i),
                                             path.end(), platform::IsSeparator) -
                                path.begin();
        const std::string part = path.substr(i, end - i);
        i = end;
        if (part.empty() || part == ".")
            continue;
        if (part.find_first_of("*?") != std::string::npos)
            return {};
        std::string found;
        for (const auto& e : platform::FindFiles(SubPath(result, part)))
            if (e.isDirectory && lstrcmpiA(e.name.c_str(), part.c_str()) == 0) {
                found = e.name;
                break;
            }
        if (found.empty())
            return {};
        result = SubPath(result, found);
    }
    return result;
}

}  // namespace

TForm1::TForm1(std::string settingsFile) : state_(std::make_unique<AppState>()) {
    state_->settingsFile = std::move(settingsFile);
    Create("Form1", "Kestrove - 2.30", WS_OVERLAPPEDWINDOW, 1000, 680, nullptr, kSkyBlue);
    marker_ = MakeMarker();
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
}

void TForm1::SetForms(TAboutBox* about, TForm2* viewer, TForm3* drives, TForm4* options,
                      TForm5* folders, TForm6* stats) {
    about_ = about;
    viewer_ = viewer;
    drives_ = drives;
    options_ = options;
    folders_ = folders;
    stats_ = stats;
}

// ---------------------------------------------------------------- building

void TForm1::BuildControls() {
    HWND w = hwnd_;
    constexpr DWORD kList = WS_VSCROLL | WS_TABSTOP | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    auto button = [w](int id, const char* caption, DWORD extra = 0) {
        return Child(w, "BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON | extra, id);
    };
    auto label = [w](int id, const char* text) { return Child(w, "STATIC", text, SS_LEFT, id); };

    // Labels stand before their lists, so that screen readers name the lists.
    label(kLabel3, "&Mode");
    Child(w, "BUTTON", "", BS_GROUPBOX, kRGMode1);
    Child(w, "BUTTON", "Normal Mode", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kModeNormal);
    Child(w, "BUTTON", "Backup Mode", BS_AUTORADIOBUTTON, kModeBackup);
    Child(w, "BUTTON", "Network Mode", BS_AUTORADIOBUTTON, kModeNetwork);
    label(kLabel1, "Dri&ve");
    Child(w, "LISTBOX", "", kList | WS_GROUP, kDriveListBox);
    label(kLabel2, "&Directory");
    Child(w, "LISTBOX", "", kList | LBS_WANTKEYBOARDINPUT, kDirectoryListBox1);
    label(kLblFileList, "*.PMI &Files");
    Child(w, "LISTBOX", "", kList | LBS_EXTENDEDSEL, kFileListBox1);
    Child(w, "LISTBOX", "", kList | LBS_EXTENDEDSEL, kListBox2);
    ShowWindow(Item(kListBox2), SW_HIDE);
    label(kLblNumFiles, "0 Files");
    button(kBtnMoveFile, ">");
    button(kBtnMoveAllFiles, ">>");
    button(kBtnUnMoveFile, "<");
    button(kBtnUnMoveAllFiles, "<<");
    button(kRunButton, "Run");
    button(kRestoreButton, "Restore");
    button(kMoveButton, "Move");
    button(kDeleteButton, "Delete");
    button(kRunNetButton, "Network Run");
    button(kBtnGetStats, "Get Stats");
    button(kFileNames, "Display\r\nFolder Names", BS_MULTILINE);
    button(kAbortButton, "Abort");
    ShowWindow(Item(kAbortButton), SW_HIDE);
    label(kLblSelList, "S&elected Files");
    Child(w, "LISTBOX", "", kList, kListBox3);
    ShowWindow(Item(kListBox3), SW_HIDE);
    Child(w, "LISTBOX", "", kList, kListBox1);
    label(kLblNumSelFiles, "0 Files Selected");
    Child(w, "STATIC", "", SS_ETCHEDFRAME, kPanel1);
    label(kLabelInfoMsg1, "File");
    label(kLabelInfoMsg2, "");
    label(kLabelInfoMsg3, "");
    const char* captions[3] = {"Files", "Messages", "Characters"};
    for (int i = 0; i < 3; ++i) {
        label(kMeterCaptionIds[i], captions[i]);
        HWND bar = Child(w, PROGRESS_CLASSA, "", PBS_SMOOTH, kMeterIds[i]);
        SendMessageA(bar, PBM_SETRANGE32, 0, 100);
        SetWindowTextA(bar, captions[i]);  // its accessible name
        ShowWindow(bar, SW_HIDE);
        ShowWindow(Item(kMeterCaptionIds[i]), SW_HIDE);
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
    const std::pair<int, const char*> hints[] = {
        {kRunButton, "Run will remove all of the duplicate messages in the selected files."},
        {kBtnGetStats, "Get statistics for selected files"},
        {kRestoreButton, "Restore backup files."},
        {kMoveButton, "Move backup files."},
        {kDeleteButton, "Delete backup files."},
        {kRunNetButton, "Run will remove duplicate messages in the selected users."},
        {kAbortButton, "Abort the current run."},
        {kFileNames, "Display the folder names as well as the file names."},
        {kBtnMoveFile, "Add the highlighted entries to the selected list."},
        {kBtnMoveAllFiles, "Add every entry to the selected list."},
        {kBtnUnMoveFile, "Remove the highlighted entry from the selected list."},
        {kBtnUnMoveAllFiles, "Empty the selected list."}};
    for (const auto& [id, hint] : hints) {
        TTTOOLINFOA ti{};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = w;
        ti.uId = reinterpret_cast<UINT_PTR>(Item(id));
        ti.lpszText = const_cast<char*>(hint);
        SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
}

void TForm1::BuildMenus() {
    menu_ = CreateMenu();
    auto popup = [this](const char* caption,
                        std::initializer_list<std::pair<int, const char*>> items) {
        HMENU m = CreatePopupMenu();
        for (const auto& [id, text] : items) {
            if (id == 0)
                AppendMenuA(m, MF_SEPARATOR, 0, nullptr);
            else
                AppendMenuA(m, MF_STRING, static_cast<UINT_PTR>(id), text);
        }
        AppendMenuA(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(m), caption);
    };
    popup("&File", {{kClearNew, "&New"},
                    {0, nullptr},
                    {kNormalModeItem, "N&ormal Mode"},
                    {kBackupModeItem, "&Backup Mode"},
                    {kNetworkModeItem, "Ne&twork Mode"},
                    {0, nullptr},
                    {kSaveIndexFile1, "Save&Index"},
                    {kSaveLogFile1, "Save &Log File"},
                    {0, nullptr},
                    {kExit1, "E&xit"}});
    popup("&Options", {{kSort1, "Sort &ON "},
                       {kSortOFF1, "Sort O&FF"},
                       {0, nullptr},
                       {kSaveIndexasCSV, "Save Index As &CSV"},
                       {kSaveIndexasTAB, "Save Index as &TAB"},
                       {0, nullptr},
                       {kN5, "Set &Drives"},
                       {kSetOptions1, "Set O&ptions"}});
    popup("&Run", {{kRunDeleteDupes1, "&Run Delete Dupes"},
                   {kGetStats1, "&GetStats"},
                   {kRestoreBackupFiles1, "R&estore Backup Files"},
                   {kMoveBackupFiles2, "&Move Backup Files"},
                   {kDeleteBackupFiles1, "&Delete Backup Files"},
                   {kDeleteNetworkDupes2, "Delete &Network Dupes"}});
    popup("&Help", {{kContents1, "&Contents"}, {kIndex1, "&Index"}, {kAbout1, "&About"}});
    SetMenu(hwnd_, menu_);
}

void TForm1::OnFontsChanged() {
    HFONT bold = Font(9, true);
    HFONT plain = Font(9, false);
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        const bool status = id == kLabelInfoMsg1 || id == kLabelInfoMsg2 || id == kLabelInfoMsg3;
        SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(status ? plain : bold), FALSE);
    }
}

void TForm1::Layout(int width, int height) {
    if (!Item(kPanel1))
        return;
    const int d = dpi_;
    const int W = MulDiv(width, 96, d), H = MulDiv(height, 96, d);
    const int panelH = 84;
    const int bottom = H - panelH - 8;  // the columns end here
    // Left: mode, drive, directory.
    Place(Item(kLabel3), d, 8, 6, 200, 18);
    Place(Item(kRGMode1), d, 8, 22, 200, 78);
    Place(Item(kModeNormal), d, 18, 36, 180, 20);
    Place(Item(kModeBackup), d, 18, 56, 180, 20);
    Place(Item(kModeNetwork), d, 18, 76, 180, 20);
    Place(Item(kLabel1), d, 8, 106, 200, 18);
    Place(Item(kDriveListBox), d, 8, 124, 200, 76);
    Place(Item(kLabel2), d, 8, 206, 200, 18);
    Place(Item(kDirectoryListBox1), d, 8, 224, 200, std::max(40, bottom - 224));
    // The available list.
    const int mx = 218, mw = std::max(160, (W - 218 - 64 - 8) * 2 / 5);
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
    // Right: commands above the selected list.
    const int rx = ax + 54, rw = std::max(200, W - rx - 8);
    int x = rx;
    for (int id : {kRunButton, kRestoreButton, kMoveButton, kDeleteButton, kRunNetButton}) {
        if (!IsWindowVisible(Item(id)))
            continue;
        Place(Item(id), d, x, 6, 96, 40);
        x += 102;
    }
    x = rx;
    for (int id : {kBtnGetStats, kFileNames, kAbortButton}) {
        const int bw = id == kFileNames ? 130 : 96;
        if (IsWindowVisible(Item(id)) || id == kAbortButton)
            Place(Item(id), d, x, 50, bw, 40);
        if (IsWindowVisible(Item(id)) || id == kAbortButton)
            x += bw + 6;
    }
    Place(Item(kLblSelList), d, rx, 98, rw, 18);
    const int listTop = 116, listH = std::max(40, bottom - listTop - 22);
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
    const int meterW = 300, meterX = W - 16 - meterW;
    for (int i = 0; i < 3; ++i) {
        Place(Item(kStatusIds[i]), d, 16, py + 6 + i * 25, meterX - 110 - 16, 20);
        Place(Item(kMeterCaptionIds[i]), d, meterX - 90, py + 8 + i * 25, 84, 18);
        Place(Item(kMeterIds[i]), d, meterX, py + 6 + i * 25, meterW, 20);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

// The window's start state: settings, drives, the start directory (or the
// root of drive C, without a message, when it is gone), Normal Mode.
void TForm1::Construct() {
    helpFile_ = "Kestrove.hlp";
    const IniFile ini(state_->settingsFile);
    std::string start = ReadStartPath(ini);
    state_->settings = ReadSettings(ini);
    state_->currentDrive = start.empty() ? 'C' : start[0];
    FillDriveList(RebuildDriveList(ini, "C"));
    state_->fileListMask = "*.pmi";
    if (!SetDrive(state_->currentDrive) || !SetDirectory(start)) {
        state_->currentDrive = 'C';
        start = "C:\\";
        SetDrive('C');
        SetDirectory(start);
    }
    state_->currentDirectory = directory_.empty() ? start : directory_;
    PointFileList(*state_, *this);
    ModeRBNormalClick();
    UpdateOptionsMenu();
    EnableMenu(kRunDeleteDupes1, true);
    EnableMenu(kRestoreBackupFiles1, false);
    EnableMenu(kMoveBackupFiles2, false);
    EnableMenu(kDeleteBackupFiles1, false);
    EnableMenu(kDeleteNetworkDupes2, false);
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

bool TForm1::Visible(int id) const {
    return GetWindowLongPtrA(Item(id), GWL_STYLE) & WS_VISIBLE;
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
    const int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        const auto len = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string s(static_cast<std::size_t>(len) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<std::size_t>(len));
        out.push_back(std::move(s));
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

void TForm1::OnCommand(int id, int code, HWND) {
    switch (id) {
        case kModeNormal:
        case kModeBackup:
        case kModeNetwork:
            if (code == BN_CLICKED && !Busy())
                RGMode1Change();
            return;
        case kDriveListBox:
            if (code == LBN_SELCHANGE && !Busy())
                DriveComboBox1Change();
            return;
        case kDirectoryListBox1:
            if (code == LBN_DBLCLK && !Busy())
                EnterDirectoryEntry(static_cast<int>(SendMessageA(Item(id), LB_GETCURSEL, 0, 0)));
            return;
        case kFileListBox1:
            if (Busy())
                return;
            if (code == LBN_SELCHANGE)
                FileListBox1Click();
            else if (code == LBN_DBLCLK)
                FileListBox1DblClick();
            return;
        case kListBox2:
            if (code == LBN_SELCHANGE && !Busy())
                BtnMoveFileClick();
            return;
        case kListBox1:
            if (code == LBN_SELCHANGE)
                SyncHighlight(ListId::ListBox1);
            else if (code == LBN_DBLCLK)
                ListBox1DblClick();
            return;
        case kListBox3:
            if (code == LBN_SELCHANGE)
                SyncHighlight(ListId::ListBox3);
            return;
        default:
            break;
    }
    if (code != BN_CLICKED && code != 0 && code != 1)
        return;
    if (Busy() && id != kAbortButton && id != kExit1 && id != kContents1 && id != kIndex1)
        return;
    switch (id) {
        case kBtnMoveFile:
            BtnMoveFileClick();
            break;
        case kBtnMoveAllFiles:
            BtnMoveAllFilesClick();
            break;
        case kBtnUnMoveFile:
            BtnUnMoveFile2Click();
            break;
        case kBtnUnMoveAllFiles:
            BtnUnMoveAllFilesClick();
            break;
        case kRunButton:
        case kRunDeleteDupes1:
            RunDeleteDupes1Click();
            break;
        case kRunNetButton:
            RunNetButtonClick();
            break;
        case kBtnGetStats:
        case kGetStats1:
            BtnGetStatsClick();
            break;
        case kRestoreButton:
        case kRestoreBackupFiles1:
            RestoreButtonClick();
            break;
        case kMoveButton:
        case kMoveBackupFiles2:
            MoveButtonClick();
            break;
        case kDeleteButton:
        case kDeleteBackupFiles1:
            DeleteButtonClick();
            break;
        case kDeleteNetworkDupes2:
            RunNetButtonClick();
            break;
        case kFileNames:
            FileNamesClick();
            break;
        case kAbortButton:
            Stop();
            break;
        case kClearNew:
            NewExecute();
            break;
        case kNormalModeItem:
            ModeRBNormalClick();
            break;
        case kBackupModeItem:
            ModeRBBackupClick();
            break;
        case kNetworkModeItem:
            ModeRBNetworkClick();
            break;
        case kSaveIndexFile1:
            SaveIndexFile1Click();
            break;
        case kSaveLogFile1:
            SaveLogFile1Click();
            break;
        case kExit1:
            FileExit1Execute();
            break;
        case kSort1:
            SortONExecute();
            break;
        case kSortOFF1:
            SortOFFExecute();
            break;
        case kSaveIndexasCSV:
            SaveIndexasCSVClick();
            break;
        case kSaveIndexasTAB:
            SaveIndexasTABClick();
            break;
        case kN5:
            SetDrivesExecute();
            break;
        case kSetOptions1:
            SetOptionsExecute();
            break;
        case kContents1:
            HelpContents1Execute();
            break;
        case kIndex1:
            HelpIndexExecute();
            break;
        case kAbout1:
            About1Click();
            break;
        default:
            break;
    }
}

LRESULT TForm1::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_VKEYTOITEM && LOWORD(wParam) == VK_RETURN &&
        reinterpret_cast<HWND>(lParam) == Item(kDirectoryListBox1)) {
        if (!Busy())
            EnterDirectoryEntry(HIWORD(wParam));
        return -2;
    }
    if (message == WM_VKEYTOITEM)
        return -1;
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Item(kAbortButton)) {
        SetTextColor(reinterpret_cast<HDC>(wParam), ToColorRef(kRed));
        return reinterpret_cast<LRESULT>(brush_);
    }
    return Form::Handle(message, wParam, lParam);
}

// A close during a run asks the run to stop and closes once it has returned.
bool TForm1::OnClose() {
    if (state_->busy) {
        state_->AbortRequested = true;
        closePending_ = true;
        return false;
    }
    closed_ = true;
    ShowWindow(hwnd_, SW_HIDE);
    if (quitOnClose_)
        PostQuitMessage(0);
    return false;
}

// ---------------------------------------------------------------- helpers

void TForm1::EnableMenu(int id, bool on) {
    EnableMenuItem(menu_, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void TForm1::ShowControl(int id, bool visible) {
    ShowWindow(Item(id), visible ? SW_SHOWNA : SW_HIDE);
}

void TForm1::SetMarker(int id, bool on) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_BITMAP;
    mi.hbmpItem = on ? marker_ : nullptr;
    SetMenuItemInfoA(menu_, static_cast<UINT>(id), FALSE, &mi);
}

void TForm1::UpdateOptionsMenu() {
    const OptionsMenuMarks marks = OptionsMenuState(*state_);
    SetMarker(kSort1, marks.sortOnMarker);
    SetMarker(kSortOFF1, marks.sortOffMarker);
    SetMarker(kSaveIndexasCSV, marks.csvMarker);
    SetMarker(kSaveIndexasTAB, marks.tabMarker);
    CheckMenuItem(menu_, kSaveIndexasCSV,
                  MF_BYCOMMAND | (marks.csvChecked ? MF_CHECKED : MF_UNCHECKED));
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

void TForm1::SyncHighlight(ListId list) {
    const auto rows = SelectedRows(ListWindow(list));
    const int row = rows.empty() ? -1 : rows.front();
    (list == ListId::ListBox1 ? state_->ListBox1 : state_->ListBox3).highlighted = row;
}

void TForm1::FillDriveList(const std::vector<std::string>& drives) {
    FillListBox(Item(kDriveListBox), drives);
}

// DirectoryListBox1 shows the current directory's ancestors, itself and its
// subdirectories, indented like a tree; a double click or Enter enters one.
void TForm1::FillDirectoryList() {
    directoryEntries_.clear();
    std::vector<std::string> shown;
    if (directory_.empty()) {
        FillListBox(Item(kDirectoryListBox1), shown);
        return;
    }
    std::string path = directory_.substr(0, 3);
    directoryEntries_.push_back(path);
    shown.push_back(path);
    int depth = 1;
    std::size_t i = 3;
    while (i < directory_.size()) {
        const std::size_t end = std::min(directory_.find('\\', i), directory_.size());
        const std::string part = directory_.substr(i, end - i);
        path = SubPath(path, part);
        directoryEntries_.push_back(path);
        shown.push_back(std::string(static_cast<std::size_t>(depth) * 3, ' ') + part);
        ++depth;
        i = end + 1;
    }
    const int current = static_cast<int>(shown.size()) - 1;
    std::vector<std::string> names;
    for (const auto& e : platform::FindFiles(SubPath(directory_, "*.*")))
        if (e.isDirectory && e.name != "." && e.name != "..")
            names.push_back(e.name);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    for (const auto& name : names) {
        directoryEntries_.push_back(SubPath(directory_, name));
        shown.push_back(std::string(static_cast<std::size_t>(depth) * 3, ' ') + name);
    }
    FillListBox(Item(kDirectoryListBox1), shown);
    SendMessageA(Item(kDirectoryListBox1), LB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

void TForm1::EnterDirectoryEntry(int row) {
    if (row < 0 || row >= static_cast<int>(directoryEntries_.size()))
        return;
    if (!SetDirectory(directoryEntries_[static_cast<std::size_t>(row)]))
        MessageDialog(
            Format("Cannot enter %s", directoryEntries_[static_cast<std::size_t>(row)].c_str()),
            "Kestrove", Icon::Stop, Buttons::Ok);
}

// The program entering a drive or directory makes its drive the current
// drive letter, so that the change event that follows stays on it. Entering
// a drive enters its root unless the tree is on that drive already.
bool TForm1::SetDrive(char letter) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (!directory_.empty() && directory_[0] == upper)
        return true;
    const std::string root = std::string(1, upper) + ":\\";
    if (!platform::DirectoryExists(root))
        return false;
    state_->currentDrive = letter;
    return SetDirectory(root);
}

bool TForm1::SetDirectory(const std::string& path) {
    const std::string canon = CanonicalDirectory(path);
    if (canon.empty())
        return false;
    state_->currentDrive = path[0];
    if (canon == directory_)
        return true;
    directory_ = canon;
    FillDirectoryList();
    DriveComboBox1Change();  // the tree's change event
    return true;
}

// While a long command runs every other command is disabled; only Abort
// (and leaving the program, which asks the run to stop) stays live.
void TForm1::RunCommand(const std::function<void()>& command) {
    if (state_->busy)
        return;
    pumps_ = 0;
    lastShown_ = GetTickCount64();
    {
        BusyScope busy(*state_);
        SetCommandsEnabled(false);
        command();
    }
    FlushDisplay();
    SetCommandsEnabled(true);
    if (closePending_) {
        closePending_ = false;
        PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    }
}

void TForm1::SetCommandsEnabled(bool enabled) {
    if (!enabled) {
        enabledBefore_.clear();
        for (int id : kCommandControls) {
            enabledBefore_.emplace_back(id, Enabled(id));
            EnableWindow(Item(id), FALSE);
        }
        for (int id : kCommandMenus) {
            enabledBefore_.emplace_back(-id, MenuEnabled(id));
            EnableMenu(id, false);
        }
        EnableWindow(Item(kAbortButton), TRUE);
        DrawMenuBar(hwnd_);
        return;
    }
    for (const auto& [id, on] : enabledBefore_) {
        if (id > 0)
            EnableWindow(Item(id), on);
        else
            EnableMenu(-id, on);
    }
    enabledBefore_.clear();
    DrawMenuBar(hwnd_);
}

// ------------------------------------------------------------------- modes

void TForm1::RGMode1Change() {
    int index = -1;
    for (int i = 0; i < 3; ++i)
        if (IsDlgButtonChecked(hwnd_, kModeNormal + i) == BST_CHECKED)
            index = i;
    if (index == 0)
        ModeRBNormalClick();
    if (index == 1)
        ModeRBBackupClick();
    if (index == 2)
        ModeRBNetworkClick();
}

void TForm1::SetModeControls(int mode) {
    CheckRadioButton(hwnd_, kModeNormal, kModeNetwork, kModeNormal + mode);
    SetMarker(kNormalModeItem, mode == kNormalMode);
    SetMarker(kBackupModeItem, mode == kBackupMode);
    SetMarker(kNetworkModeItem, mode == kNetworkMode);
    ShowControl(kRunButton, mode == kNormalMode);
    ShowControl(kBtnGetStats, mode != kNetworkMode);
    ShowControl(kRestoreButton, mode == kBackupMode);
    ShowControl(kMoveButton, mode == kBackupMode);
    ShowControl(kDeleteButton, mode == kBackupMode);
    ShowControl(kRunNetButton, mode == kNetworkMode);
    ShowControl(kFileNames, mode != kNetworkMode);
    Relayout();
    if (mode == kNetworkMode)
        PumpMessages();
    EnableMenu(kRunDeleteDupes1, mode == kNormalMode);
    EnableMenu(kRestoreBackupFiles1, mode == kBackupMode);
    EnableMenu(kMoveBackupFiles2, mode == kBackupMode);
    EnableMenu(kDeleteBackupFiles1, mode == kBackupMode);
    EnableMenu(kDeleteNetworkDupes2, mode == kNetworkMode);
    SetText(Item(kLblFileList), mode == kNormalMode   ? "*.PMI &Files"
                                : mode == kBackupMode ? "*.BKI &Files"
                                                      : "User Di&rectories");
    SetText(Item(kLblSelList), mode == kNetworkMode ? "S&elected Directories" : "S&elected Files");
    ApplyModeLists(*state_, *this, mode);
}

void TForm1::ModeRBNormalClick() {
    SetModeControls(kNormalMode);
}

void TForm1::ModeRBBackupClick() {
    SetModeControls(kBackupMode);
}

void TForm1::ModeRBNetworkClick() {
    SetModeControls(kNetworkMode);
}

// New brings the whole window back to Normal Mode (buttons, menu items,
// lists and captions too), and clears the status lines and meters.
void TForm1::NewExecute() {
    SetModeControls(kNormalMode);
    NewLists(*state_, *this);
}

// --------------------------------------------------------------- selection

void TForm1::DriveComboBox1Change() {
    const auto drives = SelectedRows(Item(kDriveListBox));
    if (!drives.empty()) {
        const auto entries = Entries(kDriveListBox);
        const std::string& text = entries[static_cast<std::size_t>(drives.front())];
        if (!text.empty())
            state_->currentDrive = text[0];
    }
    if (static_cast<unsigned char>(state_->currentDrive) < 'A')
        state_->currentDrive = 'C';
    if (!SetDrive(state_->currentDrive)) {
        MessageDialog(Format("Drive %c: cannot be entered.",
                             std::toupper(static_cast<unsigned char>(state_->currentDrive))),
                      "Kestrove", Icon::Stop, Buttons::Ok);
        return;
    }
    state_->currentDirectory = directory_;
    PointFileList(*state_, *this);
    const IniFile ini(state_->settingsFile);
    if (auto error = ini.WriteString(kStartupSection, "Path", state_->currentDirectory)) {
        MessageDialog(error->message, "Kestrove", Icon::Stop, Buttons::Ok);
        return;
    }
    ShowDirectoryLists(*state_, *this);
}

void TForm1::FileListBox1Click() {
    kestrove::FileListBox1Click(*state_, *this, SelectedRows(Item(kFileListBox1)));
}

void TForm1::FileListBox1DblClick() {
    if (!Busy())
        BtnMoveFileClick();
}

void TForm1::BtnMoveFileClick() {
    const bool network = state_->mode >= kNetworkMode;
    kestrove::BtnMoveFileClick(*state_, *this,
                               SelectedRows(Item(network ? kListBox2 : kFileListBox1)));
}

void TForm1::BtnMoveAllFilesClick() {
    kestrove::BtnMoveAllFilesClick(*state_, *this);
}

void TForm1::BtnUnMoveFile2Click() {
    kestrove::BtnUnMoveFile2Click(*state_, *this);
}

void TForm1::BtnUnMoveAllFilesClick() {
    kestrove::BtnUnMoveAllFilesClick(*state_, *this);
}

// ---------------------------------------------------------------- commands

void TForm1::ListBox1DblClick() {
    if (Busy() || !viewer_)
        return;
    viewer_->View(*this);
}

void TForm1::RunDeleteDupes1Click() {
    RunCommand([this] { kestrove::RunDeleteDupes1Click(*state_, *this); });
}

void TForm1::RunNetButtonClick() {
    RunCommand([this] { kestrove::RunNetButtonClick(*state_, *this); });
}

void TForm1::BtnGetStatsClick() {
    if (stats_)
        RunCommand([this] { stats_->GetStats(*this); });
}

void TForm1::RestoreButtonClick() {
    RunCommand([this] { kestrove::RestoreButtonClick(*state_, *this); });
}

void TForm1::MoveButtonClick() {
    RunCommand([this] { kestrove::MoveButtonClick(*state_, *this); });
}

void TForm1::DeleteButtonClick() {
    RunCommand([this] { kestrove::DeleteButtonClick(*state_, *this); });
}

void TForm1::FileNamesClick() {
    if (!Busy() && folders_)
        folders_->FileNamesClick(*this);
}

void TForm1::Stop() {
    kestrove::Stop(*state_, *this);
}

void TForm1::SaveIndexFile1Click() {
    RunCommand([this] { kestrove::SaveIndexFile1Click(*state_, *this); });
}

void TForm1::SaveLogFile1Click() {
    if (!Busy())
        kestrove::SaveLogFile1Click(*state_, *this);
}

void TForm1::SortONExecute() {
    kestrove::SortONExecute(*state_);
    UpdateOptionsMenu();
}

void TForm1::SortOFFExecute() {
    kestrove::SortOFFExecute(*state_);
    UpdateOptionsMenu();
}

void TForm1::SaveIndexasCSVClick() {
    kestrove::SaveIndexasCSVClick(*state_);
    UpdateOptionsMenu();
}

void TForm1::SaveIndexasTABClick() {
    kestrove::SaveIndexasTABClick(*state_);
    UpdateOptionsMenu();
}

void TForm1::SetDrivesExecute() {
    if (drives_ && !Busy())
        drives_->ShowModal(hwnd_);
}

void TForm1::SetOptionsExecute() {
    if (options_ && !Busy())
        options_->ShowModal(hwnd_);
}

void TForm1::HelpContents1Execute() {
    OpenHelp(hwnd_, false);
}

void TForm1::HelpIndexExecute() {
    OpenHelp(hwnd_, true);
}

void TForm1::About1Click() {
    if (about_ && !Busy())
        about_->ShowModal(hwnd_);
}

void TForm1::FileExit1Execute() {
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

// -------------------------------------------------------------- WindowPort

Answer TForm1::MessageDialog(const std::string& text, const std::string& title, Icon icon,
                             Buttons buttons) {
    FlushDisplay();
    return ShowMessage(hwnd_, text, title, icon, buttons);
}

void TForm1::FlushDisplay() {
    for (std::size_t i = 0; i < 3; ++i) {
        if (statusDirty_[i]) {
            statusDirty_[i] = false;
            SetText(Item(kStatusIds[i]), statusText_[i]);
        }
        if (meterDirty_[i]) {
            meterDirty_[i] = false;
            SendMessageA(Item(kMeterIds[i]), PBM_SETPOS, static_cast<WPARAM>(meterValue_[i]), 0);
        }
    }
}

void TForm1::SetStatus(StatusLine line, const std::string& text, bool redraw) {
    const auto i = static_cast<std::size_t>(line);
    statusText_[i] = text;
    statusDirty_[i] = true;
    if (!state_->busy) {
        FlushDisplay();
        return;
    }
    if (!redraw)
        return;
    const std::uint64_t now = GetTickCount64();
    if (now - lastShown_ < kRepaintMs)
        return;
    lastShown_ = now;
    FlushDisplay();
    UpdateWindow(Item(kStatusIds[i]));  // at once, without handling other events
}

void TForm1::SetCountLabel(CountLabel label, const std::string& text) {
    SetText(Item(label == CountLabel::LblNumFiles ? kLblNumFiles : kLblNumSelFiles), text);
}

void TForm1::SetMeter(Meter meter, int percent) {
    const auto i = static_cast<std::size_t>(meter);
    meterValue_[i] = percent;
    meterDirty_[i] = true;
    if (!state_->busy)
        FlushDisplay();
}

void TForm1::ShowMeter(Meter meter, bool visible) {
    FlushDisplay();
    const auto i = static_cast<std::size_t>(meter);
    ShowControl(kMeterIds[i], visible);
    ShowControl(kMeterCaptionIds[i], visible);
}

void TForm1::ShowAbort(bool visible) {
    ShowControl(kAbortButton, visible);
}

void TForm1::ListChanged(ListId list) {
    HWND w = ListWindow(list);
    switch (list) {
        case ListId::FileListBox1:
            FillListBox(w, state_->FileListBox1);
            break;
        case ListId::ListBox2:
            FillListBox(w, state_->ListBox2);
            break;
        case ListId::ListBox1:
        case ListId::ListBox3: {
            const SortedList& s = list == ListId::ListBox1 ? state_->ListBox1 : state_->ListBox3;
            FillListBox(w, s.entries());
            if (s.highlighted >= 0 && s.highlighted < s.Count())
                SendMessageA(w, LB_SETCURSEL, static_cast<WPARAM>(s.highlighted), 0);
            break;
        }
    }
}

void TForm1::HighlightEntry(ListId list, int index) {
    HWND w = ListWindow(list);
    if (GetWindowLongPtrA(w, GWL_STYLE) & LBS_EXTENDEDSEL) {
        SendMessageA(w, LB_SETSEL, FALSE, -1);
        if (index >= 0)
            SendMessageA(w, LB_SETSEL, TRUE, index);
    } else {
        SendMessageA(w, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    if (list == ListId::ListBox1)
        state_->ListBox1.highlighted = index;
    else if (list == ListId::ListBox3)
        state_->ListBox3.highlighted = index;
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

void TForm1::ProcessEvents() {
    ++pumps_;
    if (pumpHook_)
        pumpHook_(pumps_);
    // The first pump of a command shows it at once; after that at most
    // every kRepaintMs (a pump comes per message).
    const std::uint64_t now = GetTickCount64();
    if (pumps_ > 1 && now - lastShown_ < kRepaintMs)
        return;
    lastShown_ = now;
    FlushDisplay();
    PumpMessages();
}

std::optional<std::string> TForm1::ChooseSaveFile(std::string_view filter) {
    return win::ChooseSaveFile(hwnd_, "Save Log File", filter);
}

std::optional<std::string> TForm1::ChooseDirectory(const std::string& start) {
    return win::ChooseDirectory(hwnd_, start);
}

}  // namespace kestrove::win
