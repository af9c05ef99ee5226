// Failures while the new pair is written or the old message file is read,
// made by real failing operations of the platform layer (and one real
// failing write()): a failure pinned to one record or byte keeps its
// question and gives the pair the byte-at-a-time rewrite gives without that
// record or byte; any other leaves the folder as it was. Never a gap, never
// zeros, never a damaged folder under the folder's own names.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "core/Bytes.h"
#include "core/Format.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/FileSizeLimit.h"

namespace kestrove::testing {
namespace {

namespace faults = platform::faults;
using faults::Op;

const std::string kSkip = "\nOK to skip\nCancel to abort run";

// What goes wrong, in the terms of the rewrite as written.
struct Failures {
    std::set<int> records;               // record writes (from 1) that fail
    std::multiset<std::int64_t> at;      // new message file offsets whose write fails once
    std::optional<std::int64_t> readAt;  // old message file offset of a byte after a
                                         // text whose read fails once
};

struct Expected {
    FolderBytes pair;
    std::vector<std::string> boxes;  // "title|text", every one answered OK
};

// The rewrite with its pinned answers as written, one byte at a time, keeping the slots
// `kept` of `old`.
Expected ByteAtATime(const FolderBytes& old, const std::vector<int>& kept, Failures f,
                     const std::string& indexPath) {
    const std::string pmm = MessageFileName(indexPath);
    Expected e;
    MessageFileHeader h;
    std::copy_n(old.pmm.begin(), std::min(old.pmm.size(), kHeaderSize), h.bytes.begin());
    h.set_unread(0);
    h.set_deleted(0);
    h.set_delsize(0);
    e.pair.pmm.assign(h.bytes.begin(), h.bytes.end());
    const auto size = static_cast<std::int64_t>(old.pmm.size());
    std::uint16_t next = 0;
    int writes = 0;
    for (int i : kept) {
        IndexRecord r;
        std::copy_n(old.pmi.begin() + i * static_cast<long>(kRecordSize), kRecordSize,
                    r.bytes.begin());
        const std::int64_t fpos = r.fpos(), L = r.fsize();
        if (f.records.count(++writes) != 0) {
            // A test fault refuses the record; its reason ends the box.
            e.boxes.push_back("File Error 7|" +
                              Injected("Cannot write to file " + indexPath + kSkip));
            continue;
        }
        r.set_msg_number(next);
        r.set_fpos(static_cast<std::uint32_t>(e.pair.pmm.size()));
        e.pair.pmi.insert(e.pair.pmi.end(), r.bytes.begin(), r.bytes.end());
        // The header counts the unread records the new index holds.
        h.set_unread(static_cast<std::int16_t>(h.unread() + UnreadCount(r)));
        std::copy_n(h.bytes.begin(), kHeaderSize, e.pair.pmm.begin());

        std::int64_t pos = fpos, n = 0;
        int ch = 0;
        auto put = [&](const char* title) {
            auto it = f.at.find(static_cast<std::int64_t>(e.pair.pmm.size()));
            if (it == f.at.end()) {
                e.pair.pmm.push_back(static_cast<std::uint8_t>(ch));
                return true;
            }
            f.at.erase(it);
            e.boxes.push_back(std::string(title) + "|" +
                              Injected(Format("Cannot put %d=%c to %lld+%lld file %s", ch, ch,
                                              static_cast<long long>(fpos),
                                              static_cast<long long>(n), pmm.c_str()) +
                                       kSkip));
            return false;
        };
        for (;;) {
            if (pos >= size)  // 2
                break;
            ch = old.pmm[static_cast<std::size_t>(pos++)];
            if (!put("File Error 9"))  // 3
                continue;
            if (++n < L)  // 5
                continue;
            if (ch == kCtrlZ)  // 6
                break;
            const bool readFails = f.readAt && *f.readAt == pos;
            if (pos >= size || readFails) {  // 7
                e.boxes.push_back("File Error 10|" +
                                  Format("Cannot get char at %lld+%lld file %s",
                                         static_cast<long long>(fpos), static_cast<long long>(n),
                                         pmm.c_str()) +
                                  kSkip);
                if (readFails)
                    break;  // the text ends at a byte that cannot be read
                continue;
            }
            ch = old.pmm[static_cast<std::size_t>(pos++)];
            if (!put("File Error 11"))  // 8
                continue;
            if (ch == kCtrlZ)  // 9
                break;
            e.boxes.push_back("Message Size Error|" +
                              Format("No ctrl-z at %lld+%lld file %s", static_cast<long long>(fpos),
                                     static_cast<long long>(n), pmm.c_str()) +
                              kSkip);
        }
        ++next;
    }
    return e;
}

// Where the rewrite calls Write on the new message file: the header, then
// for each text its counted bytes and, when the Ctrl-Z follows them, that.
std::vector<std::int64_t> MessageWriteCalls(const FolderBytes& now) {
    std::vector<std::int64_t> calls{0};
    const std::size_t records = now.pmi.size() / kRecordSize;
    for (std::size_t k = 0; k < records; ++k) {
        const std::int64_t p = GetU32(&now.pmi[k * kRecordSize + rec::kFpos]);
        const std::int64_t end = k + 1 < records
                                     ? GetU32(&now.pmi[(k + 1) * kRecordSize + rec::kFpos])
                                     : static_cast<std::int64_t>(now.pmm.size());
        const std::int64_t counted =
            std::max<std::int64_t>(GetI32(&now.pmi[k * kRecordSize + rec::kFsize]), 1);
        calls.push_back(p);
        if (end - p > counted)
            calls.push_back(p + counted);
    }
    return calls;
}

class RewriteFailure : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        state.sortOn = false;
        state.settings.MismatchedUnread = OnMismatch::Ignore;
        state.settings.MismatchedDeleted = OnMismatch::Ignore;
    }

