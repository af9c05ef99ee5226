// kestrove-cli run as a separate process on folders made by the folder
// builder: what it prints, the files it leaves, and its exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#endif

#include "core/MessageFlag.h"
#include "platform/File.h"
#include "tests/support/CliRunner.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/Reasons.h"
#include "tests/support/TempDir.h"

namespace kestrove::testing {
namespace {

namespace fs = std::filesystem;

// Five messages: one repeated, one read, one deleted. Kept: 0, 2, 4.
FolderBuilder Duplicated(HeaderSpec header = {}) {
    FolderBuilder b(std::move(header));
    b.Add(Msg("alice", "hello", "1 Jan 20", 100, "first text"));
    b.Add(Msg("alice", "hello", "1 Jan 20", 100, "first text"));
    b.Add(Msg("bob", "news", "2 Jan 20", 200, "second", kReadBit));
    b.Add(Msg("carol", "old", "3 Jan 20", 300, "gone", kDeletedBit));
    b.Add(Msg("dave", "later", "4 Jan 20", 400, "fourth"));
    return b;
}
const std::vector<int> kDuplicatedKept{0, 2, 4};

FolderBuilder Clean(std::string name = "Clean") {
    HeaderSpec header;
    header.name = std::move(name);
    FolderBuilder b(header);
    b.Add(Msg("erin", "one", "5 Jan 20", 500, "text one"));
    b.Add(Msg("frank", "two", "6 Jan 20", 600, "text two"));
    return b;
}

HeaderSpec Named(std::string name) {
    HeaderSpec header;
    header.name = std::move(name);
    return header;
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size()))
        ++n;
    return n;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string::npos;
         tab = line.find('\t', start)) {
        cells.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    cells.push_back(line.substr(start));
    return cells;
}

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (CliPath().empty())
            GTEST_SKIP() << "this build has no kestrove-cli";
        // The program's default drive map comes from its home directory:
        // one without a wine prefix gives C: = home, Z: = "/".
        fs::create_directories(home.Native("home"));
    }

    CliOptions Options(std::string input = {}) {
        CliOptions options;
        options.input = std::move(input);
        options.env["HOME"] = home.Native("home").string();
        return options;
    }
    CliResult Cli(const std::vector<std::string>& args, std::string input = {}) {
        return RunCli(args, Options(std::move(input)));
    }

    // A file of the test directory: its native path (for the program's
    // arguments), its text as the program names it, its text here.
    std::string N(std::string_view name) const { return dir.Native(name).string(); }
    std::string T(std::string_view name) const { return ProgramText(dir.Native(name)); }
    std::string P(std::string_view name) const { return dir / name; }

    void MakeDirectory(std::string_view name) { fs::create_directories(dir.Native(name)); }
    void Write(const FolderBuilder& folder, std::string_view indexName) {
        ASSERT_TRUE(folder.Write(P(indexName)));
    }

    // The folder NAME (NAME.PMI/NAME.PMM) holds these bytes.
    void ExpectPair(std::string_view name, const FolderBytes& want, const char* extensions = "PM") {
        const std::string base(name);
        auto pmi = ReadFileBytes(P(base + "." + extensions[0] + extensions[1] + "I"));
        auto pmm = ReadFileBytes(P(base + "." + extensions[0] + extensions[1] + "M"));
        ASSERT_TRUE(pmi && pmm) << name;
        EXPECT_EQ(*pmi, want.pmi) << name;
        EXPECT_EQ(*pmm, want.pmm) << name;
    }
    void ExpectBackup(std::string_view name, const FolderBytes& want) {
        ExpectPair(name, want, "BK");
    }
    bool HasBackup(std::string_view name) {
        const std::string base(name);
        return platform::FileExists(P(base + ".BKI")) || platform::FileExists(P(base + ".BKM"));
    }

    TempDir dir{'D'};
    TempDir home{'H'};
};

TEST_F(CliTest, HelpDocumentsEveryCommandAndUsageErrorsExitTwo) {
    const std::vector<std::string> commands{
        "run",  "network-run", "restore", "delete-backups", "move-backups",
        "view", "export",      "stats",   "names"};
    CliResult help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const std::string& command : commands) {
        EXPECT_NE(help.out.find("  " + command), std::string::npos) << command;
        CliResult own = Cli({command, "--help"});
        EXPECT_EQ(own.status, 0) << command;
        EXPECT_NE(own.out.find("Usage: kestrove-cli " + command), std::string::npos) << command;
        EXPECT_NE(own.out.find("Exit status:"), std::string::npos) << command;
    }
    // The paths of the system it runs on: the drive map is Linux's alone.
#ifdef _WIN32
    EXPECT_EQ(help.out.find(".wine"), std::string::npos);
    EXPECT_NE(help.out.find("drive letters and\n  network shares of this machine"),
              std::string::npos);
    EXPECT_NE(help.out.find("to a file or a\n  pipe they are written as UTF-8"), std::string::npos);
