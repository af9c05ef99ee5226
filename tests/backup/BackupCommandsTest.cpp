// Restore, Delete and Move of backup pairs, with their failures reached
// through real file-system failures.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "backup/Backup.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/Reasons.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

using testing::FixedTextThenReason;
using testing::Injected;
using testing::ScriptedPort;
using testing::TempDir;
namespace faults = platform::faults;

class BackupCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        state.mode = kBackupMode;
        state.fileListMask = "*.bki";
        state.fileListDirectory = dir.path();
        state.currentDirectory = dir.path();
    }
    void TearDown() override { faults::Reset(); }

    std::string P(std::string_view name) const { return dir / name; }
    void Put(std::string_view name, std::string_view contents) {
        ASSERT_TRUE(testing::WriteFileBytes(P(name), contents));
    }
    // The file's contents, or "-" when it is not there.
    std::string Get(std::string_view name) const {
        auto bytes = testing::ReadFileBytes(P(name));
        return bytes ? std::string(bytes->begin(), bytes->end()) : "-";
    }
    // A folder's current pair and its backup pair, each file holding its role.
    void Folder(const std::string& base, bool current = true) {
        if (current) {
            Put(base + ".PMI", base + " index");
            Put(base + ".PMM", base + " text");
        }
        Put(base + ".BKI", base + " backup index");
        Put(base + ".BKM", base + " backup text");
    }
    void Select(std::string_view name) { state.ListBox1.Add(P(name)); }
    void OpenLog() { ASSERT_TRUE(state.runLog.Open(P("run.log"))); }
    std::string Log() {
        state.runLog.Close();
        std::string text = Get("run.log");
        std::erase(text, '\r');
        return text;
    }
    std::string Summary() { return port.Status(StatusLine::LabelInfoMsg1); }
    void ExpectOneBox(const std::string& text, const std::string& title,
                      Buttons buttons = Buttons::Ok) {
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].text, text);
        EXPECT_EQ(port.boxes[0].title, title);
        EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
        EXPECT_EQ(port.boxes[0].buttons, buttons);
    }
    // One box about a failed system call: its fixed text, then the reason.
    void ExpectOneFailureBox(const std::string& fixed, const std::string& title) {
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_TRUE(FixedTextThenReason(port.boxes[0].text, fixed));
        EXPECT_EQ(port.boxes[0].title, title);
        EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    }
    void ExpectListsReset() {
        EXPECT_TRUE(state.ListBox1.Empty());
        EXPECT_FALSE(port.abortVisible);
        EXPECT_EQ(port.countLabels[CountLabel::LblNumSelFiles], "No Files Selected");
    }

    TempDir dir{'D'};
    AppState state;
    ScriptedPort port;
};

TEST_F(BackupCommands, EveryCommandRefusesAnEmptyList) {
    for (auto command : {RestoreButtonClick, DeleteButtonClick, MoveButtonClick}) {
        ScriptedPort p;
        p.Reply(Answer::Ok, "No Data");
        command(state, p);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].text, "No files selected.");
        EXPECT_EQ(p.boxes[0].icon, Icon::Information);
        EXPECT_EQ(p.pumps, 0);
        EXPECT_TRUE(p.chooserStarts.empty());
    }
}

