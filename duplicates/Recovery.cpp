// What the next run does about a rewrite that was killed. The rewrite writes
// its new pair under temporary names beside the old pair and only then
// renames: the old index and message file to their backup names, the new
// message file and index to the folder's names. So a kill leaves either the
// old pair in place with temporaries beside it, or the renames half done
// with a complete new pair under its temporary names.

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/Bytes.h"
#include "core/Format.h"
#include "core/IndexRecord.h"
#include "core/MessageFile.h"
#include "core/Reason.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"

namespace kestrove {

using platform::File;
using platform::OpenMode;

namespace {

// A whole file of at most `limit` bytes; nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadWhole(const std::string& path, std::int64_t limit) {
    auto file = File::Open(path, OpenMode::ReadBinary);
    if (!file)
        return std::nullopt;
    const std::int64_t length = file->Length();
    if (length < 0 || length > limit)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (file->Read(bytes.data(), bytes.size()) != bytes.size())
        return std::nullopt;
    return bytes;
}

// A record, or its first n bytes, without the fields the rewrite changes.
using Masked = std::array<std::uint8_t, kRecordSize>;
Masked Mask(const std::uint8_t* record, std::size_t n) {
    Masked m{};
    std::copy_n(record, n, m.begin());
    std::fill(m.begin() + rec::kFpos, m.begin() + rec::kMsgNumber + 2, 0);
    return m;
}

// What the rewrite writes as the new index from `old`: record k is an old
// record numbered k, with a new fpos; the last may be cut short by a kill.
bool IsOwnNewIndex(const std::vector<std::uint8_t>& index, const std::vector<std::uint8_t>& old) {
    std::set<Masked> records;
    for (std::size_t at = 0; at + kRecordSize <= old.size(); at += kRecordSize)
        records.insert(Mask(&old[at], kRecordSize));
    std::size_t at = 0;
    std::uint16_t k = 0;
    for (; at + kRecordSize <= index.size(); at += kRecordSize, ++k)
        if (GetU16(&index[at + rec::kMsgNumber]) != k ||
            !records.contains(Mask(&index[at], kRecordSize)))
            return false;
    const std::size_t cut = index.size() - at;
    if (cut == 0)
        return true;
    if (cut >= rec::kMsgNumber + 2 && GetU16(&index[at + rec::kMsgNumber]) != k)
        return false;
    const Masked part = Mask(&index[at], cut);
    for (std::size_t o = 0; o + kRecordSize <= old.size(); o += kRecordSize)
        if (Mask(&old[o], cut) == part)
            return true;
    return false;
}

// The new index made from one of the old index files that exist.
bool IsOwnNewIndexOf(const std::string& path, const std::vector<std::string>& olds) {
    const std::int64_t limit = std::int64_t{MAXMSG + 1} * std::int64_t{kRecordSize};
    auto index = ReadWhole(path, limit);
    if (!index)
        return false;
    return std::any_of(olds.begin(), olds.end(), [&](const std::string& oldPath) {
        auto old = ReadWhole(oldPath, limit);
        return old && IsOwnNewIndex(*index, *old);
    });
}

// The header without the counts the rewrite sets.
MessageFileHeader WithoutCounts(MessageFileHeader header) {
    header.set_unread(0);
    header.set_deleted(0);
    header.set_delsize(0);
    return header;
}

// A new message file starts with the old header but for its counts (as far
// as it got).
bool IsOwnNewMessageFile(const std::string& path, const std::string& oldPath) {
    auto file = File::Open(path, OpenMode::ReadBinary);
    auto old = File::Open(oldPath, OpenMode::ReadBinary);
    if (!file || !old)
        return false;
    const MessageFileHeader header = WithoutCounts(ReadHeader(*old));
    if (old->ReadFailed())
        return false;
    std::size_t got = 0;
    const MessageFileHeader start = WithoutCounts(ReadHeader(*file, &got));
    return !file->ReadFailed() &&
           std::equal(start.bytes.begin(), start.bytes.begin() + got, header.bytes.begin());
}

bool IsOwnNewMessageFileOf(const std::string& path, const std::vector<std::string>& olds) {
    return std::any_of(olds.begin(), olds.end(), [&](const std::string& oldPath) {
        return IsOwnNewMessageFile(path, oldPath);
    });
}

// The paths of those that exist.
std::vector<std::string> Existing(std::initializer_list<const std::string*> paths) {
    std::vector<std::string> found;
    for (const std::string* path : paths)
        if (platform::FileExists(*path))
            found.push_back(*path);
    return found;
}

bool Rename(const std::string& from, const std::string& to, RunLog& log) {
    if (platform::RenameNoReplace(from, to)) {
        log.Write(Format("Renamed %s to %s\n", from.c_str(), to.c_str()));
        return true;
    }
    log.Write(WithSystemReason(Format("Can't rename %s to %s.", from.c_str(), to.c_str())) + "\n");
    return false;
}

}  // namespace