    void Fresh(const FolderBuilder& f, const std::string& indexPath) {
        for (const auto& entry : std::filesystem::directory_iterator(dir.Native()))
            std::filesystem::remove(entry.path());
        ASSERT_TRUE(f.Write(indexPath));
        port = ScriptedPort();
    }

    std::string Summary() { return port.Status(StatusLine::LabelInfoMsg1); }
    // The summary when the run went to its end; nothing when it ended early.
    std::string SummaryIfAny() { return Summary().ends_with("files processed.") ? Summary() : ""; }

    // The box of a failure that leaves the folder as it was.
    std::string LeftAsItWas(const std::string& what) const {
        return what + "\nThe folder " + path + " is left as it was." + kSkip;
    }

    const std::string path = Pmi("INBOX");
    const std::string pmm = MessageFileName(path);
    const std::string injected = " (" + std::string(faults::kInjectedFaultText) + ").";
};

// Kept: 0, 2, 4, 5, 6. Texts end with their Ctrl-Z after the counted bytes,
// but 4, whose Ctrl-Z is the last counted byte.
FolderBuilder Small() {
    FolderBuilder f;
    f.Add(Msg("Ann", "a", "d", 1, "first text"));
    f.Add(Msg("Ann", "a", "d", 1, "first text"));
    f.Add(Msg("Ben", "b", "d", 2, "second, longer text"));
    f.Add(Msg("Cid", "c", "d", 3, "deleted", kDeletedBit));
    MessageSpec inside = Msg("Dee", "d", "d", 4, "inside");
    inside.ending = CtrlZ::Inside;
    f.Add(inside);
    f.Add(Msg("Eve", "e", "d", 5, "fifth"));
    f.Add(Msg("Fay", "f", "d", 6, "last text of all"));
    return f;
}
const std::vector<int> kSmallKept = {0, 2, 4, 5, 6};

// Large enough for several flushes of either new file.
FolderBuilder Large() {
    FolderBuilder f;
    for (int i = 0; i < 1500; ++i) {
        f.Add(Msg("Sender " + std::to_string(i), "s", "d", i,
                  std::string(100 + i % 90, static_cast<char>('a' + i % 26)),
                  i % 17 == 5 ? kDeletedBit : 0));
        if (i % 10 == 0)
            f.Add(f.messages().back());
    }
    return f;
}

