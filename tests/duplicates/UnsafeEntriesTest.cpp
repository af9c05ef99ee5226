// Mail directories as real servers accumulate them: names that differ only
// in letter case, names holding separators, pipes, devices and other entries
// that look like folders. Nothing may be lost, nothing outside the folder in
// hand reached, and nothing may hang.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/Selection.h"
#include "backup/Backup.h"
#include "core/MessageFile.h"
#include "duplicates/Duplicates.h"
#include "platform/Faults.h"
#include "reports/Export.h"
#include "reports/IndexViewer.h"
#include "reports/Stats.h"
#include "tests/support/CliRunner.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/Snapshot.h"

namespace kestrove::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Runs `action`; a command that has not returned after 10 s has hung, and
// nothing can get it back: the test binary ends there, failing.
template <class Action>
void WithinTenSeconds(Action action) {
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread worker([&] {
        action();
        done.set_value();
    });
    if (finished.wait_for(10s) != std::future_status::ready) {
        std::fprintf(stderr, "FAILED: the command did not return within 10 s (hung)\n");
        std::fflush(stderr);
        std::_Exit(1);
    }
    worker.join();
}

class UnsafeEntries : public EngineTest {
  protected:
    std::string P(std::string_view name) const { return dir / name; }
    fs::path N(std::string_view name) const { return dir.Native(name); }
    void Select(std::initializer_list<std::string> paths) {
        state.ListBox1.Clear();
        for (const std::string& p : paths)
            state.ListBox1.Add(p);
    }
    // Copies a file behind the platform layer's back, under any name.
    void CopyAs(std::string_view from, const fs::path& to) {
        fs::copy_file(N(from), to, fs::copy_options::overwrite_existing);
    }
};

// kestrove-cli over the test directory, with its own home (C: = home, Z: = /).
class UnsafeEntriesCli : public UnsafeEntries {
  protected:
    void SetUp() override {
        UnsafeEntries::SetUp();
        if (CliPath().empty())
            GTEST_SKIP() << "this build has no kestrove-cli";
    }
    CliResult Cli(const std::vector<std::string>& args) {
        CliResult result = cli.Run(args, 10s);
        EXPECT_FALSE(result.timedOut) << "kestrove-cli did not end within 10 s";
        return result;
    }
    std::string Arg(std::string_view name) const { return N(name).string(); }

    CliWithOwnHome cli;
};

// Names that differ only in letter case ---------------------------------

#ifndef _WIN32

TEST_F(UnsafeEntries, LetterCaseClashSkipsTheFolderAndTouchesNothing) {
    // A stray message file beside the folder's own: the rewrite would find
    // its own name taken when it puts the new file (or the old one) back.
    ASSERT_TRUE(Repeated().Write(P("INBOX.PMI")));
    CopyAs("INBOX.PMM", N("inbox.pmm"));
    // An old backup in two spellings: which one is "the" backup?
    ASSERT_TRUE(Repeated("Two").Write(P("TWO.PMI")));
    CopyAs("TWO.PMI", N("TWO.BKI"));
    CopyAs("TWO.PMI", N("two.bki"));
    // A folder with lower-case extensions is no clash: it is rewritten.
    ASSERT_TRUE(Repeated("Main").Write(P("main.pmi")));
    fs::rename(N("main.PMM"), N("main.pmm"));
    const FolderBytes main = Repeated("Main").Build();
    auto before = Snapshot(dir.Native());

    const std::string log = OpenLog();
    before.erase("run.log");
    port.Reply(Answer::Ok, "File Name Error");
    port.Reply(Answer::Ok, "File Name Error");
    Select({P("INBOX.PMI"), P("TWO.PMI"), P("main.pmi")});
    CommandResult result = RunDeleteDupes1Click(state, port);

    EXPECT_EQ(port.boxes.at(0).text, "Name clash: " + P("INBOX.PMM") + " and " + P("inbox.pmm") +
                                         " differ only in letter case - skipping file.");
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Stop);
    EXPECT_EQ(port.boxes.at(1).text, "Name clash: " + P("TWO.BKI") + " and " + P("two.bki") +
                                         " differ only in letter case - skipping file.");
    EXPECT_EQ(port.status[StatusLine::LabelInfoMsg1], "1 of 3 files processed.");
    EXPECT_FALSE(result.AllDone());
    EXPECT_NE(Text(log).find(port.boxes.at(0).text + "\n"), std::string::npos);

    auto after = Snapshot(dir.Native());
    after.erase("run.log");
    // The lower-case folder now has its new pair and its backup pair.
    EXPECT_EQ(after.at("main.BKI"), std::string(main.pmi.begin(), main.pmi.end()));
    EXPECT_EQ(after.at("main.BKM"), std::string(main.pmm.begin(), main.pmm.end()));
    const FolderBytes rewritten = Repeated("Main").Rewritten({0, 2});
    EXPECT_EQ(after.at("main.pmi"), std::string(rewritten.pmi.begin(), rewritten.pmi.end()));
    // The new message file takes the old one's name, letter case and all.
    EXPECT_EQ(after.at("main.pmm"), std::string(rewritten.pmm.begin(), rewritten.pmm.end()));
    EXPECT_EQ(after.count("main.PMM"), 0u);
    for (const char* name : {"main.pmi", "main.pmm", "main.PMM", "main.BKI", "main.BKM"}) {
        before.erase(name);
        after.erase(name);
    }
    EXPECT_EQ(after, before);  // the clashing folders are byte for byte as they were
}

