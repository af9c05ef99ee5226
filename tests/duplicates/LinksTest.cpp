// An administrator's run over users' mail directories, where each user
// controls what lies in their own: alice's links must lead the run nowhere.
// Users alice and bob side by side (bob's directory private to him) and a
// third directory elsewhere, all made by the test: afterwards nothing
// outside alice's directory is created, changed or removed, alice's links
// are as she made them, and each is reported.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "app/DirectoryNavigation.h"
#include "app/Selection.h"
#include "backup/Backup.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"
#include "reports/Export.h"
#include "tests/support/CliRunner.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/Snapshot.h"

namespace kestrove::testing {
namespace {

namespace fs = std::filesystem;

class Users : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        fs::create_directories(N("users/alice"));
        fs::create_directories(N("users/bob"));
        fs::create_directories(N("elsewhere/profile.d"));
        ASSERT_TRUE(Repeated("bob").Write(P("users\\bob\\INBOX.PMI")));
        ASSERT_TRUE(WriteFileBytes(P("elsewhere\\victim.txt"), std::string_view("keep me\n")));
        if (!MakeLink("victim.txt", N("elsewhere/probe")) ||
            !MakeLink("nowhere.txt", N("elsewhere/dangling")))
            GTEST_SKIP() << "this system cannot make links here";
        // Wine shows no link that leads nowhere. (The two stay: Wine can
        // remove no link.)
        fileLinksSeen = platform::IsLink(P("elsewhere\\probe"));
        danglingLinksSeen = platform::IsLink(P("elsewhere\\dangling"));
        fs::permissions(N("users/bob"), fs::perms::owner_all);
    }

    std::string P(std::string_view name) const { return dir / name; }
    fs::path N(std::string_view name) const { return dir.Native(name); }
    std::string Alice(std::string_view name) const {
        return P("users\\alice\\" + std::string(name));
    }
    // A link in alice's directory.
    void Link(const std::string& target, std::string_view name) {
        EXPECT_TRUE(MakeLink(target, N("users/alice/" + std::string(name)))) << name;
    }
    // alice's folder `name` as a run leaves it: its backup pair alone.
    FolderBytes BackupPair(const std::string& name) {
        const FolderBuilder folder = Repeated(name);
        EXPECT_TRUE(folder.Write(Alice(name + ".PMI")));
        fs::rename(N("users/alice/" + name + ".PMI"), N("users/alice/" + name + ".BKI"));
        fs::rename(N("users/alice/" + name + ".PMM"), N("users/alice/" + name + ".BKM"));
        return folder.Build();
    }
    void Select(std::initializer_list<std::string> paths) {
        state.ListBox1.Clear();
        for (const std::string& p : paths)
            state.ListBox1.Add(p);
    }

    // What lies outside alice's directory, and alice's links, from now on.
    void Freeze() {
        outside = Outside();
        links = AlicesLinks();
    }
    std::map<std::string, std::string> Outside() const {
        auto all = Snapshot(N("users/bob"), true);
        for (auto& [name, what] : Snapshot(N("elsewhere"), true))
            all["elsewhere/" + name] = what;
        return all;
    }
    // Where the system can tell a link only by looking (Wine), its text is
    // what it leads to.
    std::map<std::string, std::string> AlicesLinks() const {
        std::map<std::string, std::string> found;
        for (auto& [name, what] : Snapshot(N("users/alice"))) {
            std::string path = name;
            std::replace(path.begin(), path.end(), '/', '\\');
            if (what.starts_with("link to ") || platform::IsLink(Alice(path)))
                found[name] = what;
        }
        return found;
    }
    void ExpectNothingOutsideAliceChanged() const {
        EXPECT_EQ(Outside(), outside) << "a file outside alice's directory was touched";
    }
    void ExpectAlicesLinksUntouched() const { EXPECT_EQ(AlicesLinks(), links); }
    void ExpectBoxThenLogLine(std::size_t box, const std::string& text, const std::string& title,
                              const std::string& log) const {
        ASSERT_LT(box, port.boxes.size());
        EXPECT_EQ(port.boxes[box].text, text);
        EXPECT_EQ(port.boxes[box].title, title);
        EXPECT_EQ(port.boxes[box].icon, Icon::Stop);
        EXPECT_NE(Text(log).find(text + "\n"), std::string::npos) << text;
    }

