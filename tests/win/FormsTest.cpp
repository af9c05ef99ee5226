// The Windows program's smaller windows: Set Drives, Other Options, the
// folder name list, About and the help.

#include "platform/File.h"
#include "platform/Paths.h"
#include "tests/win/WinTestSupport.h"
#include "win/Forms.h"
#include "win/TForm1.h"

using namespace kestrove;
using namespace kestrove::testing;
using namespace kestrove::win;

TEST(WinForms, OtherOptionsClampWhatTheyReadAndWriteOnOkOnly) {
    WinWorld w;
    w.WriteIni("Options", "MismatchedUnread", "5");
    w.WriteIni("Options", "RunCheck", "-3");
    w.WriteIni("Options", "GetStats", "0x2");
    const auto forms = w.Open();
    TForm4& o = *forms->Form4;
    AppState& state = forms->Form1->state();
    EXPECT_EQ(o.RGUnread.itemIndex(), 2);
    EXPECT_EQ(o.RGRunCheck.itemIndex(), -1);
    EXPECT_EQ(o.RGStats.itemIndex(), 2);
    EXPECT_EQ(state.settings.MismatchedUnread, OnMismatch::Skip);
    EXPECT_EQ(ItemIndex(state.settings.RunCheck), -1);

    w.OnModal([&](Form& form) {
        EXPECT_EQ(GetText(form.hwnd()), "Other Options");
        o.RGBackup.setItemIndex(1);
        form.Click(IDCANCEL);  // the title bar's close: nothing written
    });
    forms->Form1->Choose(kSetOptions1);
    EXPECT_EQ(w.ReadIni("Options", "BackupFiles"), "");
    EXPECT_EQ(state.settings.BackupFiles, OnBackupExists::Ask);

    w.OnModal([&](Form& form) { form.Click(kOtherOptnsOK); });
    forms->Form1->Choose(kSetOptions1);
    EXPECT_EQ(w.ReadIni("Options", "BackupFiles"), "1");  // the change kept from before
    EXPECT_EQ(w.ReadIni("Options", "MismatchedUnread"), "2");
    EXPECT_EQ(w.ReadIni("Options", "RunCheck"), "-1");
    EXPECT_EQ(state.settings.BackupFiles, OnBackupExists::Overwrite);
}

TEST(WinForms, SetDrivesWritesEveryLetterAndRebuildsTheDriveList) {
    WinWorld w;
    w.WriteIni("Startup", "DriveC", "1");
    w.WriteIni("Startup", "DriveD", "2");
    const auto forms = w.Open();
    TForm3& d = *forms->Form3;
    EXPECT_TRUE(d.Checked('C'));
    EXPECT_FALSE(d.Checked('D'));
    EXPECT_FALSE(d.Checked('Z'));
    w.OnModal([&](Form& form) {
        EXPECT_EQ(GetText(form.hwnd()), "Set Drives");
        d.SetChecked('C', false);
        form.Click(kSetDriveOK);
    });
    forms->Form1->Choose(kN5);
    for (char c = 'A'; c <= 'Z'; ++c) {
        const std::string key = std::string("Drive") + c;
        EXPECT_EQ(w.ReadIni("Startup", key.c_str()), "0") << key;
    }
    // No drive checked: the single entry "c"; the directory kept.
    EXPECT_EQ(forms->Form1->Entries(kDriveListBox), (std::vector<std::string>{"c"}));
    EXPECT_EQ(lstrcmpiA(w.ReadIni("Startup", "Path").c_str(), w.mail.c_str()), 0);
}

TEST(WinForms, TheFolderListAddsAndTakesOutByClick) {
    WinWorld w;
    HeaderSpec g, bh;
    g.name = "Gamma";
    bh.name = "beta";
    FolderBuilder gamma(g), beta(bh);
    gamma.Add(Msg("a", "s", "d", 1, "t"));
    beta.Add(Msg("a", "s", "d", 1, "t"));
    ASSERT_TRUE(gamma.Write(w.mail + "\\A.PMI"));
    ASSERT_TRUE(beta.Write(w.mail + "\\B.PMI"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    w.OnModal([&](Form& form) {
        TForm5& l = *forms->Form5;
        EXPECT_EQ(GetText(form.hwnd()), "Alphabetic Folder List");
        ASSERT_EQ(l.grid().RecordRows(), 2);
        EXPECT_EQ(l.grid().ShownText(1, 1), "beta");  // the locale's order
        EXPECT_EQ(l.grid().ShownText(2, 2), "A.PMI");
        EXPECT_EQ(l.grid().Background(1, 3), RGB(255, 251, 240));
        l.StringGrid1MouseDown(1, 1);
        EXPECT_EQ(l.grid().ShownText(1, 3), ">");
        EXPECT_EQ(l.grid().Background(1, 3), RGB(255, 0, 0));
        EXPECT_EQ(l.grid().Background(1, 0), RGB(166, 202, 240));
        EXPECT_EQ(f.Entries(kListBox1), (std::vector<std::string>{f.directory() + "\\B.PMI"}));
        EXPECT_EQ(f.Text(kLblNumSelFiles), "1 Files Selected");
        l.StringGrid1MouseDown(1, 2);
        EXPECT_TRUE(f.Entries(kListBox1).empty());
        l.StringGrid1MouseDown(1, 0);  // the number column changes nothing
        EXPECT_TRUE(f.Entries(kListBox1).empty());
        form.Click(kOKButton);
    });
    f.Click(kFileNames);
    EXPECT_TRUE(w.modalSeen);
}

TEST(WinForms, AboutShowsTheProductAndHelpOpensThePageBesideTheProgram) {
    WinWorld w;
    const auto forms = w.Open();
    w.OnModal([&](Form& form) {
        EXPECT_EQ(GetText(form.hwnd()), "About");
        EXPECT_EQ(GetText(form.Item(kProductName)), "Kestrove");
        EXPECT_EQ(GetText(form.Item(kVersion)), "Version 2.30");
        // The settings file beside the program, by its Windows name.
        const std::string settings = GetText(form.Item(kSettingsFile));
        EXPECT_EQ(settings.rfind("Settings: ", 0), 0u) << settings;
        EXPECT_NE(settings.find(":\\"), std::string::npos) << settings;
        EXPECT_TRUE(settings.size() > 13 &&
                    settings.compare(settings.size() - 13, 13, "\\Kestrove.INI") == 0)
            << settings;
        form.Click(kOKButton);
    });
    forms->Form1->Choose(kAbout1);
    EXPECT_TRUE(w.modalSeen);

    // Without the page beside the program the help says which file is missing.
    const std::string exe = platform::ExecutablePath();
    const std::string page = std::string(platform::DirectoryPart(exe)) + "\\" + kHelpHtml;
    if (!platform::FileExists(page)) {
        w.script.answers.push_back(Answer::Ok);
        forms->Form1->Choose(kContents1);
        ASSERT_EQ(w.script.shown.size(), 1u);
        EXPECT_EQ(w.script.shown[0].text, "Cannot Open File: " + page);
    } else {
        forms->Form1->Choose(kIndex1);
        EXPECT_TRUE(w.script.shown.empty());
    }
}
