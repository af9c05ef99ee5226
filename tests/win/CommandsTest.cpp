// Commands started from the Windows program's main window: a run gives the
// same bytes as the engine alone, the viewer's rows and colours, the boxes
// with their titles, icons and buttons, the statistics, the backups, the
// export and the log.

#include <fstream>
#include <sstream>

#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/Snapshot.h"
#include "tests/win/WinTestSupport.h"
#include "win/Forms.h"
#include "win/TForm1.h"

using namespace kestrove;
using namespace kestrove::testing;
using namespace kestrove::win;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& path) {
    auto b = ReadFileBytes(path);
    EXPECT_TRUE(b.has_value()) << path;
    return b.value_or(std::vector<std::uint8_t>{});
}

// Six messages: a repeat of the first, a deleted one, a repeat of a read one
// and two plain ones, in time order.
FolderBuilder Mixed() {
    FolderBuilder b;
    b.Add(Msg("alice@example.net", "Figures", "12 Mar 24 09:14", 100, "First text"));
    b.Add(Msg("alice@example.net", "Figures", "12 Mar 24 09:14", 100, "First text"));
    b.Add(Msg("carol@example.net", "Old news", "01 Feb 24 08:00", 200, "Gone", kDeletedBit));
    b.Add(Msg("bob@example.net", "Lunch", "13 Mar 24 12:00", 300, "Read one", kReadBit));
    b.Add(Msg("bob@example.net", "Lunch", "13 Mar 24 12:00", 300, "Read one", kReadBit));
    b.Add(Msg("dave@example.net", "Plain", "14 Mar 24 12:00", 400, "Plain text"));
    return b;
}

// All available files to the selected list, the first one highlighted, as
// before a double click that opens the viewer.
void SelectFirst(TForm1& f) {
    f.Click(kBtnMoveAllFiles);
    f.SelectEntries(kListBox1, {0});
    f.ListClick(kListBox1);
}

}  // namespace

TEST(WinCommands, ARunGivesTheBytesOfTheSameRunThroughTheEngine) {
    WinWorld w;
    std::filesystem::create_directories(w.dir.Native("Engine"));
    const FolderBuilder folder = Mixed();
    FolderBuilder plain;
    for (int i = 0; i < 3; ++i)
        plain.Add(Msg("x@y", "S" + std::to_string(i), "D", i, "T" + std::to_string(i)));
    for (const std::string& d : {w.mail, w.dir / "Engine"}) {
        ASSERT_TRUE(folder.Write(d + "\\INBOX.PMI"));
        ASSERT_TRUE(plain.Write(d + "\\PLAIN.PMI"));
    }

    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    f.Click(kRunButton);
    EXPECT_EQ(f.Text(kLabelInfoMsg1), "1 of 2 files processed.");  // PLAIN had nothing to drop
    EXPECT_TRUE(w.script.shown.empty());

    AppState state;
    ScriptedPort port;
    state.ListBox1.Add(w.dir / "Engine\\INBOX.PMI");
    state.ListBox1.Add(w.dir / "Engine\\PLAIN.PMI");
    RunDeleteDupes1Click(state, port);
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "1 of 2 files processed.");

    for (const char* name :
         {"INBOX.PMI", "INBOX.PMM", "INBOX.BKI", "INBOX.BKM", "PLAIN.PMI", "PLAIN.PMM"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Bytes(w.mail + "\\" + name), Bytes(w.dir / "Engine\\" + name));
    }
    EXPECT_EQ(Bytes(w.mail + "\\INBOX.PMI").size(), 3u * kRecordSize);
    EXPECT_FALSE(std::filesystem::exists(w.dir.Native("Mail\\PLAIN.BKI")));
}