TEST_F(BackupCommands, RestorePutsTheBackupPairInPlaceAndLogsEachStep) {
    Folder("INBOX");
    Folder("OLD", false);
    Select("INBOX.BKI");
    Select("OLD.BKI");
    OpenLog();
    RestoreButtonClick(state, port);

    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(Get("INBOX.PMI"), "INBOX backup index");
    EXPECT_EQ(Get("INBOX.PMM"), "INBOX backup text");
    EXPECT_EQ(Get("OLD.PMI"), "OLD backup index");
    EXPECT_EQ(Get("INBOX.BKI") + Get("INBOX.BKM") + Get("OLD.BKI") + Get("OLD.BKM"), "----");
    // Current files missing: no "exists" lines, but the "deleted" lines all the same.
    EXPECT_EQ(Log(), "Restore File " + P("INBOX.PMI") + " exists.\n" + "File " + P("INBOX.PMI") +
                         " as been deleted.\n" + "Restore File " + P("INBOX.PMM") + " exists.\n" +
                         "File " + P("INBOX.PMM") + " as been deleted.\n" + "File " +
                         P("INBOX.BKI") + " as been renamed to " + P("INBOX.PMI") + ".\n" +
                         "File " + P("INBOX.BKM") + " as been renamed to " + P("INBOX.PMM") +
                         ".\n" + "File " + P("OLD.PMI") + " as been deleted.\n" + "File " +
                         P("OLD.PMM") + " as been deleted.\n" + "File " + P("OLD.BKI") +
                         " as been renamed to " + P("OLD.PMI") + ".\n" + "File " + P("OLD.BKM") +
                         " as been renamed to " + P("OLD.PMM") + ".\n");
    EXPECT_EQ(Summary(), "2 of 2 files processed.");
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg2), "");
    ExpectListsReset();
    EXPECT_TRUE(state.FileListBox1.empty());  // re-read: the .BKI files are gone
    EXPECT_EQ(port.countLabels[CountLabel::LblNumFiles], "0 Files");
}

// A pair with a missing half is skipped before the folder's own files are
// touched: they stay as they are.
TEST_F(BackupCommands, RestoreSkipsAPairWithAMissingHalfAndDeletesNothing) {
    Folder("A");
    ASSERT_TRUE(platform::RemoveFile(P("A.BKM")));
    Folder("B");
    ASSERT_TRUE(platform::RemoveFile(P("B.BKI")));
    Select("A.BKI");
    Select("B.BKI");
    OpenLog();
    port.Reply(Answer::Ok, "Backup File Error");
    port.Reply(Answer::Ok, "Backup File Error");
    RestoreButtonClick(state, port);

    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].text, "Can't find backup file " + P("A.BKM") + " - skipping file.");
    EXPECT_EQ(port.boxes[1].text, "Can't find backup file " + P("B.BKI") + " - skipping file.");
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    EXPECT_EQ(Get("A.PMI") + "|" + Get("A.PMM") + "|" + Get("A.BKI"),
              "A index|A text|A backup index");
    EXPECT_EQ(Get("B.PMI") + "|" + Get("B.PMM") + "|" + Get("B.BKM"),
              "B index|B text|B backup text");
    EXPECT_EQ(Log(), port.boxes[0].text + "\n" + port.boxes[1].text + "\n");
    EXPECT_EQ(Summary(), "0 of 2 files processed.");
}