    bool fileLinksSeen = false, danglingLinksSeen = false;
    std::map<std::string, std::string> outside, links;
};

// Where a link to a file is no link to the system (Wine), the tests of what
// is shown cannot run; what is never touched is tested all the same.
#define REQUIRE_FILE_LINKS_SEEN() \
    if (!fileLinksSeen)           \
    GTEST_SKIP() << "this system shows a link to a file as the file it leads to (Wine)"

// kestrove-cli as the administrator runs it over the users' directories.
class UsersCli : public Users {
  protected:
    void SetUp() override {
        Users::SetUp();
        if (IsSkipped())
            return;
        if (CliPath().empty())
            GTEST_SKIP() << "this build has no kestrove-cli";
    }
    CliResult Cli(const std::vector<std::string>& args) { return cli.Run(args); }
    std::string Arg(std::string_view name) const { return N(name).string(); }

    CliWithOwnHome cli;
};

TEST_F(UsersCli, TheThreeWaysFromAlicesDirectoryReachNothingOutsideIt) {
    // Links at the temporary names of a rewrite, into bob's directory and
    // to a name that does not exist anywhere yet (a start-up directory).
    ASSERT_TRUE(Repeated("real").Write(Alice("REAL.PMI")));
    Link("../bob/EVIL.PMI", "REAL.KXI");
    Link("../bob/EVIL.PMM", "REAL.KXM");
    ASSERT_TRUE(Repeated("new").Write(Alice("NEW.PMI")));
    Link("../../elsewhere/profile.d/evil.sh", "NEW.KXI");
    Link("../../elsewhere/profile.d/evil2.sh", "NEW.KXM");
    // bob's folder under a name of alice's.
    Link("../bob/INBOX.PMI", "STOLEN.PMI");
    Link("../bob/INBOX.PMM", "STOLEN.PMM");
    // An export file that leads to any file.
    ASSERT_TRUE(Repeated("main").Write(Alice("MAIN.PMI")));
    Link("../../elsewhere/victim.txt", "MAIN.CSV");
    Freeze();

    CliResult run = Cli({"network-run", "--yes", Arg("users/alice")});
    CliResult exported = Cli({"export", Arg("users/alice/MAIN.PMI")});

    ExpectNothingOutsideAliceChanged();
    EXPECT_FALSE(fs::exists(fs::symlink_status(N("users/bob/EVIL.PMI"))));
    EXPECT_FALSE(fs::exists(fs::symlink_status(N("elsewhere/profile.d/evil.sh"))));
    // The one plain folder was rewritten.
    ExpectRewritten(Alice("MAIN.PMI"), Repeated("main").Rewritten({0, 2}),
                    Repeated("main").Build());
    ExpectUntouched(Alice("REAL.PMI"), Repeated("real").Build());
    ExpectUntouched(Alice("NEW.PMI"), Repeated("new").Build());
    const auto reported = [&](const char* link) {
        return run.err.find(ProgramText(N("users/alice/" + std::string(link))) +
                            " is a link - skipping file.") != std::string::npos;
    };
    if (!fileLinksSeen)
        return;  // the rest depends on seeing the links
    ExpectAlicesLinksUntouched();
    EXPECT_TRUE(reported("STOLEN.PMI")) << run.err;
    EXPECT_EQ(exported.status, 1) << exported.err;
    EXPECT_EQ(exported.err, "File Link Error: " + ProgramText(N("users/alice/MAIN.CSV")) +
                                " is a link - skipping file.\n");
    // Where links to nothing cannot be seen (Wine), the rewrite's exclusive
    // create refuses them and ends the run there.
    if (!danglingLinksSeen)
        return;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(reported("NEW.KXI")) << run.err;
    EXPECT_TRUE(reported("REAL.KXI")) << run.err;
    EXPECT_NE(run.out.find("1 of 3 files processed."), std::string::npos) << run.out;
}