#else
    EXPECT_NE(help.out.find("~/.wine/dosdevices"), std::string::npos);
#endif
    CliResult run = Cli({"help", "run"});
    for (const char* option :
         {"--no-sort", "--log FILE", "--unread-mismatch ask|ignore|skip",
          "--deleted-mismatch ask|ignore|skip", "--existing-backup ask|overwrite|skip",
          "--no-lock-check", "--dry-run", "--yes"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;

    const std::vector<std::vector<std::string>> wrong{
        {},
        {"frobnicate"},
        {"run"},
        {"run", "--bogus", N("A.PMI")},
        {"run", "--unread-mismatch", "maybe", N("A.PMI")},
        {"run", "--log"},
        {"restore", "--no-lock-check", N("A.BKI")},
        {"move-backups", N("A.BKI")},
        {"move-backups", "--to", N("nowhere"), N("A.BKI")},
        {"view", N("A.PMI"), N("B.PMI")},
        {"export", "--format", "xml", N("A.PMI")},
        {"stats", "--sort=date", N("A.PMI")},
        {"names", N("missing")},
#ifndef _WIN32
        {"run", "Q:\\MAIL\\A.PMI"},  // no drive Q: in the map
#endif
    };
    for (const auto& args : wrong) {
        CliResult r = Cli(args);
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.err.rfind("kestrove-cli: ", 0), 0u) << shown << r.err;
        EXPECT_EQ(r.out, "") << shown;
    }
}

TEST_F(CliTest, VersionNamesTheWindowProgramsSettingsFileAndMakesNothing) {
    const std::string itself =
        "kestrove-cli itself reads no settings file; each setting comes from its option.\n";
    CliOptions options = Options();
#ifndef _WIN32
    options.env["XDG_CONFIG_HOME"] = "";
    CliResult plain = RunCli({"--version"}, options);
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out, "kestrove-cli 2.30\nSettings file of kestrove: " +
                             (home.Native("home") / ".config/kestrove/Kestrove.INI").string() +
                             "\n" + itself);
    options.env["XDG_CONFIG_HOME"] = home.Native("conf").string();
    CliResult xdg = RunCli({"--version"}, options);
    EXPECT_EQ(xdg.out, "kestrove-cli 2.30\nSettings file of kestrove: " +
                           home.Native("conf/kestrove/Kestrove.INI").string() + "\n" + itself);
    EXPECT_FALSE(fs::exists(home.Native("home/.config")));
    EXPECT_FALSE(fs::exists(home.Native("conf")));
#else
    // Beside the window program, which lies beside this one.
    CliResult beside = RunCli({"--version"}, options);
    EXPECT_EQ(beside.status, 0);
    EXPECT_EQ(beside.out.rfind("kestrove-cli 2.30\nSettings file of kestrove: ", 0), 0u);
    EXPECT_NE(beside.out.find("\\kestrove.INI\n" + itself), std::string::npos) << beside.out;
#endif
}

