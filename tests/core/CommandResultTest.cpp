// What the long commands report of their work beside the summary they show:
// whether they went through their list, and how many entries they did.
// The command-line tool's exit status rests on these.
#include <gtest/gtest.h>

#include <filesystem>

#include "backup/Backup.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"
#include "reports/Export.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove::testing {
namespace {

FolderBuilder WithDuplicate() {
    FolderBuilder f;
    f.Add(Msg("ann", "s", "d", 1, "one")).Add(Msg("ann", "s", "d", 1, "one"));
    f.Add(Msg("ben", "s", "d", 2, "two"));
    return f;
}

FolderBuilder WithoutDuplicate() {
    FolderBuilder f;
    f.Add(Msg("ann", "s", "d", 1, "one")).Add(Msg("ben", "s", "d", 2, "two"));
    return f;
}

class CommandResultTest : public ::testing::Test {
  protected:
    std::string Pmi(std::string_view name) const { return dir / (std::string(name) + ".PMI"); }
    std::string Bki(std::string_view name) const { return dir / (std::string(name) + ".BKI"); }
    void Select(std::initializer_list<std::string> paths) {
        state.ListBox1.Clear();
        for (const std::string& path : paths)
            state.ListBox1.Add(path);
        state.currentDirectory = state.fileListDirectory = dir.path();
    }
    // A, B and C with their backup pairs, after a run.
    void ThreeBackups() {
        for (const char* name : {"A", "B", "C"})
            ASSERT_TRUE(WithDuplicate().Write(Pmi(name)));
        Select({Pmi("A"), Pmi("B"), Pmi("C")});
        ASSERT_TRUE(RunDeleteDupes1Click(state, port).AllDone());
    }

    TempDir dir;
    AppState state;
    ScriptedPort port;
};

TEST_F(CommandResultTest, RunCountsRewrittenAndCleanFoldersAsDone) {
    ASSERT_TRUE(WithDuplicate().Write(Pmi("A")));
    ASSERT_TRUE(WithoutDuplicate().Write(Pmi("B")));
    // C's header counts unread messages the index does not have: skipped.
    FolderBuilder c = WithDuplicate();
    c.header().unread = 9;
    ASSERT_TRUE(c.Write(Pmi("C")));
    state.settings.MismatchedUnread = OnMismatch::Skip;
    Select({Pmi("A"), Pmi("B"), Pmi("C")});

    CommandResult result = RunDeleteDupes1Click(state, port);
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.entries, 3);
    EXPECT_EQ(result.done, 2);  // A rewritten; B with nothing to drop
    EXPECT_EQ(result.summary, "1 of 3 files processed.");
    EXPECT_EQ(result.summary, port.Status(StatusLine::LabelInfoMsg1));
    EXPECT_FALSE(result.AllDone());

    // Each outcome on its own: B is unchanged, C skipped.
    ASSERT_TRUE(LoadIndex(state, port, Pmi("B"), 0));
    FindDuplicates(state, port, Pmi("B"));
    EXPECT_EQ(RewriteFolder(state, port, Pmi("B"), 0), FolderOutcome::Unchanged);
    ASSERT_TRUE(LoadIndex(state, port, Pmi("C"), 0));
    FindDuplicates(state, port, Pmi("C"));
    EXPECT_EQ(RewriteFolder(state, port, Pmi("C"), 0), FolderOutcome::Skipped);
    EXPECT_FALSE(platform::FileExists(Bki("B")));
    EXPECT_TRUE(port.ScriptDone());
}

TEST_F(CommandResultTest, RunThatEndsIsNotCompleted) {
    ASSERT_TRUE(WithDuplicate().Write(Pmi("A")));
    ASSERT_TRUE(WithDuplicate().Write(Pmi("C")));
    // B cannot be opened: the run ends after A.
    Select({Pmi("A"), Pmi("B"), Pmi("C")});
    port.Reply(Answer::Ok, "File Error 1");
    CommandResult ended = RunDeleteDupes1Click(state, port);
    EXPECT_FALSE(ended.completed);
    EXPECT_EQ(ended.entries, 3);
    EXPECT_EQ(ended.done, 1);
    EXPECT_EQ(ended.summary, "");

    // Abort before the first folder.
    Select({Pmi("C")});
    port.AbortAtPump(state, 1);
    CommandResult aborted = RunDeleteDupes1Click(state, port);
    EXPECT_FALSE(aborted.completed);
    EXPECT_EQ(aborted.done, 0);

    // An empty list ends at once.
    Select({});
    port.Reply(Answer::Ok, "No Data");
    EXPECT_FALSE(RunDeleteDupes1Click(state, port).completed);
    EXPECT_TRUE(port.ScriptDone());
}