// Every write of a record or of message bytes that fails at its own call,
// at the first, second, a middle and the last call, answered OK and Cancel.
TEST_F(RewriteFailure, PinnedFailuresKeepTheirAnswers) {
    const FolderBuilder folder = Small();
    const FolderBytes old = folder.Build();
    const FolderBytes clean = ByteAtATime(old, kSmallKept, {}, path).pair;
    ASSERT_EQ(clean.pmm, folder.Rewritten(kSmallKept).pmm);  // the model agrees
    const std::vector<std::int64_t> calls = MessageWriteCalls(clean);
    ASSERT_EQ(calls.size(), 10u);  // the header, five texts, four Ctrl-Z after
    const std::int64_t middle = calls[calls.size() / 2], last = calls.back();

    struct Case {
        std::string what;
        std::function<void()> arm;
        Failures model;
    };
    const std::vector<Case> cases = {
        {"1st record", [] { faults::FailNth(Op::Write, 1, ".KXI"); }, {{1}, {}, {}}},
        {"2nd record", [] { faults::FailNth(Op::Write, 2, ".KXI"); }, {{2}, {}, {}}},
        {"middle record", [] { faults::FailNth(Op::Write, 3, ".KXI"); }, {{3}, {}, {}}},
        {"last record", [] { faults::FailNth(Op::Write, 5, ".KXI"); }, {{5}, {}, {}}},
        // Part of the record reaches the file; it is cut off again.
        {"inside the 2nd record",
         [] { faults::FailWriteAt(".KXI", kRecordSize + 40); },
         {{2}, {}, {}}},
        {"inside the last record",
         [] { faults::FailWriteAt(".KXI", 4 * kRecordSize + 100); },
         {{5}, {}, {}}},
        {"2nd message write", [] { faults::FailNth(Op::Write, 2, ".KXM"); }, {{}, {calls[1]}, {}}},
        {"middle message write",
         [] { faults::FailNth(Op::Write, 5, ".KXM"); },
         {{}, {calls[4]}, {}}},
        {"last message write", [] { faults::FailNth(Op::Write, 10, ".KXM"); }, {{}, {last}, {}}},
        {"a byte inside a text", [] { faults::FailWriteAt(".KXM", 128 + 4); }, {{}, {128 + 4}, {}}},
        {"a middle byte", [=] { faults::FailWriteAt(".KXM", middle + 2); }, {{}, {middle + 2}, {}}},
        {"the Ctrl-Z after a text",
         [=] { faults::FailWriteAt(".KXM", calls[2]); },
         {{}, {calls[2]}, {}}},
        {"two bytes",
         [=] {
             faults::FailWriteAt(".KXM", calls[3] + 1);
             faults::FailWriteAt(".KXM", calls[3] + 1);
         },
         {{}, {calls[3] + 1, calls[3] + 1}, {}}},
    };
    for (const Case& c : cases) {
        const Expected want = ByteAtATime(old, kSmallKept, c.model, path);
        ASSERT_FALSE(want.boxes.empty()) << c.what;
        for (Answer answer : {Answer::Ok, Answer::Cancel}) {
            SCOPED_TRACE(c.what + (answer == Answer::Ok ? ", OK" : ", Cancel"));
            Fresh(folder, path);
            const std::string log = OpenLog();
            for (std::size_t i = 0; i < want.boxes.size(); ++i) {
                const std::string title = want.boxes[i].substr(0, want.boxes[i].find('|'));
                port.Reply(i == 0 ? answer : Answer::Ok, title);
                if (answer == Answer::Cancel)
                    break;
            }
            c.arm();
            Run({path});
            faults::Reset();
            std::vector<std::string> got;
            for (const BoxCall& b : port.boxes) {
                got.push_back(b.title + "|" + b.text);
                EXPECT_EQ(b.buttons, Buttons::OkCancel);
            }
            if (answer == Answer::Ok) {
                EXPECT_EQ(got, want.boxes);
                ExpectRewritten(path, want.pair, old);
                EXPECT_EQ(Summary(), "1 of 1 files processed.");
            } else {
                ASSERT_EQ(got.size(), 1u);
                EXPECT_EQ(got[0], want.boxes[0]);
                ExpectUntouched(path, old);
                EXPECT_EQ(SummaryIfAny(), "");
                state.runLog.Close();
                const std::string text = got[0].substr(got[0].find('|') + 1);
                EXPECT_NE(Text(log).find(text + "\n"), std::string::npos);
            }
        }
    }
}

