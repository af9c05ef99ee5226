// The main window of the Windows program: its start state, the controls and
// menu items each mode shows and enables, the choice of files, and what a
// running command leaves live.

#include <algorithm>

#include "app/MainWindowTable.h"
#include "tests/win/WinTestSupport.h"
#include "win/TForm1.h"

using namespace kestrove;
using namespace kestrove::testing;
using namespace kestrove::win;

namespace {

bool SameText(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

// The window shows, enables and marks what the engine's table says, control
// by control.
void ExpectDrawsTheTable(const TForm1& f) {
    const ModeControls t = ModeControlsFor(f.state());
    for (const ButtonSpec& tableRow : kButtons) {
        const int id = f.IdOf(tableRow.name);
        ASSERT_NE(id, 0) << tableRow.name;
        const ButtonControl& b = t.*tableRow.field;
        // The commands show and hide Abort themselves.
        EXPECT_TRUE(id == kAbortButton || f.Visible(id) == b.state.visible) << tableRow.name;
        EXPECT_EQ(f.Enabled(id), b.state.enabled) << tableRow.name;
    }
    for (const MenuItemSpec* item : MenuItems()) {
        const int id = f.IdOf(item->name);
        ASSERT_NE(id, 0) << item->name;
        const MenuControl& m = t.*item->field;
        EXPECT_EQ(f.MenuEnabled(id), m.enabled) << item->name;
        EXPECT_EQ(f.HasMarker(id), m.marker) << item->name;
        EXPECT_TRUE(!item->checkable || f.MenuChecked(id) == m.checked) << item->name;
    }
    const std::pair<ListId, int> lists[] = {{ListId::FileListBox1, kFileListBox1},
                                            {ListId::ListBox1, kListBox1},
                                            {ListId::ListBox2, kListBox2},
                                            {ListId::ListBox3, kListBox3}};
    for (const auto& [list, id] : lists)
        EXPECT_EQ(f.Enabled(id), ListOf(t, list).state.enabled) << id;
}

}  // namespace

TEST(WinMainWindow, StartsInTheSavedDirectoryInNormalMode) {
    WinWorld w;
    w.Folder(w.mail + "\\INBOX.PMI", 3);
    w.Folder(w.mail + "\\SENT.PMI", 2);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;

    EXPECT_EQ(GetText(f.hwnd()), "Kestrove - 2.30");
    EXPECT_EQ(f.helpFile(), "Kestrove.hlp");
    EXPECT_TRUE(SameText(f.directory(), w.mail)) << f.directory();
    EXPECT_TRUE(SameText(f.Text(kLabelInfoMsg1), "Path=" + w.mail)) << f.Text(kLabelInfoMsg1);
    EXPECT_EQ(f.Entries(kFileListBox1), (std::vector<std::string>{"INBOX.PMI", "SENT.PMI"}));
    EXPECT_EQ(f.Text(kLblNumFiles), "2 Files");
    EXPECT_EQ(f.Text(kLblNumSelFiles), "No Files Selected");
    EXPECT_EQ(IsDlgButtonChecked(f.hwnd(), kModeNormal), BST_CHECKED);
    EXPECT_TRUE(f.HasMarker(kNormalModeItem));
    EXPECT_FALSE(f.HasMarker(kBackupModeItem));
    // Sort on and CSV chosen at start; CSV also checked.
    EXPECT_TRUE(f.HasMarker(kSort1));
    EXPECT_FALSE(f.HasMarker(kSortOFF1));
    EXPECT_TRUE(f.HasMarker(kSaveIndexasCSV));
    EXPECT_TRUE(f.MenuChecked(kSaveIndexasCSV));
    // Meters and Abort hidden; the drive list offers drives that exist.
    for (int id : {kProgressBarF, kProgressBarM, kProgressBar1, kAbortButton})
        EXPECT_FALSE(f.Visible(id)) << id;
    const auto drives = f.Entries(kDriveListBox);
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:"), drives.end());
    // The directory entered was saved.
    EXPECT_TRUE(SameText(w.ReadIni("Startup", "Path"), w.mail));
}

TEST(WinMainWindow, AGoneStartDirectoryStartsInTheRootOfC) {
    WinWorld w;
    w.WriteIni("Startup", "Path", w.mail + "\\gone\\away");
    const auto forms = w.Open();
    EXPECT_EQ(forms->Form1->directory(), "C:\\");
    EXPECT_TRUE(w.script.shown.empty());  // without a message
}

TEST(WinMainWindow, EveryModeShowsAndEnablesItsOwnControls) {
    WinWorld w;
    w.Folder(w.mail + "\\INBOX.PMI", 2);
    std::filesystem::create_directories(w.dir.Native("Mail\\alice"));
    std::filesystem::create_directories(w.dir.Native("Mail\\bob"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    struct Expect {
        int radio;
        const char *fileLabel, *selLabel, *selCount;
    };
    const Expect modes[] = {
        {kModeNormal, "*.PMI F&iles", "S&elected Files", "No Files Selected"},
        {kModeBackup, "*.BKI F&iles", "S&elected Files", "No Files Selected"},
        {kModeNetwork, "User D&irectories", "S&elected Directories", "No Directories Selected"},
    };
    for (const Expect& m : modes) {
        SCOPED_TRACE(m.radio);
        // A selection made before is emptied by the switch.
        if (m.radio != kModeNetwork) {
            f.Click(kBtnMoveAllFiles);
        }
        CheckRadioButton(f.hwnd(), kModeNormal, kModeNetwork, m.radio);
        f.Click(m.radio);
        EXPECT_EQ(f.state().mode, m.radio - kModeNormal);
        ExpectDrawsTheTable(f);
        const bool network = m.radio == kModeNetwork;
        EXPECT_EQ(f.Visible(kRunButton), m.radio == kModeNormal);
        EXPECT_EQ(f.Visible(kRunNetButton), network);
        for (int id : {kFileListBox1, kListBox1})
            EXPECT_EQ(f.Visible(id), !network) << id;
        for (int id : {kListBox2, kListBox3})
            EXPECT_EQ(f.Visible(id), network) << id;
        EXPECT_EQ(f.Text(kLblFileList), m.fileLabel);
        EXPECT_EQ(f.Text(kLblSelList), m.selLabel);
        EXPECT_EQ(f.Text(kLblNumSelFiles), m.selCount);
        EXPECT_TRUE(f.Entries(kListBox1).empty());
        EXPECT_FALSE(f.Visible(kAbortButton));
    }
    // Network Mode lists the user directories.
    EXPECT_EQ(f.Entries(kListBox2), (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(f.Text(kLblNumFiles), "2 directories");
    // New from the File menu brings Normal Mode back, menus and all.
    f.Choose(kClearNew);
    EXPECT_EQ(IsDlgButtonChecked(f.hwnd(), kModeNormal), BST_CHECKED);
    EXPECT_TRUE(f.Visible(kRunButton));
    EXPECT_TRUE(f.MenuEnabled(kRunDeleteDupes1));
    EXPECT_FALSE(f.MenuEnabled(kDeleteNetworkDupes2));
    EXPECT_EQ(f.Text(kLabelInfoMsg1), "File:");
}

TEST(WinMainWindow, FilesAreChosenAndTakenBack) {
    WinWorld w;
    w.Folder(w.mail + "\\A.PMI", 2);
    w.Folder(w.mail + "\\B.PMI", 2);
    w.Folder(w.mail + "\\C.PMI", 2);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    const std::string dir = f.directory();

    f.SelectEntries(kFileListBox1, {2, 0});
    f.ListClick(kFileListBox1);  // the summary of the last selected
    EXPECT_EQ(f.Text(kLabelInfoMsg2).rfind("     Unread:2, deleted:0", 0), 0u)
        << f.Text(kLabelInfoMsg2);
    f.Click(kBtnMoveFile);
    f.Click(kBtnMoveFile);  // twice adds once
    EXPECT_EQ(f.Entries(kListBox1), (std::vector<std::string>{dir + "\\A.PMI", dir + "\\C.PMI"}));
    EXPECT_EQ(f.Text(kLblNumSelFiles), "2 Files Selected");

    f.SelectEntries(kListBox1, {0});
    f.ListClick(kListBox1);
    f.Click(kBtnUnMoveFile);
    EXPECT_EQ(f.Entries(kListBox1), (std::vector<std::string>{dir + "\\C.PMI"}));
    EXPECT_EQ(f.Text(kLblNumSelFiles), "1 Files Selected");

    // A double click on an available file adds it.
    f.SelectEntries(kFileListBox1, {1});
    f.ListDoubleClick(kFileListBox1);
    EXPECT_EQ(f.Entries(kListBox1).size(), 2u);
    f.Click(kBtnUnMoveAllFiles);
    EXPECT_TRUE(f.Entries(kListBox1).empty());
    EXPECT_EQ(f.Text(kLblNumSelFiles), "No Files Selected");
}

TEST(WinMainWindow, TheDirectoryListEntersSubdirectoriesAndSavesThem) {
    WinWorld w;
    std::filesystem::create_directories(w.dir.Native("Mail\\alice"));
    w.Folder(w.mail + "\\alice\\INBOX.PMI", 2);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    const auto entries = f.Entries(kDirectoryListBox1);
    const auto alice = std::find_if(entries.begin(), entries.end(), [](const std::string& e) {
        return e.find("alice") != std::string::npos;
    });
    ASSERT_NE(alice, entries.end());
    f.SelectEntries(kDirectoryListBox1, {static_cast<int>(alice - entries.begin())});
    f.ListDoubleClick(kDirectoryListBox1);
    EXPECT_TRUE(SameText(f.directory(), w.mail + "\\alice"));
    EXPECT_EQ(f.Entries(kFileListBox1), (std::vector<std::string>{"INBOX.PMI"}));
    EXPECT_TRUE(SameText(w.ReadIni("Startup", "Path"), w.mail + "\\alice"));
    EXPECT_TRUE(SameText(f.Text(kLabelInfoMsg1), "Path=" + w.mail + "\\alice"));
}

TEST(WinMainWindow, ARunningCommandLeavesOnlyAbortLive) {
    WinWorld w;
    for (const char* name : {"A", "B", "C"})
        w.Folder(w.mail + "\\" + name + ".PMI", 4, 1);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    int checkedAt = 0;
    f.SetPumpHook([&](int pump) {
        if (checkedAt > 0 || pump < 2)
            return;
        checkedAt = pump;
        EXPECT_TRUE(f.Busy());
        EXPECT_TRUE(f.Visible(kAbortButton));
        EXPECT_TRUE(f.Enabled(kAbortButton));
        ExpectDrawsTheTable(f);  // the table while busy: only Abort
        for (int id : {kRunButton, kModeNormal, kModeNetwork, kDriveListBox, kDirectoryListBox1})
            EXPECT_FALSE(f.Enabled(id)) << id;
        EXPECT_FALSE(f.MenuEnabled(kRunDeleteDupes1));
        EXPECT_TRUE(f.MenuEnabled(kExit1));
        EXPECT_TRUE(f.Visible(kProgressBarF));
        // Nested commands are refused whatever way they come.
        w.OnModal([](Form&) { ADD_FAILURE() << "no window during a run"; });
        f.Click(kRunButton);
        f.ListDoubleClick(kListBox1);
        f.RunDeleteDupes1Click();
        f.Choose(kSetOptions1);
        Form::SetModalHook({});
        f.Choose(kNormalModeItem);
        EXPECT_EQ(f.Entries(kListBox1).size(), 3u);
    });
    f.Click(kRunButton);
    EXPECT_EQ(checkedAt, 2);
    EXPECT_FALSE(f.Busy());
    EXPECT_EQ(f.Text(kLabelInfoMsg1), "3 of 3 files processed.");
    for (int id : {kRunButton, kBtnGetStats, kModeNormal, kFileListBox1, kListBox1})
        EXPECT_TRUE(f.Enabled(id)) << id;
    EXPECT_TRUE(f.MenuEnabled(kRunDeleteDupes1));
    EXPECT_FALSE(f.MenuEnabled(kRestoreBackupFiles1));  // as the mode had it
}

TEST(WinMainWindow, AbortAndClosingStopTheRunBetweenFolders) {
    WinWorld w;
    for (const char* name : {"A", "B", "C"})
        w.Folder(w.mail + "\\" + name + ".PMI", 4, 1);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    f.SetPumpHook([&](int pump) {
        if (pump == 1)
            f.Click(kAbortButton);
    });
    f.Click(kRunButton);
    EXPECT_FALSE(std::filesystem::exists(w.dir.Native("Mail\\A.BKI")));
    EXPECT_NE(f.Text(kLabelInfoMsg1), "3 of 3 files processed.");

    // Closing during a run asks it to stop, and closes after it.
    f.Click(kBtnMoveAllFiles);
    f.SetPumpHook([&](int pump) {
        if (pump == 1)
            SendMessageA(f.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(f.Closed());
    });
    f.Click(kRunButton);
    EXPECT_FALSE(std::filesystem::exists(w.dir.Native("Mail\\A.BKI")));
    Form::PumpMessages();
    EXPECT_TRUE(f.Closed());
}

// Abort is the one command captioned in red, as in the Qt program.
TEST(WinMainWindow, AbortIsCaptionedInRed) {
    WinWorld w;
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.ShowAbort(true);
    HWND abort = f.Item(kAbortButton);
    RECT area{};
    GetClientRect(abort, &area);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, area.right, area.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ before = SelectObject(dc, picture);
    SendMessageA(abort, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    int red = 0;
    for (int y = 0; y < area.bottom; ++y)
        for (int x = 0; x < area.right; ++x)
            red += GetPixel(dc, x, y) == RGB(255, 0, 0);
    SelectObject(dc, before);
    DeleteObject(picture);
    DeleteDC(dc);
    EXPECT_GT(red, 20);
}

// The menus as the engine's table has them, the Qt program's keys: every
// item where the table puts it, under its caption and its id.
TEST(WinMainWindow, TheMenusAreTheTables) {
    WinWorld w;
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    auto text = [](HMENU menu, int position) {
        char buffer[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(position), buffer, sizeof buffer, MF_BYPOSITION);
        return std::string(buffer);
    };
    ASSERT_EQ(GetMenuItemCount(f.menu()), static_cast<int>(kMenus.size()));
    int id = kClearNew;
    for (std::size_t m = 0; m < kMenus.size(); ++m) {
        const MenuSpec& tableRow = kMenus[m];
        EXPECT_EQ(text(f.menu(), static_cast<int>(m)), tableRow.caption);
        HMENU popup = GetSubMenu(f.menu(), static_cast<int>(m));
        ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(tableRow.items.size()))
            << tableRow.name;
        for (std::size_t i = 0; i < tableRow.items.size(); ++i) {
            const MenuItemSpec& item = tableRow.items[i];
            const auto position = static_cast<UINT>(i);
            const bool separator = GetMenuState(popup, position, MF_BYPOSITION) & MF_SEPARATOR;
            EXPECT_EQ(separator, item.Separator()) << tableRow.name << " " << i;
            if (item.Separator())
                continue;
            EXPECT_EQ(text(popup, static_cast<int>(i)), item.caption);
            EXPECT_EQ(static_cast<int>(GetMenuItemID(popup, static_cast<int>(i))), id++);
        }
    }
    EXPECT_EQ(id, kAbout1 + 1);
    // A checkable item shows the table's check.
    EXPECT_TRUE(f.MenuChecked(kSaveIndexasCSV));
    f.Choose(kSaveIndexasTAB);
    EXPECT_FALSE(f.MenuChecked(kSaveIndexasCSV));
    EXPECT_TRUE(f.HasMarker(kSaveIndexasTAB));
}