TEST_F(Users, ANetworkRunShowsAndLogsEveryLinkAndGoesOn) {
    REQUIRE_FILE_LINKS_SEEN();
    ASSERT_TRUE(Repeated("real").Write(Alice("REAL.PMI")));
    Link("../bob/INBOX.PMI", "REAL.KXI");
    Link("../bob/INBOX.PMI", "STOLEN.PMI");
    // Only the message file leads elsewhere: the listing cannot see that.
    ASSERT_TRUE(Repeated("half").Write(Alice("HALF.PMI")));
    fs::remove(N("users/alice/HALF.PMM"));
    Link("../bob/INBOX.PMM", "HALF.PMM");
    ASSERT_TRUE(Repeated("plain").Write(Alice("PLAIN.PMI")));
    Freeze();

    const std::string log = OpenLog();
    state.mode = kNetworkMode;
    state.ListBox3.Add(P("users\\alice"));
    port.Reply(Answer::Ok, "Network Mode");
    port.Reply(Answer::Ok, "File Link Error");
    port.Reply(Answer::Ok, "File Link Error");
    NetworkRunResult result = RunNetButtonClick(state, port);

    ASSERT_EQ(port.boxes.size(), 3u);
    ExpectBoxThenLogLine(0, Alice("STOLEN.PMI") + " is a link - skipping file.", "Network Mode",
                         log);
    ExpectBoxThenLogLine(1, Alice("HALF.PMM") + " is a link - skipping file.", "File Link Error",
                         log);
    ExpectBoxThenLogLine(2, Alice("REAL.KXI") + " is a link - skipping file.", "File Link Error",
                         log);
    EXPECT_EQ(result.entriesSkipped, 1);
    ASSERT_EQ(result.directories.size(), 1u);
    EXPECT_EQ(result.directories[0].second.done, 1);
    EXPECT_EQ(port.status[StatusLine::LabelInfoMsg1], "1 of 3 files processed.");
    ExpectRewritten(Alice("PLAIN.PMI"), Repeated("plain").Rewritten({0, 2}),
                    Repeated("plain").Build());
    // (Its temporary names are alice's links.)
    const FolderFiles real = ReadFolder(Alice("REAL.PMI"));
    EXPECT_EQ(real.pmi, Repeated("real").Build().pmi);
    EXPECT_EQ(real.pmm, Repeated("real").Build().pmm);
    EXPECT_FALSE(real.hasBki || real.hasBkm);
    ExpectNothingOutsideAliceChanged();
    ExpectAlicesLinksUntouched();

    // Chosen by hand in Normal Mode, a link is no folder either.
    state.mode = kNormalMode;
    port.Reply(Answer::Ok, "File Link Error");
    Select({Alice("STOLEN.PMI")});
    EXPECT_FALSE(RunDeleteDupes1Click(state, port).AllDone());
    EXPECT_EQ(port.boxes.at(3).text, Alice("STOLEN.PMI") + " is a link - skipping file.");
    ExpectNothingOutsideAliceChanged();
    ExpectAlicesLinksUntouched();
}

TEST_F(Users, ALinkAsTheOldBackupIsNeitherDeletedNorFollowed) {
    REQUIRE_FILE_LINKS_SEEN();
    ASSERT_TRUE(Repeated("old").Write(Alice("OLD.PMI")));
    Link("../bob/INBOX.PMI", "OLD.BKI");
    Link("../bob/INBOX.PMM", "OLD.BKM");
    Freeze();
    const FolderBytes old = Repeated("old").Build();

    // An old backup is deleted without a question: never this one.
    state.settings.BackupFiles = OnBackupExists::Overwrite;
    port.Reply(Answer::Ok, "File Link Error");
    Select({Alice("OLD.PMI")});
    RunDeleteDupes1Click(state, port);
    EXPECT_EQ(port.boxes.at(0).text, Alice("OLD.BKI") + " is a link - skipping file.");
    EXPECT_EQ(Bytes(Alice("OLD.PMI")), old.pmi);
    EXPECT_EQ(Bytes(Alice("OLD.PMM")), old.pmm);

    // Nor do the backup commands take the links for alice's backup pair.
    state.mode = kBackupMode;
    for (int i = 0; i < 3; ++i)
        port.Reply(Answer::Ok, "File Link Error");
    Select({Alice("OLD.BKI")});
    EXPECT_EQ(RestoreButtonClick(state, port).done, 0);
    Select({Alice("OLD.BKI")});
    EXPECT_EQ(DeleteButtonClick(state, port).done, 0);
    fs::create_directory(N("users/alice/keep"));
    port.directoryAnswer = Alice("keep");
    Select({Alice("OLD.BKI")});
    EXPECT_EQ(MoveButtonClick(state, port).done, 0);
    for (std::size_t box = 1; box < 4; ++box)
        EXPECT_EQ(port.boxes.at(box).text, Alice("OLD.BKI") + " is a link - skipping file.");
    EXPECT_TRUE(fs::is_empty(N("users/alice/keep")));
    EXPECT_EQ(Bytes(Alice("OLD.PMI")), old.pmi);
    ExpectNothingOutsideAliceChanged();
    ExpectAlicesLinksUntouched();
}

