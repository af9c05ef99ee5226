// The rewrite of a folder: the new pair byte for byte, the questions, every
// failure reached through the platform's fault hook, and the old pair put
// back whenever the new one could not be completed.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/Format.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "tests/support/EngineFixture.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kestrove::testing {
namespace {

namespace faults = platform::faults;
using faults::Op;
using namespace std::chrono_literals;

// Kept in file order: 0, 2, 4, 5. Sorted: 4, 2, 0 (after the deleted 3), 5.
FolderBuilder Standard() {
    HeaderSpec h;
    h.name = "Inbox";
    h.delsize = 999;
    h.raw = {{50, 0xAB}, {64, 0xCD}, {108, 0xEF}, {127, 0x77}};
    FolderBuilder f(h);
    f.Add(Msg("Alice", "Hi", "Mon", 300, "first text"));
    f.Add(Msg("Alice", "Hi", "Mon", 300, "first text"));
    MessageSpec b = Msg("Bob", "Re", "Tue", 100, "bob's text\x1a with a ctrl-z");
    b.ending = CtrlZ::Inside;
    b.byte106 = 1;
    b.byte107 = 2;
    b.byte109 = 3;
    b.color = -4;
    b.fname = "FNAME";
    b.before = "gap";
    f.Add(b);
    f.Add(Msg("Carol", "Old", "Wed", 200, "deleted text", kDeletedBit));
    f.Add(Msg("Dan", "Read", "Thu", 50, "read text", kReadBit));
    f.Add(Msg("Eve", "Zero", "Fri", 400, ""));  // fsize 0, its Ctrl-Z only
    return f;
}

class Rewrite : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        state.sortOn = false;
        Fresh();
    }

    // Empties the directory and writes the folder again.
    void Fresh(const FolderBuilder& f = Standard()) {
        for (const auto& entry : std::filesystem::directory_iterator(dir.Native()))
            std::filesystem::remove(entry.path());
        folder = f;
        old = f.Build();
        ASSERT_TRUE(f.Write(path));
    }

    std::string Summary() { return port.Status(StatusLine::LabelInfoMsg1); }

    // A run with a log: no box, the folder rewritten to `now`, `line` logged.
    void RunAsksNothingAndLogs(const FolderBytes& now, const std::string& line) {
        const std::string log = OpenLog();
        Run({path});
        EXPECT_TRUE(port.boxes.empty());
        ExpectRewritten(path, now, old);
        const auto lines = Lines(log);
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }

    const std::string path = Pmi("INBOX");
    FolderBuilder folder;
    FolderBytes old;
};

IndexRecord RecordAt(const std::vector<std::uint8_t>& pmi, int i) {
    IndexRecord r;
    std::copy_n(pmi.begin() + i * static_cast<int>(kRecordSize), kRecordSize, r.bytes.begin());
    return r;
}

TEST_F(Rewrite, NewPairByteForByte) {
    for (bool sortOn : {false, true}) {
        SCOPED_TRACE(sortOn ? "sort on" : "sort off");
        Fresh();
        port = ScriptedPort();
        state.sortOn = sortOn;
        Run({path});
        EXPECT_EQ(Summary(), "1 of 1 files processed.");
        const FolderBytes want =
            sortOn ? folder.Rewritten({4, 2, 0, 5}) : folder.Rewritten({0, 2, 4, 5});
        ExpectRewritten(path, want, old);

        // What the expected bytes say, spelled out.
        FolderFiles now = ReadFolder(path);
        ASSERT_EQ(now.pmi.size(), 4 * kRecordSize);
        MessageFileHeader h;
        std::copy_n(now.pmm.begin(), kHeaderSize, h.bytes.begin());
        EXPECT_EQ(h.unread(), 3);  // the kept records but Dan's, which is read
        EXPECT_EQ(h.deleted(), 0);
        EXPECT_EQ(h.delsize(), 0);
        EXPECT_EQ(h.bytes[50], 0xAB);
        EXPECT_EQ(h.bytes[127], 0x77);
        std::uint32_t next = 128;
        for (int i = 0; i < 4; ++i) {
            IndexRecord r = RecordAt(now.pmi, i);
            EXPECT_EQ(r.msg_number(), i);
            EXPECT_EQ(r.fpos(), next);
            next += static_cast<std::uint32_t>(std::max(r.fsize(), 1));
            if (now.pmm[next - 1] != kCtrlZ)
                ++next;  // the Ctrl-Z after the text
            if (r.from() == "Bob") {
                EXPECT_EQ(r.bytes[106], 1);
                EXPECT_EQ(r.bytes[107], 2);
                EXPECT_EQ(r.bytes[109], 3);
                EXPECT_EQ(r.color(), -4);
                EXPECT_EQ(r.fname(), "FNAME");
            }
            if (r.from() == "Dan") {
                EXPECT_TRUE(r.HasFlag(kReadBit));
            }
        }
        EXPECT_EQ(next, now.pmm.size());
    }
}

