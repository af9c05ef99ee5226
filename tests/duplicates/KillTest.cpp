// A run killed at any moment loses no message, and the folder's own names
// hold either its old pair or its complete new pair but for a kill inside
// the renames; the next run makes every folder whole again (POSIX: the run
// goes on in a child process that is killed with SIGKILL).

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
                  (i % 17 == 0 ? kDeletedBit : 0) | (i % 3 == 0 ? kReadBit : 0)));
        if (i % 10 == 0)  // a duplicate right after it
            f.Add(f.messages().back());
    }
    return f;
}

struct Folder3 {
    std::string path;
    FolderBytes old, now;
};

void RunOnce(const std::vector<Folder3>& folders, const std::string& current) {
    AppState state;
    NullPort port;
    state.sortOn = false;
    state.currentDirectory = current;
    for (const Folder3& f : folders)
        state.ListBox1.Add(f.path);
    RunDeleteDupes1Click(state, port);
}

// Runs the folders in a child; kills it after `delay` unless it is 0 (then
// it runs to its end). Returns how long the child ran.
std::chrono::microseconds RunChild(const std::vector<Folder3>& folders, const std::string& current,
                                   std::chrono::microseconds delay) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        RunOnce(folders, current);
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

// How the folder's own names stand: "old pair", "new pair", or what else.
std::string OwnNames(const Folder3& f) {
    const FolderFiles x = ReadFolder(f.path);
    const bool oldIndex = x.hasPmi && x.pmi == f.old.pmi, newIndex = x.hasPmi && x.pmi == f.now.pmi;
    const bool oldMessages = x.hasPmm && x.pmm == f.old.pmm,
               newMessages = x.hasPmm && x.pmm == f.now.pmm;
    // Never a half-written file under the folder's own names, never a new
    // index without its message file.
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
        return "old pair";
    if (newIndex && newMessages)
        return "new pair";
    return std::string("else: ") +
           (oldIndex   ? "old"
            : newIndex ? "new"
                       : "no") +
           " index, " +
           (oldMessages   ? "old"
            : newMessages ? "new"
                          : "no") +
           " message file";
}

TEST(KillTest, AKillAtAnyMomentLeavesTheFolderOldOrNew) {
    TempDir dir;
    fs::create_directory(dir.Native("template"));
    std::vector<Folder3> folders;
    for (int i = 0; i < 4; ++i) {
        FolderBuilder f = Folder(i, 150 + 50 * i);
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
    auto whole = [&](const Folder3& f) {
        const FolderFiles x = ReadFolder(f.path);
        return x.hasPmi && x.pmi == f.now.pmi && x.hasPmm && x.pmm == f.now.pmm && x.hasBki &&
               x.bki == f.old.pmi && x.hasBkm && x.bkm == f.old.pmm &&
               !Exists(NewIndexTempName(f.path)) && !Exists(NewMessageTempName(f.path));
    };

    // A whole run first: the folders come out as expected.
    reset();
    const auto once = RunChild(folders, dir.path(), std::chrono::microseconds(0));
    for (const Folder3& f : folders)
        EXPECT_TRUE(whole(f)) << f.path;
    std::printf("[ kill     ] a whole run takes %lld us\n", static_cast<long long>(once.count()));

    std::map<std::string, int> seen;
    int states = 0, other = 0, notWhole = 0;
    const int kills = 200;
    for (int k = 0; k < kills; ++k) {
        reset();
        const auto delay = std::chrono::microseconds(1 + once.count() * 11 * k / (10 * kills));
        RunChild(folders, dir.path(), delay);
        for (const Folder3& f : folders) {
            const std::string own = OwnNames(f);
            ++seen[own];
            ++states;
            other += own.starts_with("else") ? 1 : 0;
        }
        // The next run clears up what the killed one left and finishes the
        // work: every folder is its new pair beside its old one.
        RunOnce(folders, dir.path());
        for (const Folder3& f : folders)
            notWhole += whole(f) ? 0 : 1;
    }
    for (const auto& [state, count] : seen)
        std::printf("[ kill     ] %4d of %d folder states: %s\n", count, states, state.c_str());
    std::printf("[ kill     ] %4d of %d folders not whole after the next run\n", notWhole, states);
    EXPECT_EQ(notWhole, 0);
    // Only a kill inside the renames leaves anything but the old or the new pair.
    EXPECT_LE(other * 100, states) << other << " of " << states;
}

}  // namespace
}  // namespace kestrove::testing

#endif  // _WIN32
