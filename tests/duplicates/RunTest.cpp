// The run over the selected list, its log, and the network run.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Format.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "tests/support/EngineFixture.h"

namespace kestrove::testing {
namespace {

// Six slots, one duplicate: rewritten.
FolderBuilder WithDuplicate() {
    FolderBuilder f;
    f.header().name = "Box";
    for (int i = 0; i < 5; ++i)
        f.Add(Msg("From " + std::to_string(i), "s", "d", i, "text " + std::to_string(i)));
    f.Add(Msg("From 4", "s", "d", 4, "text 4"));
    return f;
}

FolderBuilder WithoutDuplicate() {
    FolderBuilder f;
    f.Add(Msg("A", "s", "d", 1, "a")).Add(Msg("B", "s", "d", 2, "b"));
    return f;
}

class RunTest : public EngineTest {
  protected:
    // Writes folders A (duplicate), B (none) and C (duplicate) into `in`.
    std::vector<std::string> ThreeFolders(const std::string& in) {
        std::vector<std::string> paths;
        for (const char* name : {"A", "B", "C"}) {
            const std::string p = in + "\\" + name + ".PMI";
            EXPECT_TRUE((name[0] == 'B' ? WithoutDuplicate() : WithDuplicate()).Write(p));
            paths.push_back(p);
        }
        return paths;
    }
    std::vector<int> MeterValues(Meter m) const {
        std::vector<int> v;
        for (auto [meter, value] : port.meterHistory)
            if (meter == m)
                v.push_back(value);
        return v;
    }
    bool Processed(const std::string& path) { return Exists(BackupIndexFileName(path)); }
};

TEST_F(RunTest, EmptyListAndStop) {
    port.Reply(Answer::Ok, "No Data");
    RunDeleteDupes1Click(state, port);
    EXPECT_EQ(port.boxes.at(0).text, "No files selected.");
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Information);
    EXPECT_TRUE(port.meterVisible.empty());
    EXPECT_FALSE(port.abortVisible);
    EXPECT_TRUE(port.status.empty());

    port.ShowAbort(true);
    Stop(state, port);
    EXPECT_TRUE(state.AbortRequested);
    EXPECT_FALSE(port.abortVisible);
}

TEST_F(RunTest, LockFileQuestion) {
    const auto paths = ThreeFolders(dir.path());
    ASSERT_TRUE(WriteFileBytes(dir / "USER.LCK", std::string_view("")));
    // Cancel: nothing else happens.
    port.Reply(Answer::Cancel, "Mailbox Active");
    Run({paths[0]});
    EXPECT_EQ(port.boxes.at(0).text,
              "Pegasus Mail is active for this mailbox.\nOK to continue\nCancel to abort run.");
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Exclamation);
    EXPECT_EQ(port.boxes.at(0).buttons, Buttons::OkCancel);
    EXPECT_TRUE(port.meterVisible.empty());
    EXPECT_FALSE(Processed(paths[0]));
    // OK: the run goes on.
    port.Reply(Answer::Ok, "Mailbox Active");
    Run({paths[0]});
    EXPECT_TRUE(Processed(paths[0]));
    // Never asked with RunCheck 1, nor for a lock file elsewhere than the
    // current directory.
    state.settings.RunCheck = LockCheck::Never;
    Run({paths[2]});
    state.settings.RunCheck = LockCheck::Always;
    state.currentDirectory = dir / "elsewhere";
    Run({paths[1]});
    EXPECT_EQ(port.boxes.size(), 2u);
}

TEST_F(RunTest, SummaryMetersAndHighlights) {
    const auto paths = ThreeFolders(dir.path());
    const FolderBytes b = WithoutDuplicate().Build();
    Run({paths[2], paths[0], paths[1]});  // the list sorts them
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "2 of 3 files processed.");
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg2), "");
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg3), "");
    EXPECT_TRUE(Processed(paths[0]) && Processed(paths[2]));
    ExpectUntouched(paths[1], b);
    EXPECT_EQ(MeterValues(Meter::ProgressBarF), (std::vector<int>{0, 0, 33, 66, 0}));
    // One step per slot of a six-slot folder.
    const auto m = MeterValues(Meter::ProgressBarM);
    EXPECT_EQ(std::vector<int>(m.begin(), m.begin() + 8),
              (std::vector<int>{0, 0, 0, 16, 33, 50, 66, 83}));
    for (Meter meter : {Meter::ProgressBarF, Meter::ProgressBarM, Meter::ProgressBar1}) {
        EXPECT_FALSE(port.meterVisible[meter]);
        EXPECT_EQ(port.meters[meter], 0);
    }
    EXPECT_FALSE(port.abortVisible);
    EXPECT_EQ(port.highlights,
              (std::vector<std::pair<ListId, int>>{
                  {ListId::ListBox1, 0}, {ListId::ListBox1, 1}, {ListId::ListBox1, 2}}));
    EXPECT_EQ(state.ListBox1.highlighted, 2);
    EXPECT_EQ(port.statusHistory.front().second, "File:  0 " + paths[0]);
}