TEST_F(CliTest, RunRewritesFoldersWithDuplicatesAndLeavesCleanOnesAlone) {
    const FolderBuilder dup = Duplicated(), clean = Clean();
    Write(dup, "INBOX.PMI");
    Write(clean, "CLEAN.PMI");

    CliResult r = Cli({"run", N("INBOX.PMI"), N("CLEAN.PMI")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 of 2 files processed.\n");
    EXPECT_EQ(r.err, "");
    ExpectPair("INBOX", dup.Rewritten(kDuplicatedKept));
    ExpectBackup("INBOX", dup.Build());
    ExpectPair("CLEAN", clean.Build());
    EXPECT_FALSE(HasBackup("CLEAN"));
}

TEST_F(CliTest, QuestionsWithoutATerminalGetTheSafeAnswerAndYesGoesOn) {
    HeaderSpec mismatched;
    mismatched.unread = 7;
    const FolderBuilder folder = Duplicated(mismatched);
    Write(folder, "INBOX.PMI");
    const std::string question =
        "File Mismatch: UNREAD PMI=3 PMM=7 Mismatch!\nYES to accept\nNO to skip file\n"
        "CANCEL to abort run\n";

    CliResult no = Cli({"run", N("INBOX.PMI")});
    EXPECT_EQ(no.status, 1);
    EXPECT_EQ(no.err, question + "-> No\n");
    EXPECT_EQ(no.out, "0 of 1 files processed.\n");
    ExpectPair("INBOX", folder.Build());
    EXPECT_FALSE(HasBackup("INBOX"));

    CliResult skip = Cli({"run", "--unread-mismatch", "skip", N("INBOX.PMI")});
    EXPECT_EQ(skip.status, 1);
    EXPECT_EQ(skip.err, "");
    ExpectPair("INBOX", folder.Build());

    CliResult yes = Cli({"run", "--yes", N("INBOX.PMI")});
    EXPECT_EQ(yes.status, 0);
    EXPECT_EQ(yes.err, question + "-> Yes\n");
    EXPECT_EQ(yes.out, "1 of 1 files processed.\n");
    ExpectPair("INBOX", folder.Rewritten(kDuplicatedKept));

    // The folder again, beside the backup pair of the run before: that pair
    // is only overwritten when allowed.
    const FolderBuilder again = Duplicated();
    Write(again, "INBOX.PMI");
    CliResult cancel = Cli({"run", N("INBOX.PMI")});
    EXPECT_EQ(cancel.status, 1);
    EXPECT_EQ(cancel.err, "Backup File Exists: Backup file " + T("INBOX.BKI") +
                              " exists!\nOK to OVERWRITE\nCancel to skip\n-> Cancel\n");
    ExpectPair("INBOX", again.Build());
    ExpectBackup("INBOX", folder.Build());

    CliResult kept = Cli({"run", "--existing-backup=skip", N("INBOX.PMI")});
    EXPECT_EQ(kept.status, 1);
    EXPECT_EQ(kept.err, "");
    ExpectBackup("INBOX", folder.Build());

    CliResult overwrite = Cli({"run", "--existing-backup", "overwrite", N("INBOX.PMI")});
    EXPECT_EQ(overwrite.status, 0) << overwrite.err;
    ExpectPair("INBOX", again.Rewritten(kDuplicatedKept));
    ExpectBackup("INBOX", again.Build());
}

TEST_F(CliTest, AFileErrorEndsTheRunWithStatusThreeAndNoSummary) {
    const FolderBuilder a = Duplicated(), c = Duplicated();
    Write(a, "A.PMI");
    Write(c, "C.PMI");
    CliResult r = Cli({"run", N("C.PMI"), N("B.PMI"), N("A.PMI")});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(FixedTextThenReason(r.err.substr(0, r.err.size() - 1),
                                    "File Error 1: Cannot Open File: " + T("B.PMI")));
    EXPECT_TRUE(r.err.ends_with(")\n")) << r.err;
    // The list is sorted: A was done before B ended the run; C not begun.
    ExpectPair("A", a.Rewritten(kDuplicatedKept));
    ExpectPair("C", c.Build());
    EXPECT_FALSE(HasBackup("C"));
}

TEST_F(CliTest, OneLockFileQuestionCoversEveryDirectory) {
    MakeDirectory("one");
    MakeDirectory("two");
    const FolderBuilder folder = Duplicated();
    Write(folder, "one\\INBOX.PMI");
    Write(folder, "two\\INBOX.PMI");
    // Lock files in both directories: the engine's own test (of the first
    // directory) would ask a second time.
    ASSERT_TRUE(WriteFileBytes(P("one\\USER.LCK"), "x"));
    ASSERT_TRUE(WriteFileBytes(P("two\\OTHER.LCK"), "x"));
    const std::string question =
        "Mailbox Active: Pegasus Mail is active for this mailbox.\nOK to continue\n"
        "Cancel to abort run.\n";

    CliResult cancel = Cli({"run", N("one/INBOX.PMI"), N("two/INBOX.PMI")});
    EXPECT_EQ(cancel.status, 3);
    EXPECT_EQ(cancel.out, "");
    EXPECT_EQ(cancel.err, "kestrove-cli: lock file in " + T("one") +
                              "\nkestrove-cli: lock file in " + T("two") + "\n" + question +
                              "-> Cancel\n");
    ExpectPair("one\\INBOX", folder.Build());
    ExpectPair("two\\INBOX", folder.Build());

    CliResult yes = Cli({"run", "-y", N("one/INBOX.PMI"), N("two/INBOX.PMI")});
    EXPECT_EQ(yes.status, 0);
    EXPECT_EQ(Count(yes.err, "Mailbox Active"), 1);
    EXPECT_EQ(yes.out, "2 of 2 files processed.\n");
    ExpectPair("two\\INBOX", folder.Rewritten(kDuplicatedKept));

    Write(folder, "one\\NEXT.PMI");
    CliResult unchecked = Cli({"run", "--no-lock-check", N("one/NEXT.PMI")});
    EXPECT_EQ(unchecked.status, 0);
    EXPECT_EQ(unchecked.err, "");
}

TEST_F(CliTest, DryRunReportsWhatARunWouldDropAndChangesNothing) {
    HeaderSpec mismatched;
    mismatched.deleted = 0;
    Write(Duplicated(mismatched), "INBOX.PMI");
    Write(Clean(), "CLEAN.PMI");
    // Sorted, the two equal records (places 2 and 3 of the file) come first.
    FolderBuilder spread;
    spread.Add(Msg("xena", "x", "", 500, "xx"));
    spread.Add(Msg("yann", "y", "", 300, "yy"));
    spread.Add(Msg("zoe", "z", "", 100, "zz"));
    spread.Add(Msg("zoe", "z", "", 100, "zz"));
    Write(spread, "SPREAD.PMI");

    // Old times, as the file system keeps them.
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    std::map<std::string, std::vector<std::uint8_t>> bytes;
    std::map<std::string, fs::file_time_type> times;
    for (const auto& entry : fs::directory_iterator(dir.Native())) {
        const std::string name = entry.path().filename().string();
        fs::last_write_time(entry.path(), old);
        times[name] = fs::last_write_time(entry.path());
        bytes[name] = *ReadFileBytes(P(name));
    }

    CliResult r = Cli({"run", "--dry-run", "--no-sort", N("INBOX.PMI"), N("CLEAN.PMI")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              T("CLEAN.PMI") +
                  ": msg:2 read:0 deleted:0 dupes:0 unread:2\n"
                  "  PMM: Unread:2 deleted:0 delsize:0\n"
                  "  nothing to drop\n" +
                  T("INBOX.PMI") +
                  ": msg:5 read:1 deleted:1 dupes:1 unread:3\n"
                  "  PMM: Unread:3 deleted:0 delsize:0\n"
                  "  DELETED PMI=1 PMM=0 Mismatch! (--deleted-mismatch ask)\n"
                  "  drop record 1 (Dup): from \"alice\" subject \"hello\" date \"1 Jan 20\" "
                  "mtime 100 size 10\n"
                  "  drop record 3 (Del): from \"carol\" subject \"old\" date \"3 Jan 20\" "
                  "mtime 300 size 4\n"
                  "  would drop 2 of 5 records\n"
                  "1 of 2 files have records to drop.\n");
    EXPECT_EQ(r.err, "");

    CliResult sorted = Cli({"run", "--dry-run", N("SPREAD.PMI")});
    EXPECT_EQ(sorted.status, 0);
    EXPECT_TRUE(std::regex_search(sorted.out, std::regex("\n  drop record [23] \\(Dup\\): from "
                                                         "\"zoe\"")))
        << sorted.out;
    EXPECT_EQ(Count(sorted.out, "drop record"), 1);

    CliResult network = Cli({"network-run", "--dry-run", N("")});
    EXPECT_EQ(network.status, 0) << network.err;
    EXPECT_NE(network.out.find(": 3 folders\n"), std::string::npos) << network.out;
    EXPECT_NE(network.out.find("2 of 3 files have records to drop."), std::string::npos);

    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(dir.Native())) {
        const std::string name = entry.path().filename().string();
        ++files;
        EXPECT_EQ(fs::last_write_time(entry.path()), times[name]) << name;
        EXPECT_EQ(*ReadFileBytes(P(name)), bytes[name]) << name;
    }
    EXPECT_EQ(files, bytes.size());
}

TEST_F(CliTest, NetworkRunWorksThroughEachUserDirectory) {
    for (const char* user : {"users/alice", "users/bob", "users/carol"})
        MakeDirectory(user);
    const FolderBuilder dup = Duplicated(), clean = Clean();
    Write(dup, "users\\alice\\INBOX.PMI");
    Write(clean, "users\\alice\\CLEAN.PMI");
    Write(dup, "users\\carol\\MAIL.PMI");

    // A lock file in the directory that holds the users' directories.
    ASSERT_TRUE(WriteFileBytes(P("users\\ADMIN.LCK"), "x"));
    CliResult locked = Cli({"network-run", N("users/carol"), N("users/alice"), N("users/bob")});
    EXPECT_EQ(locked.status, 3);
    EXPECT_EQ(Count(locked.err, "Mailbox Active: "), 1);
    ExpectPair("users\\carol\\MAIL", dup.Build());
    ASSERT_TRUE(platform::RemoveFile(P("users\\ADMIN.LCK")));

    CliResult r = Cli({"network-run", N("users/carol"), N("users/alice"), N("users/bob/")});
    EXPECT_EQ(r.status, 1);  // bob has no folders
    EXPECT_EQ(r.out, T("users/alice") + ": 1 of 2 files processed.\n" + T("users/carol") +
                         ": 1 of 1 files processed.\n");
    EXPECT_EQ(r.err, "Network Mode: No PMI files in " + T("users/bob") +
                         ".\nNo Data: No files selected.\n");
    ExpectPair("users\\alice\\INBOX", dup.Rewritten(kDuplicatedKept));
    ExpectPair("users\\alice\\CLEAN", clean.Build());
    ExpectPair("users\\carol\\MAIL", dup.Rewritten(kDuplicatedKept));

    // The rewrite keeps the header's unread count, so it now differs.
    CliResult again =
        Cli({"network-run", "--unread-mismatch", "ignore", N("users/alice"), N("users/carol")});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, T("users/alice") + ": 0 of 2 files processed.\n" + T("users/carol") +
                             ": 0 of 1 files processed.\n");
}

TEST_F(CliTest, BackupCommandsRestoreMoveAndDelete) {
    const FolderBuilder a = Duplicated(Named("A")), b = Duplicated(Named("B"));
    Write(a, "A.PMI");
    Write(b, "B.PMI");
    ASSERT_EQ(Cli({"run", N("A.PMI"), N("B.PMI")}).status, 0);

    CliResult restore = Cli({"restore", N("A.BKI")});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(restore.out, "1 of 1 files processed.\n");
    ExpectPair("A", a.Build());
    EXPECT_FALSE(HasBackup("A"));

    MakeDirectory("keep");
    CliResult move = Cli({"move-backups", "--to", N("keep"), N("B.BKI")});
    EXPECT_EQ(move.status, 0) << move.err;
    EXPECT_EQ(move.out, "1 of 1 folders moved (2 files moved).\n");
    ExpectBackup("keep\\B", b.Build());
    EXPECT_FALSE(HasBackup("B"));

    // A lock file there and nobody to ask: nothing is deleted.
    ASSERT_TRUE(WriteFileBytes(P("keep\\USER.LCK"), "x"));
    CliResult locked = Cli({"delete-backups", N("keep/B.BKI")});
    EXPECT_EQ(locked.status, 3);
    EXPECT_TRUE(HasBackup("keep\\B"));
    CliResult removed = Cli({"delete-backups", "--no-lock-check", N("keep/B.BKI")});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(removed.out, "1 of 1 files processed (2 deleted).\n");
    EXPECT_FALSE(HasBackup("keep\\B"));

    // A pair with a missing half is skipped: status 1.
    ASSERT_TRUE(WriteFileBytes(P("C.BKI"), a.Build().pmi));
    CliResult half = Cli({"restore", N("C.BKI")});
    EXPECT_EQ(half.status, 1);
    EXPECT_EQ(half.out, "0 of 1 files processed.\n");
    EXPECT_EQ(half.err,
              "Backup File Error: Can't find backup file " + T("C.BKM") + " - skipping file.\n");
}

TEST_F(CliTest, ViewPrintsTheHeaderLinesAndEveryCell) {
    Write(Duplicated(Named("My Inbox")), "INBOX.PMI");
    CliResult r = Cli({"view", "--no-sort", N("INBOX.PMI")});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 2u + 1u + 5u);
    EXPECT_EQ(lines[0], "File: " + T("INBOX.pmm") +
                            "    [My Inbox]  Unread: 3,  Deleted: 1  ID: 12345678:0001:FOL00001");
    EXPECT_EQ(lines[1], "File: " + T("INBOX.PMI") +
                            " Unread:3, Read:1,  Deleted:1,  Dupes:1,  Look-alikes:0 ");
    for (std::size_t i = 2; i < lines.size(); ++i)
        EXPECT_EQ(Cells(lines[i]).size(), 37u) << i;
    EXPECT_EQ(Cells(lines[2])[0], "No.");
    EXPECT_EQ(Cells(lines[2])[5], "From");
    const std::vector<std::string> dup = Cells(lines[4]), del = Cells(lines[6]);
    EXPECT_EQ(dup[0], "2");
    EXPECT_EQ(dup[1], "Dup");
    EXPECT_EQ(dup[5], "alice");
    EXPECT_EQ(del[1], "Del");
    EXPECT_EQ(del[6], "old");

    CliResult missing = Cli({"view", N("NONE.PMI")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_TRUE(FixedTextThenReason(missing.err.substr(0, missing.err.size() - 1),
                                    "File Error: Cannot Open File: " + T("NONE.pmm")));
    EXPECT_EQ(missing.out, "");
}

// The alert folder: two alerts alike in every field, for two hosts. The
// view marks the second as a look-alike, the dry run and the run keep it.
TEST_F(CliTest, LookAlikesAreShownAndKept) {
    FolderBuilder alerts;
    for (const char* host : {"alpha", "gamma"})
        alerts.Add(Msg("monitor@example.com", "ALERT: disk full", "6 Aug 18 0:20", 1533514800,
                       std::string("Host: ") + host + "\r\nFilesystem /var is 100% full.\r\n"));
    Write(alerts, "ALERTS.PMI");
    const std::string size = std::to_string(alerts.Record(1).fsize());

    CliResult view = Cli({"view", N("ALERTS.PMI")});
    EXPECT_EQ(view.status, 0) << view.err;
    const std::vector<std::string> lines = Lines(view.out);
    ASSERT_EQ(lines.size(), 2u + 1u + 2u);
    EXPECT_EQ(lines[1], "File: " + T("ALERTS.PMI") +
                            " Unread:2, Read:0,  Deleted:0,  Dupes:0,  Look-alikes:1 ");
    EXPECT_EQ(Cells(lines[3])[1], "");
    EXPECT_EQ(Cells(lines[4])[1], "Alike");

    const std::string keep =
        "  keep record 1 (look-alike of record 0, another text): from "
        "\"monitor@example.com\" subject \"ALERT: disk full\" date \"6 Aug "
        "18 0:20\" mtime 1533514800 size " +
        size + "\n";
    CliResult dry = Cli({"run", "--dry-run", "--no-sort", N("ALERTS.PMI")});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, T("ALERTS.PMI") +
                           ": msg:2 read:0 deleted:0 dupes:0 unread:2\n"
                           "  PMM: Unread:2 deleted:0 delsize:0\n" +
                           keep +
                           "  nothing to drop\n"
                           "  would keep 1 look-alike\n"
                           "0 of 1 files have records to drop.\n");

    CliResult run = Cli({"run", N("ALERTS.PMI")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, T("ALERTS.PMI") + ": 1 look-alike kept.\n0 of 1 files processed.\n");
    ExpectPair("ALERTS", alerts.Build());
    EXPECT_FALSE(HasBackup("ALERTS"));

    // Beside a deleted message the folder is rewritten; both alerts stay.
    alerts.Add(Msg("old", "gone", "1 Jan 18", 1, "x", kDeletedBit));
    Write(alerts, "ALERTS.PMI");
    MakeDirectory("users/ann");
    Write(alerts, "users\\ann\\MAIL.PMI");
    CliResult again = Cli({"run", N("ALERTS.PMI")});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out, T("ALERTS.PMI") + ": 1 look-alike kept.\n1 of 1 files processed.\n");
    ExpectPair("ALERTS", alerts.Rewritten({0, 1}));
    CliResult network = Cli({"network-run", N("users/ann")});
    EXPECT_EQ(network.status, 0) << network.err;
    EXPECT_EQ(network.out, ProgramText(dir.Native("users/ann/MAIL.PMI")) +
                               ": 1 look-alike kept.\n" + T("users/ann") +
                               ": 1 of 1 files processed.\n");
}

TEST_F(CliTest, MailTextsAreShownInUtf8) {
    FolderBuilder folder(
        Named("Entw\xFC"
              "rfe"));
    folder.Add(Msg("J\xFCrgen",
                   "Gr\xFC\xDF"
                   "e",
                   "", 1, "x"));
    Write(folder, "INBOX.PMI");
    CliResult view = Cli({"view", N("INBOX.PMI")});
    EXPECT_NE(view.out.find("[Entw\xC3\xBCrfe]"), std::string::npos);
    EXPECT_NE(view.out.find("\tJ\xC3\xBCrgen\tGr\xC3\xBC\xC3\x9F"
                            "e\t"),
              std::string::npos);
    CliResult names = Cli({"names", N("")});
    EXPECT_EQ(Lines(names.out).at(1), "1\tEntw\xC3\xBCrfe\tINBOX.PMI");
}

// User directories named in any script are reached by their names as given
// and named in the output in UTF-8 (here a file, as for a pipe).
TEST_F(CliTest, NamesInAnyScriptAreReachedAndPrintedInUtf8) {
    const std::vector<std::string> users = {
        "\xC5\x81ukasz", "\xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7",
        "\xD0\xAE\xD1\x80\xD0\xB8\xD0\xB9", "\xE6\x97\xA5\xE6\x9C\xAC"};
#ifdef _WIN32
    // The path texts are the paths (the fixture's native ones would go
    // through the 8-bit code page).
    const auto arg = [&](const std::string& name) { return P(name); };
#else
    const auto arg = [&](std::string name) {
        std::replace(name.begin(), name.end(), '\\', '/');
        return N(name);
    };
#endif
    std::vector<std::string> args = {"network-run"};
    for (const std::string& user : users) {
        ASSERT_TRUE(platform::CreateDirectories(P(user)));
        Write(Duplicated(), user + "\\INBOX.PMI");
        Write(Clean(), user + "\\CLEAN.PMI");
        args.push_back(arg(user));
    }
    CliResult exported = Cli({"export", arg(users[0] + "\\INBOX.PMI")});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(exported.out.find("\xC5\x81ukasz\\INBOX.CSV\n"), std::string::npos) << exported.out;
    EXPECT_TRUE(platform::FileExists(P(users[0] + "\\INBOX.CSV")));

    CliResult run = Cli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    for (const std::string& user : users) {
        EXPECT_NE(run.out.find(user + ": 1 of 2 files processed.\n"), std::string::npos) << run.out;
        EXPECT_TRUE(HasBackup(user + "\\INBOX")) << user;
        EXPECT_FALSE(HasBackup(user + "\\CLEAN")) << user;
    }
}

TEST_F(CliTest, ExportWritesEachFileAndNamesIt) {
    Write(Duplicated(), "A.PMI");
    Write(Clean(), "B.PMI");
    CliResult csv = Cli({"export", N("B.PMI"), N("A.PMI")});
    EXPECT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(csv.out, "File " + T("A.CSV") + "\nFile " + T("B.CSV") + "\n");
    auto text = ReadFileBytes(P("A.CSV"));
    ASSERT_TRUE(text);
    const std::string content(text->begin(), text->end());
    EXPECT_EQ(content.rfind("flags, fpos, msg_number, fname, from, subject, date, color, mtime, "
                            "fsize\r\n",
                            0),
              0u);
    EXPECT_EQ(Count(content, "\r\n"), 6);

    CliResult tab = Cli({"export", "--format", "tab", N("A.PMI")});
    EXPECT_EQ(tab.out, "File " + T("A.TXT") + "\n");
    EXPECT_TRUE(platform::FileExists(P("A.TXT")));

    // The second file cannot be read: the export ends there.
    CliResult failed = Cli({"export", N("A.PMI"), N("C.PMI")});
    EXPECT_EQ(failed.status, 3);
    EXPECT_EQ(failed.out, "File " + T("A.CSV") + "\n");
    EXPECT_TRUE(FixedTextThenReason(failed.err.substr(0, failed.err.size() - 1),
                                    "File Error: Cannot Open Input Index File: " + T("C.PMI")));
}

TEST_F(CliTest, StatsPrintsTotalsRowsAndSummary) {
    FolderBuilder one, two;
    one.Add(Msg("alice", "a", "", 1, std::string(10, 'a')));
    one.Add(Msg("bob", "b", "", 2, std::string(100, 'b')));
    one.Add(Msg("carol", "c", "", 3, std::string(50, 'c'), kDeletedBit));
    two.Add(Msg("ALICE", "a", "", 4, std::string(20, 'a')));
    two.Add(Msg("carol", "c", "", 5, std::string(5, 'c')));
    Write(one, "ONE.PMI");
    Write(two, "TWO.PMI");

    CliResult r = Cli({"stats", "--sort", "size", "--descending", N("ONE.PMI"), N("TWO.PMI")});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u + 1u + 3u + 1u) << r.out;
    EXPECT_EQ(lines[0], "Addresses: 3 ");
    EXPECT_EQ(lines[1], "Messages: 4 ");
    EXPECT_EQ(lines[2], "Size: 135 ");
    EXPECT_EQ(Cells(lines[3]).size(), 4u);
    EXPECT_EQ(Cells(lines[4])[1], "bob");
    EXPECT_EQ(Cells(lines[5])[1], "alice");
    EXPECT_EQ(Cells(lines[5])[2], "     2");
    EXPECT_EQ(Cells(lines[6])[1], "carol");
    EXPECT_EQ(lines[7], "2 of 2 files processed.");

    CliResult missing = Cli({"stats", N("ONE.PMI"), N("NONE.PMI")});
    EXPECT_EQ(missing.status, 3);
    EXPECT_EQ(missing.out, "");
    EXPECT_TRUE(FixedTextThenReason(missing.err.substr(0, missing.err.size() - 1),
                                    "File Error 1: Cannot Open File: " + T("NONE.PMI")));
}