TEST_F(BackupCommands, RestoreFailureTableLeavesEachFolderAsDescribed) {
    for (const char* base : {"A", "B", "C", "D"})
        Folder(base);
    for (const char* name : {"A.BKI", "B.BKI", "C.BKI", "D.BKI"})
        Select(name);
    faults::FailAlways(faults::Op::Delete, "A.PMI");  // index file kept
    faults::FailAlways(faults::Op::Delete, "B.PMM");  // message file kept
    faults::FailAlways(faults::Op::Rename, "C.BKI");  // backup index not renamed
    faults::FailAlways(faults::Op::Rename, "D.BKM");  // backup message not renamed
    OpenLog();
    for (int i = 0; i < 4; ++i)
        port.Reply(Answer::Ok, "Backup File Error");
    RestoreButtonClick(state, port);
    faults::Reset();

    ASSERT_EQ(port.boxes.size(), 4u);
    EXPECT_EQ(port.boxes[0].text,
              Injected("Can't delete file " + P("A.PMI") + " - skipping file."));
    EXPECT_EQ(port.boxes[1].text,
              Injected("Can't delete file " + P("B.PMM") + " - skipping file."));
    EXPECT_EQ(port.boxes[2].text, Injected("Can't rename file " + P("C.BKI") + "  to " +
                                           P("C.PMI") + "- skipping file."));
    EXPECT_EQ(port.boxes[3].text, Injected("Can't rename file " + P("D.BKM") + "  to " +
                                           P("D.PMM") + "- skipping file."));
    auto files = [&](const std::string& b) {
        return Get(b + ".PMI") + "|" + Get(b + ".PMM") + "|" + Get(b + ".BKI") + "|" +
               Get(b + ".BKM");
    };
    EXPECT_EQ(files("A"), "A index|A text|A backup index|A backup text");
    EXPECT_EQ(files("B"), "-|B text|B backup index|B backup text");
    EXPECT_EQ(files("C"), "-|-|C backup index|C backup text");
    EXPECT_EQ(files("D"), "D backup index|-|-|D backup text");

    std::string log = Log();
    EXPECT_NE(log.find(Injected("Restore File " + P("A.PMI") + " can't be deleted.") + "\n"),
              std::string::npos);
    for (int i = 1; i < 4; ++i)
        EXPECT_NE(log.find(port.boxes[i].text + "\n"), std::string::npos) << i;
    EXPECT_EQ(Summary(), "0 of 4 files processed.");
    ExpectListsReset();
}

TEST_F(BackupCommands, RestoreStopsAtAbortBeforeTheNextEntry) {
    Folder("A");
    Folder("B");
    Select("A.BKI");
    Select("B.BKI");
    bool busyDuringPump = false;
    port.AtPump(1, [&] { busyDuringPump = state.busy; });
    port.AbortAtPump(state, 2);
    RestoreButtonClick(state, port);
    EXPECT_TRUE(busyDuringPump);  // the window keeps other commands off meanwhile
    EXPECT_FALSE(state.busy);

    EXPECT_EQ(Get("A.PMI"), "A backup index");
    EXPECT_EQ(Get("B.PMI"), "B index");
    EXPECT_EQ(Get("B.BKI"), "B backup index");
    EXPECT_EQ(state.ListBox1.Count(), 2);  // no end steps after an abort
    EXPECT_EQ(Summary(), "");
}

TEST_F(BackupCommands, DeleteCountsFoldersAndFiles) {
    Folder("A", false);
    Folder("B", false);
    Folder("C", false);
    ASSERT_TRUE(platform::RemoveFile(P("C.BKM")));
    Select("A.BKI");
    Select("B.BKI");
    Select("C.BKI");
    OpenLog();
    port.Reply(Answer::Ok, "Backup File Error");
    DeleteButtonClick(state, port);

    ExpectOneFailureBox("Can't delete file " + P("C.BKM") + " - skipping file.",
                        "Backup File Error");
    EXPECT_EQ(Get("A.BKI") + Get("A.BKM") + Get("B.BKI") + Get("B.BKM") + Get("C.BKI"), "-----");
    EXPECT_EQ(Log(), "File " + P("A.BKI") + " as been deleted.\nFile " + P("A.BKM") +
                         " as been deleted.\nFile " + P("B.BKI") + " as been deleted.\nFile " +
                         P("B.BKM") + " as been deleted.\nFile " + P("C.BKI") +
                         " as been deleted.\n" + port.boxes[0].text + "\n");
    EXPECT_EQ(Summary(), "2 of 3 files processed (5 deleted).");
    ExpectListsReset();
}

TEST_F(BackupCommands, DeleteOfABackupIndexThatCannotBeDeletedKeepsThePair) {
    Folder("A", false);
    Select("A.BKI");
    faults::FailAlways(faults::Op::Delete, "A.BKI");
    OpenLog();
    port.Reply(Answer::Ok, "Backup File Error");
    DeleteButtonClick(state, port);
    faults::Reset();

    ExpectOneBox(Injected("Can't delete file " + P("A.BKI") + " - skipping file."),
                 "Backup File Error");
    EXPECT_EQ(Get("A.BKI") + "|" + Get("A.BKM"), "A backup index|A backup text");
    EXPECT_EQ(Log(), Injected("Backup File " + P("A.BKI") + " can't be deleted.") + "\n");
    EXPECT_EQ(Summary(), "0 of 1 files processed (0 deleted).");
}