// Abort is noticed at each pump: before each folder and at each slot of a
// rewrite. The run then ends: no summary, the log stays open.
TEST_F(RunTest, AbortAtEachPump) {
    // Pumps: 1 before A, 2-7 A's slots, 8 before B (skipped, no slots),
    // 9 before C, 10-15 C's slots, 16 after the loop.
    struct {
        int pump;
        bool a, c, summary;
    } cases[] = {{1, false, false, false}, {3, false, false, false}, {8, true, false, false},
                 {9, true, false, false},  {15, true, false, false}, {16, true, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pump);
        const std::string sub = dir / ("run" + std::to_string(c.pump));
        std::filesystem::create_directory(dir.Native("run" + std::to_string(c.pump)));
        const auto paths = ThreeFolders(sub);
        port = ScriptedPort();
        OpenLog();
        port.AbortAtPump(state, c.pump);
        Run({paths[0], paths[1], paths[2]});
        EXPECT_EQ(Processed(paths[0]), c.a);
        EXPECT_FALSE(Processed(paths[1]));
        EXPECT_EQ(Processed(paths[2]), c.c);
        EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1) == "2 of 3 files processed.", c.summary);
        EXPECT_EQ(state.runLog.IsOpen(), !c.summary);
        EXPECT_EQ(port.pumps, 16 - (c.summary ? 0 : 16 - c.pump));
        state.runLog.Close();
    }
}

TEST_F(RunTest, LogOfARun) {
    FolderBuilder f;
    f.Add(Msg("A", "s", "d", 1, "one")).Add(Msg("A", "s", "d", 1, "one"));
    const std::string p = Pmi("LOG"), m = dir / "LOG.PMM";
    ASSERT_TRUE(f.Write(p));
    const std::string log = OpenLog();
    Run({p});
    EXPECT_FALSE(state.runLog.IsOpen());  // Normal Mode: closed at the end
    const std::vector<std::string> want = {
        "PMI File " + p + " has 2 messages.",
        " PMI: msg:2 read:0 deleted:0 dupes:1",
        " PMM: Unread:2 deleted:0 delsize:0",
        // The new pair is written while the old one is read in place...
        "Openned output file " + p,
        "Openned output file " + m,
        "Openned input file " + m,
        "Message 0 dup/del=0 osmg=0",
        "End of message 0 at ~131",
        "End of message 0 at ~131",
        "End of message 0 at ~132",
        "Message 1 dup/del=1 osmg=1",
        // ...and only then does the old one become the backup.
        "Renamed " + p + " to " + dir / "LOG.BKI",
        "Renamed " + m + " to " + dir / "LOG.BKM",
    };
    EXPECT_EQ(Lines(log), want);

    // A second run writes no log; in Network Mode the log stays open.
    ASSERT_TRUE(f.Write(Pmi("TWO")));
    Run({Pmi("TWO")});
    EXPECT_EQ(Lines(log), want);
    OpenLog();
    state.mode = kNetworkMode;
    ASSERT_TRUE(f.Write(Pmi("THREE")));
    Run({Pmi("THREE")});
    EXPECT_TRUE(state.runLog.IsOpen());
}

TEST_F(RunTest, SaveLogFile) {
    std::filesystem::create_directory(dir.Native("sub"));
    port.saveFileAnswer = dir / "sub";
    port.Reply(Answer::Ok, "File Error");
    SaveLogFile1Click(state, port);
    EXPECT_TRUE(FixedTextThenReason(port.boxes.at(0).text, "Cannot Open File: " + dir / "sub"));
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Stop);
    EXPECT_FALSE(state.runLog.IsOpen());
    port.saveFileAnswer.reset();  // cancelled: nothing
    SaveLogFile1Click(state, port);
    EXPECT_FALSE(state.runLog.IsOpen());
}

