// The whole run over one fuzzed folder in a scratch directory, with one
// failure of the platform layer at a fuzzed call, and an oracle: the
// folder's own names hold the old pair byte for byte, or a new pair whose
// backup pair is the old pair byte for byte: it holds every text the rule
// keeps, in order (unless a failure pinned to a record or byte was answered
// OK), and every text it dropped as a duplicate has a byte-equal text among
// them; nothing else in the directory changes, and no temporary file stays.
//
// Input: an options byte (bit 0 the sort switch, 1 a run log, 2 a lock
// file, 3 the lock-file check off, 4 an old backup index file, 5 an old
// backup message file, 6 an unrelated file, 7 no message file); the
// settings MismatchedUnread, MismatchedDeleted and BackupFiles; 32 bits of
// answers (see ScriptPort); the failure: a byte choosing the operation (0
// none) and 16 bits choosing its call; the index file (a byte count and
// bytes); the rest is the message file.

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>

#include "core/AppState.h"
#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Faults.h"
#include "tests/support/FolderBuilder.h"

using namespace kestrove;
using namespace kestrove::fuzz;

namespace {

IndexRecord RecordAt(const Bytes& pmi, std::size_t i) {
    IndexRecord r;
    std::memcpy(r.bytes.data(), pmi.data() + i * kRecordSize, kRecordSize);
    return r;
}

// The pair the rule gives for the table and the marks as the scan left
// them: records not dropped, whose text starts inside the old message file,
// in table order.
kestrove::testing::FolderBytes Expected(const MessageTable& table,
                                        const std::vector<std::uint8_t>& marks,
                                        const Bytes& oldPmm) {
    kestrove::testing::FolderBytes out;
    MessageFileHeader header;
    std::copy_n(oldPmm.begin(), std::min(oldPmm.size(), kHeaderSize), header.bytes.begin());
    header.set_unread(0);
    header.set_deleted(0);
    header.set_delsize(0);
    out.pmm.assign(header.bytes.begin(), header.bytes.end());
    std::int16_t unread = 0;
    std::uint16_t number = 0;
    for (int i = 0; i < table.count; ++i) {
        const IndexRecord& r = table[i];
        if (marks[static_cast<std::size_t>(i)] != 0 || r.fpos() >= oldPmm.size())
            continue;
        const Bytes text = kestrove::testing::CopiedText(oldPmm, r.fpos(), r.fsize());
        IndexRecord kept = r;
        kept.set_msg_number(number++);
        kept.set_fpos(static_cast<std::uint32_t>(out.pmm.size()));
        out.pmi.insert(out.pmi.end(), kept.bytes.begin(), kept.bytes.end());
        out.pmm.insert(out.pmm.end(), text.begin(), text.end());
        unread = static_cast<std::int16_t>(unread + kestrove::testing::UnreadCount(kept));
    }
    PutI16(&out.pmm[MessageFileHeader::kUnreadAt], unread);
    return out;
}

// A new pair with a record or byte left out: its header is the expected
// one, it counts the unread records its index holds, and every record's
// text starts inside the message file.
bool WholeNewPair(const Bytes& pmi, const Bytes& pmm, const Bytes& expectedPmm) {
    if (pmm.size() < kHeaderSize || pmi.size() % kRecordSize != 0)
        return false;
    int unread = 0;
    for (std::size_t i = 0; i < pmi.size() / kRecordSize; ++i) {
        const IndexRecord r = RecordAt(pmi, i);
        unread += kestrove::testing::UnreadCount(r);
        if (r.fpos() < kHeaderSize || r.fpos() >= pmm.size())
            return false;
    }
    Bytes header(pmm.begin(), pmm.begin() + kHeaderSize);
    Bytes want(expectedPmm.begin(), expectedPmm.begin() + kHeaderSize);
    PutI16(&want[MessageFileHeader::kUnreadAt], static_cast<std::int16_t>(unread));
    return header == want;
}

// The operations a failure can hit, and whether a failure of it can be
// pinned to one record or byte (a question whose OK goes on without it).
struct Failing {
    platform::faults::Op op;
    bool pinned;
};
constexpr Failing kFailing[] = {
    {platform::faults::Op::Write, true},   {platform::faults::Op::Read, true},
    {platform::faults::Op::Seek, true},    {platform::faults::Op::Tell, true},
    {platform::faults::Op::Flush, false},  {platform::faults::Op::Sync, false},
    {platform::faults::Op::Close, false},  {platform::faults::Op::Rename, false},
    {platform::faults::Op::Create, false}, {platform::faults::Op::Open, false},
    {platform::faults::Op::Delete, false}, {platform::faults::Op::Stat, false},
};

// The table holds the index's whole records, sorted when the switch is on.
void CheckTable(const MessageTable& table, const Bytes& pmi, bool sortOn) {
    const std::size_t n = pmi.size() / kRecordSize;
    Check(table.count == static_cast<std::int32_t>(n), "the table lost records");
    std::vector<Bytes> fromFile, fromTable;
    for (std::size_t i = 0; i < n; ++i) {
        IndexRecord r = RecordAt(pmi, i);
        fromFile.emplace_back(r.bytes.begin(), r.bytes.end());
        const IndexRecord& t = table[static_cast<int>(i)];
        fromTable.emplace_back(t.bytes.begin(), t.bytes.end());
        if (sortOn && i > 0)
            Check(CompareTimeSize(table[static_cast<int>(i) - 1], t) <= 0,
                  "the table is not sorted");
    }
    if (sortOn) {
        std::sort(fromFile.begin(), fromFile.end());
        std::sort(fromTable.begin(), fromTable.end());
    }
    Check(fromFile == fromTable, "the table is not the index's records");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AppState* state = new AppState();
    Scratch& scratch = TheScratch();
    scratch.Clear();
    Input in(data, size);
    const std::uint8_t options = in.U8();
    state->settings.MismatchedUnread = ChoiceAt<OnMismatch>(in.U8() % 4);
    state->settings.MismatchedDeleted = ChoiceAt<OnMismatch>(in.U8() % 4);
    state->settings.BackupFiles = ChoiceAt<OnBackupExists>(in.U8() % 4);
    state->settings.RunCheck = (options & 8) ? LockCheck::Never : LockCheck::Always;
    state->sortOn = options & 1;
    const std::uint32_t script = in.U32();
    const std::uint8_t failure = in.U8();
    const int failingCall = in.U16() % 200 + 1;
    const Failing* failing =
        failure == 0 ? nullptr : &kFailing[(failure - 1) % std::size(kFailing)];
    const Bytes pmi = in.File();
    const Bytes pmm = in.Rest();
    const bool hasPmm = !(options & 128);

    scratch.Put("INBOX.PMI", pmi);
    if (hasPmm)
        scratch.Put("INBOX.PMM", pmm);
    if (options & 4)
        scratch.Put("WINPMAIL.LCK", {});
    if (options & 16)
        scratch.Put("INBOX.BKI", {'o', 'l', 'd', 'i'});
    if (options & 32)
        scratch.Put("INBOX.BKM", {'o', 'l', 'd', 'm'});
    if (options & 64)
        scratch.Put("NOTES.PMI", {'n', 'o', 't', 'e', 's'});
    const auto before = scratch.Snapshot();

    const std::string path = scratch.folder / "INBOX.PMI";
    state->currentDirectory = scratch.folder.path();
    state->ListBox1.Clear();
    state->ListBox1.Add(path);
    if (options & 2)
        state->runLog.Open(scratch.logs / "run.log");
    ScriptPort port(script);
    // Only the folder's own directory fails, not the log's.
    if (failing)
        platform::faults::FailNth(failing->op, failingCall, scratch.folder.path() + "\\");
    const CommandResult result = RunDeleteDupes1Click(*state, port);
    platform::faults::Reset();
    state->runLog.Close();
    const bool rewritten = result.summary == "1 of 1 files processed.";

    auto after = scratch.Snapshot();
    // A temporary stays only where its removal was refused.
    const bool removalFailed = failing && failing->op == platform::faults::Op::Delete;
    for (const char* temp : {"INBOX.KXI", "INBOX.KXM"}) {
        Check(after.count(temp) == 0 || removalFailed, "a temporary file was left");
        after.erase(temp);
    }
    for (const auto& [name, bytes] : before) {
        const bool folderFile = name == "INBOX.PMI" || name == "INBOX.PMM";
        const bool backupFile = name == "INBOX.BKI" || name == "INBOX.BKM";
        if (folderFile || backupFile)
            continue;
        Check(after.count(name) && after[name] == bytes, "an unrelated file changed: " + name);
    }
    for (const auto& [name, bytes] : after)
        Check(before.count(name) || (rewritten && (name == "INBOX.BKI" || name == "INBOX.BKM")),
              "a new file: " + name);

    if (!rewritten) {
        Check(after.count("INBOX.PMI") && after["INBOX.PMI"] == pmi,
              "an index file not rewritten was changed");
        Check(after.count("INBOX.PMM") == hasPmm && (!hasPmm || after["INBOX.PMM"] == pmm),
              "a message file not rewritten was changed");
        for (const char* backup : {"INBOX.BKI", "INBOX.BKM"})
            Check(!after.count(backup) || after[backup] == before.at(backup),
                  "an old backup file was changed");
        return 0;
    }

    Check(hasPmm, "a folder without its message file was rewritten");
    Check(after.count("INBOX.BKI") && after["INBOX.BKI"] == pmi,
          "the backup index file is not the old index file");
    Check(after.count("INBOX.BKM") && after["INBOX.BKM"] == pmm,
          "the backup message file is not the old message file");
    CheckTable(state->table, pmi, state->sortOn);
    // The marks: every deleted record and every repeat whose text is the
    // text above, byte for byte; a failure in reading the texts to compare
    // them may keep a repeat, never drop another.
    const MessageTable& table = state->table;
    for (int i = 0; i < table.count; ++i) {
        const bool rule = table[i].HasFlag(kDeletedBit) || DuplicateOfAbove(table, i, pmm);
        const bool marked = state->DropMarks[static_cast<std::size_t>(i)] != 0;
        Check(!marked || rule, "a record was dropped that is neither deleted nor a repeat");
        Check(marked || !rule || failing, "a deleted record or a repeat was kept");
    }
    const auto expect = Expected(table, state->DropMarks, pmm);
    Check(after.count("INBOX.PMI") && after.count("INBOX.PMM"), "the new pair is not in place");
    const Bytes& newPmi = after["INBOX.PMI"];
    const Bytes& newPmm = after["INBOX.PMM"];
    if (failing && failing->pinned && (newPmi != expect.pmi || newPmm != expect.pmm)) {
        Check(WholeNewPair(newPmi, newPmm, expect.pmm),
              "a new pair without a record or byte is not whole");
        return 0;
    }
    Check(newPmi == expect.pmi, "the new index file is not the kept records");
    Check(newPmm == expect.pmm, "the new message file is not the kept texts in order");

    // Nothing is lost: the text of every record left out as a duplicate is,
    // byte for byte, the text of a record of the new folder.
    std::set<Bytes> keptTexts;
    for (std::size_t i = 0; i < newPmi.size() / kRecordSize; ++i)
        if (std::optional<Bytes> text = StoredText(newPmm, RecordAt(newPmi, i)))
            keptTexts.insert(*text);
    for (int i = 0; i < table.count; ++i) {
        if (table[i].HasFlag(kDeletedBit) || state->DropMarks[static_cast<std::size_t>(i)] == 0)
            continue;
        const std::optional<Bytes> text = StoredText(pmm, table[i]);
        Check(text && keptTexts.count(*text) == 1,
              "a duplicate was dropped whose text the new folder does not hold");
    }
    return 0;
}