TEST_F(UnsafeEntries, LetterCaseClashStopsBackupCommandsBeforeTheyDeleteAnything) {
    // INBOX's backup pair beside another folder, inbox: restoring must not
    // delete it in place of INBOX's files.
    ASSERT_TRUE(Repeated("Other").Write(P("inbox.pmi")));
    ASSERT_TRUE(Repeated("Mine").Write(P("MINE.PMI")));
    fs::rename(N("MINE.PMI"), N("INBOX.BKI"));
    fs::rename(N("MINE.PMM"), N("INBOX.BKM"));
    // A pair whose backup message file has a twin in another case.
    ASSERT_TRUE(Repeated().Write(P("OLD.PMI")));
    fs::rename(N("OLD.PMI"), N("OLD.BKI"));
    CopyAs("OLD.PMM", N("OLD.BKM"));
    fs::rename(N("OLD.PMM"), N("old.bkm"));
    const auto before = Snapshot(dir.Native());

    state.mode = kBackupMode;
    port.Reply(Answer::Ok, "File Name Error");
    port.Reply(Answer::Ok, "File Name Error");
    Select({P("INBOX.BKI"), P("OLD.BKI")});
    EXPECT_EQ(RestoreButtonClick(state, port).done, 0);
    EXPECT_EQ(port.boxes.at(0).text, "Name clash: " + P("INBOX.PMI") + " and " + P("inbox.pmi") +
                                         " differ only in letter case - skipping file.");
    EXPECT_EQ(port.boxes.at(1).text, "Name clash: " + P("OLD.BKM") + " and " + P("old.bkm") +
                                         " differ only in letter case - skipping file.");
    EXPECT_EQ(Snapshot(dir.Native()), before);

    port.Reply(Answer::Ok, "File Name Error");
    Select({P("OLD.BKI")});
    EXPECT_EQ(DeleteButtonClick(state, port).done, 0);
    EXPECT_EQ(port.boxes.at(2).title, "File Name Error");
    EXPECT_EQ(Snapshot(dir.Native()), before);

    fs::create_directory(N("DEST"));
    fs::copy_file(N("OLD.BKI"), N("DEST/old.bki"));
    const auto withDestination = Snapshot(dir.Native());
    port.directoryAnswer = P("DEST");
    port.Reply(Answer::Ok, "File Name Error");
    Select({P("OLD.BKI")});
    EXPECT_EQ(MoveButtonClick(state, port).done, 0);
    EXPECT_EQ(port.boxes.size(), 4u);
    EXPECT_EQ(Snapshot(dir.Native()), withDestination);
}