TEST_F(CliTest, NamesListsFoldersByDisplayName) {
    Write(Duplicated(Named("Gamma")), "A.PMI");
    Write(Duplicated(Named("beta")), "B.PMI");
    CliResult r = Cli({"names", N("")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "No.\tFolder Name\tFile Name\n1\tbeta\tB.PMI\n2\tGamma\tA.PMI\n");

    ASSERT_EQ(Cli({"run", N("A.PMI")}).status, 0);
    CliResult backups = Cli({"names", "--backup", N("")});
    EXPECT_EQ(backups.out, "No.\tFolder Name\tFile Name\n1\tGamma\tA.BKI\n");
}

#ifndef _WIN32

// The program's home directory holds a wine prefix whose map has no Z:.
TEST_F(CliTest, NativeAndWindowsPathsThroughAWinePrefix) {
    const fs::path prefix = home.Native("home/.wine");
    fs::create_directories(prefix / "drive_c/mail");
    fs::create_directories(prefix / "dosdevices");
    fs::create_symlink("../drive_c", prefix / "dosdevices/c:");
    const FolderBuilder folder = Duplicated();
    ASSERT_TRUE(folder.Write(home / "home\\.wine\\drive_c\\mail\\INBOX.PMI"));
    Write(folder, "OUTSIDE.PMI");

    // A Windows path text, any letter case, with the log.
    CliResult text = Cli({"run", "--log", N("run.log"), "c:\\MAIL\\inbox.pmi"});
    EXPECT_EQ(text.status, 0) << text.err;
    auto log = ReadFileBytes(P("run.log"));
    ASSERT_TRUE(log);
    EXPECT_NE(std::string(log->begin(), log->end())
                  .find("PMI File c:\\MAIL\\inbox.pmi has 5 messages.\n"),
              std::string::npos);

    // A native path that no drive of the prefix covers: a free letter (Z:)
    // stands for "/".
    CliResult outside = Cli({"run", "--dry-run", N("OUTSIDE.PMI")});
    EXPECT_EQ(outside.status, 0) << outside.err;
    EXPECT_EQ(outside.out.rfind(T("OUTSIDE.PMI") + ": msg:5", 0), 0u) << outside.out;
}

// Questions at a terminal: asked, answered, asked again after a wrong
// answer; the progress line does not garble them.
TEST_F(CliTest, QuestionsAreAskedAtATerminal) {
    HeaderSpec mismatched;
    mismatched.unread = 7;
    const FolderBuilder folder = Duplicated(mismatched);
    Write(folder, "INBOX.PMI");
    {
        CliProcess p({"run", N("INBOX.PMI")}, Options(), CliProcess::Streams::Terminal);
        ASSERT_TRUE(p.WaitFor("[y]es, [n]o or [c]ancel? ", std::chrono::seconds(30))) << p.seen();
        p.Type("maybe\n");
        ASSERT_TRUE(p.WaitFor("maybe\r\n[y]es, [n]o or [c]ancel? ", std::chrono::seconds(30)))
            << p.seen();
        p.Type("y\n");
        CliResult r = p.Wait();
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("File Mismatch: UNREAD PMI=3 PMM=7 Mismatch!\nYES to accept"),
                  std::string::npos);
        EXPECT_NE(r.out.find("1 of 1 files processed.\n"), std::string::npos);
        // The progress line, taken off again before the box.
        EXPECT_NE(r.out.find("\rFiles 0%  Messages 0%  File:  0 " + T("INBOX.PMI")),
                  std::string::npos)
            << r.out;
    }
    ExpectPair("INBOX", folder.Rewritten(kDuplicatedKept));

    Write(folder, "NEXT.PMI");
    {
        CliProcess p({"run", N("NEXT.PMI")}, Options(), CliProcess::Streams::Terminal);
        ASSERT_TRUE(p.WaitFor("[c]ancel? ", std::chrono::seconds(30)));
        p.Type("c\n");
        CliResult r = p.Wait();
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(r.out.find("files processed"), std::string::npos);
    }
    ExpectPair("NEXT", folder.Build());

    // Ctrl-C at the question: Cancel.
    ASSERT_TRUE(WriteFileBytes(P("USER.LCK"), "x"));
    {
        CliProcess p({"run", N("NEXT.PMI")}, Options(), CliProcess::Streams::Terminal);
        ASSERT_TRUE(p.WaitFor("[o]k or [c]ancel? ", std::chrono::seconds(30))) << p.seen();
        p.Type("\x03");
        CliResult r = p.Wait();
        EXPECT_EQ(r.status, 3) << r.out;
    }
    ExpectPair("NEXT", folder.Build());
}