// The lock-file question comes once, before anything is touched, and only
// with RunCheck 0; it looks at the current directory.
TEST_F(BackupCommands, DeleteAndMoveAskWhenTheMailboxIsLocked) {
    Put("WINPMAIL.LCK", "");
    Folder("A", false);
    Folder("B", false);
    auto select = [&] {
        state.ListBox1.Clear();
        Select("A.BKI");
        Select("B.BKI");
    };
    const std::string question =
        "Pegasus Mail is active for this mailbox.\nOK to continue\nCancel to abort run.";

    for (auto command : {DeleteButtonClick, MoveButtonClick}) {
        select();
        ScriptedPort p;
        p.Reply(Answer::Cancel, "Mailbox Active");
        command(state, p);
        ASSERT_EQ(p.boxes.size(), 1u);
        EXPECT_EQ(p.boxes[0].text, question);
        EXPECT_EQ(p.boxes[0].icon, Icon::Exclamation);
        EXPECT_EQ(p.boxes[0].buttons, Buttons::OkCancel);
        EXPECT_EQ(p.pumps, 0);
        EXPECT_TRUE(p.chooserStarts.empty());
        EXPECT_EQ(state.ListBox1.Count(), 2);
        EXPECT_EQ(Get("A.BKI"), "A backup index");
    }

    ScriptedPort ok;
    ok.Reply(Answer::Ok, "Mailbox Active");
    DeleteButtonClick(state, ok);
    EXPECT_EQ(ok.boxes.size(), 1u);
    EXPECT_EQ(ok.Status(StatusLine::LabelInfoMsg1), "2 of 2 files processed (4 deleted).");

    state.settings.RunCheck = LockCheck::Never;
    Folder("A", false);
    Select("A.BKI");
    ScriptedPort unchecked;
    DeleteButtonClick(state, unchecked);
    EXPECT_TRUE(unchecked.boxes.empty());
    EXPECT_EQ(Get("A.BKI"), "-");
}

// Texts are built to any length: a path far longer than any fixed buffer
// reaches the box and the log whole.
// Only a backup index file names a backup pair: any other entry is skipped
// with a box and a log line, its files and its partners untouched, and the
// entries after it are still done.
TEST_F(BackupCommands, EveryCommandSkipsWhatIsNotABackupIndexFile) {
    std::filesystem::create_directory(dir.Native("DIR.BKI"));
    std::filesystem::create_directory(dir.Native("keep"));
    for (auto command : {RestoreButtonClick, DeleteButtonClick, MoveButtonClick}) {
        Folder("A");
        Folder("Z");
        Put("B.BKM", "B orphaned backup text");
        Put("notes.txt", "notes");
        const std::vector<std::string> wrong{"A.PMI", "A.PMM", "B.BKM", "DIR.BKI", "notes.txt"};
        for (const std::string& name : wrong)
            Select(name);
        Select("z.bki");  // any letter case
        ScriptedPort p;
        p.directoryAnswer = P("keep");
        for (std::size_t i = 0; i < wrong.size(); ++i)
            p.Reply(Answer::Ok, "Backup File Error");
        OpenLog();
        const CommandResult result = command(state, p);

        ASSERT_EQ(p.boxes.size(), wrong.size());
        std::string log;
        for (std::size_t i = 0; i < wrong.size(); ++i) {
            const std::string text =
                P(wrong[i]) + " is not a backup index file (.BKI) - skipping file.";
            EXPECT_EQ(p.boxes[i].text, text);
            EXPECT_EQ(p.boxes[i].icon, Icon::Stop);
            log += text + "\n";
        }
        EXPECT_EQ(Log().substr(0, log.size()), log);
        EXPECT_EQ(Get("A.PMI") + "|" + Get("A.PMM") + "|" + Get("A.BKI") + "|" + Get("A.BKM"),
                  "A index|A text|A backup index|A backup text");
        EXPECT_EQ(Get("B.BKM") + "|" + Get("B.PMI") + "|" + Get("notes.txt"),
                  "B orphaned backup text|-|notes");
        EXPECT_TRUE(std::filesystem::is_directory(dir.Native("DIR.BKI")));
        EXPECT_EQ(Get("Z.BKI"), "-");  // the one backup index was done
        EXPECT_EQ(result.done, 1);
        EXPECT_EQ(result.entries, 6);
        std::filesystem::remove_all(dir.Native("keep"));
        std::filesystem::create_directory(dir.Native("keep"));
    }
}

