// The Windows program driven as its user drives it: mouse clicks and key
// presses posted to the real windows and handled by their own message
// handling (dialog keys, menus, list boxes), never by calling a handler.

#include <algorithm>
#include <fstream>
#include <vector>

#include "app/MainWindowTable.h"
#include "tests/support/Snapshot.h"
#include "tests/win/WinTestSupport.h"
#include "win/Forms.h"
#include "win/TForm1.h"

using namespace kestrove;
using namespace kestrove::testing;
using namespace kestrove::win;

namespace {

// The window on screen and active, as the user has it.
void ShowActive(Form& form) {
    ShowWindow(form.hwnd(), SW_SHOW);
    SetForegroundWindow(form.hwnd());
    SetActiveWindow(form.hwnd());
    Form::PumpMessages();
}

// A left click in the middle of a control, from the mouse: the pointer is
// moved there, and the button pressed and let go a moment later, as a hand
// does; or at once with the move, as a quick hand or a tool does.
void SendClick(HWND control, bool pause = true) {
    RECT r{};
    GetWindowRect(control, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    if (pause)
        Sleep(60);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
}

void Click(HWND control) {
    SendClick(control);
    Form::PumpMessages();
}

// A click on a list box's entry.
void ClickRow(HWND list, int row) {
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&item), 2);
    SetCursorPos((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    Sleep(60);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    Form::PumpMessages();
}

// A key pressed and let go on the keyboard, with Alt held for `alt`.
void SendKey(WORD key, bool alt = false) {
    std::vector<INPUT> in;
    auto add = [&in](WORD vk, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (alt)
        add(VK_MENU, false);
    add(key, false);
    add(key, true);
    if (alt)
        add(VK_MENU, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void Key(WORD key, bool alt = false) {
    SendKey(key, alt);
    Form::PumpMessages();
}

// The menus that opened, by their captions, as the window was told.
std::vector<std::string>* openedMenus = nullptr;
HHOOK menuHook = nullptr;
LRESULT CALLBACK WatchMenus(int code, WPARAM wParam, LPARAM lParam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code >= 0 && m->message == WM_INITMENUPOPUP && openedMenus) {
        HWND owner = m->hwnd;
        HMENU bar = GetMenu(owner);
        for (int i = 0; bar && i < GetMenuItemCount(bar); ++i)
            if (GetSubMenu(bar, i) == reinterpret_cast<HMENU>(m->wParam)) {
                char text[64] = "";
                GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                openedMenus->push_back(text);
            }
    }
    return CallNextHookEx(menuHook, code, wParam, lParam);
}

// The control that has the focus, by its id (0 for none of the window's).
int Focused(const Form& form) {
    HWND focus = GetFocus();
    return focus && IsChild(form.hwnd(), focus) ? GetDlgCtrlID(focus) : 0;
}

}  // namespace

// A click on Abort in the middle of a folder's rewrite stops that folder:
// it is put back byte for byte and the next folder is not touched. The
// same from the keys: the focus is on Abort while it shows, and Space
// presses it.
TEST(WinUserInput, AbortDuringARewriteRestoresTheFolderInHand) {
    WinWorld w;
    w.Folder(w.mail + "\\BIG.PMI", 3000, 20);
    w.Folder(w.mail + "\\SMALL.PMI", 4, 1);
    const auto before = Snapshot(w.dir.Native("Mail"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    ShowActive(f);
    Click(f.Item(kBtnMoveAllFiles));
    ASSERT_EQ(f.Entries(kListBox1).size(), 2u);
    // Every pump handles the events, so that the input is taken at a known
    // message of the copy.
    std::int64_t now = 0;
    f.SetClock([&now] { return now += 1000; });
    for (const bool byKey : {false, true}) {
        int pressedAt = 0, lastPump = 0;
        f.SetPumpHook([&](int pump) {
            lastPump = pump;
            if (pressedAt == 0 && f.Text(kLabelInfoMsg2).rfind("Message 1500 of", 0) == 0) {
                pressedAt = pump;
                EXPECT_EQ(Focused(f), kAbortButton);
                if (byKey)
                    SendKey(VK_SPACE);
                else
                    SendClick(f.Item(kAbortButton));
            }
        });
        Click(f.Item(kRunButton));
        EXPECT_FALSE(f.Busy());
        ASSERT_GT(pressedAt, 0) << byKey;
        // Taken within the next pumps (input comes through the display).
        EXPECT_LE(lastPump, pressedAt + 3) << byKey;
        EXPECT_TRUE(Snapshot(w.dir.Native("Mail")) == before) << byKey;
        EXPECT_FALSE(f.Visible(kAbortButton));
        EXPECT_NE(f.Text(kLabelInfoMsg1), "2 of 2 files processed.");
    }
}

// After a run the focus is where it was, and the keys move it on.
TEST(WinUserInput, TheKeysWorkAfterARun) {
    WinWorld w;
    w.Folder(w.mail + "\\A.PMI", 4, 1);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    ShowActive(f);
    Click(f.Item(kBtnMoveAllFiles));
    Click(f.Item(kRunButton));
    ASSERT_EQ(f.Text(kLabelInfoMsg1), "1 of 1 files processed.");
    EXPECT_EQ(Focused(f), kRunButton);
    Key(VK_TAB);
    const int next = Focused(f);
    EXPECT_NE(next, 0);
    EXPECT_NE(next, kRunButton);
    Key(VK_TAB, false);
    EXPECT_NE(Focused(f), next);

    // From the keys alone: Space on Run runs it again, and the focus stays.
    SetFocus(f.Item(kRunButton));
    Key(VK_SPACE);
    EXPECT_EQ(f.Text(kLabelInfoMsg1), "0 of 1 files processed.");  // nothing left to remove
    EXPECT_EQ(Focused(f), kRunButton);
}

// Each label's access key moves the focus to the control after it, and the
// menus keep theirs, in every mode.
TEST(WinUserInput, AccessKeysOfLabelsAndMenusInEveryMode) {
    WinWorld w;
    w.Folder(w.mail + "\\A.PMI", 2);
    std::filesystem::create_directories(w.dir.Native("Mail\\alice"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    ShowActive(f);
    std::vector<std::string> opened;
    openedMenus = &opened;
    menuHook = SetWindowsHookExA(WH_CALLWNDPROC, WatchMenus, nullptr, GetCurrentThreadId());
    for (int mode : {kModeNormal, kModeBackup, kModeNetwork}) {
        Click(f.Item(mode));
        ASSERT_EQ(IsDlgButtonChecked(f.hwnd(), mode), BST_CHECKED);
        const bool network = mode == kModeNetwork;
        const std::pair<char, int> keys[] = {{'M', mode},
                                             {'V', kDriveListBox},
                                             {'D', kDirectoryListBox1},
                                             {'I', network ? kListBox2 : kFileListBox1},
                                             {'E', network ? kListBox3 : kListBox1}};
        for (const auto& [key, id] : keys) {
            SetFocus(f.Item(kBtnMoveAllFiles));
            Key(static_cast<WORD>(key), true);
            EXPECT_EQ(Focused(f), id) << "Alt+" << key << " in mode " << mode;
        }
        // The mode stays as it was.
        EXPECT_EQ(IsDlgButtonChecked(f.hwnd(), mode), BST_CHECKED);
        for (const MenuSpec& menu : kMenus) {
            opened.clear();
            SetFocus(f.Item(network ? kListBox2 : kFileListBox1));
            SendKey(static_cast<WORD>(AccessKey(menu.caption)), true);
            SendKey(VK_ESCAPE);
            SendKey(VK_ESCAPE);
            Form::PumpMessages();
            EXPECT_EQ(opened, std::vector<std::string>{std::string(menu.caption)})
                << "mode " << mode;
        }
    }
    UnhookWindowsHookEx(menuHook);
    openedMenus = nullptr;
}

// Enter in a list does what a double click does: adds the file, opens the
// viewer; in Network Mode it adds the user directory.
TEST(WinUserInput, EnterInTheLists) {
    WinWorld w;
    w.Folder(w.mail + "\\A.PMI", 3);
    std::filesystem::create_directories(w.dir.Native("Mail\\alice"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    ShowActive(f);
    ClickRow(f.Item(kFileListBox1), 0);
    ASSERT_EQ(Focused(f), kFileListBox1);
    Key(VK_RETURN);
    EXPECT_EQ(f.Entries(kListBox1), (std::vector<std::string>{f.directory() + "\\A.PMI"}));

    ClickRow(f.Item(kListBox1), 0);
    ASSERT_EQ(Focused(f), kListBox1);
    int viewerRows = -1;
    w.OnModal([&](Form& form) {
        EXPECT_EQ(GetText(form.hwnd()), "WinPmail Index File");
        viewerRows = forms->Form2->grid().RecordRows();
    });
    Key(VK_RETURN);
    EXPECT_TRUE(w.modalSeen);
    EXPECT_EQ(viewerRows, 3);

    // A user directory highlighted without its click (which adds it too).
    Click(f.Item(kModeNetwork));
    Key('I', true);
    ASSERT_EQ(Focused(f), kListBox2);
    f.SelectEntries(kListBox2, {0});
    Key(VK_RETURN);
    EXPECT_EQ(f.Entries(kListBox3), (std::vector<std::string>{f.directory() + "\\alice"}));
    Form::SetModalHook({});
}

// The folder name list opens with its grid focused: Down and Space add the
// first folder at once.
TEST(WinUserInput, TheFolderListTakesTheKeysAtOnce) {
    WinWorld w;
    w.Folder(w.mail + "\\A.PMI", 1);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    ShowActive(f);
    w.OnModal([&](Form& form) {
        EXPECT_EQ(GetFocus(), forms->Form5->grid().hwnd());
        Key(VK_DOWN);
        Key(VK_SPACE);
        EXPECT_EQ(f.Entries(kListBox1), (std::vector<std::string>{f.directory() + "\\A.PMI"}));
        (void)form;
    });
    Click(f.Item(kFileNames));
    EXPECT_TRUE(w.modalSeen);
}

// Left and Right move the viewer's current cell, and the information line
// follows it.
TEST(WinUserInput, TheViewersCellMovesSideways) {
    WinWorld w;
    w.Folder(w.mail + "\\A.PMI", 2);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    ShowActive(f);
    Click(f.Item(kBtnMoveAllFiles));
    std::vector<std::string> lines;
    w.OnModal([&](Form& form) {
        TForm2& v = *forms->Form2;
        EXPECT_EQ(GetFocus(), v.grid().hwnd());
        auto line = [&form] { return GetText(form.Item(kLblCellInfo)); };
        Key(VK_DOWN);
        lines.push_back(line());
        Key(VK_RIGHT);
        lines.push_back(line());
        Key(VK_RIGHT);
        lines.push_back(line());
        Key(VK_LEFT);
        lines.push_back(line());
        Key(VK_LEFT);
        Key(VK_LEFT);  // at the first column it stays
        lines.push_back(line());
    });
    Key('E', true);
    Key(VK_HOME);
    Key(VK_RETURN);
    ASSERT_TRUE(w.modalSeen);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NE(lines[0], lines[1]);
    EXPECT_NE(lines[1], lines[2]);
    EXPECT_EQ(lines[3], lines[1]);
    EXPECT_EQ(lines[4], lines[0]);
}

// A window fits the monitor's work area at any DPI, caption and menu bar on
// the screen.
TEST(WinUserInput, WindowsFitTheWorkAreaAtEveryDpi) {
    const RECT areas[] = {{0, 0, 1280, 994}, {0, 0, 1366, 728}, {-1280, 0, 0, 1024}};
    for (const RECT& work : areas)
        for (int dpi : {96, 120, 144, 192}) {
            const RECT r = PlaceInWorkArea(work, dpi, 1000, 680);
            EXPECT_GE(r.left, work.left) << dpi;
            EXPECT_GE(r.top, work.top) << dpi;
            EXPECT_LE(r.right, work.right) << dpi;
            EXPECT_LE(r.bottom, work.bottom) << dpi;
            EXPECT_EQ(r.right - r.left, std::min<LONG>(Scale(1000, dpi), work.right - work.left));
        }
    // At 144 dpi on 1280 by 1024 the main window is as wide as the screen.
    const RECT wide = PlaceInWorkArea({0, 0, 1280, 994}, 144, 1000, 680);
    EXPECT_EQ(wide.left, 0);
    EXPECT_EQ(wide.right, 1280);

    // The real windows at the running DPI.
    WinWorld w;
    const auto forms = w.Open();
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(MonitorFromWindow(forms->Form1->hwnd(), MONITOR_DEFAULTTOPRIMARY), &mi);
    for (HWND window : {forms->Form1->hwnd(), forms->Form2->hwnd(), forms->Form6->hwnd()}) {
        RECT r{};
        GetWindowRect(window, &r);
        EXPECT_GE(r.left, mi.rcWork.left);
        EXPECT_GE(r.top, mi.rcWork.top);
        EXPECT_LE(r.right, mi.rcWork.right);
        EXPECT_LE(r.bottom, mi.rcWork.bottom);
    }
}

// A narrow main window (1280 by 900 at 192 dpi is 640 by 450 at 96): in
// every mode, with Abort showing as in a run, no control reaches past the
// client area, so none is cut off.
TEST(WinUserInput, ANarrowWindowCutsNoControlOff) {
    WinWorld w;
    w.Folder(w.mail + "\\A.PMI", 2);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    ShowActive(f);
    for (int mode : {kModeNormal, kModeBackup, kModeNetwork}) {
        Click(f.Item(mode));
        ASSERT_EQ(IsDlgButtonChecked(f.hwnd(), mode), BST_CHECKED);
        for (const bool abort : {false, true}) {
            f.ShowAbort(abort);
            SetWindowPos(f.hwnd(), nullptr, 0, 0, 640, 450, SWP_NOZORDER | SWP_NOACTIVATE);
            Form::PumpMessages();
            RECT client{};
            GetClientRect(f.hwnd(), &client);
            for (HWND c = GetWindow(f.hwnd(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                if (!IsWindowVisible(c))
                    continue;
                RECT r{};
                GetWindowRect(c, &r);
                MapWindowPoints(nullptr, f.hwnd(), reinterpret_cast<POINT*>(&r), 2);
                EXPECT_LE(r.right, client.right)
                    << "control " << GetDlgCtrlID(c) << " mode " << mode;
                EXPECT_LE(r.bottom, client.bottom)
                    << "control " << GetDlgCtrlID(c) << " mode " << mode;
            }
        }
        f.ShowAbort(false);
    }
}

// The question whose OK overwrites a backup takes Enter as Cancel; the
// Save Log File dialog opens in the window's directory and names the log.
TEST(WinUserInput, EnterKeepsAnOldBackupAndTheLogIsNamed) {
    WinWorld w;
    w.Folder(w.mail + "\\A.PMI", 4, 1);
    w.WriteIni("Options", "BackupFiles", "0");  // ask
    {
        std::ofstream(w.dir.Native("Mail\\A.BKI")) << "old";
        std::ofstream(w.dir.Native("Mail\\A.BKM")) << "old";
    }
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    ShowActive(f);
    Click(f.Item(kBtnMoveAllFiles));
    // A real box, answered by Enter as it opens.
    SetDialogScript(nullptr);
    static std::string boxText;
    static HHOOK hook = nullptr;
    hook = SetWindowsHookExA(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            char cls[16] = "";
            GetClassNameA(reinterpret_cast<HWND>(wParam), cls, sizeof cls);
            if (code == HCBT_ACTIVATE && std::string(cls) == "#32770") {
                HWND box = reinterpret_cast<HWND>(wParam);
                char title[64] = "";
                GetWindowTextA(box, title, sizeof title);
                boxText = title;
                PostMessageA(box, WM_KEYDOWN, VK_RETURN, 0);
            }
            return CallNextHookEx(hook, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    Click(f.Item(kRunButton));
    UnhookWindowsHookEx(hook);
    SetDialogScript(&w.script);
    EXPECT_EQ(boxText, "Backup File Exists");
    std::ifstream old(w.dir.Native("Mail\\A.BKI"));
    std::string kept;
    old >> kept;
    EXPECT_EQ(kept, "old");

    w.script.saveFiles.push_back(SaveChoice{w.dir / "Logs\\run", 0});
    std::filesystem::create_directories(w.dir.Native("Logs"));
    f.Choose(kSaveLogFile1);
    ASSERT_EQ(w.script.saveFileStarts.size(), 1u);
    EXPECT_EQ(w.script.saveFileStarts[0], f.directory());
    w.script.answers.push_back(Answer::Cancel);
    Click(f.Item(kRunButton));  // the box again, and the run is logged
    ASSERT_FALSE(w.script.shown.empty());
    EXPECT_TRUE(w.script.shown.back().style & MB_DEFBUTTON2);
    EXPECT_TRUE(std::filesystem::exists(w.dir.Native("Logs\\run.log")));
}