TEST_F(Users, RestoreLeavesAFolderWhoseOwnFileIsALink) {
    REQUIRE_FILE_LINKS_SEEN();
    // Restore deletes the folder's own files first: a link there must not
    // make it put the backup pair in its place, nor go itself.
    const FolderBytes mine = BackupPair("MINE");
    Link("../bob/INBOX.PMM", "MINE.PMM");
    Freeze();
    state.mode = kBackupMode;
    port.Reply(Answer::Ok, "File Link Error");
    Select({Alice("MINE.BKI")});
    EXPECT_EQ(RestoreButtonClick(state, port).done, 0);
    EXPECT_EQ(port.boxes.at(0).text, Alice("MINE.PMM") + " is a link - skipping file.");
    EXPECT_EQ(Bytes(Alice("MINE.BKI")), mine.pmi);
    EXPECT_FALSE(fs::exists(N("users/alice/MINE.PMI")));
    ExpectNothingOutsideAliceChanged();
    ExpectAlicesLinksUntouched();
}

TEST_F(Users, MoveNeverRenamesOntoALinkButGoesWhereTheUserChose) {
    REQUIRE_FILE_LINKS_SEEN();
    const FolderBytes back = BackupPair("BACK");
    // In the destination the backup's names are taken by links: one to
    // bob's folder, one to nothing.
    fs::create_directory(N("users/alice/old"));
    Link("../../bob/INBOX.PMI", "old/BACK.BKI");
    Link("../../bob/NEW.BKM", "old/BACK.BKM");
    // A destination reached through a link, as the user chose it.
    fs::create_directory(N("users/alice/archive"));
    EXPECT_TRUE(MakeLink("archive", N("users/alice/arch"), true));
    Freeze();

    state.mode = kBackupMode;
    state.fileListDirectory = P("users\\alice");
    port.directoryAnswer = Alice("old");
    port.Reply(Answer::Ok, "File Link Error");
    Select({Alice("BACK.BKI")});
    EXPECT_EQ(MoveButtonClick(state, port).done, 0);
    EXPECT_EQ(port.boxes.at(0).text, Alice("old\\BACK.BKI") + " is a link - skipping file.");
    EXPECT_EQ(Bytes(Alice("BACK.BKI")), back.pmi);
    EXPECT_EQ(Bytes(Alice("BACK.BKM")), back.pmm);

    port.directoryAnswer = Alice("arch");
    Select({Alice("BACK.BKI")});
    EXPECT_EQ(MoveButtonClick(state, port).done, 1);
    EXPECT_EQ(Bytes(Alice("archive\\BACK.BKI")), back.pmi);
    EXPECT_EQ(Bytes(Alice("archive\\BACK.BKM")), back.pmm);
    EXPECT_EQ(port.boxes.size(), 1u);
    ExpectNothingOutsideAliceChanged();
    ExpectAlicesLinksUntouched();
}

