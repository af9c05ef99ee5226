// The main window without a toolkit: what both window programs do alike,
// through a window that records what it is asked to draw. Drives and the
// tree, the highlight of the selected lists, and the status panel through
// the repaint throttle while a command runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "app/DirectoryNavigation.h"
#include "app/MainWindow.h"
#include "core/Format.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using testing::FolderBuilder;
using testing::Msg;
using testing::TempDir;

// A window with a tree like the Windows program's: the current directory
// only, its change event run when the directory changes.
class RecordingWindow : public MainWindowCommands {
  public:
    RecordingWindow(std::string settings, std::int64_t interval)
        : MainWindowCommands(std::move(settings), interval) {
        SetClock([this] { return now; });
    }

    using MainWindowCommands::EnterTreeEntry;
    using MainWindowCommands::HighlightMoved;
    using MainWindowCommands::RunCommand;
    using MainWindowCommands::StartUp;

    std::int64_t now = 5000;
    std::string tree;
    std::vector<std::string> drives;
    std::optional<int> chosenDrive;
    std::map<ListId, std::vector<int>> selected;
    std::array<std::string, 3> status{"File", "", ""};
    std::array<int, 3> meters{};
    std::array<bool, 3> metersShown{};
    // What reached the screen, in order: "status 2 text", "meter 1 40",
    // "meters 110", "paint 2", "events", "box TEXT", "highlight 1 3".
    std::vector<std::string> log;
    std::vector<std::string> Take() { return std::exchange(log, {}); }
    bool abortShown = false;
    int focusKept = 0;
    std::string focusBack;  // the fallback the window was given

    void FileExit1Execute() override {}
    std::string TreeDirectory() const override { return tree; }
    void FillDriveList(const std::vector<std::string>& entries) override {
        drives = entries;
        chosenDrive.reset();
    }
    void SetCountLabel(CountLabel, const std::string&) override {}
    void ShowAbort(bool visible) override { abortShown = visible; }
    void ListChanged(ListId) override {}
    void ShowList(ListId, bool) override {}
    void SplitSelectedLists() override {}
    void RestoreSelectedLists() override {}

    // Moves the tree as its user would: its change event follows.
    bool UserEnters(const std::string& path) { return TreeSetDirectory(path); }

  protected:
    void ShowModeControls(const ModeControls&, bool) override {}
    int ModeItemIndex() const override { return state_->mode; }
    std::vector<int> SelectedRows(ListId list) const override {
        const auto it = selected.find(list);
        return it == selected.end() ? std::vector<int>{} : it->second;
    }
    std::optional<std::string> ChosenDriveEntry() const override {
        if (!chosenDrive)
            return std::nullopt;
        return drives[static_cast<std::size_t>(*chosenDrive)];
    }
    bool TreeSetDrive(char letter) override {
        const TreeStep step = StepToDrive(letter, tree);
        return step.possible && (step.directory.empty() || TreeSetDirectory(step.directory));
    }
    bool TreeSetDirectory(const std::string& path) override {
        TreeStep step = StepInto(path, tree);
        if (step.possible && !step.directory.empty()) {
            tree = std::move(step.directory);
            DriveComboBox1Change();
        }
        return step.possible;
    }
    void HandlePendingEvents() override { log.push_back("events"); }
    void DrawStatus(StatusLine line, const std::string& text) override {
        status[static_cast<std::size_t>(line)] = text;
        log.push_back(Format("status %d ", static_cast<int>(line)) + text);
    }
    void DrawMeter(Meter meter, int percent) override {
        meters[static_cast<std::size_t>(meter)] = percent;
        log.push_back(Format("meter %d %d", static_cast<int>(meter), percent));
    }
    void DrawMetersShown(const std::array<bool, 3>& shown) override {
        metersShown = shown;
        log.push_back(Format("meters %d%d%d", shown[0], shown[1], shown[2]));
    }
    void PaintStatusNow(StatusLine line) override {
        log.push_back(Format("paint %d", static_cast<int>(line)));
    }
    void DrawHighlight(ListId list, int index) override {
        log.push_back(Format("highlight %d %d", static_cast<int>(list), index));
    }
    Answer ShowMessageBox(const std::string& text, const std::string&, Icon, Buttons,
                          DefaultButton) override {
        log.push_back("box " + text);
        return Answer::Ok;
    }
    void KeepFocus() override { ++focusKept; }
    void GiveFocusBack(std::string_view fallback) override { focusBack = fallback; }
    // A window or chooser logs "window N", "save file" or "directory"; the
    // Statistics window counts first, as both programs' does.
    void OpenWindow(Window window) override {
        if (window == Window::Statistics) {
            StatsView view;
            GetStats(view, [this] {
                log.push_back("window statistics");
                FlushDisplay();  // anything still waiting shows up before "shown"
                log.push_back("shown");
            });
            return;
        }
        log.push_back(Format("window %d", static_cast<int>(window)));
    }
    std::optional<SaveChoice> AskSaveFile(std::string_view, const std::string&) override {
        log.push_back("save file");
        return {};
    }
    std::optional<std::string> AskDirectory(const std::string&) override {
        log.push_back("directory");
        return {};
    }
    void ShowHelp(bool) override {}
    void CloseWindow() override {}
};