// The new header counts what the new index holds unread, so the mail
// client shows the truth and the next run has no question about it.
TEST_F(Rewrite, TheNewHeaderCountsTheUnreadKept) {
    FolderBuilder f;
    f.Add(Msg("A", "s", "d", 1, "one")).Add(Msg("A", "s", "d", 1, "one"));  // unread, twice
    f.Add(Msg("B", "s", "d", 2, "two", kReadBit)).Add(Msg("B", "s", "d", 2, "two", kReadBit));
    f.Add(Msg("C", "s", "d", 3, "gone", kDeletedBit));
    f.Add(Msg("D", "s", "d", 4, "four"));
    Fresh(f);
    ASSERT_EQ(f.Header().unread(), 3);  // the mail client's count: the index's
    Run({path});
    ExpectRewritten(path, f.Rewritten({0, 2, 5}), old);
    MessageFileHeader h;
    const auto pmm = Bytes(MessageFileName(path));
    std::copy_n(pmm.begin(), kHeaderSize, h.bytes.begin());
    EXPECT_EQ(h.unread(), 2);
    EXPECT_EQ(h.deleted(), 0);

    port = ScriptedPort();
    Run({path});  // MismatchedUnread is "Always Ask": a box would fail here
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(Summary(), "0 of 1 files processed.");
}

// Another program writes to the folder while the new pair is written (or
// while a question is open): nothing of the folder is touched, the
// temporaries go, and a box and the log say which file changed.
TEST_F(Rewrite, AFolderChangedDuringTheRunIsLeftAlone) {
    namespace fs = std::filesystem;
    struct Case {
        const char* what;
        const char* file;
        std::function<void(const fs::path&)> change;
    };
    const Case cases[] = {
        {"index grows", "INBOX.PMI",
         [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) + kRecordSize); }},
        {"index shrinks", "INBOX.PMI",
         [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) - kRecordSize); }},
        {"message file grows", "INBOX.PMM",
         [](const fs::path& p) { fs::resize_file(p, fs::file_size(p) + 10); }},
        {"message file replaced", "INBOX.PMM",
         [](const fs::path& p) {
             fs::copy_file(p, p.string() + ".new");
             fs::rename(p.string() + ".new", p);
         }},
        {"message file written in place", "INBOX.PMM",
         [](const fs::path& p) { fs::last_write_time(p, fs::last_write_time(p) + 2s); }},
        {"index removed", "INBOX.PMI", [](const fs::path& p) { fs::remove(p); }},
    };
    for (bool whileAsking : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (whileAsking ? ", while asking" : ""));
            Fresh();
            port = ScriptedPort();
            const std::string bki = dir / "INBOX.BKI";
            if (whileAsking) {
                ASSERT_TRUE(WriteFileBytes(bki, std::string_view("old bki")));
            }
            const std::string log = OpenLog();
            std::optional<std::vector<std::uint8_t>> changed;
            const auto act = [&] {
                c.change(dir.Native(c.file));
                changed = ReadFileBytes(dir / c.file);
            };
            // Before the look that precedes the old backups, or between the
            // copy and the renames.
            if (whileAsking) {
                faults::AtNth(Op::Stat, 2, c.file, act);
            } else {
                faults::AtNth(Op::Sync, 1, ".KXI", act);
            }
            port.Reply(Answer::Ok, "File Mismatch");
            Run({path});
            faults::Reset();
            ASSERT_EQ(port.boxes.size(), 1u);
            const std::string text =
                dir / c.file + " was changed by another program during the run - skipping file.";
            EXPECT_EQ(port.boxes[0].text, text);
            EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
            EXPECT_EQ(port.boxes[0].buttons, Buttons::Ok);
            EXPECT_EQ(Summary(), "0 of 1 files processed.");
            // The other program's files as it left them, nothing renamed.
            const FolderFiles now = ReadFolder(path);
            const bool index = std::string_view(c.file).ends_with("PMI");
            EXPECT_EQ(index ? now.hasPmi : now.hasPmm, changed.has_value());
            if (changed) {
                EXPECT_EQ(index ? now.pmi : now.pmm, *changed);
            }
            EXPECT_EQ(index ? now.pmm : now.pmi, index ? old.pmm : old.pmi);
            EXPECT_EQ(now.hasBki, whileAsking);  // no backup is deleted for it
            EXPECT_FALSE(now.hasBkm);
            EXPECT_FALSE(Exists(NewIndexTempName(path)) || Exists(NewMessageTempName(path)));
            state.runLog.Close();
            const auto lines = Lines(log);
            EXPECT_NE(std::find(lines.begin(), lines.end(), text), lines.end());
        }
    }
}

TEST_F(Rewrite, NothingToDropLeavesTheFolderAlone) {
    FolderBuilder f;
    f.Add(Msg("A", "s", "d", 1, "one")).Add(Msg("B", "s", "d", 2, "two"));
    Fresh(f);
    const auto pmiTime = std::filesystem::last_write_time(dir.Native("INBOX.PMI"));
    const auto pmmTime = std::filesystem::last_write_time(dir.Native("INBOX.PMM"));
    Run({path});
    EXPECT_EQ(Summary(), "0 of 1 files processed.");
    ExpectUntouched(path, old);
    EXPECT_EQ(std::filesystem::last_write_time(dir.Native("INBOX.PMI")), pmiTime);
    EXPECT_EQ(std::filesystem::last_write_time(dir.Native("INBOX.PMM")), pmmTime);
}

