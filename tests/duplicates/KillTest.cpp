// A run killed at any moment loses no message and never leaves a half-written
// file under a folder's own names (POSIX: the run goes on in a child process
// that is killed with SIGKILL).

#include <gtest/gtest.h>

#ifndef _WIN32

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/NullPort.h"

namespace kestrove::testing {
namespace {

namespace fs = std::filesystem;

FolderBuilder Folder(int seed, int messages) {
    FolderBuilder f;
    for (int i = 0; i < messages; ++i) {
        const int id = (i * 7 + seed) % messages;
        f.Add(Msg("Sender " + std::to_string(id), "Subject", "d", id,
                  std::string(500 + (id * 37) % 4000, static_cast<char>('a' + id % 26)),
                  i % 17 == 0 ? kDeletedBit : 0));
        if (i % 10 == 0)  // a duplicate right after it
            f.Add(f.messages().back());
    }
    return f;
}

struct Folder3 {
    std::string path;
    FolderBytes old, now;
};

// Runs the rewrite of the folders in a child; kills it after `delay` unless
// it is 0 (then it runs to its end). Returns how long the child ran.
std::chrono::microseconds RunChild(const std::vector<Folder3>& folders, const std::string& current,
                                   std::chrono::microseconds delay) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        AppState state;
        NullPort port;
        state.sortOn = false;
        state.currentDirectory = current;
        for (const Folder3& f : folders)
            state.ListBox1.Add(f.path);
        RunDeleteDupes1Click(state, port);
        _exit(0);
    }
    if (delay.count() > 0) {
        timespec ts{static_cast<time_t>(delay.count() / 1000000),
                    static_cast<long>(delay.count() % 1000000) * 1000};
        nanosleep(&ts, nullptr);
        kill(pid, SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

// What a folder's files may be after a kill. Returns a name for the state.
std::string CheckFolder(const Folder3& f) {
    const FolderFiles x = ReadFolder(f.path);
    const bool oldIndex = x.hasPmi && x.pmi == f.old.pmi, newIndex = x.hasPmi && x.pmi == f.now.pmi;
    const bool oldMessages = x.hasPmm && x.pmm == f.old.pmm,
               newMessages = x.hasPmm && x.pmm == f.now.pmm;
    // Under the folder's own names: the old files, the complete new ones, or
    // nothing; never a half-written file, never a new index without its
    // message file.
    EXPECT_TRUE(!x.hasPmi || oldIndex || newIndex) << f.path;
    EXPECT_TRUE(!x.hasPmm || oldMessages || newMessages) << f.path;
    EXPECT_TRUE(!newIndex || newMessages) << f.path;
    // Backups are whole copies of the old files; new files stand beside them.
    EXPECT_TRUE(!x.hasBki || x.bki == f.old.pmi) << f.path;
    EXPECT_TRUE(!x.hasBkm || x.bkm == f.old.pmm) << f.path;
    EXPECT_TRUE(!newMessages || (x.hasBki && x.hasBkm)) << f.path;
    // No message lost: each old file is under its own or its backup name.
    EXPECT_TRUE(oldIndex || x.hasBki) << f.path;
    EXPECT_TRUE(oldMessages || x.hasBkm) << f.path;
    if (oldIndex && oldMessages)
        return "old";
    if (newIndex && newMessages)
        return "new";
    if (newMessages)
        return "new message file in place";
    return std::string(x.hasPmi ? "index" : "-") + (x.hasPmm ? "+messages" : "-") +
           (x.hasBki ? " bki" : "") + (x.hasBkm ? " bkm" : "");
}

TEST(KillTest, AKillAtAnyMomentLosesNothing) {
    TempDir dir;
    fs::create_directory(dir.Native("template"));
    std::vector<Folder3> folders;
    for (int i = 0; i < 3; ++i) {
        FolderBuilder f = Folder(i, 200 + 100 * i);
        std::vector<int> kept;
        // Sort off: a record is dropped when deleted or a copy of the one before.
        for (int k = 0; k < static_cast<int>(f.messages().size()); ++k) {
            const bool copy = k > 0 && f.messages()[k].from == f.messages()[k - 1].from &&
                              f.messages()[k].mtime == f.messages()[k - 1].mtime &&
                              !(f.messages()[k - 1].flags & kDeletedBit);
            if (!(f.messages()[k].flags & kDeletedBit) && !copy)
                kept.push_back(k);
        }
        const std::string name = "F" + std::to_string(i) + ".PMI";
        ASSERT_TRUE(f.Write(dir / ("template\\" + name)));
        folders.push_back({dir / name, f.Build(), f.Rewritten(kept)});
    }
    auto reset = [&] {
        for (const auto& e : fs::directory_iterator(dir.Native()))
            if (e.is_regular_file())
                fs::remove(e.path());
        for (const auto& e : fs::directory_iterator(dir.Native("template")))
            fs::copy_file(e.path(), dir.Native(e.path().filename().string()));
    };

    // A whole run first: the folders come out as expected.
    reset();
    const auto whole = RunChild(folders, dir.path(), std::chrono::microseconds(0));
    for (const Folder3& f : folders)
        EXPECT_EQ(CheckFolder(f), "new");
    std::printf("[ kill     ] a whole run takes %lld us\n", static_cast<long long>(whole.count()));

    std::map<std::string, int> seen;
    const int kills = 120;
    for (int k = 0; k < kills && !::testing::Test::HasFailure(); ++k) {
        reset();
        const auto delay = std::chrono::microseconds(1 + whole.count() * 11 * k / (10 * kills));
        RunChild(folders, dir.path(), delay);
        for (const Folder3& f : folders)
            ++seen[CheckFolder(f)];
        // The next run clears up: no temporaries stay, a half-renamed new
        // pair is completed, and the folders are fine again.
        for (const Folder3& f : folders) {
            RunLog log;
            RecoverInterruptedRewrite(f.path, log);
            EXPECT_FALSE(Exists(NewIndexTempName(f.path)) || Exists(NewMessageTempName(f.path)));
            const std::string state = CheckFolder(f);
            EXPECT_NE(state, "new message file in place");
        }
    }
    for (const auto& [state, count] : seen)
        std::printf("[ kill     ] %4d folders found %s\n", count, state.c_str());
}

}  // namespace
}  // namespace kestrove::testing

#endif  // _WIN32