// A drive letter whose root does not exist.
char MissingDrive() {
    for (char letter = 'Z'; letter >= 'A'; --letter)
        if (!DriveReady(letter))
            return letter;
    return 0;
}

struct MainWindow : ::testing::Test {
    TempDir dir;
    std::string mail = dir / "Mail";
    MainWindow() {
        fs::create_directories(dir.Native("Mail/Sub"));
        const IniFile ini(dir / "Kestrove.INI");
        EXPECT_FALSE(ini.WriteString("Startup", "Path", mail));
    }
    std::string SavedPath() const {
        return IniFile(dir / "Kestrove.INI").ReadString("Startup", "Path", "");
    }
    bool HasBox(const std::vector<std::string>& log) const {
        for (const auto& line : log)
            if (line.rfind("box ", 0) == 0)
                return true;
        return false;
    }
};

// The change event takes the drive of the chosen entry of the drive list,
// or the current letter; the tree stays where it is on that drive, and the
// directory is saved and shown.
TEST_F(MainWindow, ChangingTheDriveOrDirectory) {
    RecordingWindow w(dir / "Kestrove.INI", 30);
    w.StartUp();
    ASSERT_EQ(w.tree, CanonicalDirectory(mail));
    EXPECT_EQ(w.status[0], "Path=" + w.tree);
    EXPECT_EQ(w.state().currentDrive, mail[0]);

    ASSERT_TRUE(w.UserEnters(mail + "\\Sub"));
    EXPECT_EQ(SavedPath(), w.tree);
    EXPECT_EQ(w.status[0], "Path=" + w.tree);
    EXPECT_EQ(w.state().currentDirectory, w.tree);

    // The entry of the drive the tree is on: the tree stays in Sub.
    w.drives = {std::string(1, mail[0]) + ":"};
    w.chosenDrive = 0;
    w.DriveComboBox1Change();
    EXPECT_EQ(w.tree, CanonicalDirectory(mail + "\\Sub"));
    EXPECT_FALSE(HasBox(w.Take()));
}

// Entering the directory the tree is in reads its files again.
TEST_F(MainWindow, EnteringTheSameDirectoryReadsItAgain) {
    RecordingWindow w(dir / "Kestrove.INI", 30);
    w.StartUp();
    EXPECT_EQ(w.state().FileListBox1.size(), 0u);
    testing::FolderBuilder b;
    b.Add(testing::Msg("a@b", "s", "d", 1, "t"));
    ASSERT_TRUE(b.Write(mail + "\\NEW.PMI"));
    ASSERT_TRUE(w.EnterTreeEntry(w.tree));
    EXPECT_EQ(w.state().FileListBox1.size(), 1u);
    EXPECT_FALSE(w.EnterTreeEntry(mail + "\\Gone"));
}

// However a command ends, Abort goes, and the focus is given back (to the
// mode's command when the control that had it is gone).
TEST_F(MainWindow, ACommandEndsWithAbortGoneAndTheFocusBack) {
    RecordingWindow w(dir / "Kestrove.INI", 30);
    w.StartUp();
    const std::pair<int, const char*> modes[] = {
        {kNormalMode, "RunButton"}, {kBackupMode, "RestoreButton"}, {kNetworkMode, "RunNetButton"}};
    for (const auto& [mode, button] : modes) {
        w.state().mode = mode;
        w.RunCommand([&w] { w.ShowAbort(true); });  // ends before it hides Abort
        EXPECT_FALSE(w.abortShown);
        EXPECT_EQ(w.focusBack, button);
    }
    EXPECT_EQ(w.focusKept, 3);
}