// Ctrl-C in the middle of a long run: the run ends at its next abort point;
// every folder is either rewritten whole, with its backup pair, or as it was.
TEST_F(CliTest, InterruptLeavesEveryFolderRewrittenOrUntouched) {
    constexpr int kFolders = 16, kMessages = 3000;
    FolderBuilder folder;
    for (int i = 0; i < kMessages; ++i) {
        const int m = i / 2;  // every message twice
        folder.Add(Msg("sender " + std::to_string(m % 97), "subject " + std::to_string(m), "", m,
                       std::string(200 + m % 300, static_cast<char>('a' + m % 26))));
    }
    std::vector<int> kept;
    for (int i = 0; i < kMessages; i += 2)
        kept.push_back(i);
    const FolderBytes before = folder.Build(), after = folder.Rewritten(kept);
    std::vector<std::string> args{"run"};
    for (int k = 0; k < kFolders; ++k) {
        const std::string name = "F" + std::to_string(100 + k);
        ASSERT_TRUE(WriteFileBytes(P(name + ".PMI"), before.pmi));
        ASSERT_TRUE(WriteFileBytes(P(name + ".PMM"), before.pmm));
        args.push_back(N(name + ".PMI"));
    }

    CliProcess p(args, Options(), CliProcess::Streams::Pipes);
    // Ctrl-C as soon as the fourth folder has its backup pair.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!platform::FileExists(P("F103.BKM")) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    p.Signal(SIGINT);
    CliResult r = p.Wait();
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "kestrove-cli: interrupted\n");

    int rewritten = 0, untouched = 0;
    for (int k = 0; k < kFolders; ++k) {
        const std::string name = "F" + std::to_string(100 + k);
        auto pmi = ReadFileBytes(P(name + ".PMI"));
        auto pmm = ReadFileBytes(P(name + ".PMM"));
        ASSERT_TRUE(pmi && pmm) << name;
        if (HasBackup(name)) {
            EXPECT_EQ(*pmi, after.pmi) << name;
            EXPECT_EQ(*pmm, after.pmm) << name;
            ExpectBackup(name, before);
            ++rewritten;
        } else {
            EXPECT_EQ(*pmi, before.pmi) << name;
            EXPECT_EQ(*pmm, before.pmm) << name;
            ++untouched;
        }
    }
    EXPECT_GE(rewritten, 3);
    EXPECT_GE(untouched, 1);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Native()))
        ++files;
    EXPECT_EQ(files, static_cast<std::size_t>(2 * kFolders + 2 * rewritten));  // no temporaries
}

#endif

}  // namespace
}  // namespace kestrove::testing