TEST_F(Users, ALinkedUserDirectoryIsRunButItsLinkedFolderIsSkipped) {
    // carol's directory is reached through a link the administrator chose;
    // inside it, a folder that is bob's.
    fs::create_directories(N("users/carol"));
    ASSERT_TRUE(Repeated("carol").Write(P("users\\carol\\A.PMI")));
    ASSERT_TRUE(MakeLink("../bob/INBOX.PMI", N("users/carol/L.PMI")));
    ASSERT_TRUE(MakeLink("carol", N("users/linked"), true));
    Freeze();
    const auto carolLinks = Snapshot(N("users/carol"));

    state.mode = kNetworkMode;
    state.ListBox3.Add(P("users\\linked"));
    if (fileLinksSeen)
        port.Reply(Answer::Ok, "Network Mode");
    NetworkRunResult result = RunNetButtonClick(state, port);
    ExpectRewritten(P("users\\linked\\A.PMI"), Repeated("carol").Rewritten({0, 2}),
                    Repeated("carol").Build());
    ExpectNothingOutsideAliceChanged();
    if (!fileLinksSeen)
        return;
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, P("users\\linked\\L.PMI") + " is a link - skipping file.");
    EXPECT_EQ(result.entriesSkipped, 1);
    EXPECT_EQ(Snapshot(N("users/carol")).at("L.PMI"), carolLinks.at("L.PMI"));
}

TEST_F(Users, TheDirectoryListsNeverLeadThroughALink) {
    ASSERT_TRUE(MakeLink("bob", N("users/dave"), true));
    if (!platform::IsLink(P("users\\dave")))
        GTEST_SKIP() << "this system shows a link to a directory as the directory";
    const std::vector<std::string> real{"alice", "bob"};
    EXPECT_EQ(Subdirectories(P("users")), real);
    state.currentDirectory = P("users");
    state.ListBox2.clear();
    ListUserDirectories(state);
    EXPECT_EQ(state.ListBox2, real);
    // A directory the user names may still be reached through one.
    EXPECT_TRUE(CanonicalDirectory(P("users\\dave")).ends_with("\\dave"));
}

TEST_F(Users, TheExportSkipsALinkAndNeverWritesThroughAHardLink) {
    ASSERT_TRUE(Repeated("main").Write(Alice("MAIN.PMI")));
    ASSERT_TRUE(Repeated("tab").Write(Alice("TAB.PMI")));
    // An export from before that shares its file with another name
    // elsewhere (a hard link) is removed by its name and made anew.
    ASSERT_TRUE(WriteFileBytes(P("elsewhere\\shared.csv"), std::string_view("shared\n")));
    fs::create_hard_link(N("elsewhere/shared.csv"), N("users/alice/MAIN.CSV"));
    // A link as the export file, in either format.
    Link("../../elsewhere/victim.txt", "TAB.TXT");
    Freeze();

    Select({Alice("MAIN.PMI")});
    CommandResult csv = SaveIndexFile1Click(state, port);
    EXPECT_EQ(csv.done, 1);
    const std::string exported = Text(Alice("MAIN.CSV"));
    EXPECT_TRUE(exported.starts_with(ExportTitleLine(true).substr(0, 20))) << exported;
    EXPECT_EQ(fs::hard_link_count(N("elsewhere/shared.csv")), 1u);
    ExpectNothingOutsideAliceChanged();

    SaveIndexasTABClick(state);
    Select({Alice("TAB.PMI")});
    if (fileLinksSeen)
        port.Reply(Answer::Ok, "File Link Error");
    CommandResult tab = SaveIndexFile1Click(state, port);
    ExpectNothingOutsideAliceChanged();
    if (!fileLinksSeen)
        return;
    EXPECT_EQ(tab.done, 0);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, Alice("TAB.TXT") + " is a link - skipping file.");
    ExpectAlicesLinksUntouched();
}

TEST_F(Users, TheLogGoesWhereTheUserPointedItLinkOrNot) {
    // The save dialog's choice is the user's own: a link there is followed.
    ASSERT_TRUE(MakeLink("victim.txt", N("elsewhere/log.txt")));
    ASSERT_TRUE(Repeated("plain").Write(Alice("PLAIN.PMI")));
    port.saveFileAnswer = P("elsewhere\\log.txt");
    SaveLogFile1Click(state, port);
    ASSERT_TRUE(state.runLog.IsOpen());
    Select({Alice("PLAIN.PMI")});
    RunDeleteDupes1Click(state, port);
    EXPECT_TRUE(platform::IsLink(P("elsewhere\\log.txt")));
    EXPECT_NE(Text(P("elsewhere\\victim.txt")).find("PMI File " + Alice("PLAIN.PMI")),
              std::string::npos);
}

}  // namespace
}  // namespace kestrove::testing