TEST_F(Rewrite, CountMismatchQuestions) {
    struct {
        bool unread;  // else deleted
        int setting;
        Answer answer;  // when asked
        bool rewritten, aborted;
    } cases[] = {
        {true, 0, Answer::Yes, true, false},    {true, 0, Answer::No, false, false},
        {true, 0, Answer::Cancel, false, true}, {true, 1, Answer::Ok, true, false},
        {true, 2, Answer::Ok, false, false},    {true, 7, Answer::Ok, true, false},
        {false, 0, Answer::Yes, true, false},   {false, 0, Answer::Cancel, false, true},
        {false, 2, Answer::Ok, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Format("%s setting %d", c.unread ? "unread" : "deleted", c.setting));
        FolderBuilder f = Standard();
        (c.unread ? f.header().unread : f.header().deleted) = 9;
        Fresh(f);
        port = ScriptedPort();
        state.settings.MismatchedUnread = ChoiceAt<OnMismatch>(c.unread ? c.setting : 1);
        state.settings.MismatchedDeleted = ChoiceAt<OnMismatch>(c.unread ? 1 : c.setting);
        if (c.setting == 0)
            port.Reply(c.answer, "File Mismatch");
        Run({path});
        if (c.setting == 0) {
            ASSERT_EQ(port.boxes.size(), 1u);
            EXPECT_EQ(port.boxes[0].text,
                      Format("%s PMI=%d PMM=9 Mismatch!\nYES to accept\nNO to skip file\nCANCEL to "
                             "abort run",
                             c.unread ? "UNREAD" : "DELETED", c.unread ? 4 : 1));
            EXPECT_EQ(port.boxes[0].icon, Icon::Information);
            EXPECT_EQ(port.boxes[0].buttons, Buttons::YesNoCancel);
        } else {
            EXPECT_TRUE(port.boxes.empty());
        }
        EXPECT_EQ(state.AbortRequested, c.aborted);
        if (c.rewritten)
            ExpectRewritten(path, folder.Rewritten({0, 2, 4, 5}), old);
        else
            ExpectUntouched(path, old);
        EXPECT_EQ(Summary() == "0 of 1 files processed.", !c.rewritten && !c.aborted);
    }
}

TEST_F(Rewrite, OldBackups) {
    const std::string bki = dir / "INBOX.BKI", bkm = dir / "INBOX.BKM";
    struct {
        int setting;
        std::vector<Answer> answers;
        bool rewritten;
    } cases[] = {
        {0, {Answer::Ok, Answer::Ok}, true},
        {0, {Answer::Ok, Answer::Cancel}, false},
        {0, {Answer::Cancel}, false},
        {1, {}, true},
        {2, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            Format("BackupFiles %d, %d answers", c.setting, static_cast<int>(c.answers.size())));
        Fresh();
        ASSERT_TRUE(WriteFileBytes(bki, std::string_view("old bki")));
        ASSERT_TRUE(WriteFileBytes(bkm, std::string_view("old bkm")));
        port = ScriptedPort();
        const std::string log = OpenLog();
        state.settings.BackupFiles = ChoiceAt<OnBackupExists>(c.setting);
        for (Answer a : c.answers)
            port.Reply(a, "Backup File Exists");
        Run({path});
        for (std::size_t i = 0; i < port.boxes.size(); ++i) {
            EXPECT_EQ(port.boxes[i].text,
                      Format("Backup file %s exists!\nOK to OVERWRITE\nCancel to skip",
                             (i == 0 ? bki : bkm).c_str()));
            EXPECT_EQ(port.boxes[i].icon, Icon::Stop);
            EXPECT_EQ(port.boxes[i].buttons, Buttons::OkCancel);
            // Its OK deletes the old backup: Enter keeps it.
            EXPECT_EQ(port.boxes[i].byDefault, DefaultButton::Cancel);
        }
        if (c.rewritten) {
            ExpectRewritten(path, folder.Rewritten({0, 2, 4, 5}), old);
        } else {
            EXPECT_EQ(Bytes(path), old.pmi);
            EXPECT_EQ(Bytes(MessageFileName(path)), old.pmm);
            // A backup is deleted only once the answer for it was OK.
            EXPECT_EQ(Exists(bki), c.answers.empty() || c.answers[0] == Answer::Cancel);
            EXPECT_TRUE(Exists(bkm));
        }
        const auto lines = Lines(log);
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Backup File " + bki + " exists."),
                  lines.end());
    }
}

// A backup index or message file given as the folder itself would be its
// own old backup; clearing that must not delete the files in hand.
TEST_F(Rewrite, ABackupFileGivenAsTheFolderIsSkipped) {
    for (const char* extension : {".BKI", ".bkm"}) {
        SCOPED_TRACE(extension);
        Fresh();
        const std::string given = ReplaceExtension(path, extension);
        std::filesystem::rename(dir.Native() / "INBOX.PMI",
                                dir.Native() / ("INBOX" + std::string(extension)));
        port = ScriptedPort();
        state.settings.BackupFiles =
            OnBackupExists::Overwrite;  // would delete an old backup without asking
        port.Reply(Answer::Ok, "Backup File Error");
        Run({given});
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].text, given + " is a backup file - skipping file.");
        EXPECT_EQ(Bytes(given), old.pmi);
        EXPECT_EQ(Bytes(MessageFileName(path)), old.pmm);
        EXPECT_EQ(Summary(), "0 of 1 files processed.");
    }
}

TEST_F(Rewrite, OldBackupThatCannotBeDeleted) {
    const std::string bki = dir / "INBOX.BKI";
    ASSERT_TRUE(WriteFileBytes(bki, std::string_view("old bki")));
    const std::string log = OpenLog();
    state.settings.BackupFiles = OnBackupExists::Overwrite;
    faults::FailNth(Op::Delete, 1, "INBOX.BKI");
    port.Reply(Answer::Ok, "Backup File Error");
    Run({path});
    EXPECT_EQ(port.boxes.at(0).text,
              Injected("Can't delete old backup file " + bki + " - skipping file."));
    EXPECT_EQ(port.boxes.at(0).buttons, Buttons::Ok);
    EXPECT_EQ(Summary(), "0 of 1 files processed.");
    EXPECT_EQ(Bytes(path), old.pmi);
    EXPECT_EQ(Bytes(bki), std::vector<std::uint8_t>({'o', 'l', 'd', ' ', 'b', 'k', 'i'}));
    const auto lines = Lines(log);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Backup File " + bki + " exists."), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), Injected("Backup File " + bki + " exists.")),
              1);
}