TEST_F(UnsafeEntriesCli, LetterCaseClashIsSkippedByTheCommandLineToo) {
    ASSERT_TRUE(Repeated().Write(P("INBOX.PMI")));
    CopyAs("INBOX.PMM", N("inbox.pmm"));
    const auto before = Snapshot(dir.Native());
    // Twice: the first run must leave nothing that a second one would
    // clear as an old backup.
    for (int i = 0; i < 2; ++i) {
        CliResult r = Cli({"run", "--yes", Arg("INBOX.PMI")});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("File Name Error: Name clash:"), std::string::npos) << r.err;
        EXPECT_NE(r.out.find("0 of 1 files processed."), std::string::npos) << r.out;
        EXPECT_EQ(Snapshot(dir.Native()), before);
    }
}

// Separators inside names: two users' directories side by side --------

// users\alice and users\bob, each with a folder to rewrite and a backup
// pair; alice also holds files whose names lead into bob's directory.
// A name in alice's directory that, taken for a path, is bob's backup.
constexpr const char* kEscape = "x\\..\\..\\bob\\INBOX.BKI";

class TwoUsers : public UnsafeEntriesCli {
  protected:
    void SetUp() override {
        UnsafeEntriesCli::SetUp();
        if (IsSkipped())
            return;
        for (const char* user : {"alice", "bob"}) {
            fs::create_directories(N(std::string("users/") + user));
            const std::string folder = P(std::string("users\\") + user + "\\INBOX.PMI");
            ASSERT_TRUE(Repeated(user).Write(folder));
            CopyAs(std::string("users/") + user + "/INBOX.PMI",
                   N(std::string("users/") + user + "/INBOX.BKI"));
            CopyAs(std::string("users/") + user + "/INBOX.PMM",
                   N(std::string("users/") + user + "/INBOX.BKM"));
        }
        // Wholly ordinary files as far as the file system is concerned.
        CopyAs("users/alice/INBOX.PMI", N("users/alice") / kEscape);
        CopyAs("users/alice/INBOX.PMI", N("users/alice") / "x\\..\\..\\bob\\INBOX.pmi");
        fs::create_directory(N("users") / "y\\..\\bob");
        bob = Snapshot(N("users/bob"));
    }
    void ExpectBobUntouched() { EXPECT_EQ(Snapshot(N("users/bob")), bob); }

    std::map<std::string, std::string> bob;
};

TEST_F(TwoUsers, NamesFoundBySearchNeverLeaveTheirDirectory) {
    // The lists offer no such name.
    state.mode = kBackupMode;
    state.fileListDirectory = P("users\\alice");
    state.fileListMask = "*.bki";
    state.RereadFileList();
    EXPECT_EQ(state.FileListBox1, std::vector<std::string>{"INBOX.BKI"});
    state.currentDirectory = P("users");
    state.ListBox2.clear();
    ListUserDirectories(state);
    EXPECT_EQ(state.ListBox2, (std::vector<std::string>{"alice", "bob"}));

    // Delete Backups over alice's list.
    BtnMoveAllFilesClick(state, port);
    ASSERT_EQ(state.ListBox1.entries(), std::vector<std::string>{P("users\\alice\\INBOX.BKI")});
    EXPECT_EQ(DeleteButtonClick(state, port).done, 1);
    EXPECT_FALSE(Exists(P("users\\alice\\INBOX.BKI")));
    ExpectBobUntouched();

    // The network run over alice alone.
    state.mode = kNetworkMode;
    state.ListBox3.Clear();
    state.ListBox3.Add(P("users\\alice"));
    port.Reply(Answer::Ok, "Network Mode");
    NetworkRunResult result = RunNetButtonClick(state, port);
    EXPECT_EQ(port.boxes.at(0).text, "The name x\\..\\..\\bob\\INBOX.pmi in " + P("users\\alice") +
                                         " holds a path separator - skipping file.");
    EXPECT_EQ(result.entriesSkipped, 1);
    ASSERT_EQ(result.directories.size(), 1u);
    EXPECT_EQ(result.directories[0].second.done, 1);
    ExpectRewritten(P("users\\alice\\INBOX.PMI"), Repeated("alice").Rewritten({0, 2}),
                    Repeated("alice").Build());
    ExpectBobUntouched();
}

