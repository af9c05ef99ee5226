// Every call the run makes on the folder's files (create, write, flush,
// sync, close, rename, delete, the looks at the old pair...) is made to fail
// in turn, and every box is answered OK, or Cancel: the folder's own names
// then hold the old pair byte for byte, or a new pair with the old pair as
// its backups; no temporary stays but one whose removal was refused; and
// the next run always leaves the complete new pair.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Bytes.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/Faults.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/NullPort.h"

namespace kestrove::testing {
namespace {

namespace faults = platform::faults;
using faults::Op;

FolderBuilder Folder() {
    FolderBuilder f;
    f.Add(Msg("Ann", "a", "d", 1, "first text")).Add(Msg("Ann", "a", "d", 1, "first text"));
    f.Add(Msg("Ben", "b", "d", 2, "second text", kReadBit));
    f.Add(Msg("Cid", "c", "d", 3, "deleted", kDeletedBit));
    f.Add(Msg("Dee", "d", "d", 4, std::string(70000, 'x')));  // several flushes
    f.Add(Msg("Eve", "e", "d", 5, "last"));
    return f;
}

// The folder's own pair is a whole one: its header counts the index's unread
// records, and every record's text starts inside the message file.
bool Consistent(const FolderFiles& x) {
    if (x.pmm.size() < kHeaderSize || x.pmi.size() % kRecordSize != 0)
        return false;
    int unread = 0;
    for (std::size_t at = 0; at < x.pmi.size(); at += kRecordSize) {
        IndexRecord r;
        std::copy_n(x.pmi.begin() + static_cast<long>(at), kRecordSize, r.bytes.begin());
        unread += UnreadCount(r);
        if (r.fpos() < kHeaderSize || r.fpos() >= x.pmm.size())
            return false;
    }
    return GetI16(&x.pmm[MessageFileHeader::kUnreadAt]) == unread;
}

TEST(RewriteStages, EveryFailureLeavesTheOldOrANewPair) {
    TempDir dir;
    const std::string path = dir / "INBOX.PMI";
    const FolderBuilder folder = Folder();
    const FolderBytes old = folder.Build(), now = folder.Rewritten({0, 2, 4, 5});
    // What a failing read of the texts to compare gives: the repeat is kept.
    const FolderBytes alike = folder.Rewritten({0, 1, 2, 4, 5});
    auto fresh = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(dir.Native()))
            std::filesystem::remove(entry.path());
        ASSERT_TRUE(folder.Write(path));
    };
    auto run = [&](Answer answer) {
        AppState state;
        state.sortOn = false;
        state.currentDirectory = dir.path();
        state.ListBox1.Add(path);
        NullPort port;
        port.answer = [answer](const std::string&, const std::string&, Buttons buttons) {
            if (answer == Answer::Ok && buttons == Buttons::YesNoCancel)
                return Answer::Yes;
            return buttons == Buttons::Ok ? Answer::Ok : answer;
        };
        RunDeleteDupes1Click(state, port);
    };

    fresh();
    faults::StartCounting();
    run(Answer::Ok);
    std::vector<std::pair<Op, int>> calls;
    for (Op op : {Op::Open, Op::Create, Op::Read, Op::Write, Op::Flush, Op::Seek, Op::Tell,
                  Op::Sync, Op::Close, Op::Rename, Op::Delete, Op::Stat})
        calls.emplace_back(op, faults::Calls(op));
    faults::Reset();
    ASSERT_EQ(ReadFolder(path).pmi, now.pmi);
    int tried = 0;
    for (const auto& [op, count] : calls) {
        for (int nth = 1; nth <= count; ++nth) {
            for (Answer answer : {Answer::Ok, Answer::Cancel}) {
                SCOPED_TRACE(::testing::Message()
                             << "op " << static_cast<int>(op) << " call " << nth
                             << (answer == Answer::Ok ? " OK" : " Cancel"));
                fresh();
                faults::FailNth(op, nth);
                run(answer);
                faults::Reset();
                ++tried;
                const FolderFiles x = ReadFolder(path);
                const bool oldPair = x.hasPmi && x.hasPmm && x.pmi == old.pmi && x.pmm == old.pmm;
                if (oldPair) {
                    EXPECT_FALSE(x.hasBki || x.hasBkm);
                } else {
                    // A failure pinned to a record or a byte, answered OK, leaves
                    // that out of the new pair; any other gives the new pair.
                    EXPECT_TRUE(x.hasPmi && x.hasPmm && Consistent(x));
                    if (answer == Answer::Cancel) {
                        EXPECT_TRUE((x.pmi == now.pmi && x.pmm == now.pmm) ||
                                    (x.pmi == alike.pmi && x.pmm == alike.pmm));
                    }
                    EXPECT_EQ(x.bki, old.pmi);
                    EXPECT_EQ(x.bkm, old.pmm);
                }
                if (op != Op::Delete) {
                    EXPECT_FALSE(Exists(NewIndexTempName(path)) ||
                                 Exists(NewMessageTempName(path)));
                }
                if (oldPair || op == Op::Delete) {
                    run(Answer::Ok);
                    const FolderFiles y = ReadFolder(path);
                    EXPECT_TRUE(y.bki == old.pmi && y.bkm == old.pmm &&
                                ((y.pmi == now.pmi && y.pmm == now.pmm) ||
                                 (!oldPair && y.pmi == alike.pmi && y.pmm == alike.pmm)));
                    EXPECT_FALSE(Exists(NewIndexTempName(path)) ||
                                 Exists(NewMessageTempName(path)));
                }
            }
        }
    }
    std::printf("[ stages   ] %d runs with a failing call\n", tried);
}

}  // namespace
}  // namespace kestrove::testing