TEST(WinCommands, TheViewerShowsRowsMarksAndColours) {
    WinWorld w;
    ASSERT_TRUE(Mixed().Write(w.mail + "\\INBOX.PMI"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    SelectFirst(f);
    w.OnModal([&](Form& form) {
        ASSERT_EQ(&form, static_cast<Form*>(forms->Form2.get()));
        EXPECT_EQ(GetText(form.hwnd()), "WinPmail Index File");
        VirtualGrid& g = forms->Form2->grid();
        ASSERT_EQ(g.RecordRows(), 6);
        EXPECT_EQ(ListView_GetItemCount(g.hwnd()), 6);
        EXPECT_EQ(g.ShownText(1, 0), "1");
        EXPECT_EQ(g.ShownText(1, 5), "alice@example.net");
        EXPECT_EQ(g.ShownText(2, 1), "Dup");
        EXPECT_EQ(g.ShownText(3, 1), "Del");
        EXPECT_EQ(g.ShownText(5, 1), "Dup");
        EXPECT_EQ(g.ShownText(6, 1), "");
        const COLORREF cream = RGB(255, 251, 240), fuchsia = RGB(255, 0, 255), red = RGB(255, 0, 0);
        for (int column : {0, 5, 36}) {
            EXPECT_EQ(g.Background(1, column), cream);
            EXPECT_EQ(g.Background(2, column), fuchsia);
            EXPECT_EQ(g.Background(3, column), red);
            EXPECT_EQ(g.Background(5, column), fuchsia);
            EXPECT_EQ(g.Background(6, column), cream);
        }
        EXPECT_EQ(g.Foreground(), RGB(0, 0, 128));
        const std::string counts = GetText(form.Item(kLbl1IndexFile));
        EXPECT_NE(counts.find("Unread:3, Read:2,  Deleted:1,  Dupes:2"), std::string::npos)
            << counts;
        EXPECT_EQ(GetText(form.Item(kLblCellInfo)), "Click on any cell for more informaton.");
        forms->Form2->StringGrid1SelectCell(1, 2);
        EXPECT_EQ(GetText(form.Item(kLblCellInfo)), "Row 2 Column Dupe/Deleted: [Dup]");
        form.Click(kLMDButton1);
    });
    f.ListDoubleClick(kListBox1);
    EXPECT_TRUE(w.modalSeen);
    EXPECT_FALSE(IsWindowVisible(forms->Form2->hwnd()));

    // In Network Mode a double click shows nothing.
    f.Choose(kNetworkModeItem);
    w.OnModal([&](Form&) { ADD_FAILURE() << "no window in Network Mode"; });
    f.ListDoubleClick(kListBox1);
    EXPECT_FALSE(w.modalSeen);
}

// Two alerts alike in every field but their texts: the second is a
// look-alike, kept by the run, with its own mark and colour.
TEST(WinCommands, TheViewerShowsLookAlikesApart) {
    WinWorld w;
    FolderBuilder alerts;
    for (const char* host : {"alpha", "gamma"})
        alerts.Add(Msg("monitor@example.com", "ALERT: disk full", "6 Aug 18 0:20", 1533514800,
                       std::string("Host: ") + host));
    ASSERT_TRUE(alerts.Write(w.mail + "\\ALERTS.PMI"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    SelectFirst(f);
    w.OnModal([&](Form& form) {
        VirtualGrid& g = forms->Form2->grid();
        ASSERT_EQ(g.RecordRows(), 2);
        EXPECT_EQ(g.ShownText(1, 1), "");
        EXPECT_EQ(g.ShownText(2, 1), "Alike");
        for (int column : {0, 5, 36}) {
            EXPECT_EQ(g.Background(1, column), RGB(255, 251, 240));
            EXPECT_EQ(g.Background(2, column), RGB(170, 230, 170));
        }
        const std::string counts = GetText(form.Item(kLbl1IndexFile));
        EXPECT_NE(counts.find("Dupes:0,  Look-alikes:1"), std::string::npos) << counts;
        forms->Form2->StringGrid1SelectCell(1, 2);
        EXPECT_EQ(GetText(form.Item(kLblCellInfo)),
                  "Row 2 Column Dupe/Deleted: [Alike] kept: same sender, subject, date, time and "
                  "size as row 1, another text.");
        form.Click(kLMDButton1);
    });
    f.ListDoubleClick(kListBox1);
    EXPECT_TRUE(w.modalSeen);

    // The run keeps both: nothing to drop.
    f.Click(kRunButton);
    EXPECT_EQ(f.Text(kLabelInfoMsg1), "0 of 1 files processed.");
    EXPECT_FALSE(std::filesystem::exists(w.dir.Native("Mail\\ALERTS.BKI")));
}

TEST(WinCommands, BoxesCarryTheirTitlesIconsAndButtons) {
    WinWorld w;
    w.Folder(w.mail + "\\INBOX.PMI", 2);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;

    w.script.answers.push_back(Answer::Ok);
    f.Click(kRunButton);
    ASSERT_EQ(w.script.shown.size(), 1u);
    EXPECT_EQ(w.script.shown[0].text, "No files selected.");
    EXPECT_EQ(w.script.shown[0].title, "No Data");
    EXPECT_EQ(w.script.shown[0].icon, Icon::Information);
    EXPECT_EQ(w.script.shown[0].buttons, Buttons::Ok);

    // The viewer on a folder whose message file is gone.
    f.Click(kBtnMoveAllFiles);
    std::filesystem::remove(w.dir.Native("Mail\\INBOX.PMM"));
    f.SelectEntries(kListBox1, {0});
    f.ListClick(kListBox1);
    w.script.answers.push_back(Answer::Ok);
    w.OnModal([&](Form&) { ADD_FAILURE() << "the viewer must not show"; });
    f.ListDoubleClick(kListBox1);
    ASSERT_EQ(w.script.shown.size(), 2u);
    EXPECT_EQ(w.script.shown[1].title, "File Error");
    EXPECT_EQ(w.script.shown[1].icon, Icon::Stop);
    EXPECT_EQ(w.script.shown[1].text.rfind("Cannot Open File: ", 0), 0u);
    EXPECT_NE(w.script.shown[1].text.find("INBOX.pmm"), std::string::npos);

    // The system box gets the same icon and buttons.
    EXPECT_EQ(MessageBoxStyle(Icon::Stop, Buttons::Ok) & (MB_ICONMASK | MB_TYPEMASK),
              static_cast<UINT>(MB_ICONSTOP | MB_OK));
    EXPECT_EQ(
        MessageBoxStyle(Icon::Exclamation, Buttons::YesNoCancel) & (MB_ICONMASK | MB_TYPEMASK),
        static_cast<UINT>(MB_ICONEXCLAMATION | MB_YESNOCANCEL));
    EXPECT_EQ(MessageBoxStyle(Icon::Information, Buttons::OkCancel) & (MB_ICONMASK | MB_TYPEMASK),
              static_cast<UINT>(MB_ICONINFORMATION | MB_OKCANCEL));
}

TEST(WinCommands, AMismatchQuestionAnsweredCancelEndsTheRunWithNothingChanged) {
    WinWorld w;
    FolderBuilder b = Mixed();
    b.header().unread = 9;  // the header disagrees with the index
    ASSERT_TRUE(b.Write(w.mail + "\\INBOX.PMI"));
    const auto before = Bytes(w.mail + "\\INBOX.PMM");
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    w.script.answers.push_back(Answer::Cancel);
    f.Click(kRunButton);
    ASSERT_EQ(w.script.shown.size(), 1u);
    EXPECT_EQ(w.script.shown[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(Bytes(w.mail + "\\INBOX.PMM"), before);
    EXPECT_FALSE(std::filesystem::exists(w.dir.Native("Mail\\INBOX.BKI")));
    EXPECT_FALSE(f.Busy());
    EXPECT_TRUE(f.Enabled(kRunButton));
}

// The meters shown are the ones each command wants, whatever the one before
// showed, and all are gone when it ends.
TEST(WinCommands, EachCommandShowsItsOwnMeters) {
    WinWorld w;
    for (const char* name : {"\\INBOX.PMI", "\\OTHER.PMI"})
        ASSERT_TRUE(Mixed().Write(w.mail + name));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    auto shownDuring = [&](int button) {
        std::vector<bool> shown;
        f.SetPumpHook([&](int pump) {
            if (pump == 2)
                for (int id : {kProgressBarF, kProgressBarM, kProgressBar1})
                    shown.push_back(f.Visible(id) && f.Visible(id - kProgressBarF + kCaptionF));
        });
        w.OnModal([](Form&) {});  // the statistics window
        f.Click(button);
        f.SetPumpHook({});
        for (int id :
             {kProgressBarF, kProgressBarM, kProgressBar1, kCaptionF, kCaptionM, kCaption1})
            EXPECT_FALSE(f.Visible(id)) << id;
        return shown;
    };
    EXPECT_EQ(shownDuring(kBtnGetStats), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(shownDuring(kRunButton), (std::vector<bool>{true, true, true}));
    EXPECT_EQ(shownDuring(kBtnGetStats), (std::vector<bool>{true, true, false}));
    EXPECT_TRUE(w.script.shown.empty());
}

TEST(WinCommands, StatisticsCountSendersAndSortOnClick) {
    WinWorld w;
    ASSERT_TRUE(Mixed().Write(w.mail + "\\INBOX.PMI"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    w.OnModal([&](Form& form) {
        TForm6& s = *forms->Form6;
        ASSERT_EQ(&form, static_cast<Form*>(&s));
        EXPECT_EQ(s.grid().RecordRows(), 3);  // alice, bob, dave (carol's is deleted)
        EXPECT_EQ(s.grid().ShownText(1, 1), "alice@example.net");
        EXPECT_EQ(s.grid().ShownText(1, 2), "     2");
        EXPECT_EQ(GetText(form.Item(kLblAddresses)), "Addresses: 3 ");
        EXPECT_EQ(GetText(form.Item(kLblMessages)), "Messages: 5 ");
        // Messages, descending: bob and alice (2 each) before dave.
        CheckRadioButton(form.hwnd(), kRGSortOn + 1, kRGSortOn + 3, kRGSortOn + 2);
        CheckRadioButton(form.hwnd(), kRGSortIn + 1, kRGSortIn + 2, kRGSortIn + 2);
        form.Click(kRGSortIn + 2);
        EXPECT_EQ(s.grid().ShownText(3, 1), "dave@example.net");
        form.Click(kLMDButton1);
    });
    f.Click(kBtnGetStats);
    EXPECT_TRUE(w.modalSeen);
    EXPECT_EQ(f.Text(kLabelInfoMsg1), "1 of 1 files processed.");
    EXPECT_FALSE(f.Visible(kProgressBarF));
    EXPECT_FALSE(f.Visible(kAbortButton));
}

TEST(WinCommands, BackupModeRestoresWhatARunLeft) {
    WinWorld w;
    ASSERT_TRUE(Mixed().Write(w.mail + "\\INBOX.PMI"));
    const auto pmi = Bytes(w.mail + "\\INBOX.PMI");
    const auto pmm = Bytes(w.mail + "\\INBOX.PMM");
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    f.Click(kRunButton);
    ASSERT_TRUE(std::filesystem::exists(w.dir.Native("Mail\\INBOX.BKI")));

    f.Choose(kBackupModeItem);
    EXPECT_EQ(f.Entries(kFileListBox1), (std::vector<std::string>{"INBOX.BKI"}));
    f.Click(kBtnMoveAllFiles);
    f.Click(kRestoreButton);
    EXPECT_EQ(f.Text(kLabelInfoMsg1), "1 of 1 files processed.");
    EXPECT_EQ(Bytes(w.mail + "\\INBOX.PMI"), pmi);
    EXPECT_EQ(Bytes(w.mail + "\\INBOX.PMM"), pmm);
    EXPECT_FALSE(std::filesystem::exists(w.dir.Native("Mail\\INBOX.BKI")));
    EXPECT_TRUE(f.Entries(kListBox1).empty());
}

TEST(WinCommands, MoveEndsWhenItsChooserIsCancelledAndMovesWhenAnswered) {
    WinWorld w;
    ASSERT_TRUE(Mixed().Write(w.mail + "\\INBOX.PMI"));
    std::filesystem::create_directories(w.dir.Native("Mail\\Old"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    f.Click(kRunButton);
    f.Choose(kBackupModeItem);
    f.Click(kBtnMoveAllFiles);
    w.script.directories.push_back(std::nullopt);
    f.Click(kMoveButton);
    EXPECT_TRUE(std::filesystem::exists(w.dir.Native("Mail\\INBOX.BKI")));
    f.Click(kBtnMoveAllFiles);
    w.script.directories.push_back(w.mail + "\\Old");
    f.Choose(kMoveBackupFiles2);
    EXPECT_FALSE(std::filesystem::exists(w.dir.Native("Mail\\INBOX.BKI")));
    EXPECT_TRUE(std::filesystem::exists(w.dir.Native("Mail\\Old\\INBOX.BKI")));
    EXPECT_TRUE(std::filesystem::exists(w.dir.Native("Mail\\Old\\INBOX.BKM")));
}

TEST(WinCommands, TheLogAndTheExportAreWrittenBesideTheirFiles) {
    WinWorld w;
    ASSERT_TRUE(Mixed().Write(w.mail + "\\INBOX.PMI"));
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    f.Choose(kSaveIndexasTAB);
    EXPECT_TRUE(f.HasMarker(kSaveIndexasTAB));
    EXPECT_FALSE(f.MenuChecked(kSaveIndexasCSV));
    f.Choose(kSaveIndexFile1);
    EXPECT_TRUE(std::filesystem::exists(w.dir.Native("Mail\\INBOX.TXT")));

    w.script.saveFiles.push_back(SaveChoice{w.dir / "run.log", 0});
    f.Choose(kSaveLogFile1);
    f.Choose(kRunDeleteDupes1);
    std::ifstream log(w.dir.Native("run.log"));
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_NE(text.str().find("INBOX.PMI"), std::string::npos) << text.str();
}

TEST(WinCommands, SaveIndexNeverWritesThroughALink) {
    WinWorld w;
    ASSERT_TRUE(Mixed().Write(w.mail + "\\INBOX.PMI"));
    std::filesystem::create_directories(w.dir.Native("Other"));
    ASSERT_TRUE(WriteFileBytes(w.dir / "Other\\victim.txt", std::string_view("keep me")));
    if (!MakeLink("../Other/victim.txt", w.dir.Native("Mail\\INBOX.CSV")))
        GTEST_SKIP() << "this system cannot make links here";
    // Where the system cannot tell the link, the export removes it by its
    // name and makes its own file.
    const bool seen = platform::IsLink(w.mail + "\\INBOX.CSV");
    const auto other = Snapshot(w.dir.Native("Other"), true);
    const auto forms = w.Open();
    TForm1& f = *forms->Form1;
    f.Click(kBtnMoveAllFiles);
    if (seen)
        w.script.answers.push_back(Answer::Ok);
    f.Choose(kSaveIndexFile1);
    EXPECT_EQ(Snapshot(w.dir.Native("Other"), true), other);
    if (seen) {
        ASSERT_EQ(w.script.shown.size(), 1u);
        EXPECT_EQ(w.script.shown[0].text, w.mail + "\\INBOX.CSV is a link - skipping file.");
        EXPECT_EQ(w.script.shown[0].title, "File Link Error");
        EXPECT_TRUE(platform::IsLink(w.mail + "\\INBOX.CSV"));
    } else {
        EXPECT_TRUE(w.script.shown.empty());
        EXPECT_FALSE(platform::IsLink(w.mail + "\\INBOX.CSV"));
        EXPECT_GT(std::filesystem::file_size(w.dir.Native("Mail\\INBOX.CSV")), 7u);
    }
    EXPECT_TRUE(w.script.failures.empty());
}