TEST_F(TwoUsers, NativeNamesOnTheCommandLineNeverLeaveTheirDirectory) {
    // As the shell expands users/alice/*.BKI.
    CliResult deleted = Cli({"delete-backups", "--yes", Arg("users/alice/INBOX.BKI"),
                             (N("users/alice") / kEscape).string()});
    EXPECT_EQ(deleted.status, 1) << deleted.err;
    EXPECT_NE(deleted.err.find("bob\\INBOX.BKI: a name holding a backslash - skipping file."),
              std::string::npos)
        << deleted.err;
    EXPECT_NE(deleted.out.find("1 of 1 files processed (2 deleted)."), std::string::npos)
        << deleted.out;
    EXPECT_FALSE(fs::exists(N("users/alice/INBOX.BKI")));
    ExpectBobUntouched();

    // Only such names: nothing to do, and not a success.
    CliResult none = Cli({"restore", (N("users/alice") / kEscape).string()});
    EXPECT_EQ(none.status, 1) << none.err;
    ExpectBobUntouched();

    CliResult network = Cli({"network-run", "--yes", Arg("users/alice")});
    EXPECT_EQ(network.status, 1) << network.err;
    EXPECT_NE(network.err.find("holds a path separator - skipping file."), std::string::npos)
        << network.err;
    ExpectRewritten(P("users\\alice\\INBOX.PMI"), Repeated("alice").Rewritten({0, 2}),
                    Repeated("alice").Build());
    ExpectBobUntouched();
}

// Pipes and devices: refused at once, never read -------------------------