// The dialog opens in the window's directory; under "Log Files" a name
// without an extension is given ".log".
TEST_F(RunTest, TheLogIsNamedByTheFilterChosen) {
    std::filesystem::create_directory(dir.Native("sub"));
    state.currentDirectory = dir / "sub";
    port.saveFileAnswer = dir / "sub\\run";
    SaveLogFile1Click(state, port);
    EXPECT_EQ(port.saveFileStarts, std::vector<std::string>{dir / "sub"});
    EXPECT_TRUE(state.runLog.IsOpen());
    EXPECT_TRUE(std::filesystem::exists(dir.Native("sub\\run.log")));
    EXPECT_EQ(LogFileName("C:\\Logs\\run", 0), "C:\\Logs\\run.log");
    EXPECT_EQ(LogFileName("C:\\Logs\\run", 1), "C:\\Logs\\run");  // "All Files"
    EXPECT_EQ(LogFileName("C:\\Logs\\run.txt", 0), "C:\\Logs\\run.txt");
    EXPECT_EQ(LogFileName("C:\\v1.2\\run", 0), "C:\\v1.2\\run.log");
}

// The run takes index files only: a message file or another program's file
// would be read as records and its folder rewritten from them. Such an entry
// is skipped and the run goes on.
TEST_F(RunTest, EntriesThatAreNotIndexFilesAreSkipped) {
    const FolderBuilder folder = WithDuplicate();
    const std::string p = Pmi("BOX"), m = dir / "BOX.PMM", notes = dir / "notes.txt";
    ASSERT_TRUE(folder.Write(p));
    ASSERT_TRUE(WriteFileBytes(notes, folder.Build().pmi));
    state.settings.BackupFiles =
        OnBackupExists::Overwrite;  // old backups would go without a question
    port.Reply(Answer::Ok, "File Error");
    port.Reply(Answer::Ok, "File Error");
    const std::string log = OpenLog();
    Run({m, notes, p});
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].text, m + " is not an index file (.PMI) - skipping file.");
    EXPECT_EQ(port.boxes[1].text, notes + " is not an index file (.PMI) - skipping file.");
    EXPECT_NE(Text(log).find(port.boxes[1].text + "\n"), std::string::npos);
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "1 of 3 files processed.");
    EXPECT_EQ(ReadFolder(p).bki, folder.Build().pmi);
    EXPECT_EQ(ReadFolder(p).bkm, folder.Build().pmm);
    EXPECT_EQ(Bytes(notes), folder.Build().pmi);
}

// The log is emptied when it is opened: never a folder's file, whether named
// as one or reached as one of the selected folders' files.
TEST_F(RunTest, NoFolderFileBecomesTheLog) {
    const FolderBuilder folder = WithDuplicate();
    ASSERT_TRUE(folder.Write(Pmi("BOX")));
    state.ListBox1.Add(Pmi("BOX"));
    for (const std::string name : {"BOX.PMI", "box.pmm", "OTHER.BKI", "OTHER.bkm"}) {
        ScriptedPort p;
        p.Reply(Answer::Ok, "File Error");
        OpenRunLog(state, p, dir / name);
        ASSERT_EQ(p.boxes.size(), 1u) << name;
        EXPECT_EQ(p.boxes[0].text, dir / name + " is a mail folder file - it cannot be the log.");
        EXPECT_FALSE(state.runLog.IsOpen());
    }
#ifndef _WIN32
    std::filesystem::create_symlink(dir.Native("BOX.PMM"), dir.Native("box.log"));
    ScriptedPort p;
    p.Reply(Answer::Ok, "File Error");
    OpenRunLog(state, p, dir / "box.log");
    EXPECT_EQ(p.boxes.size(), 1u);
    EXPECT_FALSE(state.runLog.IsOpen());
#endif
    ExpectUntouched(Pmi("BOX"), folder.Build());
}

class NetworkRun : public RunTest {
  protected:
    void SetUp() override {
        RunTest::SetUp();
        state.mode = kNetworkMode;
    }
    // User directories with the given numbers of folders (with duplicates).
    std::vector<std::string> Users(std::vector<int> folders) {
        std::vector<std::string> users;
        for (std::size_t u = 0; u < folders.size(); ++u) {
            const std::string name = "U" + std::to_string(u + 1);
            std::filesystem::create_directory(dir.Native(name));
            for (int i = 0; i < folders[u]; ++i)
                EXPECT_TRUE(WithDuplicate().Write(dir / name + "\\F" + std::to_string(i) + ".PMI"));
            users.push_back(dir / name);
            state.ListBox3.Add(users.back());
        }
        return users;
    }
};