// Moves the text at `offset` of the new message file one byte down, as a
// dropped byte does to everything after it.
FolderBytes DropByte(FolderBytes pair, std::size_t offset) {
    pair.pmm.erase(pair.pmm.begin() + static_cast<long>(offset));
    for (std::size_t at = 0; at + kRecordSize <= pair.pmi.size(); at += kRecordSize) {
        std::uint32_t fpos = GetU32(&pair.pmi[at + rec::kFpos]);
        if (fpos > offset)
            PutU32(&pair.pmi[at + rec::kFpos], fpos - 1);
    }
    return pair;
}

// The nth seek of the message file after it was opened for the copy fails
// (the scan and the questions read it before).
void SeekFailsInTheCopy(int nth) {
    faults::AtNth(Op::Open, 3, ".PMM", [nth] { faults::FailNth(Op::Seek, nth, ".PMM"); });
}

// Every failure of the rewrite, made by a real failing operation: the box,
// what OK and Cancel do, the log, and the files left behind.
TEST_F(Rewrite, FailuresAndTheirAnswers) {
    const std::string pmm = dir / "INBOX.PMM", bki = dir / "INBOX.BKI", bkm = dir / "INBOX.BKM";
    const std::string kxi = NewIndexTempName(path), kxm = NewMessageTempName(path);
    const std::string skip = "\nOK to skip\nCancel to abort run";
    const std::string injected = " (" + std::string(faults::kInjectedFaultText) + ").";
    const std::string leftAsItWas = "\nThe folder " + path + " is left as it was." + skip;
    const FolderBytes all = Standard().Rewritten({0, 2, 4, 5});
    const FolderBytes without2 = Standard().Rewritten({0, 4, 5});
    const std::uint32_t fpos2 = Standard().Record(2).fpos();
    struct Case {
        const char* what;
        std::function<void()> arm;
        const char* title;
        std::string text;
        Buttons buttons;
        Answer answer;
        std::optional<FolderBytes> result;  // empty: the folder as it was
        bool runEnds;
        bool logsText;
    };
    const Case cases[] = {
        // The scan opens it first, to compare the duplicate's text.
        {"message file cannot be opened",
         [] { faults::FailNth(Op::Open, 2, ".PMM"); },
         "File Error 2",
         "Cannot Open File 13: " + pmm,
         Buttons::Ok,
         Answer::Ok,
         {},
         true,
         true},
        {"index rename, OK",
         [] { faults::FailNth(Op::Rename, 1); },
         "Backup File Exists",
         "Can't rename " + path + " to " + bki + ".\nOK to skip\nCancel to abort",
         Buttons::OkCancel,
         Answer::Ok,
         {},
         false,
         false},
        {"index rename, Cancel",
         [] { faults::FailNth(Op::Rename, 1); },
         "Backup File Exists",
         "Can't rename " + path + " to " + bki + ".\nOK to skip\nCancel to abort",
         Buttons::OkCancel,
         Answer::Cancel,
         {},
         true,
         true},
        {"message rename",
         [] { faults::FailNth(Op::Rename, 2); },
         "Backup File Exists",
         "Can't rename " + pmm + " to " + bkm + ".\nOK to skip\nCancel to abort",
         Buttons::OkCancel,
         Answer::Ok,
         {},
         false,
         false},
        {"message rename, Cancel",
         [] { faults::FailNth(Op::Rename, 2); },
         "Backup File Exists",
         "Can't rename " + pmm + " to " + bkm + ".\nOK to skip\nCancel to abort",
         Buttons::OkCancel,
         Answer::Cancel,
         {},
         true,
         true},
        {"new index not created",
         [] { faults::FailNth(Op::Create, 1, ".KXI"); },
         "File Error 3",
         "Cannot Open File 1: " + path,
         Buttons::Ok,
         Answer::Ok,
         {},
         true,
         true},
        {"new message file not created",
         [] { faults::FailNth(Op::Create, 1, ".KXM"); },
         "File Error 4",
         "Cannot Open File 2: " + pmm,
         Buttons::Ok,
         Answer::Ok,
         {},
         true,
         false},
        // It is read in place, opened a third time for the copy.
        {"message file not opened for the copy",
         [] { faults::FailNth(Op::Open, 3, ".PMM"); },
         "File Error 5",
         "Cannot Open File 3: " + pmm,
         Buttons::Ok,
         Answer::Ok,
         {},
         true,
         false},
        {"no write position, OK", [] { faults::FailNth(Op::Tell, 2, ".KXM"); }, "File Error 6",
         "Cannot get fpos of file " + pmm + skip, Buttons::OkCancel, Answer::Ok, without2, false,
         false},
        {"no write position, Cancel",
         [] { faults::FailNth(Op::Tell, 2, ".KXM"); },
         "File Error 6",
         "Cannot get fpos of file " + pmm + skip,
         Buttons::OkCancel,
         Answer::Cancel,
         {},
         true,
         true},
        {"record not written, OK", [] { faults::FailNth(Op::Write, 2, ".KXI"); }, "File Error 7",
         "Cannot write to file " + path + skip, Buttons::OkCancel, Answer::Ok, without2, false,
         false},
        {"record not written, Cancel",
         [] { faults::FailNth(Op::Write, 2, ".KXI"); },
         "File Error 7",
         "Cannot write to file " + path + skip,
         Buttons::OkCancel,
         Answer::Cancel,
         {},
         true,
         true},
        // The text is reached before its record is written: OK leaves out both.
        // (Counted from the copy's opening: its first seek is to the header.)
        {"no seek, OK", [] { SeekFailsInTheCopy(3); }, "File Error 8",
         Format("Cannot seek to %u file %s", fpos2, path.c_str()) + skip, Buttons::OkCancel,
         Answer::Ok, without2, false, false},
        {"no seek, Cancel",
         [] { SeekFailsInTheCopy(3); },
         "File Error 8",
         Format("Cannot seek to %u file %s", fpos2, path.c_str()) + skip,
         Buttons::OkCancel,
         Answer::Cancel,
         {},
         true,
         true},
        {"byte not written, OK", [] { faults::FailWriteAt(".KXM", 129); }, "File Error 9",
         "Cannot put 105=i to " + std::to_string(Standard().Record(0).fpos()) + "+1 file " + pmm +
             skip,
         Buttons::OkCancel, Answer::Ok, DropByte(all, 129), false, false},
        {"byte not written, Cancel",
         [] { faults::FailWriteAt(".KXM", 129); },
         "File Error 9",
         "Cannot put 105=i to " + std::to_string(Standard().Record(0).fpos()) + "+1 file " + pmm +
             skip,
         Buttons::OkCancel,
         Answer::Cancel,
         {},
         true,
         true},
        // The new pair cannot be made complete on the disk.
        {"new index not synced",
         [] { faults::FailNth(Op::Sync, 1, ".KXI"); },
         "File Error",
         "Cannot write to file " + path + injected + leftAsItWas,
         Buttons::OkCancel,
         Answer::Ok,
         {},
         false,
         false},
        {"new message file not closed",
         [] { faults::FailNth(Op::Close, 1, ".KXM"); },
         "File Error",
         "Cannot write to file " + pmm + injected + leftAsItWas,
         Buttons::OkCancel,
         Answer::Cancel,
         {},
         true,
         true},
        // Looked at when loaded, before the old backups and before the renames.
        {"index not to be looked at before the renames",
         [] { faults::FailNth(Op::Stat, 3, ".PMI"); },
         "File Error",
         "Cannot check whether " + path + " was changed by another program - skipping file.",
         Buttons::Ok,
         Answer::Ok,
         {},
         false,
         true},
        {"message file not to be looked at before the old backups",
         [] { faults::FailNth(Op::Stat, 2, ".PMM"); },
         "File Error",
         "Cannot check whether " + pmm + " was changed by another program - skipping file.",
         Buttons::Ok,
         Answer::Ok,
         {},
         false,
         true},
        {"new message file not renamed",
         [] { faults::FailNth(Op::Rename, 3); },
         "Backup File Exists",
         "Can't rename " + kxm + " to " + pmm + ".\nOK to skip\nCancel to abort",
         Buttons::OkCancel,
         Answer::Ok,
         {},
         false,
         false},
        {"new index not renamed",
         [] { faults::FailNth(Op::Rename, 4); },
         "Backup File Exists",
         "Can't rename " + kxi + " to " + path + ".\nOK to skip\nCancel to abort",
         Buttons::OkCancel,
         Answer::Cancel,
         {},
         true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        port = ScriptedPort();
        const std::string log = OpenLog();
        c.arm();
        port.Reply(c.answer, c.title);
        Run({path});
        faults::Reset();
        ASSERT_EQ(port.boxes.size(), 1u);
        // Every failure here is a test fault's: its reason ends the text,
        // unless the text names it already.
        const std::string want = c.text.find(faults::kInjectedFaultText) == std::string::npos
                                     ? Injected(c.text)
                                     : c.text;
        EXPECT_EQ(port.boxes[0].text, want);
        EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
        EXPECT_EQ(port.boxes[0].buttons, c.buttons);
        if (c.result)
            ExpectRewritten(path, *c.result, old);
        else
            ExpectUntouched(path, old);
        const bool summary = port.Status(StatusLine::LabelInfoMsg1).ends_with("files processed.");
        EXPECT_EQ(summary, !c.runEnds);
        EXPECT_EQ(state.runLog.IsOpen(), c.runEnds);
        EXPECT_FALSE(state.AbortRequested);
        state.runLog.Close();
        const bool logged = Text(log).find(want + "\n") != std::string::npos;
        EXPECT_EQ(logged, c.logsText);
    }
}

// The copy's own questions at the level of the folder: File Error 10 and 11
// and the size question, and Cancel puts the old pair back.
TEST_F(Rewrite, TextEndQuestions) {
    FolderBuilder f;
    f.Add(Msg("A", "s", "d", 1, "dup")).Add(Msg("A", "s", "d", 1, "dup"));
    MessageSpec small = Msg("B", "s", "d", 2, "abcdef");
    small.fsize = 2;  // no Ctrl-Z after two bytes
    f.Add(small);
    MessageSpec last = Msg("C", "s", "d", 3, "end");
    last.ending = CtrlZ::None;  // the file ends right after the text
    f.Add(last);
    const std::string pmm = dir / "INBOX.PMM";
    const auto fposB = f.Record(2).fpos(), fposC = f.Record(3).fpos();
    for (Answer answer : {Answer::Ok, Answer::Cancel}) {
        SCOPED_TRACE(answer == Answer::Ok ? "OK" : "Cancel");
        Fresh(f);
        port = ScriptedPort();
        port.Reply(answer, "Message Size Error");
        if (answer == Answer::Ok) {
            port.Reply(Answer::Ok, "Message Size Error");
            port.Reply(Answer::Ok, "File Error 10");
        }
        Run({path});
        EXPECT_EQ(port.boxes.at(0).text, Format("No ctrl-z at %u+2 file %s\nOK to skip\nCancel to "
                                                "abort run",
                                                fposB, pmm.c_str()));
        if (answer == Answer::Cancel) {
            ExpectUntouched(path, old);
            continue;
        }
        EXPECT_EQ(port.boxes.at(1).text, Format("No ctrl-z at %u+3 file %s\nOK to skip\nCancel to "
                                                "abort run",
                                                fposB, pmm.c_str()));
        EXPECT_EQ(port.boxes.at(2).text,
                  Format("Cannot get char at %u+3 file %s\nOK to skip\nCancel "
                         "to abort run",
                         fposC, pmm.c_str()));
        ExpectRewritten(path, f.Rewritten({0, 2, 3}), old);
    }
    // The extra byte after the text cannot be written: dropped, and the copy
    // goes on with the bytes that follow.
    f = FolderBuilder();
    f.Add(Msg("A", "s", "d", 1, "x", kDeletedBit)).Add(Msg("B", "s", "d", 1, "abc"));
    f.MessageTail("Q\x1a");
    Fresh(f);
    port = ScriptedPort();
    port.Reply(Answer::Ok, "File Error 11");
    faults::FailWriteAt(".KXM", 131);
    Run({path});
    EXPECT_EQ(port.boxes.at(0).text,
              Injected(Format("Cannot put 26=\x1a to %u+3 file %s\nOK to skip\nCancel to abort run",
                              f.Record(1).fpos(), pmm.c_str())));
    std::vector<std::uint8_t> pmmNow = Bytes(pmm);
    EXPECT_EQ(std::string(pmmNow.begin() + 128, pmmNow.end()), "abcQ\x1a");
}

// Abort at a message of the rewrite: the old pair stays the folder.
TEST_F(Rewrite, AbortPutsTheOldPairBack) {
    for (int slotPump = 1; slotPump <= 6; ++slotPump) {
        SCOPED_TRACE(slotPump);
        Fresh();
        port = ScriptedPort();
        port.AbortAtPump(state, 1 + slotPump);  // pump 1 is the folder's own
        bool sawTemporaries = false;
        port.AtPump(1 + slotPump, [&] {
            // Under way, the new pair lies under its temporary names only,
            // and the mail client finds the folder as it was.
            const FolderFiles now = ReadFolder(path);
            sawTemporaries = Exists(NewIndexTempName(path)) && Exists(NewMessageTempName(path)) &&
                             now.pmi == old.pmi && now.pmm == old.pmm && !now.hasBki && !now.hasBkm;
        });
        Run({path});
        EXPECT_TRUE(sawTemporaries);
        EXPECT_TRUE(state.AbortRequested);
        EXPECT_FALSE(port.abortVisible);
        ExpectUntouched(path, old);
    }
}

// A rename that fails is undone with the renames before it. When a step of
// that fails too, the box says so, the folder is left as a run killed at
// that moment leaves it, and the next run puts it right.
TEST_F(Rewrite, RollbackThatFailsIsFinishedByTheNextRun) {
    const std::string pmm = dir / "INBOX.PMM", bki = dir / "INBOX.BKI", bkm = dir / "INBOX.BKM";
    const std::string kxi = NewIndexTempName(path), kxm = NewMessageTempName(path);
    const FolderBytes now = Standard().Rewritten({0, 2, 4, 5});
    struct Case {
        const char* what;
        std::function<void()> arm;                 // counts the renames from the first, PMI to BKI
        std::string backText, renameText;          // the boxes, without their reasons
        const std::vector<std::uint8_t>* message;  // under the folder's name, or none
        bool tempMessage;                          // KXM left
        std::string undone;                        // the next run's log line
    };
    const Case cases[] = {
        {"old message file, then the index back",
         [] { faults::FailNth(Op::Rename, 2), faults::FailNth(Op::Rename, 3); },
         "Can't rename " + bki + " to " + path + ".",
         "Can't rename " + pmm + " to " + bkm + ".\nOK to skip\nCancel to abort", &old.pmm, true,
         "The interrupted rewrite of " + path + " is undone: the folder holds its old pair."},
        {"new message file, then the old one back",
         [] { faults::FailNth(Op::Rename, 3), faults::FailNth(Op::Rename, 4); },
         "Can't rename " + bkm + " to " + pmm + ".",
         "Can't rename " + kxm + " to " + pmm + ".\nOK to skip\nCancel to abort", nullptr, true,
         "The interrupted rewrite of " + path + " is undone: the folder holds its old pair."},
        {"new index, then the new message file not removed",
         [] { faults::FailNth(Op::Rename, 4), faults::FailNth(Op::Delete, 1, "INBOX.PMM"); }, "",
         "Can't rename " + kxi + " to " + path + ".\nOK to skip\nCancel to abort", &now.pmm, false,
         "The interrupted rewrite of " + path + " is finished: the new pair is in place."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        port = ScriptedPort();
        c.arm();
        if (!c.backText.empty())
            port.Reply(Answer::Ok, "Backup File Error");
        port.Reply(Answer::Ok, "Backup File Exists");
        Run({path});
        faults::Reset();
        std::vector<std::string> texts;
        for (const BoxCall& b : port.boxes)
            texts.push_back(b.text);
        std::vector<std::string> want;
        if (!c.backText.empty())
            want.push_back(Injected(c.backText));
        want.push_back(Injected(c.renameText));
        EXPECT_EQ(texts, want);
        EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "0 of 1 files processed.");
        // Nothing is lost: the backups hold the old pair, the temporaries
        // what the next run needs.
        const FolderFiles left = ReadFolder(path);
        EXPECT_FALSE(left.hasPmi);
        EXPECT_EQ(left.hasPmm, c.message != nullptr);
        if (c.message) {
            EXPECT_EQ(left.pmm, *c.message);
        }
        EXPECT_EQ(left.bki, old.pmi);
        EXPECT_EQ(left.hasBkm, c.message != &old.pmm);
        if (left.hasBkm) {
            EXPECT_EQ(left.bkm, old.pmm);
        }
        EXPECT_TRUE(Exists(kxi));
        EXPECT_EQ(Exists(kxm), c.tempMessage);

        port = ScriptedPort();
        RunAsksNothingAndLogs(now, c.undone);
    }
}

// A message file shorter than its header reads as one padded with zeros; a
// text that starts past the end of the old file cannot be reached.
TEST_F(Rewrite, ShortMessageFile) {
    FolderBuilder f;
    f.header().name = "Short";
    f.Add(Msg("A", "s", "d", 1, "gone", kDeletedBit)).Add(Msg("B", "s", "d", 2, "lost"));
    f.MessageFileLength(40);
    Fresh(f);
    state.settings.MismatchedUnread = OnMismatch::Ignore;
    state.settings.MismatchedDeleted = OnMismatch::Ignore;
    port.Reply(Answer::Ok, "File Error 8");
    Run({path});
    EXPECT_EQ(port.boxes.at(0).text,
              Format("Cannot seek to %u file %s\nOK to skip\nCancel to abort run",
                     f.Record(1).fpos(), path.c_str()));
    std::vector<std::uint8_t> header(old.pmm.begin(), old.pmm.end());
    header.resize(128, 0);
    ExpectRewritten(path, FolderBytes{{}, header}, old);
}

// Odd sizes and places: a negative size copies through the next Ctrl-Z, a
// huge one up to the end of the file, an fpos past the end is unreachable.
TEST_F(Rewrite, OddSizesAndPlaces) {
    FolderBuilder f;
    MessageSpec neg = Msg("A", "s", "d", 1, "negative");
    neg.fsize = -5;
    MessageSpec huge = Msg("B", "s", "d", 2, "huge");
    huge.fsize = 0x7fffffff;
    MessageSpec far = Msg("C", "s", "d", 3, "");
    far.fpos = 0xFFFFFFF0u;
    far.writeText = false;
    f.Add(neg).Add(Msg("X", "s", "d", 0, "x", kDeletedBit)).Add(huge).Add(far);
    Fresh(f);
    for (int i = 0; i < 4; ++i)
        port.Reply(Answer::Ok, "Message Size Error");  // "negative" has no Ctrl-Z every 2 bytes
    port.Reply(Answer::Ok, "File Error 8");
    Run({path});
    EXPECT_EQ(
        port.boxes.back().text,
        Format("Cannot seek to 4294967280 file %s\nOK to skip\nCancel to abort run", path.c_str()));
    FolderBytes want = f.Rewritten({0, 2});
    ExpectRewritten(path, want, old);
}

// The new files take the old files' permission bits, and owner and group
// where the process may set them.
TEST_F(Rewrite, NewFilesKeepPermissionsAndOwner) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX permissions";
#else
    namespace fs = std::filesystem;
    fs::permissions(dir.Native("INBOX.PMI"), fs::perms(0640));
    fs::permissions(dir.Native("INBOX.PMM"), fs::perms(0604));
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(dir.Native("INBOX.PMI").c_str(), 1234, 2345), 0);
        ASSERT_EQ(chown(dir.Native("INBOX.PMM").c_str(), 1235, 2346), 0);
    }
    Run({path});
    ExpectRewritten(path, folder.Rewritten({0, 2, 4, 5}), old);
    EXPECT_EQ(fs::status(dir.Native("INBOX.PMI")).permissions(), fs::perms(0640));
    EXPECT_EQ(fs::status(dir.Native("INBOX.PMM")).permissions(), fs::perms(0604));
    if (root) {
        struct stat pmi {
        }, pmm{};
        ASSERT_EQ(stat(dir.Native("INBOX.PMI").c_str(), &pmi), 0);
        ASSERT_EQ(stat(dir.Native("INBOX.PMM").c_str(), &pmm), 0);
        EXPECT_EQ(pmi.st_uid, 1234u);
        EXPECT_EQ(pmi.st_gid, 2345u);
        EXPECT_EQ(pmm.st_uid, 1235u);
        EXPECT_EQ(pmm.st_gid, 2346u);
    }