// A drive that cannot be entered is said in a box and the rest does not
// run; the chosen letter stays current, so the tree's next change tries it
// again until another drive is chosen.
TEST_F(MainWindow, ADriveThatCannotBeEntered) {
    const char missing = MissingDrive();
    ASSERT_NE(missing, 0);
    RecordingWindow w(dir / "Kestrove.INI", 30);
    w.StartUp();
    const std::string before = w.tree;
    w.Take();
    w.drives = {std::string(1, missing) + ":"};
    w.chosenDrive = 0;
    w.DriveComboBox1Change();
    EXPECT_EQ(w.Take(), std::vector<std::string>{"box " + DriveNotReadyText(missing)});
    EXPECT_EQ(w.state().currentDrive, missing);
    EXPECT_EQ(w.tree, before);
    EXPECT_EQ(SavedPath(), CanonicalDirectory(mail));  // as it was

    w.chosenDrive.reset();
    ASSERT_TRUE(w.UserEnters(mail + "\\Sub"));
    EXPECT_TRUE(HasBox(w.Take()));
    EXPECT_EQ(SavedPath(), CanonicalDirectory(mail));

    // The program entering a directory makes its drive current again.
    EXPECT_TRUE(w.SetDirectory(mail));
    EXPECT_EQ(w.state().currentDrive, mail[0]);
    EXPECT_FALSE(HasBox(w.Take()));
    // And a directory that is gone changes nothing.
    EXPECT_FALSE(w.SetDirectory(mail + "\\Gone"));
    EXPECT_FALSE(w.SetDrive(missing));
    EXPECT_EQ(w.state().currentDrive, mail[0]);
}

// The highlight of a selected list follows the user's selection and the
// commands' highlighting; the available lists keep none.
TEST_F(MainWindow, TheHighlightIsWrittenBack) {
    RecordingWindow w(dir / "Kestrove.INI", 30);
    w.state().ListBox1.Add("D:\\A.PMI");
    w.state().ListBox1.Add("D:\\B.PMI");
    w.selected[ListId::ListBox1] = {1};
    w.HighlightMoved(ListId::ListBox1);
    EXPECT_EQ(w.state().ListBox1.highlighted, 1);
    w.selected[ListId::ListBox1] = {};
    w.HighlightMoved(ListId::ListBox1);
    EXPECT_EQ(w.state().ListBox1.highlighted, -1);
    w.HighlightEntry(ListId::ListBox3, 2);
    EXPECT_EQ(w.state().ListBox3.highlighted, 2);
    EXPECT_EQ(w.Take().back(), "highlight 3 2");
    w.selected[ListId::FileListBox1] = {0};
    w.HighlightMoved(ListId::FileListBox1);
    EXPECT_EQ(HighlightOf(w.state(), ListId::FileListBox1), -1);
}

// Without a command every change is shown at once.
TEST_F(MainWindow, IdleEverythingShowsAtOnce) {
    RecordingWindow w(dir / "Kestrove.INI", 30);
    w.SetStatus(StatusLine::LabelInfoMsg2, "two");
    w.SetMeter(Meter::ProgressBarM, 7);
    w.ShowMeter(Meter::ProgressBarM, true);
    w.SetStatus(StatusLine::LabelInfoMsg2, "two");  // the same again: nothing
    EXPECT_EQ(w.Take(), (std::vector<std::string>{"status 1 two", "meter 1 7", "meters 010"}));
}