TEST_F(NetworkRun, TwoNoneAndThreeFolders) {
    const auto users = Users({2, 0, 2});
    // A directory named like a folder is no folder: skipped, not a run's end.
    std::filesystem::create_directory(dir.Native("U3\\A.pmi"));
    const std::string log = OpenLog();
    port.Reply(Answer::Ok, "Network Mode");
    port.Reply(Answer::Ok, "No Data");
    port.Reply(Answer::Ok, "Network Mode");
    RunNetButtonClick(state, port);

    EXPECT_EQ(port.boxes.at(0).text, "No PMI files in " + users[1] + ".");
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Stop);
    const std::string skipped = users[2] + "\\A.pmi is not a regular file - skipping file.";
    EXPECT_EQ(port.boxes.at(2).text, skipped);
    EXPECT_EQ(port.boxes.size(), 3u);
    EXPECT_EQ(port.countLabelHistory, (std::vector<std::pair<CountLabel, std::string>>{
                                          {CountLabel::LblNumFiles, "2 folders"},
                                          {CountLabel::LblNumFiles, "0 folders"},
                                          {CountLabel::LblNumFiles, "2 folders"}}));
    for (const auto& u : {users[0], users[2]})
        for (const char* f : {"\\F0.PMI", "\\F1.PMI"})
            EXPECT_TRUE(Processed(u + f)) << u + f;
    EXPECT_FALSE(state.runLog.IsOpen());
    EXPECT_EQ(port.listChanges, std::vector<ListId>(3, ListId::ListBox1));
    EXPECT_EQ(port.splits, 1);
    EXPECT_EQ(port.restores, 1);
    EXPECT_FALSE(port.listVisible[ListId::ListBox1]);
    EXPECT_TRUE(port.listVisible[ListId::ListBox3]);
    EXPECT_EQ(state.ListBox3.highlighted, 2);
    EXPECT_EQ(state.ListBox1.entries(),
              (std::vector<std::string>{users[2] + "\\F0.PMI", users[2] + "\\F1.PMI"}));

    // The network run's own lines, in order, among the per-folder ones.
    std::vector<std::string> own;
    for (const std::string& line : Lines(log))
        if (line.find("folders") != std::string::npos || line.starts_with("No PMI") ||
            line.starts_with("Processing") || line.starts_with("PMI File") ||
            line.find("skipping") != std::string::npos)
            own.push_back(line);
    EXPECT_EQ(own, (std::vector<std::string>{"2 folders", "Processing directory 0: " + users[0],
                                             "PMI File " + users[0] + "\\F0.PMI has 6 messages.",
                                             "PMI File " + users[0] + "\\F1.PMI has 6 messages.",
                                             "0 folders", "No PMI files in " + users[1] + ".",
                                             "Processing directory 1: " + users[1], skipped,
                                             "2 folders", "Processing directory 2: " + users[2],
                                             "PMI File " + users[2] + "\\F0.PMI has 6 messages.",
                                             "PMI File " + users[2] + "\\F1.PMI has 6 messages."}));
}

TEST_F(NetworkRun, AbortEndsItAfterThatDirectory) {
    const auto users = Users({1, 1, 1});
    OpenLog();
    port.AbortAtPump(state, 10);  // in the second directory's folder
    RunNetButtonClick(state, port);
    EXPECT_TRUE(Processed(users[0] + "\\F0.PMI"));
    EXPECT_FALSE(Processed(users[1] + "\\F0.PMI"));
    EXPECT_FALSE(Processed(users[2] + "\\F0.PMI"));
    EXPECT_TRUE(state.runLog.IsOpen());
    EXPECT_EQ(port.restores, 1);
    EXPECT_EQ(state.ListBox3.highlighted, 1);
}

// The lock-file test looks in the current directory, once per user
// directory; Cancel ends only that directory's run.
TEST_F(NetworkRun, LockFileQuestionPerDirectory) {
    const auto users = Users({1, 1});
    ASSERT_TRUE(WriteFileBytes(dir / "X.LCK", std::string_view("")));
    port.Reply(Answer::Cancel, "Mailbox Active");
    port.Reply(Answer::Ok, "Mailbox Active");
    RunNetButtonClick(state, port);
    EXPECT_FALSE(Processed(users[0] + "\\F0.PMI"));
    EXPECT_TRUE(Processed(users[1] + "\\F0.PMI"));
}

TEST_F(NetworkRun, NoDirectories) {
    port.Reply(Answer::Ok, "Network Mode");
    RunNetButtonClick(state, port);
    EXPECT_EQ(port.boxes.at(0).text, "No directories seleted.");
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Stop);
    EXPECT_EQ(port.splits, 0);
}

}  // namespace
}  // namespace kestrove::testing