#endif
}

// What a killed run left behind is cleared by the next run over the folder.
TEST_F(Rewrite, LeftoversOfAKilledRun) {
    const std::string kxi = NewIndexTempName(path), kxm = NewMessageTempName(path);
    // Killed while the new pair was written: the temporaries, recognisably
    // the beginnings of the new pair, go.
    const FolderBytes want = folder.Rewritten({0, 2, 4, 5});
    auto prefix = [](const std::vector<std::uint8_t>& bytes, std::size_t n) {
        return std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(n));
    };
    for (auto [indexBytes, messageBytes] : {std::pair<std::size_t, std::size_t>{0, 0},
                                            {kRecordSize + 50, 140},
                                            {2 * kRecordSize, 100}}) {
        SCOPED_TRACE(indexBytes);
        Fresh();
        port = ScriptedPort();
        const std::string log = OpenLog();
        ASSERT_TRUE(WriteFileBytes(kxi, prefix(want.pmi, indexBytes)));
        ASSERT_TRUE(WriteFileBytes(kxm, prefix(want.pmm, messageBytes)));
        Run({path});
        ExpectRewritten(path, want, old);
        const auto lines = Lines(log);
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Removed unfinished file " + kxi),
                  lines.end());
        EXPECT_NE(std::find(lines.begin(), lines.end(), "Removed unfinished file " + kxm),
                  lines.end());
    }

    // Files under those names that the rewrite did not write stay, and so
    // does the folder: a record out of order, another header, other bytes.
    struct Foreign {
        const char* what;
        std::vector<std::uint8_t> index, message;
    };
    std::vector<std::uint8_t> renumbered = prefix(want.pmi, 2 * kRecordSize);
    renumbered[kRecordSize + rec::kMsgNumber] = 5;
    std::vector<std::uint8_t> otherHeader = prefix(want.pmm, 128);
    otherHeader[3] ^= 1;
    std::vector<std::uint8_t> otherRecord = prefix(want.pmi, kRecordSize + 60);
    otherRecord[kRecordSize + rec::kFrom] ^= 1;
    const Foreign foreign[] = {
        {"text", {'h', 'a', 'l', 'f'}, {}},
        {"renumbered", renumbered, {}},
        {"other record", otherRecord, {}},
        {"other header", {}, otherHeader},
    };
    for (const Foreign& f : foreign) {
        SCOPED_TRACE(f.what);
        Fresh();
        port = ScriptedPort();
        const std::string log = OpenLog();
        const std::string& name = f.index.empty() ? kxm : kxi;
        const std::vector<std::uint8_t>& bytes = f.index.empty() ? f.message : f.index;
        ASSERT_TRUE(WriteFileBytes(name, bytes));
        port.Reply(Answer::Ok, "File Error");
        Run({path});
        EXPECT_EQ(port.boxes.at(0).text,
                  name + " exists and is not an unfinished file of this program - skipping file.");
        EXPECT_EQ(Summary(), "0 of 1 files processed.");
        EXPECT_EQ(Bytes(name), bytes);
        EXPECT_EQ(Bytes(path), old.pmi);
        EXPECT_EQ(Bytes(MessageFileName(path)), old.pmm);
        const auto lines = Lines(log);
        EXPECT_NE(std::find(lines.begin(), lines.end(),
                            "Left " + name + ": not an unfinished file of this program."),
                  lines.end());
    }
    Fresh();
    port = ScriptedPort();
    Run({path});
    ExpectRewritten(path, want, old);
}

