// The rewrite of one folder: the old pair becomes the backup pair, and a new
// pair without the dropped records is written under temporary names, synced,
// and only then renamed to the folder's own names. Whatever ends the rewrite
// before that puts the old pair back under its own names.

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
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
#include "duplicates/TextCopy.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace kestrove {

using platform::File;
using platform::OpenMode;

std::string NewIndexTempName(std::string_view indexPath) {
    return ReplaceExtension(indexPath, ".KXI");
}

std::string NewMessageTempName(std::string_view indexPath) {
    return ReplaceExtension(indexPath, ".KXM");
}

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

// The new message file starts with the old header, its deleted count and
// space cleared (as far as it got).
bool IsOwnNewMessageFile(const std::string& path, const std::string& oldPath) {
    auto file = File::Open(path, OpenMode::ReadBinary);
    auto old = File::Open(oldPath, OpenMode::ReadBinary);
    if (!file || !old)
        return false;
    MessageFileHeader header = ReadHeader(*old);
    if (old->ReadFailed())
        return false;
    header.set_deleted(0);
    header.set_delsize(0);
    std::size_t got = 0;
    MessageFileHeader start = ReadHeader(*file, &got);
    return !file->ReadFailed() &&
           std::equal(start.bytes.begin(), start.bytes.begin() + got, header.bytes.begin());
}

// The old file the rewrite copies from: the backup when there is one.
std::string OldFile(const std::string& own, const std::string& backup) {
    return platform::FileExists(backup) ? backup : own;
}

}  // namespace

