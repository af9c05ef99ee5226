// Directories and folders named in any script: listed as written, entered
// with the mouse, run, viewed, exported, logged and restored, in Normal and
// Network Mode; and the help's Index when no browser can be started.

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/win32/Wide.h"
#include "tests/support/Samples.h"
#include "tests/win/WinTestSupport.h"
#include "win/Forms.h"
#include "win/TForm1.h"

using namespace kestrove;
using namespace kestrove::testing;
using namespace kestrove::win;

namespace {

// Polish, Greek, Russian, Japanese: none of them fits Windows-1252 whole.
const std::vector<std::string> kUsers = {
    "\xC5\x81ukasz", "\xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7", "\xD0\xAE\xD1\x80\xD0\xB8\xD0\xB9",
    "\xE6\x97\xA5\xE6\x9C\xAC"};

// A user directory holding the sample folder "Sent" and a folder with one
// repeat; false when the workplace has no samples.
bool MakeUser(const WinWorld& w, const std::string& user) {
    const std::string dir = w.mail + "\\" + user;
    EXPECT_TRUE(platform::CreateDirectories(dir)) << dir;
    const auto samples = SamplesDirectory();
    if (!samples)
        return false;
    for (const char* ext : {".PMI", ".PMM"}) {
        const auto bytes = ReadFileBytes(*samples + "\\mercury-mail\\MAIL\\master\\FOL127FE" + ext);
        EXPECT_TRUE(bytes.has_value());
        EXPECT_TRUE(bytes && WriteFileBytes(dir + "\\FOL127FE" + ext, *bytes)) << dir;
    }
    w.Folder(dir + "\\DUPS.PMI", 4, 1);
    return true;
}

std::string Trimmed(const std::string& entry) {
    return entry.substr(std::min(entry.find_first_not_of(' '), entry.size()));
}

// The row of a list box whose text, without its indent, is `name`.
int RowOf(const TForm1& f, int id, const std::string& name) {
    const auto entries = f.Entries(id);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (Trimmed(entries[i]) == name)
            return static_cast<int>(i);
    return -1;
}

// The mouse's double click on a row, as the list box gets it.
void DoubleClickRow(HWND list, int row) {
    SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
    RECT r{};
    ASSERT_NE(
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)),
        LB_ERR);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
}

// The mouse's click on a row.
void ClickRow(HWND list, int row) {
    RECT r{};
    ASSERT_NE(
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)),
        LB_ERR);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
}

// What a list box row holds in UTF-16, read as a screen reader reads it.
std::wstring RowText(HWND list, int row) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

}  // namespace

TEST(WinUnicodeNames, UserDirectoriesInAnyScriptAreEnteredRunViewedExportedAndRestored) {
    WinWorld w;
    for (const std::string& user : kUsers)
        if (!MakeUser(w, user))
            GTEST_SKIP() << "no sample folders in this workplace";
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    HWND tree = f.Item(kDirectoryListBox1);
    // As written, character for character: "Łukasz", not "Lukasz".
    const int polish = RowOf(f, kDirectoryListBox1, kUsers[0]);
    ASSERT_GE(polish, 0);
    const std::wstring shown = RowText(tree, polish);
    EXPECT_EQ(shown.substr(shown.find_first_not_of(L' ')), L"\u0141ukasz");

    for (const std::string& user : kUsers) {
        SCOPED_TRACE(user);
        const std::string dir = w.mail + "\\" + user;
        // Up to the mail directory, then into the user's with the mouse.
        DoubleClickRow(tree, RowOf(f, kDirectoryListBox1, "Mail"));
        DoubleClickRow(tree, RowOf(f, kDirectoryListBox1, user));
        ASSERT_EQ(f.directory(), dir);
        EXPECT_EQ(f.Text(kLabelInfoMsg1), "Path=" + dir);
        EXPECT_EQ(w.ReadIni("Startup", "Path"), dir);
        EXPECT_EQ(f.Entries(kFileListBox1), (std::vector<std::string>{"DUPS.PMI", "FOL127FE.PMI"}));

        // Run, with the log going to a file named in the same script.
        w.script.saveFiles.push_back(SaveChoice{dir + "\\" + user + ".log", 0});
        f.Choose(kSaveLogFile1);
        f.Click(kBtnMoveAllFiles);
        EXPECT_EQ(f.Entries(kListBox1),
                  (std::vector<std::string>{dir + "\\DUPS.PMI", dir + "\\FOL127FE.PMI"}));
        f.Click(kRunButton);
        EXPECT_TRUE(platform::FileExists(dir + "\\DUPS.BKI"));
        EXPECT_TRUE(platform::FileExists(dir + "\\DUPS.BKM"));
        const auto log = ReadFileBytes(dir + "\\" + user + ".log");
        ASSERT_TRUE(log.has_value());
        EXPECT_NE(std::string(log->begin(), log->end()).find("DUPS.PMI"), std::string::npos);

        // The viewer names the files by their paths, as written.
        f.Click(kBtnMoveAllFiles);
        f.SelectEntries(kListBox1, {0});
        f.ListClick(kListBox1);
        w.OnModal([&](Form& viewer) {
            EXPECT_NE(GetText(viewer.Item(kLbl1IndexFile)).find(dir + "\\DUPS.PMI"),
                      std::string::npos)
                << GetText(viewer.Item(kLbl1IndexFile));
            viewer.Click(kLMDButton1);
        });
        f.ListDoubleClick(kListBox1);
        EXPECT_TRUE(w.modalSeen);
        f.Choose(kSaveIndexFile1);
        EXPECT_TRUE(platform::FileExists(dir + "\\DUPS.CSV"));
        EXPECT_TRUE(platform::FileExists(dir + "\\FOL127FE.CSV"));

        // Backup Mode lists the backup and puts it back.
        f.Choose(kBackupModeItem);
        EXPECT_EQ(f.Entries(kFileListBox1), (std::vector<std::string>{"DUPS.BKI"}));
        f.Click(kBtnMoveAllFiles);
        f.Click(kRestoreButton);
        EXPECT_EQ(f.Text(kLabelInfoMsg1), "1 of 1 files processed.");
        EXPECT_FALSE(platform::FileExists(dir + "\\DUPS.BKI"));
        EXPECT_TRUE(platform::FileExists(dir + "\\DUPS.PMI"));
        f.Choose(kNormalModeItem);
    }

    // The next start opens the last directory again.
    const auto again = w.Open();
    EXPECT_EQ(again->Form1->directory(), w.mail + "\\" + kUsers.back());
}