// Killed inside the renames: the next run puts the old pair back under the
// folder's names (and rewrites it again), or, when the new message file is
// in place already, puts the new index beside it. Each case says so in the
// log, and the run then finds a whole folder.
TEST_F(Rewrite, KilledInsideTheRenames) {
    namespace fs = std::filesystem;
    const FolderBytes now = folder.Rewritten({0, 2, 4, 5});
    const std::string undone =
        "The interrupted rewrite of " + path + " is undone: the folder holds its old pair.";
    const std::string finished =
        "The interrupted rewrite of " + path + " is finished: the new pair is in place.";
    const std::vector<std::uint8_t> half(now.pmi.begin(), now.pmi.begin() + kRecordSize + 7);
    struct Case {
        const char* what;
        std::vector<const char*> moved;  // of the old pair, to its backup names
        bool messageInPlace;             // the new message file under the folder's name
        std::vector<std::uint8_t> tempIndex;
        std::string line;
    };
    const Case cases[] = {
        {"the old index moved", {"PMI"}, false, now.pmi, undone},
        {"both old files moved", {"PMI", "PMM"}, false, now.pmi, undone},
        // What a run of an earlier version left when killed while copying.
        {"both moved, the new index half written", {"PMI", "PMM"}, false, half, undone},
        {"the new message file in place", {"PMI", "PMM"}, true, now.pmi, finished},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        port = ScriptedPort();
        for (const char* ext : c.moved)
            fs::rename(dir.Native(std::string("INBOX.") + ext),
                       dir.Native(std::string("INBOX.BK") + ext[2]));
        ASSERT_TRUE(WriteFileBytes(
            c.messageInPlace ? MessageFileName(path) : NewMessageTempName(path), now.pmm));
        ASSERT_TRUE(WriteFileBytes(NewIndexTempName(path), c.tempIndex));
        RunAsksNothingAndLogs(now, c.line);
        EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1),
                  c.line == finished ? "0 of 1 files processed." : "1 of 1 files processed.");
    }

    // Files under the temporary names that the rewrite did not write: the
    // backup pair holds the folder, and nothing is renamed or removed.
    Fresh();
    port = ScriptedPort();
    fs::rename(dir.Native("INBOX.PMI"), dir.Native("INBOX.BKI"));
    fs::rename(dir.Native("INBOX.PMM"), dir.Native("INBOX.BKM"));
    ASSERT_TRUE(WriteFileBytes(NewIndexTempName(path), std::string_view("not an index")));
    port.Reply(Answer::Ok, "File Error 1");
    Run({path});
    EXPECT_NE(port.boxes.at(0).text.find("Restore puts it back."), std::string::npos);
    const FolderFiles left = ReadFolder(path);
    EXPECT_FALSE(left.hasPmi || left.hasPmm);
    EXPECT_EQ(left.bki, old.pmi);
    EXPECT_EQ(left.bkm, old.pmm);
    EXPECT_EQ(
        Bytes(NewIndexTempName(path)),
        std::vector<std::uint8_t>({'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'n', 'd', 'e', 'x'}));
}

}  // namespace
}  // namespace kestrove::testing