void RecoverInterruptedRewrite(const std::string& indexPath, RunLog& log) {
    const std::string tempIndex = NewIndexTempName(indexPath);
    const std::string tempMessage = NewMessageTempName(indexPath);
    const bool hasTempIndex = platform::FileExists(tempIndex);
    const bool hasTempMessage = platform::FileExists(tempMessage);
    if (!hasTempIndex && !hasTempMessage)
        return;
    // Only files that are recognisably this program's unfinished pair go.
    bool ownIndex = false;
    if (hasTempIndex) {
        const std::string oldPath = OldFile(indexPath, BackupIndexFileName(indexPath));
        const std::int64_t limit = std::int64_t{MAXMSG + 1} * std::int64_t{kRecordSize};
        auto index = ReadWhole(tempIndex, limit);
        auto old = ReadWhole(oldPath, limit);
        ownIndex = index && old && IsOwnNewIndex(*index, *old);
    }
    const bool ownMessage =
        hasTempMessage &&
        IsOwnNewMessageFile(tempMessage,
                            OldFile(MessageFileName(indexPath), BackupMessageFileName(indexPath)));

    // The new message file is in place and the index, complete and synced,
    // still under its temporary name: the kill came between the two renames.
    if (ownIndex && !hasTempMessage && !platform::FileExists(indexPath) &&
        platform::FileExists(MessageFileName(indexPath)) &&
        platform::FileExists(BackupIndexFileName(indexPath)) &&
        platform::FileExists(BackupMessageFileName(indexPath)) &&
        platform::RenameNoReplace(tempIndex, indexPath)) {
        log.Write(Format("Renamed %s to %s\n", tempIndex.c_str(), indexPath.c_str()));
        return;
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

namespace {

// Windows names one file without regard to letter case.
bool SameFile(std::string_view a, std::string_view b) {
    return platform::ToLower1252(a) == platform::ToLower1252(b);
}

class Rewrite {
  public:
    Rewrite(AppState& state, WindowPort& port, const std::string& indexPath, int position)
        : state_(state),
          port_(port),
          log_(state.runLog),
          position_(position),
          indexPath_(indexPath),
          messagePath_(MessageFileName(indexPath)),
          backupIndexPath_(BackupIndexFileName(indexPath)),
          backupMessagePath_(BackupMessageFileName(indexPath)),
          tempIndexPath_(NewIndexTempName(indexPath)),
          tempMessagePath_(NewMessageTempName(indexPath)) {}

    FolderOutcome Run() {
        MessageFileHeader header;
        {
            auto file = File::Open(messagePath_, OpenMode::ReadBinary);
            if (!file) {
                std::string text =
                    WithSystemReason(Format("Cannot Open File 13: %s", messagePath_.c_str()));
                port_.MessageDialog(text, "File Error 2", Icon::Stop, Buttons::Ok);
                log_.Write(text + "\n");
                return FolderOutcome::RunEnds;
            }
            header = ReadHeader(*file);
            if (file->ReadFailed())
                return Unfinished(CannotRead(file->Tell()));
        }
        state_.currentMessageFile = messagePath_;
        port_.SetStatus(StatusLine::LabelInfoMsg1,
                        Format("File:%3d %s [%s]", position_, indexPath_.c_str(),
                               std::string(header.name()).c_str()));
        if (log_.IsOpen())
            log_.Write(Format(" PMM: Unread:%d deleted:%d delsize:%ld\n", header.unread(),
                              header.deleted(), static_cast<long>(header.delsize())));

        const IndexCounts& counts = state_.counts;
        if (header.unread() != counts.unread) {
            if (auto end = Mismatch(state_.settings.MismatchedUnread, "UNREAD", counts.unread,
                                    header.unread()))
                return *end;
        }
        if (header.deleted() != counts.deleted) {
            if (auto end = Mismatch(state_.settings.MismatchedDeleted, "DELETED", counts.deleted,
                                    header.deleted()))
                return *end;
        }
        if (counts.dupes == 0 && counts.deleted == 0)
            return FolderOutcome::Unchanged;

        // A backup file given as the folder's index is its own "old backup":
        // clearing that would delete the very files being rewritten.
        if (SameFile(indexPath_, backupIndexPath_) || SameFile(indexPath_, backupMessagePath_)) {
            std::string text = Format("%s is a backup file - skipping file.", indexPath_.c_str());
            port_.MessageDialog(text, "Backup File Error", Icon::Stop, Buttons::Ok);
            log_.Write(text + "\n");
            return FolderOutcome::Skipped;
        }
        // A file under a temporary name that the recovery left is not ours
        // to empty.
        for (const std::string* temp : {&tempIndexPath_, &tempMessagePath_}) {
            if (!platform::FileExists(*temp))
                continue;
            std::string text =
                Format("%s exists and is not an unfinished file of this program - skipping file.",
                       temp->c_str());
            port_.MessageDialog(text, "File Error", Icon::Stop, Buttons::Ok);
            log_.Write(text + "\n");
            return FolderOutcome::Skipped;
        }
        if (!ClearOldBackup(backupIndexPath_) || !ClearOldBackup(backupMessagePath_))
            return FolderOutcome::Skipped;

        if (auto end = RenameToBackup(indexPath_, backupIndexPath_))
            return *end;
        indexRenamed_ = true;
        if (auto end = RenameToBackup(messagePath_, backupMessagePath_))
            return Abandon(*end);
        messageRenamed_ = true;

        newIndex_ = File::Open(tempIndexPath_, OpenMode::CreateBinary);
        if (!newIndex_) {
            std::string text =
                WithSystemReason(Format("Cannot Open File 1: %s", indexPath_.c_str()));
            port_.MessageDialog(text, "File Error 3", Icon::Stop, Buttons::Ok);
            log_.Write(text + "\n");
            return Abandon(FolderOutcome::RunEnds);
        }
        tempIndexMade_ = true;
        if (log_.IsOpen())
            log_.Write(Format("Openned output file %s\n", indexPath_.c_str()));

        newMessage_ = File::Open(tempMessagePath_, OpenMode::CreateBinary);
        if (!newMessage_) {
            port_.MessageDialog(
                WithSystemReason(Format("Cannot Open File 2: %s", messagePath_.c_str())),
                "File Error 4", Icon::Stop, Buttons::Ok);
            return Abandon(FolderOutcome::RunEnds);
        }
        tempMessageMade_ = true;
        if (log_.IsOpen())
            log_.Write(Format("Openned output file %s\n", messagePath_.c_str()));

        oldMessage_ = File::Open(backupMessagePath_, OpenMode::ReadBinary);
        if (!oldMessage_) {
            port_.MessageDialog(
                WithSystemReason(Format("Cannot Open File 3: %s", backupMessagePath_.c_str())),
                "File Error 5", Icon::Stop, Buttons::Ok);
            return Abandon(FolderOutcome::RunEnds);
        }
        if (log_.IsOpen())
            log_.Write(Format("Openned input file %s\n", backupMessagePath_.c_str()));

        // The old header, a short file's padded with zeros, without the
        // deleted count and space.
        header = ReadHeader(*oldMessage_);
        if (oldMessage_->ReadFailed())
            return Unfinished(CannotRead(oldMessage_->Tell()));
        header.set_deleted(0);
        header.set_delsize(0);
        // The header has no question of its own: the folder is left as it was.
        if (!newMessage_->Write(header.bytes.data(), header.bytes.size()))
            return Unfinished(CannotWrite(messagePath_));
        outPosition_ = static_cast<std::int64_t>(kHeaderSize);
        oldLength_ = oldMessage_->Length();

        if (auto end = CopyMessages())
            return Abandon(*end);
        return PutInPlace();
    }

  private:
    // The unread or deleted counts of index and header differ.
    std::optional<FolderOutcome> Mismatch(std::int32_t setting, const char* what, int fromIndex,
                                          int fromHeader) {
        if (setting == 2)  // "Always Skip"
            return FolderOutcome::Skipped;
        if (setting != 0)
            return std::nullopt;
        Answer a = port_.MessageDialog(
            Format("%s PMI=%d PMM=%d Mismatch!\nYES to accept\nNO to skip file\nCANCEL to abort "
                   "run",
                   what, fromIndex, fromHeader),
            "File Mismatch", Icon::Information, Buttons::YesNoCancel);
        if (a == Answer::Yes)
            return std::nullopt;
        if (a == Answer::No)
            return FolderOutcome::Skipped;
        state_.AbortRequested = true;
        return FolderOutcome::RunEnds;
    }

    // A backup file from before is deleted, or the folder skipped (false).
    bool ClearOldBackup(const std::string& path) {
        if (!platform::FileExists(path))
            return true;
        const std::string exists = Format("Backup File %s exists.\n", path.c_str());
        log_.Write(exists);
        switch (state_.settings.BackupFiles) {
            case 0:
                if (port_.MessageDialog(
                        Format("Backup file %s exists!\nOK to OVERWRITE\nCancel to skip",
                               path.c_str()),
                        "Backup File Exists", Icon::Stop, Buttons::OkCancel) != Answer::Ok)
                    return false;
                break;
            case 2:
                return false;
            default:
                break;
        }
        if (platform::RemoveFile(path))
            return true;
        const std::string reason = platform::LastErrorText();
        port_.MessageDialog(
            WithReason(Format("Can't delete old backup file %s - skipping file.", path.c_str()),
                       reason),
            "Backup File Error", Icon::Stop, Buttons::Ok);
        log_.Write(WithReason(exists.substr(0, exists.size() - 1), reason) + "\n");
        return false;
    }

    std::optional<FolderOutcome> RenameToBackup(const std::string& from, const std::string& to) {
        if (platform::RenameNoReplace(from, to)) {
            log_.Write(Format("Renamed %s to %s\n", from.c_str(), to.c_str()));
            return std::nullopt;
        }
        return CannotRename(from, to);
    }

    FolderOutcome CannotRename(const std::string& from, const std::string& to) {
        const std::string reason = platform::LastErrorText();
        log_.Write(WithReason(Format("Can't rename %s to %s.", from.c_str(), to.c_str()), reason) +
                   "\n");
        if (Ask(WithReason(Format("Can't rename %s to %s.\nOK to skip\nCancel to abort",
                                  from.c_str(), to.c_str()),
                           reason),
                "Backup File Exists"))
            return FolderOutcome::Skipped;
        return FolderOutcome::RunEnds;
    }

    // A question with OK (go on) and Cancel (the run ends, the text logged).
    bool Ask(const std::string& text, const char* title) {
        if (port_.MessageDialog(text, title, Icon::Stop, Buttons::OkCancel) == Answer::Ok)
            return true;
        log_.Write(text + "\n");
        return false;
    }

    // A failure that cannot be pinned to one record or byte: the new pair
    // cannot be completed. The old pair is put back before the box says so;
    // OK goes on with the next folder.
    FolderOutcome Unfinished(const std::string& what) {
        const std::string where =
            PutBack()
                ? Format("The folder %s is left as it was.", indexPath_.c_str())
                : Format("The backup files of %s hold the folder as it was.", indexPath_.c_str());
        if (Ask(what + "\n" + where + "\nOK to skip\nCancel to abort run", "File Error"))
            return FolderOutcome::Skipped;
        return FolderOutcome::RunEnds;
    }

    // Formatted at once, while the system's reason is the last one.
    static std::string CannotWrite(const std::string& path) {
        return Format("Cannot write to file %s (%s).", path.c_str(),
                      platform::LastErrorText().c_str());
    }

    static std::string CannotSetPermissions(const std::string& path) {
        return Format("Cannot set the permissions of file %s (%s).", path.c_str(),
                      platform::LastErrorText().c_str());
    }

    std::string CannotRead(std::int64_t offset) const {
        return Format("Cannot read file %s at %lld (%s).", messagePath_.c_str(),
                      static_cast<long long>(offset), platform::LastErrorText().c_str());
    }

    std::optional<FolderOutcome> CopyMessages() {
        const MessageTable& table = state_.table;
        const int count = table.count;
        const std::int64_t meterStep = std::max<std::int64_t>(1, (std::int64_t{count} + 99) / 100);
        std::int64_t meterCounter = 0;
        port_.SetMeter(Meter::ProgressBarM, 0);
        std::uint16_t next = 0;
        std::vector<std::uint8_t> buffer(kCopyBufferSize);

        for (int i = 0; i < count; ++i) {
            port_.SetStatus(StatusLine::LabelInfoMsg2,
                            "Message " + std::to_string(i) + " of " + std::to_string(count), true);
            port_.ProcessEvents();
            if (state_.AbortRequested)
                return FolderOutcome::RunEnds;
            if (++meterCounter >= meterStep) {
                port_.SetMeter(Meter::ProgressBarM,
                               static_cast<int>(std::int64_t{i} * 100 / count));
                meterCounter = 0;
            }
            const int mark = state_.DropMarks[static_cast<std::size_t>(i)];
            if (log_.IsOpen())
                log_.Write(Format("Message %d dup/del=%d osmg=%d\n", i, mark, next));
            if (mark == 1)
                continue;

            IndexRecord record = table[i];
            const std::int64_t fpos = record.fpos();

            // Where the text goes; an index record cannot say more than 32 bits.
            const std::int64_t position = newMessage_->Tell();
            if (position < 0 || position > std::numeric_limits<std::uint32_t>::max()) {
                const std::string text =
                    Format("Cannot get fpos of file %s\nOK to skip\nCancel to abort run",
                           messagePath_.c_str());
                if (!Ask(position < 0 ? WithSystemReason(text) : text, "File Error 6"))
                    return FolderOutcome::RunEnds;
                continue;
            }
            outPosition_ = position;

            // The text must be reachable before its record is written, so no
            // record of the new index lacks its text. A text that starts at
            // or past the end of the old file cannot be reached either.
            const bool pastEnd = oldLength_ >= 0 && fpos >= oldLength_;
            if (pastEnd || !oldMessage_->Seek(fpos)) {
                const std::string text =
                    Format("Cannot seek to %lld file %s\nOK to skip\nCancel to abort run",
                           static_cast<long long>(fpos), indexPath_.c_str());
                if (!Ask(pastEnd ? text : WithSystemReason(text), "File Error 8"))
                    return FolderOutcome::RunEnds;
                continue;
            }

            record.set_msg_number(next);
            record.set_fpos(static_cast<std::uint32_t>(position));
            if (!record.WriteTo(*newIndex_)) {
                // Bytes refused at a flush are earlier records' too. Else
                // the failure is this record's: what it left goes.
                if (newIndex_->HasRefusedBytes() || !newIndex_->Truncate(indexPosition_))
                    return Unfinished(CannotWrite(indexPath_));
                if (!Ask(WithSystemReason(
                             Format("Cannot write to file %s\nOK to skip\nCancel to abort run",
                                    indexPath_.c_str())),
                         "File Error 7"))
                    return FolderOutcome::RunEnds;
                continue;
            }
            indexPosition_ += static_cast<std::int64_t>(kRecordSize);

            TextCopy copy{*oldMessage_, *newMessage_, port_,          log_, buffer,
                          messagePath_, fpos,         record.fsize(), next, &outPosition_};
            switch (CopyText(copy)) {
                case CopyResult::Finished:
                    break;
                case CopyResult::RunEnds:
                    return FolderOutcome::RunEnds;
                case CopyResult::WriteFailed:
                    return Unfinished(CannotWrite(messagePath_));
                case CopyResult::ReadFailed:
                    return Unfinished(CannotRead(copy.readErrorAt));
            }

            port_.SetStatus(StatusLine::LabelInfoMsg3, "");
            port_.SetMeter(Meter::ProgressBar1, 0);
            ++next;
        }
        return std::nullopt;
    }

    // The new pair is complete: to the disk, the old files' permissions, then
    // under the folder's own names.
    FolderOutcome PutInPlace() {
        oldMessage_.reset();
        if (!newIndex_->Sync() || !newIndex_->Close())
            return Unfinished(CannotWrite(indexPath_));
        newIndex_.reset();
        if (!newMessage_->Sync() || !newMessage_->Close())
            return Unfinished(CannotWrite(messagePath_));
        newMessage_.reset();
        if (!platform::CopyPermissions(backupIndexPath_, tempIndexPath_))
            return Unfinished(CannotSetPermissions(indexPath_));
        if (!platform::CopyPermissions(backupMessagePath_, tempMessagePath_))
            return Unfinished(CannotSetPermissions(messagePath_));

        // The message file first: a folder with its new message file and no
        // index is one the mail client can index again.
        if (!platform::RenameNoReplace(tempMessagePath_, messagePath_))
            return Abandon(CannotRename(tempMessagePath_, messagePath_));
        tempMessageMade_ = false;
        newMessageInPlace_ = true;
        if (!platform::RenameNoReplace(tempIndexPath_, indexPath_))
            return Abandon(CannotRename(tempIndexPath_, indexPath_));
        // The renames are done; a failed directory sync only weakens them
        // against a power loss, and the folder is complete either way.
        platform::SyncDirectory(std::string(platform::DirectoryPart(indexPath_)));
        return FolderOutcome::Rewritten;
    }

    // Puts the old pair back under the folder's own names and removes what
    // there is of the new one.
    FolderOutcome Abandon(FolderOutcome outcome) {
        PutBack();
        return outcome;
    }

    // Puts the old pair back under the folder's own names and removes what
    // there is of the new one; once. False when the old pair stays under
    // its backup names.
    bool PutBack() {
        oldMessage_.reset();
        newIndex_.reset();
        newMessage_.reset();
        if (tempIndexMade_)
            Remove(tempIndexPath_);
        if (tempMessageMade_)
            Remove(tempMessagePath_);
        if (newMessageInPlace_)
            Remove(messagePath_);
        bool back = true;
        if (messageRenamed_)
            back = RenameBack(backupMessagePath_, messagePath_);
        if (indexRenamed_)
            back = RenameBack(backupIndexPath_, indexPath_) && back;
        tempIndexMade_ = tempMessageMade_ = newMessageInPlace_ = false;
        messageRenamed_ = indexRenamed_ = false;
        return back;
    }

    // A file of the new pair; one left behind is cleared by the next run.
    void Remove(const std::string& path) {
        if (!platform::RemoveFile(path))
            log_.Write(WithSystemReason(Format("Can't delete unfinished file %s.", path.c_str())) +
                       "\n");
    }

    bool RenameBack(const std::string& from, const std::string& to) {
        if (platform::RenameNoReplace(from, to))
            return true;
        // The backup pair still holds the old folder; Restore can put it back.
        std::string text =
            WithSystemReason(Format("Can't rename %s to %s.", from.c_str(), to.c_str()));
        log_.Write(text + "\n");
        port_.MessageDialog(text, "Backup File Error", Icon::Stop, Buttons::Ok);
        return false;
    }

    AppState& state_;
    WindowPort& port_;
    RunLog& log_;
    const int position_;
    const std::string indexPath_, messagePath_, backupIndexPath_, backupMessagePath_;
    const std::string tempIndexPath_, tempMessagePath_;

    std::unique_ptr<File> newIndex_, newMessage_, oldMessage_;
    std::int64_t outPosition_ = 0;    // bytes in the new message file
    std::int64_t indexPosition_ = 0;  // bytes in the new index file
    std::int64_t oldLength_ = -1;     // of the old message file; -1 unknown
    bool indexRenamed_ = false, messageRenamed_ = false;
    bool tempIndexMade_ = false, tempMessageMade_ = false, newMessageInPlace_ = false;
};

}  // namespace

FolderOutcome RewriteFolder(AppState& state, WindowPort& port, const std::string& indexPath,
                            int position) {
    return Rewrite(state, port, indexPath, position).Run();
}

}  // namespace kestrove
