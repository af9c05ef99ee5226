// Loading one folder's index into the table, and the duplicate scan.

#include <algorithm>
#include <string>
#include <vector>

#include "core/Format.h"
#include "core/LookAlikes.h"
#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "core/Reason.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"

namespace kestrove {

bool LoadIndex(AppState& state, WindowPort& port, const std::string& indexPath, int position) {
    // Taken before the first byte is read: a change made while the index is
    // read, or later, shows before the rewrite renames anything.
    state.loadedIndex = platform::StampOf(indexPath);
    state.loadedMessageFile = platform::StampOf(MessageFileName(indexPath));
    auto file = platform::File::Open(indexPath, platform::OpenMode::ReadBinary);
    if (!file) {
        std::string text = WithSystemReason(Format("Cannot Open File: %s", indexPath.c_str()));
        // A run killed between its renames leaves the old folder whole in
        // its backup pair; say where it is rather than only what is missing.
        const std::string backupIndex = BackupIndexFileName(indexPath);
        const std::string backupMessage = BackupMessageFileName(indexPath);
        if (!platform::FileExists(indexPath) && platform::FileExists(backupIndex) &&
            platform::FileExists(backupMessage))
            text += Format(
                "\nThe folder's backup pair %s and %s is complete: Restore puts it "
                "back.",
                backupIndex.c_str(), backupMessage.c_str());
        port.MessageDialog(text, "File Error 1", Icon::Stop, Buttons::Ok);
        return false;
    }
    state.currentIndexFile = indexPath;
    port.SetStatus(StatusLine::LabelInfoMsg1, Format("File:%3d %s", position, indexPath.c_str()));

    MessageTable& table = state.table;
    table.count = 0;
    const std::int64_t limit = RecordLimit(*file);
    for (std::int64_t n = 0; n < limit; ++n) {
        IndexRecord record;
        if (!record.ReadFrom(*file))
            break;
        port.SetStatus(StatusLine::LabelInfoMsg2, "Message " + std::to_string(table.count), true);
        table[table.count] = record;
        ++table.count;
        if (table.count >= MAXMSG) {
            file.reset();
            port.MessageDialog(Format("MAXMSG=%d exceeded!  Redimension.", MAXMSG),
                               "Dimension Error", Icon::Stop, Buttons::Ok);
            return false;
        }
    }
    // A read error is not the end of the index: the records after it would
    // be lost from the rewritten folder.
    if (file->ReadFailed()) {
        const std::string text = CannotReadText(indexPath, file->Tell());
        file.reset();
        port.MessageDialog(text, "File Error 1", Icon::Stop, Buttons::Ok);
        state.runLog.Write(text + "\n");
        return false;
    }
    file.reset();
    if (state.runLog.IsOpen())
        state.runLog.Write(
            Format("PMI File %s has %d messages.\n", indexPath.c_str(), table.count));
    return true;
}

namespace {

// The run log's line of a look-alike.
std::string LookAlikeLogLine(const LookAlike& kept, std::string_view systemReason) {
    return Format("Message %d kept: same sender, subject, date, time and size as message %d, %s.\n",
                  kept.slot, kept.slot - 1, WhyKept(kept.match, systemReason).c_str());
}

}  // namespace

void FindDuplicates(AppState& state, WindowPort& port, const std::string& indexPath) {
    MessageTable& table = state.table;
    if (state.sortOn)
        SortTable(table, CompareTimeSize);

    IndexCounts& counts = state.counts;
    counts = IndexCounts{};
    counts.messages = table.count;
    std::fill(state.DropMarks.begin(), state.DropMarks.end(), 0);
    state.lookAlikes.clear();
    state.lookAlikeReason.clear();

    // The neighbour rule finds the candidates; only their texts are read.
    std::vector<std::uint8_t> candidates(static_cast<std::size_t>(table.count), 0);
    bool anyCandidate = false;
    for (int i = 0; i < table.count; ++i) {
        const IndexRecord& r = table[i];
        if (r.HasFlag(kDeletedBit)) {
            ++counts.deleted;
            state.DropMarks[static_cast<std::size_t>(i)] = 1;
        } else if (r.HasFlag(kReadBit)) {
            ++counts.read;
        }
        // Only the record just before counts, and only when it is not deleted.
        if (i > 0 && RepeatsAbove(table[i - 1], r)) {
            candidates[static_cast<std::size_t>(i)] = 1;
            anyCandidate = true;
        }
    }
    if (anyCandidate) {
        const TextComparison compared =
            CompareWithAbove(MessageFileName(indexPath), table, candidates, [&](int slot) {
                port.SetStatus(StatusLine::LabelInfoMsg2,
                               Format("Comparing message %d with message %d", slot, slot - 1),
                               true);
            });
        for (int i = 1; i < table.count; ++i) {
            const TextMatch match = compared.matches[static_cast<std::size_t>(i)];
            if (match == TextMatch::NotCompared)
                continue;
            if (match == TextMatch::Same) {
                state.DropMarks[static_cast<std::size_t>(i)] = 1;
                ++counts.dupes;
            } else if (!table[i].HasFlag(kDeletedBit)) {
                // A deleted one goes anyway, as the mail client marked it.
                state.lookAlikes.push_back({i, match});
                ++counts.lookalikes;
            }
        }
        state.lookAlikeReason = compared.systemReason;
    }
    if (state.runLog.IsOpen()) {
        state.runLog.Write(Format(" PMI: msg:%d read:%d deleted:%d dupes:%d\n", counts.messages,
                                  counts.read, counts.deleted, counts.dupes));
        for (const LookAlike& kept : state.lookAlikes)
            state.runLog.Write(LookAlikeLogLine(kept, state.lookAlikeReason));
    }
    counts.unread = counts.messages - counts.deleted - counts.read;
}

}  // namespace kestrove