TEST(WinUnicodeNames, NetworkModeListsAndRunsEveryUser) {
    WinWorld w;
    for (const std::string& user : kUsers)
        if (!MakeUser(w, user))
            GTEST_SKIP() << "no sample folders in this workplace";
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Choose(kNetworkModeItem);
    std::vector<std::string> users = f.Entries(kListBox2);
    std::vector<std::string> expected = kUsers;
    std::sort(users.begin(), users.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(users, expected);
    // One user clicked, then ">": the entry as written.
    ClickRow(f.Item(kListBox2), RowOf(f, kListBox2, kUsers[3]));
    f.Click(kBtnMoveFile);
    EXPECT_EQ(f.Entries(kListBox3), std::vector<std::string>{w.mail + "\\" + kUsers[3]});
    const std::wstring row = RowText(f.Item(kListBox3), 0);
    ASSERT_GE(row.size(), 3u);
    EXPECT_EQ(row.substr(row.size() - 3), L"\\\u65E5\u672C");
    f.Click(kBtnMoveAllFiles);
    EXPECT_EQ(f.Entries(kListBox3).size(), kUsers.size());
    f.Click(kRunNetButton);
    for (const std::string& user : kUsers) {
        EXPECT_TRUE(platform::FileExists(w.mail + "\\" + user + "\\DUPS.BKI")) << user;
        EXPECT_TRUE(platform::FileExists(w.mail + "\\" + user + "\\FOL127FE.PMI")) << user;
    }
}

TEST(WinUnicodeNames, HelpIndexOpensTheIndexOrSaysWhichPageNoBrowserCouldShow) {
    WinWorld w;
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    const std::string exe = platform::ExecutablePath();
    const std::string page = std::string(platform::DirectoryPart(exe)) + "\\" + kHelpHtml;
    if (!platform::FileExists(page))
        GTEST_SKIP() << "no help page beside the tests (kestrove not built)";

    // The browser is given the page's URL with the anchor of the index; the
    // first start succeeds.
    f.Choose(kIndex1);
    ASSERT_EQ(w.script.launches.size(), 1u);
    EXPECT_NE(w.script.launches[0].find("Kestrove.html#index"), std::string::npos)
        << w.script.launches[0];
    f.Choose(kContents1);
    ASSERT_EQ(w.script.launches.size(), 2u);
    EXPECT_NE(w.script.launches[1].find("Kestrove.html#contents"), std::string::npos);
    EXPECT_TRUE(w.script.shown.empty());

    // No program for .html pages: every way fails (ShellExecute's 2), and a
    // box names the page.
    w.script.launches.clear();
    w.script.launchResult = SE_ERR_FNF;
    w.script.answers.push_back(Answer::Ok);
    f.Choose(kIndex1);
    EXPECT_FALSE(w.script.launches.empty());
    ASSERT_EQ(w.script.shown.size(), 1u);
    EXPECT_EQ(w.script.shown[0].text, kNoBrowserText + page);
    EXPECT_EQ(w.script.shown[0].title, "Kestrove Help");
    EXPECT_EQ(w.script.shown[0].icon, Icon::Exclamation);
}