TEST_F(CommandResultTest, NetworkRunReportsEachDirectory) {
    for (const char* user : {"ALICE", "BOB", "CAROL"})
        std::filesystem::create_directories(dir.Native(user));
    ASSERT_TRUE(WithDuplicate().Write(dir / "ALICE\\INBOX.PMI"));
    ASSERT_TRUE(WithoutDuplicate().Write(dir / "ALICE\\SENT.PMI"));
    ASSERT_TRUE(WithDuplicate().Write(dir / "CAROL\\INBOX.PMI"));
    state.mode = kNetworkMode;
    for (const char* user : {"ALICE", "BOB", "CAROL"})
        state.ListBox3.Add(dir / user);
    port.Reply(Answer::Ok, "Network Mode");
    port.Reply(Answer::Ok, "No Data");

    NetworkRunResult result = RunNetButtonClick(state, port);
    EXPECT_TRUE(result.completed);
    ASSERT_EQ(result.directories.size(), 3u);
    EXPECT_EQ(result.directories[0].first, dir / "ALICE");
    EXPECT_TRUE(result.directories[0].second.AllDone());
    EXPECT_EQ(result.directories[0].second.summary, "1 of 2 files processed.");
    // BOB has no folders: its run ends at "No files selected.".
    EXPECT_FALSE(result.directories[1].second.completed);
    EXPECT_EQ(result.directories[1].second.entries, 0);
    EXPECT_EQ(result.directories[2].second.summary, "1 of 1 files processed.");

    // Abort in the first directory ends the network run there.
    port.AbortAtPump(state, 1);
    NetworkRunResult aborted = RunNetButtonClick(state, port);
    EXPECT_FALSE(aborted.completed);
    EXPECT_EQ(aborted.directories.size(), 1u);
    EXPECT_TRUE(port.ScriptDone());
}

TEST_F(CommandResultTest, BackupCommandsCountWholePairs) {
    ThreeBackups();
    // B's backup message file is gone: B is reported and not done.
    ASSERT_TRUE(platform::RemoveFile(dir / "B.BKM"));
    state.mode = kBackupMode;
    Select({Bki("A"), Bki("B")});
    port.Reply(Answer::Ok, "Backup File Error");
    CommandResult restored = RestoreButtonClick(state, port);
    EXPECT_TRUE(restored.completed);
    EXPECT_EQ(restored.entries, 2);
    EXPECT_EQ(restored.done, 1);
    EXPECT_EQ(restored.summary, "1 of 2 files processed.");

    std::filesystem::create_directories(dir.Native("KEEP"));
    port.directoryAnswer = dir / "KEEP";
    Select({Bki("C")});
    CommandResult moved = MoveButtonClick(state, port);
    EXPECT_TRUE(moved.AllDone());
    EXPECT_EQ(moved.summary, "1 of 1 folders moved (2 files moved).");

    // A cancelled chooser ends the move.
    port.directoryAnswer.reset();
    Select({dir / "KEEP\\C.BKI"});
    EXPECT_FALSE(MoveButtonClick(state, port).completed);

    // The lock-file question cancelled: nothing deleted, not completed.
    ASSERT_TRUE(WriteFileBytes(dir / "USER.LCK", std::string_view("")));
    port.Reply(Answer::Cancel, "Mailbox Active");
    EXPECT_FALSE(DeleteButtonClick(state, port).completed);
    state.settings.RunCheck = LockCheck::Never;
    CommandResult deleted = DeleteButtonClick(state, port);
    EXPECT_TRUE(deleted.AllDone());
    EXPECT_EQ(deleted.summary, "1 of 1 files processed (2 deleted).");
    EXPECT_TRUE(port.ScriptDone());
}

TEST_F(CommandResultTest, ExportCountsTheFilesWrittenWhole) {
    ASSERT_TRUE(WithDuplicate().Write(Pmi("A")));
    Select({Pmi("A"), Pmi("B")});
    port.Reply(Answer::Ok, "File Error");
    CommandResult failed = SaveIndexFile1Click(state, port);
    EXPECT_FALSE(failed.completed);
    EXPECT_EQ(failed.done, 1);

    Select({Pmi("A")});
    CommandResult done = SaveIndexFile1Click(state, port);
    EXPECT_TRUE(done.AllDone());
    EXPECT_EQ(done.summary, "");  // the export sets none
    EXPECT_TRUE(port.ScriptDone());
}

}  // namespace
}  // namespace kestrove::testing