// Failures that cannot be pinned to one record or byte: bytes the system
// refuses at a flush (at the first, second, a middle and the last flush, or
// part way through one), a failed sync or close, the header. The old pair
// is put back; OK goes on with the next folder, Cancel ends the run after
// logging the box.
TEST_F(RewriteFailure, OtherFailuresLeaveTheFolderAsItWas) {
    const FolderBuilder folder = Large();
    const FolderBytes old = folder.Build();
    Fresh(folder, path);
    faults::StartCounting();
    Run({path});
    const int indexFlushes = faults::Calls(Op::Flush, ".KXI");
    const int messageFlushes = faults::Calls(Op::Flush, ".KXM");
    faults::Reset();
    ASSERT_GE(indexFlushes, 3);
    ASSERT_GE(messageFlushes, 4);
    ASSERT_TRUE(port.boxes.empty());
    const FolderFiles done = ReadFolder(path);
    const FolderBytes now{done.pmi, done.pmm};

    struct Case {
        std::string what;
        std::function<void()> arm;
        std::string file;  // the folder's own name of the file that failed
    };
    std::vector<Case> cases;
    for (const auto& [temp, own, flushes] :
         {std::tuple{std::string(".KXI"), path, indexFlushes},
          std::tuple{std::string(".KXM"), pmm, messageFlushes}}) {
        for (int nth : {1, 2, (flushes + 1) / 2, flushes})
            cases.push_back({"flush " + std::to_string(nth) + " of " + temp,
                             [=] { faults::FailNth(Op::Flush, nth, temp); }, own});
        const std::int64_t half =
            static_cast<std::int64_t>((temp == ".KXI" ? now.pmi : now.pmm).size() / 2) + 3;
        cases.push_back(
            {"part of a flush of " + temp, [=] { faults::FailSystemWriteAt(temp, half); }, own});
        cases.push_back({"sync of " + temp, [=] { faults::FailNth(Op::Sync, 1, temp); }, own});
        cases.push_back({"close of " + temp, [=] { faults::FailNth(Op::Close, 1, temp); }, own});
    }
    cases.push_back({"the header", [] { faults::FailNth(Op::Write, 1, ".KXM"); }, pmm});

    for (const Case& c : cases) {
        for (Answer answer : {Answer::Ok, Answer::Cancel}) {
            SCOPED_TRACE(c.what + (answer == Answer::Ok ? ", OK" : ", Cancel"));
            Fresh(folder, path);
            const std::string log = OpenLog();
            port.Reply(answer, "File Error");
            c.arm();
            Run({path});
            faults::Reset();
            const std::string text = LeftAsItWas("Cannot write to file " + c.file + injected);
            ASSERT_EQ(port.boxes.size(), 1u);
            EXPECT_EQ(port.boxes[0].text, text);
            EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
            EXPECT_EQ(port.boxes[0].buttons, Buttons::OkCancel);
            ExpectUntouched(path, old);
            EXPECT_EQ(SummaryIfAny(), answer == Answer::Ok ? "0 of 1 files processed." : "");
            EXPECT_FALSE(state.AbortRequested);
            state.runLog.Close();
            EXPECT_EQ(Text(log).find(text + "\n") != std::string::npos, answer == Answer::Cancel);
        }
    }
}

// A failure in the second folder leaves the first one's finished result,
// whatever the answer.
TEST_F(RewriteFailure, ASecondFolderFailureLeavesTheFirstDone) {
    const std::string first = Pmi("A"), second = Pmi("B");
    const FolderBuilder folder = Small();
    const FolderBytes old = folder.Build(), now = folder.Rewritten(kSmallKept);
    for (Answer answer : {Answer::Ok, Answer::Cancel}) {
        SCOPED_TRACE(answer == Answer::Ok ? "OK" : "Cancel");
        Fresh(folder, first);
        ASSERT_TRUE(folder.Write(second));
        const std::string log = OpenLog();
        faults::FailNth(Op::Flush, 1, "B.KXM");
        port.Reply(answer, "File Error");
        Run({first, second});
        faults::Reset();
        ExpectRewritten(first, now, old);
        ExpectUntouched(second, old);
        EXPECT_EQ(SummaryIfAny(), answer == Answer::Ok ? "1 of 2 files processed." : "");
        state.runLog.Close();
        const std::string text = port.boxes.at(0).text;
        EXPECT_EQ(text.substr(0, text.find('(')), "Cannot write to file " + dir / "B.PMM" + " ");
        EXPECT_EQ(Text(log).find(text + "\n") != std::string::npos, answer == Answer::Cancel);
    }
}