TEST_F(BackupCommands, LongPathsAreReportedWhole) {
    const std::string name = std::string(4000, 'L') + ".BKI";
    Select(name);
    OpenLog();
    port.Reply(Answer::Ok, "Backup File Error");
    DeleteButtonClick(state, port);
    ExpectOneFailureBox("Can't delete file " + P(name) + " - skipping file.", "Backup File Error");
    const std::string log = Log();
    ASSERT_TRUE(log.ends_with(")\n"));
    EXPECT_TRUE(FixedTextThenReason(log.substr(0, log.size() - 1),
                                    "Backup File " + P(name) + " can't be deleted."));
}

class MoveCommand : public BackupCommands {
  protected:
    void SetUp() override {
        BackupCommands::SetUp();
        std::filesystem::create_directory(dir.Native("DEST"));
        port.directoryAnswer = P("DEST");
    }
};

TEST_F(MoveCommand, MovesPairsIntoTheChosenDirectory) {
    Folder("A", false);
    Folder("B", false);
    Select("A.BKI");
    Select("B.BKI");
    OpenLog();
    MoveButtonClick(state, port);

    EXPECT_TRUE(port.boxes.empty());
    ASSERT_EQ(port.chooserStarts.size(), 1u);
    EXPECT_EQ(port.chooserStarts[0], dir.path());
    EXPECT_EQ(port.statusHistory.front().second,
              "Move files from " + dir.path() + " to " + P("DEST") + ".");
    EXPECT_EQ(Get("DEST\\A.BKI") + "|" + Get("DEST\\B.BKM"), "A backup index|B backup text");
    EXPECT_EQ(Get("A.BKI") + Get("B.BKM"), "--");
    const std::string log = Log();
    EXPECT_EQ(log.substr(0, log.find("Try", 1)),
              "Try to copy File " + P("A.BKI") + " to " + P("DEST\\A.BKI") + "\nFile " +
                  P("A.BKI") + " as been renamed to " + P("DEST\\A.BKI") + ".\nFile " + P("A.BKM") +
                  " has been renamed to " + P("DEST\\A.BKM") + ".\n");
    EXPECT_EQ(Summary(), "2 of 2 folders moved (4 files moved).");
    ExpectListsReset();
}