// While a command runs: texts wait for the pump that handles events or a
// redraw once the interval has passed; meters show or hide at the next
// pump, together; a box shows what stands; the end of the command shows
// the rest.
TEST_F(MainWindow, DuringACommandThroughTheThrottle) {
    RecordingWindow w(dir / "Kestrove.INI", 100);
    std::vector<std::string> atPump1, quiet, redraws, meters, box;
    w.RunCommand([&] {
        w.SetStatus(StatusLine::LabelInfoMsg1, "first");
        w.ShowMeter(Meter::ProgressBarF, true);
        w.ShowMeter(Meter::ProgressBarM, true);
        quiet = w.Take();
        w.ProcessEvents();  // the first pump: events at once
        atPump1 = w.Take();
        w.ShowMeter(Meter::ProgressBarM, false);
        w.ProcessEvents();  // too soon for events, but the meters change
        meters = w.Take();

        for (int i = 0; i < 10; ++i) {  // per record, 5 ms apart
            w.SetStatus(StatusLine::LabelInfoMsg2, Format("record %d", i), true);
            w.SetMeter(Meter::ProgressBar1, i);
            w.now += 5;
        }
        w.ProcessEvents();  // 50 ms on: nothing
        quiet.insert(quiet.end(), w.log.begin(), w.log.end());
        w.Take();
        w.now += 50;
        w.SetStatus(StatusLine::LabelInfoMsg2, "record 10", true);
        redraws = w.Take();

        w.SetStatus(StatusLine::LabelInfoMsg3, "asked");
        w.MessageDialog("Go on?", "Question", Icon::Exclamation, Buttons::OkCancel);
        box = w.Take();
        w.SetStatus(StatusLine::LabelInfoMsg1, "last");
    });
    EXPECT_TRUE(quiet.empty()) << quiet.front();
    EXPECT_EQ(atPump1, (std::vector<std::string>{"meters 110", "status 0 first", "events"}));
    EXPECT_EQ(redraws, (std::vector<std::string>{"status 1 record 10", "meter 2 9", "paint 1"}));
    EXPECT_EQ(meters, (std::vector<std::string>{"meters 100"}));
    EXPECT_EQ(box, (std::vector<std::string>{"status 2 asked", "box Go on?"}));
    EXPECT_EQ(w.Take(), (std::vector<std::string>{"status 0 last"}));
    EXPECT_FALSE(w.Busy());
}

// Events are handled once per interval by the clock, however often a
// command pumps and redraws its status lines.
TEST_F(MainWindow, EventsOncePerInterval) {
    for (std::int64_t interval : {30, 100}) {
        RecordingWindow w(dir / "Kestrove.INI", interval);
        int handled = 0;
        w.RunCommand([&] {
            for (int ms = 0; ms < 1000; ++ms) {
                w.ProcessEvents();
                w.SetStatus(StatusLine::LabelInfoMsg2, Format("%d", ms), true);
                for (const auto& line : w.Take())
                    handled += line == "events";
                ++w.now;
            }
        });
        EXPECT_EQ(handled, 1 + (1000 - 1) / interval) << interval;
    }
}

// A modal window or a chooser opens over a status panel that shows what
// the commands left in it: nothing waits in the throttle behind it. Get
// Stats counts inside a command, so its window opens at the end of that.
TEST_F(MainWindow, WindowsOpenOverACurrentStatusPanel) {
    RecordingWindow w(dir / "Kestrove.INI", 1000000);
    FolderBuilder folder;
    for (int i = 0; i < 3; ++i)
        folder.Add(Msg("a@example.org", Format("Subject %d", i), "01 Mar 2024 10:00", 1000 + i,
                       "Text\r\n"));
    folder.Write(mail + "\\A.PMI");
    w.state().ListBox1.Add(mail + "\\A.PMI");
    auto pendingAt = [](std::vector<std::string>& log, const std::string& window) {
        const auto at = std::find(log.begin(), log.end(), window);
        EXPECT_NE(at, log.end()) << window;
        return at;
    };

    w.Take();
    w.Perform(Action::BtnGetStatsClick);
    std::vector<std::string> log = w.Take();
    auto at = pendingAt(log, "window statistics");
    // The last status and meters reached the screen before the window.
    ASSERT_NE(at, log.begin());
    EXPECT_TRUE(std::any_of(log.begin(), at,
                            [](const std::string& l) { return l.rfind("status", 0) == 0; }));
    ASSERT_NE(at + 1, log.end());
    EXPECT_EQ(*(at + 1), "shown");

    std::vector<std::string> chooser;
    w.RunCommand([&] {
        w.SetStatus(StatusLine::LabelInfoMsg2, "moving");
        w.SetMeter(Meter::ProgressBarF, 50);
        w.ChooseDirectory(mail);
        w.SetStatus(StatusLine::LabelInfoMsg3, "saving");
        w.ChooseSaveFile("*.log", mail);
        chooser = w.Take();
    });
    EXPECT_EQ(chooser, (std::vector<std::string>{"meter 0 50", "status 1 moving", "directory",
                                                 "status 2 saving", "save file"}));
    w.Take();
    w.Perform(Action::SetOptionsExecute);
    EXPECT_EQ(w.Take(), (std::vector<std::string>{"window 3"}));
}

}  // namespace
}  // namespace kestrove