TEST_F(UnsafeEntries, PipesAndDevicesGetCannotOpenFileAndNeverHang) {
    ASSERT_EQ(mkfifo(N("PIPE.PMI").c_str(), 0600), 0);
    ASSERT_TRUE(Repeated().Write(P("TEXT.PMI")));
    fs::remove(N("TEXT.PMM"));
    ASSERT_EQ(mkfifo(N("TEXT.PMM").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", N("ZERO.PMI"));
    const auto before = Snapshot(dir.Native());

    // The run: a pipe is a file it cannot open, which ends the run; a link
    // (to a device or anywhere) is no folder file and is skipped.
    port.Reply(Answer::Ok, "File Error 1");
    port.Reply(Answer::Ok, "File Error 2");
    port.Reply(Answer::Ok, "File Link Error");
    WithinTenSeconds([&] {
        Select({P("PIPE.PMI")});
        RunDeleteDupes1Click(state, port);
        Select({P("TEXT.PMI")});
        RunDeleteDupes1Click(state, port);
        Select({P("ZERO.PMI")});
        RunDeleteDupes1Click(state, port);
    });
    EXPECT_EQ(port.boxes.at(0).text,
              "Cannot Open File: " + P("PIPE.PMI") + " (Not a regular file)");
    EXPECT_TRUE(
        FixedTextThenReason(port.boxes.at(1).text, "Cannot Open File 13: " + P("TEXT.PMM")));
    EXPECT_EQ(port.boxes.at(2).text, P("ZERO.PMI") + " is a link - skipping file.");

    // The viewer, the statistics and the export.
    port.Reply(Answer::Ok, "File Error");
    port.Reply(Answer::Ok, "File Error 1");
    port.Reply(Answer::Ok, "File Link Error");
    WithinTenSeconds([&] {
        Select({P("TEXT.PMI")});
        state.ListBox1.highlighted = 0;
        IndexViewModel model;
        EXPECT_FALSE(ListBox1DblClick(state, port, model).show);
        Select({P("ZERO.PMI")});
        StatsView view;
        EXPECT_FALSE(BtnGetStatsClick(state, port, view, nullptr));
        EXPECT_EQ(SaveIndexFile1Click(state, port).done, 0);
    });
    EXPECT_TRUE(FixedTextThenReason(port.boxes.at(3).text, "Cannot Open File: " + P("TEXT.pmm")));
    EXPECT_EQ(port.boxes.at(4).text, "Cannot Open File: " + P("ZERO.PMI") + " (Is a link)");
    EXPECT_EQ(port.boxes.at(5).text, P("ZERO.PMI") + " is a link - skipping file.");

    EXPECT_EQ(Snapshot(dir.Native()), before);  // the export made no output either
}

TEST_F(UnsafeEntriesCli, PipesAndDevicesNeverHangTheCommandLine) {
    ASSERT_EQ(mkfifo(N("PIPE.PMI").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", N("ZERO.PMI"));
    const auto before = Snapshot(dir.Native());

    CliResult run = Cli({"run", "--yes", Arg("PIPE.PMI")});
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("File Error 1: Cannot Open File: "), std::string::npos) << run.err;
    CliResult view = Cli({"view", Arg("PIPE.PMI")});
    EXPECT_EQ(view.status, 3) << view.err;
    CliResult stats = Cli({"stats", Arg("ZERO.PMI")});
    EXPECT_EQ(stats.status, 3) << stats.err;
    CliResult exported = Cli({"export", Arg("ZERO.PMI")});
    EXPECT_EQ(exported.status, 1) << exported.err;  // skipped: a link
    EXPECT_EQ(Snapshot(dir.Native()), before);
}

// A network run skips what only looks like a folder ------------------------

TEST_F(UnsafeEntries, NetworkRunSkipsEntriesThatAreNoFolderAndGoesOn) {
    fs::create_directories(N("users/carol"));
    fs::create_directories(N("users/dave"));
    for (const char* name : {"users\\carol\\A.PMI", "users\\carol\\Z.PMI", "users\\dave\\B.PMI"})
        ASSERT_TRUE(Repeated().Write(P(name)));
    fs::create_directory(N("users/carol/DIR.pmi"));
    ASSERT_EQ(mkfifo(N("users/carol/PIPE.pmi").c_str(), 0600), 0);
    fs::create_symlink("LOOP.pmi", N("users/carol/LOOP.pmi"));
    fs::create_symlink("/dev/zero", N("users/carol/ZERO.pmi"));

    const std::string log = OpenLog();
    state.mode = kNetworkMode;
    state.ListBox3.Add(P("users\\carol"));
    state.ListBox3.Add(P("users\\dave"));
    for (int i = 0; i < 4; ++i)
        port.Reply(Answer::Ok, "Network Mode");
    NetworkRunResult result;
    WithinTenSeconds([&] { result = RunNetButtonClick(state, port); });

    const std::string carol = P("users\\carol");
    const std::vector<std::string> skipped{
        carol + "\\DIR.pmi is not a regular file - skipping file.",
        carol + "\\LOOP.pmi is a link - skipping file.",
        carol + "\\PIPE.pmi is not a regular file - skipping file.",
        carol + "\\ZERO.pmi is a link - skipping file."};
    ASSERT_EQ(port.boxes.size(), 4u);
    for (std::size_t i = 0; i < skipped.size(); ++i) {
        EXPECT_EQ(port.boxes[i].text, skipped[i]);
        EXPECT_NE(Text(log).find(skipped[i] + "\n"), std::string::npos) << skipped[i];
    }
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.entriesSkipped, 4);
    for (const char* name : {"users\\carol\\A.PMI", "users\\carol\\Z.PMI", "users\\dave\\B.PMI"})
        ExpectRewritten(P(name), Repeated().Rewritten({0, 2}), Repeated().Build());
    EXPECT_TRUE(fs::is_fifo(N("users/carol/PIPE.pmi")));
}

TEST_F(UnsafeEntriesCli, NetworkRunOnTheCommandLineSkipsAPipeAndGoesOn) {
    fs::create_directories(N("users/erin"));
    ASSERT_TRUE(Repeated().Write(P("users\\erin\\A.PMI")));
    ASSERT_EQ(mkfifo(N("users/erin/B.pmi").c_str(), 0600), 0);
    ASSERT_TRUE(Repeated().Write(P("users\\erin\\C.PMI")));
    CliResult r = Cli({"network-run", "--yes", Arg("users/erin")});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("B.pmi is not a regular file - skipping file."), std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("2 of 2 files processed."), std::string::npos) << r.out;
    for (const char* name : {"users\\erin\\A.PMI", "users\\erin\\C.PMI"})
        ExpectRewritten(P(name), Repeated().Rewritten({0, 2}), Repeated().Build());
}

#else

TEST_F(UnsafeEntries, PosixOnlyCases) {
    GTEST_SKIP() << "Windows has no pipes or devices among files, no two names that differ only "
                    "in letter case, and no backslash inside a name";
}

#endif  // !_WIN32

// A folder whose own files are gone but whose backup pair is whole ---------

TEST_F(UnsafeEntries, MissingFolderWithACompleteBackupPairPointsToRestore) {
    // As a run killed after both renames leaves it.
    ASSERT_TRUE(Repeated().Write(P("INBOX.PMI")));
    fs::rename(N("INBOX.PMI"), N("INBOX.BKI"));
    fs::rename(N("INBOX.PMM"), N("INBOX.BKM"));
    // Only half a backup: nothing to point to.
    ASSERT_TRUE(Repeated().Write(P("HALF.PMI")));
    fs::rename(N("HALF.PMI"), N("HALF.BKI"));
    fs::remove(N("HALF.PMM"));
    const auto before = Snapshot(dir.Native());

    port.Reply(Answer::Ok, "File Error 1");
    port.Reply(Answer::Ok, "File Error 1");
    Select({P("INBOX.PMI")});
    RunDeleteDupes1Click(state, port);
    Select({P("HALF.PMI")});
    RunDeleteDupes1Click(state, port);
    const std::string& text = port.boxes.at(0).text;
    const std::size_t lineEnd = text.find('\n');
    ASSERT_NE(lineEnd, std::string::npos) << text;
    EXPECT_TRUE(
        FixedTextThenReason(text.substr(0, lineEnd), "Cannot Open File: " + P("INBOX.PMI")));
    EXPECT_EQ(text.substr(lineEnd), "\nThe folder's backup pair " + P("INBOX.BKI") + " and " +
                                        P("INBOX.BKM") + " is complete: Restore puts it back.");
    EXPECT_TRUE(FixedTextThenReason(port.boxes.at(1).text, "Cannot Open File: " + P("HALF.PMI")));
    EXPECT_EQ(Snapshot(dir.Native()), before);

    // And Restore does.
    state.mode = kBackupMode;
    Select({P("INBOX.BKI")});
    EXPECT_EQ(RestoreButtonClick(state, port).done, 1);
    const FolderBytes old = Repeated().Build();
    EXPECT_EQ(Bytes(P("INBOX.PMI")), old.pmi);
    EXPECT_EQ(Bytes(P("INBOX.PMM")), old.pmm);
}

TEST_F(UnsafeEntriesCli, MissingFolderWithACompleteBackupPairOnTheCommandLine) {
    ASSERT_TRUE(Repeated().Write(P("INBOX.PMI")));
    fs::rename(N("INBOX.PMI"), N("INBOX.BKI"));
    fs::rename(N("INBOX.PMM"), N("INBOX.BKM"));
    const auto before = Snapshot(dir.Native());
    CliResult r = Cli({"run", "--yes", Arg("INBOX.PMI")});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("is complete: Restore puts it back."), std::string::npos) << r.err;
    EXPECT_EQ(Snapshot(dir.Native()), before);
}