void RecoverInterruptedRewrite(const std::string& indexPath, RunLog& log) {
    const std::string messagePath = MessageFileName(indexPath);
    const std::string backupIndex = BackupIndexFileName(indexPath);
    const std::string backupMessage = BackupMessageFileName(indexPath);
    const std::string tempIndex = NewIndexTempName(indexPath);
    const std::string tempMessage = NewMessageTempName(indexPath);
    const bool hasTempIndex = platform::FileExists(tempIndex);
    const bool hasTempMessage = platform::FileExists(tempMessage);
    if (!hasTempIndex && !hasTempMessage)
        return;
    const bool hasIndex = platform::FileExists(indexPath);
    const bool hasMessage = platform::FileExists(messagePath);
    const bool hasBackupIndex = platform::FileExists(backupIndex);
    const bool hasBackupMessage = platform::FileExists(backupMessage);

    // Only files that are recognisably this program's unfinished pair go:
    // made from the old files under the folder's own or backup names.
    const bool ownIndex =
        hasTempIndex && IsOwnNewIndexOf(tempIndex, Existing({&indexPath, &backupIndex}));
    const bool ownMessage =
        hasTempMessage &&
        IsOwnNewMessageFileOf(tempMessage, Existing({&messagePath, &backupMessage}));

    // Killed inside the renames: the old index is under its backup name, and
    // the new index, complete and synced, under its temporary one.
    if (ownIndex && !hasIndex && hasBackupIndex && (!hasTempMessage || ownMessage)) {
        if (hasMessage && hasBackupMessage && !hasTempMessage &&
            IsOwnNewMessageFile(messagePath, backupMessage)) {
            // The new message file is in place already: the index follows.
            if (Rename(tempIndex, indexPath, log))
                log.Write(
                    Format("The interrupted rewrite of %s is finished: the new pair is in "
                           "place.\n",
                           indexPath.c_str()));
            return;
        }
        // Killed before that: the old pair goes back under the folder's
        // names. Anything else is no state the rewrite leaves; the backup
        // pair holds the folder, and nothing is touched.
        if (hasMessage == hasBackupMessage)
            return;
        if (!hasMessage && !Rename(backupMessage, messagePath, log))
            return;
        if (!Rename(backupIndex, indexPath, log))
            return;
        log.Write(
            Format("The interrupted rewrite of %s is undone: the folder holds its old "
                   "pair.\n",
                   indexPath.c_str()));
    }

    for (const auto& [path, present, own] :
         {std::tuple{&tempIndex, hasTempIndex, ownIndex},
          std::tuple{&tempMessage, hasTempMessage, ownMessage}}) {
        if (!present)
            continue;
        if (!own)
            log.Write(Format("Left %s: not an unfinished file of this program.\n", path->c_str()));
        else if (platform::RemoveFile(*path))
            log.Write(Format("Removed unfinished file %s\n", path->c_str()));
        else
            log.Write(WithSystemReason(Format("Can't delete unfinished file %s.", path->c_str())) +
                      "\n");
    }
}

}  // namespace kestrove