// A rename never replaces what the destination already holds.
TEST_F(MoveCommand, ExistingTargetsAreNotReplaced) {
    Folder("A", false);
    Folder("B", false);
    Put("DEST\\A.BKI", "someone else's index");
    Put("DEST\\B.BKM", "someone else's text");
    Select("A.BKI");
    Select("B.BKI");
    OpenLog();
    port.Reply(Answer::Ok, "Rename File Error");
    port.Reply(Answer::Ok, "Rename File Error");
    MoveButtonClick(state, port);

    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_TRUE(FixedTextThenReason(
        port.boxes[0].text,
        "Cant rename file " + P("A.BKI") + " to " + P("DEST\\A.BKI") + " - skipping file."));
    EXPECT_TRUE(FixedTextThenReason(
        port.boxes[1].text,
        "Can't rename file " + P("B.BKM") + " to " + P("DEST\\B.BKM") + " - skipping file."));
    EXPECT_EQ(Get("DEST\\A.BKI") + "|" + Get("A.BKI"), "someone else's index|A backup index");
    EXPECT_EQ(Get("DEST\\B.BKI") + "|" + Get("B.BKM") + "|" + Get("DEST\\B.BKM"),
              "B backup index|B backup text|someone else's text");
    const std::string log = Log();
    EXPECT_NE(log.find(port.boxes[0].text + "\n"), std::string::npos);
    EXPECT_NE(log.find(port.boxes[1].text + "\n"), std::string::npos);
    EXPECT_EQ(Summary(), "0 of 2 folders moved (1 files moved).");
}

TEST_F(MoveCommand, ADestinationOnAnotherDriveIsAskedAboutPerEntry) {
    TempDir other{'E'};
    std::string elsewhere = other.path();
    // Where temporary directories share a drive (Windows), another letter
    // as written is enough: the drives are compared before any file is.
    if (elsewhere[0] == dir.path()[0])
        elsewhere = dir.path()[0] == 'Q' ? "R:\\MAIL" : "Q:\\MAIL";
    for (const char* base : {"A", "B", "C"}) {
        Folder(base, false);
        Select(std::string(base) + ".BKI");
    }
    port.directoryAnswer = elsewhere;
    for (int i = 0; i < 3; ++i)
        port.Reply(Answer::Ok, "Error: cant move folders between drives.");
    MoveButtonClick(state, port);
    ASSERT_EQ(port.boxes.size(), 3u);
    EXPECT_EQ(port.boxes[1].text, "Can not move files from " + P("B.BKI") + " to " + elsewhere +
                                      "\nOK to skip\nCancel to abort");
    EXPECT_EQ(port.boxes[1].buttons, Buttons::OkCancel);
    EXPECT_EQ(Summary(), "0 of 3 folders moved (0 files moved).");
    EXPECT_EQ(Get("B.BKI"), "B backup index");

    // Cancel ends the command at once: no summary, Abort still shown.
    for (const char* name : {"A.BKI", "B.BKI", "C.BKI"})
        Select(name);
    ScriptedPort cancel;
    cancel.directoryAnswer = elsewhere;
    cancel.Reply(Answer::Cancel, "Error: cant move folders between drives.");
    MoveButtonClick(state, cancel);
    EXPECT_EQ(cancel.boxes.size(), 1u);
    EXPECT_EQ(cancel.Status(StatusLine::LabelInfoMsg1),
              "Move files from " + dir.path() + " to " + elsewhere + ".");
    EXPECT_TRUE(cancel.abortVisible);
    EXPECT_EQ(state.ListBox1.Count(), 3);
}

TEST_F(MoveCommand, SamePathOrCancelledChooserMovesNothing) {
    Folder("A", false);
    Select("A.BKI");

    port.directoryAnswer = dir.path();
    port.Reply(Answer::Ok, "Drive Error");
    MoveButtonClick(state, port);
    ExpectOneBox("Cannot move files to same path: " + dir.path(), "Drive Error");
    EXPECT_EQ(port.pumps, 0);

    // A cancelled chooser ends the command: no question, nothing moved.
    ScriptedPort cancelled;
    cancelled.directoryAnswer.reset();
    MoveButtonClick(state, cancelled);
    EXPECT_TRUE(cancelled.boxes.empty());
    EXPECT_EQ(cancelled.chooserStarts.size(), 1u);
    EXPECT_EQ(cancelled.pumps, 0);
    EXPECT_FALSE(cancelled.abortVisible);
    EXPECT_EQ(Get("A.BKI"), "A backup index");
    EXPECT_EQ(state.ListBox1.Count(), 1);
}

}  // namespace
}  // namespace kestrove