// A failed system call's box and log line end with the system's reason ----

TEST_F(UnsafeEntries, FailedCallsEndWithTheSystemsReason) {
    // A real refusal: a directory holds the backup index file's name.
    ASSERT_TRUE(Repeated().Write(P("INBOX.PMI")));
    fs::create_directory(N("INBOX.BKI"));
    const std::string log = OpenLog();
    port.Reply(Answer::Ok, "Backup File Exists");
    Select({P("INBOX.PMI")});
    RunDeleteDupes1Click(state, port);
    // A question keeps its answers together; the reason follows on a line
    // of its own. The log line has it after its one line.
    const std::string fixed = "Can't rename " + P("INBOX.PMI") + " to " + P("INBOX.BKI") + ".";
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_TRUE(FixedTextThenReason(port.boxes[0].text, fixed + "\nOK to skip\nCancel to abort"));
    const std::string reason =
        port.boxes[0].text.substr(port.boxes[0].text.rfind('\n') + 1);  // "(...)"
    const auto lines = Lines(log);
    EXPECT_NE(std::find(lines.begin(), lines.end(), fixed + " " + reason), lines.end());
    EXPECT_EQ(Bytes(P("INBOX.PMI")), Repeated().Build().pmi);

    // A one-line box: the reason after a blank.
    fs::remove(N("INBOX.BKI"));
    ASSERT_TRUE(WriteFileBytes(P("INBOX.BKI"), std::string_view("old")));
    state.settings.BackupFiles =
        OnBackupExists::Overwrite;  // an old backup is deleted without a question
    platform::faults::FailNth(platform::faults::Op::Delete, 1, "INBOX.BKI");
    port.Reply(Answer::Ok, "Backup File Error");
    RunDeleteDupes1Click(state, port);
    EXPECT_EQ(port.boxes.at(1).text,
              Injected("Can't delete old backup file " + P("INBOX.BKI") + " - skipping file."));
}