// A read of the old message file that fails is not its end.
TEST_F(RewriteFailure, ReadErrorsOfTheOldMessageFile) {
    const FolderBuilder folder = Small();
    const FolderBytes old = folder.Build();
    const std::int64_t textB = folder.Record(2).fpos(), textF = folder.Record(6).fpos();

    // In the header, before anything is touched.
    for (Answer answer : {Answer::Ok, Answer::Cancel}) {
        Fresh(folder, path);
        const std::string log = OpenLog();
        faults::FailReadAt(".PMM", 60);
        port.Reply(answer, "File Error");
        Run({path});
        faults::Reset();
        const std::string text = LeftAsItWas("Cannot read file " + pmm + " at 60" + injected);
        EXPECT_EQ(port.boxes.at(0).text, text);
        ExpectUntouched(path, old);
        EXPECT_EQ(SummaryIfAny(), answer == Answer::Ok ? "0 of 1 files processed." : "");
        state.runLog.Close();
        EXPECT_EQ(Text(log).find(text + "\n") != std::string::npos, answer == Answer::Cancel);
    }
    // Inside a text, or in the header read again for the copy (the message
    // file is opened a second time then): the folder is left as it was.
    const auto readFailsAt = [](std::int64_t offset) {
        return [offset] {
            faults::AtNth(Op::Open, 2, ".PMM", [offset] { faults::FailReadAt(".PMM", offset); });
        };
    };
    for (std::int64_t offset : {textB + 5, textF + 1, std::int64_t{100}}) {
        for (Answer answer : {Answer::Ok, Answer::Cancel}) {
            SCOPED_TRACE(offset);
            Fresh(folder, path);
            const std::string log = OpenLog();
            readFailsAt(offset)();
            port.Reply(answer, "File Error");
            Run({path});
            faults::Reset();
            const std::string text =
                LeftAsItWas("Cannot read file " + pmm + " at " + std::to_string(offset) + injected);
            EXPECT_EQ(port.boxes.at(0).text, text);
            ExpectUntouched(path, old);
            state.runLog.Close();
            EXPECT_EQ(Text(log).find(text + "\n") != std::string::npos, answer == Answer::Cancel);
        }
    }
    // The byte after a text's counted bytes: "Cannot get char", and OK ends
    // the text there, as at the end of the file.
    const std::int64_t afterB = textB + folder.Record(2).fsize();
    const Expected want = ByteAtATime(old, kSmallKept, {{}, {}, afterB}, path);
    ASSERT_EQ(want.boxes.size(), 1u);
    for (Answer answer : {Answer::Ok, Answer::Cancel}) {
        Fresh(folder, path);
        const std::string log = OpenLog();
        readFailsAt(afterB)();
        port.Reply(answer, "File Error 10");
        Run({path});
        faults::Reset();
        EXPECT_EQ("File Error 10|" + port.boxes.at(0).text, want.boxes[0]);
        if (answer == Answer::Ok) {
            ExpectRewritten(path, want.pair, old);
        } else {
            ExpectUntouched(path, old);
            state.runLog.Close();
            EXPECT_NE(Text(log).find(port.boxes[0].text + "\n"), std::string::npos);
        }
    }
}

// A read error of the index ends the run before anything is touched; the
// records after it are not lost from a rewritten folder.
TEST_F(RewriteFailure, AReadErrorOfTheIndexIsNotItsEnd) {
    const FolderBuilder folder = Small();
    const FolderBytes old = folder.Build();
    Fresh(folder, path);
    const std::string log = OpenLog();
    faults::FailReadAt(".PMI", 2 * kRecordSize + 10);
    port.Reply(Answer::Ok, "File Error 1");
    Run({path});
    const std::string text =
        "Cannot read file " + path + " at " + std::to_string(2 * kRecordSize + 10) + injected;
    EXPECT_EQ(port.boxes.at(0).text, text);
    EXPECT_EQ(port.boxes.at(0).buttons, Buttons::Ok);
    ExpectUntouched(path, old);
    EXPECT_EQ(SummaryIfAny(), "");
    state.runLog.Close();
    EXPECT_NE(Text(log).find(text + "\n"), std::string::npos);
}

#ifndef _WIN32
// A real write() that fails: the process's file size limit is reached while
// the new message file is flushed.
TEST_F(RewriteFailure, ARealFailingWrite) {
    FolderBuilder folder;
    for (int i = 0; i < 8; ++i) {
        folder.Add(Msg("S" + std::to_string(i), "s", "d", i, std::string(30000, 'a' + i)));
        if (i == 3)
            folder.Add(folder.messages().back());
    }
    const FolderBytes old = folder.Build();
    Fresh(folder, path);
    port.Reply(Answer::Ok, "File Error");
    {
        ScopedFileSizeLimit limit(100000);
        Run({path});
    }
    const std::string text = port.boxes.at(0).text;
    EXPECT_EQ(text.substr(0, text.find('(')), "Cannot write to file " + pmm + " ");
    EXPECT_NE(text.find("large"), std::string::npos) << text;
    ExpectUntouched(path, old);
    EXPECT_EQ(Summary(), "0 of 1 files processed.");
}
#endif

}  // namespace
}  // namespace kestrove::testing
