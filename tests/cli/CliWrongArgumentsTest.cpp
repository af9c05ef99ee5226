// kestrove-cli given arguments of the wrong kind: a message file, a backup
// message file, a directory, another program's file, one file twice, both
// halves of a pair. Every command refuses them with a clear message and an
// exit status that says so, and every file of the directory is left as it
// was, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/MessageFlag.h"
#include "tests/support/CliRunner.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/Reasons.h"
#include "tests/support/TempDir.h"

namespace kestrove::testing {
namespace {

namespace fs = std::filesystem;

// Five messages: one repeated, one deleted; a run would rewrite it.
FolderBuilder Duplicated(std::string name) {
    HeaderSpec header;
    header.name = std::move(name);
    FolderBuilder b(header);
    b.Add(Msg("alice", "hello", "1 Jan 20", 100, "first text"));
    b.Add(Msg("alice", "hello", "1 Jan 20", 100, "first text"));
    b.Add(Msg("bob", "news", "2 Jan 20", 200, "second", kReadBit));
    b.Add(Msg("carol", "old", "3 Jan 20", 300, "gone", kDeletedBit));
    b.Add(Msg("dave", "later", "4 Jan 20", 400, "fourth"));
    return b;
}

FolderBuilder Older() {
    HeaderSpec header;
    header.name = "Older";
    FolderBuilder b(header);
    b.Add(Msg("erin", "one", "5 Jan 20", 500, "text one"));
    return b;
}

// Every file and directory below `root`: its bytes, or a mark for a
// directory. Links are followed, so a file reached through one counts too.
using Snapshot = std::map<std::string, std::string>;
Snapshot Take(const fs::path& root) {
    Snapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).generic_string();
        if (entry.is_directory()) {
            snapshot[name] = "<directory>";
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        snapshot[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return snapshot;
}

class CliWrongArguments : public ::testing::Test {
  protected:
    void SetUp() override {
        if (CliPath().empty())
            GTEST_SKIP() << "this build has no kestrove-cli";
        fs::create_directories(home.Native("home"));
        // A folder a run would rewrite, beside an older backup pair that a
        // run with --existing-backup overwrite would give up.
        ASSERT_TRUE(Duplicated("One").Write(dir / "P1.PMI"));
        const FolderBytes older = Older().Build();
        ASSERT_TRUE(WriteFileBytes(dir / "P1.BKI", older.pmi));
        ASSERT_TRUE(WriteFileBytes(dir / "P1.BKM", older.pmm));
        // A folder with the backup message file a failed delete left behind.
        ASSERT_TRUE(Duplicated("Three").Write(dir / "P3.PMI"));
        ASSERT_TRUE(WriteFileBytes(dir / "P3.BKM", older.pmm));
        // Another program's files, one of them holding index records.
        ASSERT_TRUE(WriteFileBytes(dir / "notes.txt", "not mail\r\n"));
        ASSERT_TRUE(WriteFileBytes(dir / "IDX.TXT", Duplicated("x").Build().pmi));
        fs::create_directories(dir.Native("SUB"));
        fs::create_directories(dir.Native("DIR.BKI"));
        fs::create_directories(dir.Native("keep"));
        before = Take(dir.Native());
    }

    CliResult Cli(const std::vector<std::string>& args) {
        CliOptions options;
        options.env["HOME"] = home.Native("home").string();
        return RunCli(args, options);
    }

    std::string N(std::string_view name) const { return dir.Native(name).string(); }
    std::string T(std::string_view name) const { return ProgramText(dir.Native(name)); }

    // Runs the command; checks its exit status, both streams, and that the
    // directory is as it was.
    void Refused(const std::vector<std::string>& args, int status, const std::string& err,
                 const std::string& out = "") {
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        SCOPED_TRACE(shown);
        CliResult r = Cli(args);
        EXPECT_EQ(r.status, status);
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out, out);
        EXPECT_EQ(Take(dir.Native()), before);
    }

    TempDir dir{'D'};
    TempDir home{'H'};
    Snapshot before;
};

TEST_F(CliWrongArguments, HelpHasTheTableOfWhatEachCommandTakes) {
    CliResult help = Cli({"--help"});
    EXPECT_EQ(help.status, 0);
    const std::size_t table = help.out.find("What each command takes");
    ASSERT_NE(table, std::string::npos);
    for (const char* row : {"\n  run, run --dry-run ", "\n  network-run ",
                            "\n  restore, delete-backups, move-backups\n", "\n  view, stats ",
                            "\n  export ", "\n  names DIR, --to DIR ", "\n  --log FILE "})
        EXPECT_NE(help.out.find(row, table), std::string::npos) << row;
}

// restore, delete-backups and move-backups take backup index files only.
TEST_F(CliWrongArguments, BackupCommandsSkipEverythingButABackupIndexFile) {
    struct Command {
        std::vector<std::string> args;
        std::string summary;  // with %d for the number of entries
    };
    const std::vector<Command> commands{
        {{"restore"}, "0 of %d files processed.\n"},
        {{"delete-backups", "--yes"}, "0 of %d files processed (0 deleted).\n"},
        {{"move-backups", "--yes", "--to", N("keep")}, "0 of %d folders moved (0 files moved).\n"},
    };
    auto skipped = [&](std::string_view name) {
        return "Backup File Error: " + T(name) +
               " is not a backup index file (.BKI) - skipping file.\n";
    };
    auto summary = [](std::string format, int n) {
        return format.replace(format.find("%d"), 2, std::to_string(n));
    };
    for (const Command& command : commands) {
        for (const char* name : {"P1.PMI", "P1.PMM", "P1.BKM", "notes.txt", "SUB", "DIR.BKI"}) {
            std::vector<std::string> args = command.args;
            args.push_back(N(name));
            Refused(args, 1, skipped(name), summary(command.summary, 1));
        }
        // The glob P3.*: the orphaned P3.BKM is not restored as an index.
        std::vector<std::string> args = command.args;
        for (const char* name : {"P3.PMI", "P3.PMM", "P3.BKM"})
            args.push_back(N(name));
        Refused(args, 1, skipped("P3.BKM") + skipped("P3.PMI") + skipped("P3.PMM"),
                summary(command.summary, 3));
    }
}

// The run and its dry run take index files only; the settings are the ones
// that would give an old backup up without asking.
TEST_F(CliWrongArguments, RunAndDryRunSkipEverythingButAnIndexFile) {
    const std::vector<std::string> run{"run", "--yes", "--existing-backup", "overwrite"};
    for (const char* name : {"P1.PMM", "notes.txt", "IDX.TXT", "SUB", "P1.BKI", "P1.BKM"}) {
        const bool backup = std::string_view(name).substr(0, 4) == "P1.B";
        const std::string box =
            backup ? "Backup File Error: " + T(name) + " is a backup file - skipping file.\n"
                   : "File Error: " + T(name) + " is not an index file (.PMI) - skipping file.\n";
        std::vector<std::string> args = run;
        args.push_back(N(name));
        Refused(args, 1, box, "0 of 1 files processed.\n");
        Refused({"run", "--dry-run", N(name)}, 1, box, "0 of 1 files have records to drop.\n");
    }
}

TEST_F(CliWrongArguments, ReportsTakeIndexFilesAndDirectoryCommandsDirectories) {
    for (const char* name : {"P1.PMM", "P1.BKM", "notes.txt", "SUB"}) {
        const std::string why = T(name) + " is not an index file (.PMI or .BKI).\n";
        Refused({"view", N(name)}, 2, "kestrove-cli: " + why);
        Refused({"stats", N("P1.PMI"), N(name)}, 2, "kestrove-cli: " + why);
        // The export would write over the folder's own export.
        Refused({"export", N(name)}, 3, "File Error: " + why);
    }
    // NAME.TXT is the TAB export of NAME: the input would be emptied first.
    Refused({"export", "--format", "tab", N("IDX.TXT")}, 3,
            "File Error: " + T("IDX.TXT") + " is not an index file (.PMI or .BKI).\n");

    for (const char* name : {"P1.PMI", "notes.txt"}) {
        const std::string why = "kestrove-cli: " + T(name) + " is not a directory\n";
        Refused({"network-run", "--yes", N(name)}, 2, why);
        Refused({"network-run", "--dry-run", N("SUB"), N(name)}, 2, why);
        Refused({"names", N(name)}, 2, why);
        Refused({"move-backups", "--to", N(name), N("P1.BKI")}, 2,
                "kestrove-cli: --to: " + T(name) + " is not a directory\n");
    }
}

// --log empties its file: never one of a folder's files.
TEST_F(CliWrongArguments, TheLogIsNeverAMailFolderFile) {
    auto refused = [&](std::string_view name) {
        return "File Error: " + T(name) + " is a mail folder file - it cannot be the log.\n";
    };
    Refused({"run", "--yes", "--log", N("P1.PMM"), N("P1.PMI")}, 3, refused("P1.PMM"));
    Refused({"run", "--dry-run", "--log", N("P1.PMI"), N("P1.PMI")}, 3, refused("P1.PMI"));
    Refused({"network-run", "--yes", "--log", N("P3.pmm"), N("")}, 3, refused("P3.pmm"));
    Refused({"restore", "--log", N("P1.BKI"), N("P1.BKI")}, 3, refused("P1.BKI"));
    Refused({"delete-backups", "--yes", "--log", N("p1.bkm"), N("P1.BKI")}, 3, refused("p1.bkm"));
    Refused({"stats", "--log", N("P1.PMI"), N("P1.PMI")}, 3, refused("P1.PMI"));
#ifndef _WIN32
    // A log name that is a link to a selected folder's message file.
    fs::create_symlink(dir.Native("P1.PMM"), dir.Native("run.log"));
    before = Take(dir.Native());
    Refused({"run", "--yes", "--log", N("run.log"), N("P1.PMI")}, 3, refused("run.log"));
#endif
}

// One file named twice is taken once: it is not rewritten twice (the second
// rewrite would give up the first one's backup), nor counted twice.
TEST_F(CliWrongArguments, AFileNamedTwiceIsTakenOnce) {
    CliResult once = Cli({"stats", N("P1.PMI")});
    CliResult twice = Cli({"stats", N("P1.PMI"), N("p1.pmi")});
    EXPECT_EQ(twice.status, 0);
    EXPECT_EQ(twice.out, once.out);
    EXPECT_EQ(twice.err, "kestrove-cli: " + T("p1.pmi") + " is the same file as " + T("P1.PMI") +
                             " - taken once.\n");
    Refused({"view", N("P1.PMI"), N("P1.PMI")}, 2,
            "kestrove-cli: view: only one INDEX is taken\nTry 'kestrove-cli view --help'.\n");

    const FolderBuilder folder = Duplicated("One");
    CliResult run = Cli(
        {"run", "--yes", "--existing-backup", "overwrite", N("P1.PMI"), N("p1.pmi"), N("P1.PMM")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "1 of 2 files processed.\n");
    EXPECT_NE(run.err.find(T("p1.pmi") + " is the same file as " + T("P1.PMI")), std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(T("P1.PMM") + " is not an index file (.PMI)"), std::string::npos);
    // The backup pair is the folder as it was: the second half of the glob
    // did not give it up.
    EXPECT_EQ(ReadFileBytes(dir / "P1.BKI"), folder.Build().pmi);
    EXPECT_EQ(ReadFileBytes(dir / "P1.BKM"), folder.Build().pmm);
    EXPECT_EQ(ReadFileBytes(dir / "P1.PMI"), folder.Rewritten({0, 2, 4}).pmi);
    EXPECT_EQ(ReadFileBytes(dir / "P1.PMM"), folder.Rewritten({0, 2, 4}).pmm);

    CliResult restore = Cli({"restore", N("P1.BKI"), N("p1.BKI")});
    EXPECT_EQ(restore.status, 0) << restore.err;
    EXPECT_EQ(restore.out, "1 of 1 files processed.\n");
    EXPECT_EQ(ReadFileBytes(dir / "P1.PMI"), folder.Build().pmi);
}

// The export opens and checks its input before it creates its output.
TEST_F(CliWrongArguments, TheExportNeverEmptiesAFileItHasNotChecked) {
    {
        // The box ends with the system's reason, in the system's words.
        CliResult r = Cli({"export", N("P9.PMI")});
        EXPECT_EQ(r.status, 3);
        ASSERT_TRUE(r.err.ends_with("\n"));
        EXPECT_TRUE(
            FixedTextThenReason(r.err.substr(0, r.err.size() - 1),
                                "File Error: Cannot Open Input Index File: " + T("P9.PMI")));
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(Take(dir.Native()), before);
    }
    EXPECT_FALSE(fs::exists(dir.Native("P9.CSV")));

    // The glob P1.*: the index and its backup share one export file, which
    // keeps the first one's export (P1.BKI sorts first).
    CliResult both = Cli({"export", N("P1.PMI"), N("P1.BKI")});
    EXPECT_EQ(both.status, 3);
    EXPECT_EQ(both.out, "File " + T("P1.CSV") + "\n");
    EXPECT_EQ(both.err,
              "File Error: Output file " + T("P1.CSV") + " was written by this export already.\n");
    auto csv = ReadFileBytes(dir / "P1.CSV");
    ASSERT_TRUE(csv);
    EXPECT_EQ(std::count(csv->begin(), csv->end(), '\n'), 2);  // title and erin's record
    fs::remove(dir.Native("P1.CSV"));
#ifndef _WIN32
    // An export file that is a link to the index itself is skipped, as any
    // link is; one that is a second name of the index is refused.
    fs::create_symlink(dir.Native("P1.PMI"), dir.Native("P1.CSV"));
    fs::create_hard_link(dir.Native("P3.PMI"), dir.Native("P3.TXT"));
    before = Take(dir.Native());
    Refused({"export", N("P1.PMI")}, 1,
            "File Link Error: " + T("P1.CSV") + " is a link - skipping file.\n");
    Refused({"export", "--format", "tab", N("P3.PMI")}, 3,
            "File Error: Output file " + T("P3.TXT") + " is the index file itself.\n");
#endif
}

// The folder list reads a message file shorter than its header as the
// viewer does: padded with zeros, so the name it holds is shown.
TEST_F(CliWrongArguments, AShortMessageFileStillNamesItsFolder) {
    const FolderBytes folder = Duplicated("x").Build();
    ASSERT_TRUE(WriteFileBytes(dir / "SHORT.PMI", folder.pmi));
    ASSERT_TRUE(WriteFileBytes(dir / "SHORT.PMM", std::string_view("Short name")));
    CliResult names = Cli({"names", N("")});
    EXPECT_EQ(names.status, 0) << names.err;
    EXPECT_NE(names.out.find("\tShort name\tSHORT.PMI\n"), std::string::npos) << names.out;
    CliResult view = Cli({"view", N("SHORT.PMI")});
    EXPECT_NE(view.out.find("[Short name]"), std::string::npos) << view.out;
}

}  // namespace
}  // namespace kestrove::testing