// A log that cannot be written is reported once, and the work goes on ----

TEST_F(UnsafeEntries, AFailedLogWriteIsReportedOnceAndTheRunGoesOn) {
    for (const char* name : {"A.PMI", "B.PMI", "C.PMI"})
        ASSERT_TRUE(Repeated().Write(P(name)));
    const std::string log = OpenLog();
    // The device fills up after 40 bytes: the line written then fails when
    // the buffer reaches the system.
    platform::faults::FailWriteAt("run.log", 40);
    port.Reply(Answer::Ok, "File Error");
    Select({P("A.PMI"), P("B.PMI"), P("C.PMI")});
    EXPECT_TRUE(RunDeleteDupes1Click(state, port).AllDone());
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text,
              Injected("Cannot write to file " + log + " - the log is closed."));
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    EXPECT_FALSE(state.runLog.IsOpen());
    EXPECT_EQ(Bytes(log).size(), 40u);
    EXPECT_EQ(port.status[StatusLine::LabelInfoMsg1], "3 of 3 files processed.");
    for (const char* name : {"A.PMI", "B.PMI", "C.PMI"})
        ExpectRewritten(P(name), Repeated().Rewritten({0, 2}), Repeated().Build());
}

TEST_F(UnsafeEntries, ALogThatFailsAtItsCloseIsReported) {
    ASSERT_TRUE(Repeated().Write(P("A.PMI")));
    const std::string log = OpenLog();
    platform::faults::FailNth(platform::faults::Op::Close, 1, "run.log");
    port.Reply(Answer::Ok, "File Error");
    Select({P("A.PMI")});
    RunDeleteDupes1Click(state, port);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text,
              Injected("Cannot write to file " + log + " - the log is closed."));
    EXPECT_TRUE(state.runLog.Failed());
}

TEST_F(UnsafeEntries, AStatisticsLogThatCannotBeWrittenIsReportedOnce) {
    for (const char* name : {"A.PMI", "B.PMI"})
        ASSERT_TRUE(Repeated().Write(P(name)));
    const std::string log = OpenLog();
    platform::faults::FailAlways(platform::faults::Op::Write, "run.log");
    port.Reply(Answer::Ok, "File Error");
    Select({P("A.PMI"), P("B.PMI")});
    StatsView view;
    EXPECT_TRUE(BtnGetStatsClick(state, port, view, nullptr));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text,
              Injected("Cannot write to file " + log + " - the log is closed."));
    EXPECT_EQ(view.RowCount(), 3);  // the title row and two senders
}

// A directory named like a folder exists on every system.
TEST_F(UnsafeEntries, NetworkRunSkipsADirectoryNamedLikeAFolder) {
    fs::create_directories(N("users/frank/A.pmi"));
    ASSERT_TRUE(Repeated().Write(P("users\\frank\\B.PMI")));
    state.mode = kNetworkMode;
    state.ListBox3.Add(P("users\\frank"));
    const auto before = Snapshot(N("users/frank/A.pmi"));
    port.Reply(Answer::Ok, "Network Mode");
    NetworkRunResult result = RunNetButtonClick(state, port);
    EXPECT_EQ(Snapshot(N("users/frank/A.pmi")), before);
    EXPECT_EQ(port.boxes.at(0).text,
              P("users\\frank\\A.pmi") + " is not a regular file - skipping file.");
    EXPECT_EQ(result.entriesSkipped, 1);
    ExpectRewritten(P("users\\frank\\B.PMI"), Repeated().Rewritten({0, 2}), Repeated().Build());
}

}  // namespace
}  // namespace kestrove::testing
