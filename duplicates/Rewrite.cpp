// The rewrite of one folder, as a transaction. The new pair is written under
// temporary names beside the old pair, which stays under the folder's own
// names and is read there; it is synced, and only when nobody has changed
// the old pair meanwhile are the files renamed in quick succession: the old
// index and message file to their backup names, the new message file and
// index to the folder's names. Whatever ends the rewrite before the last
// rename undoes exactly the stages reached.

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Format.h"
#include "core/IndexRecord.h"
#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "core/Reason.h"
#include "duplicates/Duplicates.h"
#include "duplicates/RewriteBoxes.h"
#include "duplicates/TextCopy.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace kestrove {

using platform::File;
using platform::OpenMode;
namespace box = rewrite_box;

std::string NewIndexTempName(std::string_view indexPath) {
    return ReplaceExtension(indexPath, ".KXI");
}

std::string NewMessageTempName(std::string_view indexPath) {
    return ReplaceExtension(indexPath, ".KXM");
}

namespace {

// Windows names one file without regard to letter case.
bool SameFile(std::string_view a, std::string_view b) {
    return platform::ToLower1252(a) == platform::ToLower1252(b);
}

// How far the rewrite has come, in order. The folder's own names hold the
// old pair up to NewPairWritten and the new pair from NewPairInPlace on.
enum class Stage {
    Checked,         // the questions are answered; nothing is touched
    BackupsCleared,  // old backups deleted as the setting or the answer said
    IndexTempMade,   // the new index file exists under its temporary name
    TempsMade,       // and the new message file: both are being written
    NewPairWritten,  // both complete, synced, closed, with the old permissions
    IndexMoved,      // the old index is under its backup name
    OldPairMoved,    // the old message file too: the folder's names are empty
    MessageInPlace,  // the new message file is under the folder's name
    NewPairInPlace,  // and the new index: the folder is rewritten
};

// A record the new index counts as unread.
bool Unread(const IndexRecord& record) {
    return !record.HasFlag(kReadBit) && !record.HasFlag(kDeletedBit);
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
        if (auto end = Check())
            return *end;
        if (!ClearOldBackup(backupIndexPath_) || !ClearOldBackup(backupMessagePath_))
            return FolderOutcome::Skipped;
        stage_ = Stage::BackupsCleared;
        if (auto end = WriteNewPair())
            return *end;
        if (auto end = Unchanged())
            return *end;
        return PutInPlace();
    }

  private:
    // Steps up to the old backups: the header, the questions, whether there
    // is anything to do and whether it may be done. Nothing is touched.
    std::optional<FolderOutcome> Check() {
        // A message file that was not there when the index was loaded counts
        // from its first opening.
        if (!state_.loadedMessageFile)
            state_.loadedMessageFile = platform::StampOf(messagePath_);
        MessageFileHeader header;
        {
            auto file = File::Open(messagePath_, OpenMode::ReadBinary);
            if (!file) {
                Show(box::MessageFileNotOpened(messagePath_, platform::LastErrorText()));
                return FolderOutcome::RunEnds;
            }
            header = ReadHeader(*file);
            if (file->ReadFailed())
                return Unfinished(
                    box::CannotRead(messagePath_, file->Tell(), platform::LastErrorText()));
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
                return end;
        }
        if (header.deleted() != counts.deleted) {
            if (auto end = Mismatch(state_.settings.MismatchedDeleted, "DELETED", counts.deleted,
                                    header.deleted()))
                return end;
        }
        if (counts.dupes == 0 && counts.deleted == 0)
            return FolderOutcome::Unchanged;

        // A backup file given as the folder's index is its own "old backup":
        // clearing that would delete the very files being rewritten.
        if (SameFile(indexPath_, backupIndexPath_) || SameFile(indexPath_, backupMessagePath_)) {
            Show(box::GivenABackupFile(indexPath_));
            return FolderOutcome::Skipped;
        }
        // A file under a temporary name that the recovery left is not ours
        // to empty.
        for (const std::string* temp : {&tempIndexPath_, &tempMessagePath_}) {
            if (platform::FileExists(*temp)) {
                Show(box::ForeignTemporary(*temp));
                return FolderOutcome::Skipped;
            }
        }
        // Changed while a question was open: no backup is deleted for it.
        return Unchanged();
    }

    // The unread or deleted counts of index and header differ.
    std::optional<FolderOutcome> Mismatch(OnMismatch setting, const char* what, int fromIndex,
                                          int fromHeader) {
        switch (setting) {
            case OnMismatch::Ask:
                break;
            case OnMismatch::Skip:
                return FolderOutcome::Skipped;
            default:  // "Always Ignore", and a value that names no item
                return std::nullopt;
        }
        switch (Show(box::CountMismatch(what, fromIndex, fromHeader))) {
            case Answer::Yes:
                return std::nullopt;
            case Answer::No:
                return FolderOutcome::Skipped;
            default:
                state_.AbortRequested = true;
                return FolderOutcome::RunEnds;
        }
    }

    // Nothing until the renames if the index or message file is not the one
    // that was loaded: the mail client may have written to the folder.
    std::optional<FolderOutcome> Unchanged() {
        for (const auto& [path, loaded] : {std::pair{&indexPath_, &state_.loadedIndex},
                                           std::pair{&messagePath_, &state_.loadedMessageFile}}) {
            const std::optional<platform::FileStamp> now = platform::StampOf(*path);
            if (now && *loaded && *now == **loaded)
                continue;
            const std::string reason = now ? std::string() : platform::LastErrorText();
            // Gone, replaced or written to; else it cannot be looked at, now
            // or when the index was loaded.
            const bool changed = (now && *loaded) || (!now && !platform::FileExists(*path));
            Rollback();
            Show(changed ? box::ChangedMeanwhile(*path) : box::CannotCheck(*path, reason));
            return FolderOutcome::Skipped;
        }
        return std::nullopt;
    }

    // A backup file from before is deleted, or the folder skipped (false).
    bool ClearOldBackup(const std::string& path) {
        if (!platform::FileExists(path))
            return true;
        log_.Write(Format("Backup File %s exists.\n", path.c_str()));
        switch (state_.settings.BackupFiles) {
            case OnBackupExists::Ask:
                if (Show(box::OldBackupExists(path)) != Answer::Ok)
                    return false;
                break;
            case OnBackupExists::Never:
                return false;
            default:  // "Always Overwrite", and a value that names no item
                break;
        }
        if (platform::RemoveFile(path))
            return true;
        Show(box::OldBackupNotDeleted(path, platform::LastErrorText()));
        return false;
    }

    // The new pair under its temporary names, complete and on the disk.
    std::optional<FolderOutcome> WriteNewPair() {
        newIndex_ = OpenForCopy(tempIndexPath_, indexPath_, box::NewIndexNotCreated);
        if (!newIndex_)
            return FolderOutcome::RunEnds;
        stage_ = Stage::IndexTempMade;
        newMessage_ = OpenForCopy(tempMessagePath_, messagePath_, box::NewMessageFileNotCreated);
        if (!newMessage_)
            return FolderOutcome::RunEnds;
        stage_ = Stage::TempsMade;
        oldMessage_ = OpenForCopy(messagePath_, messagePath_, box::MessageFileNotOpenedForCopy);
        if (!oldMessage_)
            return FolderOutcome::RunEnds;

        // The old header, a short file's padded with zeros, with the unread
        // count of the records to be kept and without the deleted count and
        // space.
        header_ = ReadHeader(*oldMessage_);
        if (oldMessage_->ReadFailed())
            return Unfinished(
                box::CannotRead(messagePath_, oldMessage_->Tell(), platform::LastErrorText()));
        header_.set_unread(KeptUnread());
        header_.set_deleted(0);
        header_.set_delsize(0);
        // The header has no question of its own: the folder is left as it was.
        if (!newMessage_->Write(header_.bytes.data(), header_.bytes.size()))
            return Unfinished(box::CannotWrite(messagePath_, platform::LastErrorText()));
        outPosition_ = static_cast<std::int64_t>(kHeaderSize);
        oldLength_ = oldMessage_->Length();

        if (auto end = CopyMessages()) {
            Rollback();
            return end;
        }
        return Finish();
    }

    // A new file, or the old message file to read; the log and the boxes
    // name the folder's file it stands for. When it cannot be opened, what
    // was made goes before the box says so.
    std::unique_ptr<File> OpenForCopy(const std::string& path, const std::string& shown,
                                      box::Box (*cannot)(const std::string&, std::string_view)) {
        const bool reading = path == messagePath_;
        auto file = File::Open(path, reading ? OpenMode::ReadBinary : OpenMode::CreateBinary);
        if (!file) {
            const std::string reason = platform::LastErrorText();
            Rollback();
            Show(cannot(shown, reason));
            return nullptr;
        }
        if (log_.IsOpen())
            log_.Write(Format(reading ? "Openned input file %s\n" : "Openned output file %s\n",
                              shown.c_str()));
        return file;
    }

    // What the new header says before the copy: the records marked to keep.
    std::int16_t KeptUnread() {
        std::int32_t unread = 0;
        for (int i = 0; i < state_.table.count; ++i)
            if (state_.DropMarks[static_cast<std::size_t>(i)] == 0 && Unread(state_.table[i]))
                ++unread;
        headerUnread_ = unread;
        // The field holds 16 bits, as the mail client's count does.
        return static_cast<std::int16_t>(unread);
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
                if (!GoesOn(box::NoWritePosition(messagePath_,
                                                 position < 0 ? platform::LastErrorText() : "")))
                    return FolderOutcome::RunEnds;
                continue;
            }
            outPosition_ = position;

            // The text must be reachable before its record is written, so no
            // record of the new index lacks its text. A text that starts at
            // or past the end of the old file cannot be reached either.
            const bool pastEnd = oldLength_ >= 0 && fpos >= oldLength_;
            if (pastEnd || !oldMessage_->Seek(fpos)) {
                if (!GoesOn(box::CannotSeek(fpos, indexPath_,
                                            pastEnd ? "" : platform::LastErrorText())))
                    return FolderOutcome::RunEnds;
                continue;
            }

            record.set_msg_number(next);
            record.set_fpos(static_cast<std::uint32_t>(position));
            if (!record.WriteTo(*newIndex_)) {
                // Bytes refused at a flush are earlier records' too. Else
                // the failure is this record's: what it left goes.
                const std::string reason = platform::LastErrorText();
                if (newIndex_->HasRefusedBytes() || !newIndex_->Truncate(indexPosition_))
                    return Unfinished(box::CannotWrite(indexPath_, reason));
                if (!GoesOn(box::RecordNotWritten(indexPath_, reason)))
                    return FolderOutcome::RunEnds;
                continue;
            }
            indexPosition_ += static_cast<std::int64_t>(kRecordSize);
            writtenUnread_ += Unread(record) ? 1 : 0;

            TextCopy copy{*oldMessage_, *newMessage_, port_,          log_, buffer,
                          messagePath_, fpos,         record.fsize(), next, &outPosition_};
            switch (CopyText(copy)) {
                case CopyResult::Finished:
                    break;
                case CopyResult::RunEnds:
                    return FolderOutcome::RunEnds;
                case CopyResult::WriteFailed:
                    return Unfinished(box::CannotWrite(messagePath_, platform::LastErrorText()));
                case CopyResult::ReadFailed:
                    return Unfinished(
                        box::CannotRead(messagePath_, copy.readErrorAt, platform::LastErrorText()));
            }

            port_.SetStatus(StatusLine::LabelInfoMsg3, "");
            port_.SetMeter(Meter::ProgressBar1, 0);
            ++next;
        }
        return std::nullopt;
    }

    // The copy is done: the header's count of what the index really holds,
    // the files on the disk, the old files' permissions.
    std::optional<FolderOutcome> Finish() {
        oldMessage_.reset();
        // A record left out on OK was counted in the header.
        if (writtenUnread_ != headerUnread_) {
            header_.set_unread(static_cast<std::int16_t>(writtenUnread_));
            constexpr std::size_t at = MessageFileHeader::kUnreadAt;
            if (!newMessage_->Seek(at) || !newMessage_->Write(&header_.bytes[at], 2))
                return Unfinished(box::CannotWrite(messagePath_, platform::LastErrorText()));
        }
        if (!newIndex_->Sync() || !newIndex_->Close())
            return Unfinished(box::CannotWrite(indexPath_, platform::LastErrorText()));
        newIndex_.reset();
        if (!newMessage_->Sync() || !newMessage_->Close())
            return Unfinished(box::CannotWrite(messagePath_, platform::LastErrorText()));
        newMessage_.reset();
        for (const auto& [from, to] : {std::pair{&indexPath_, &tempIndexPath_},
                                       std::pair{&messagePath_, &tempMessagePath_}}) {
            if (platform::CopyPermissions(*from, *to))
                continue;
            // An old file that is gone or other than loaded says more.
            const std::string reason = platform::LastErrorText();
            if (auto end = Unchanged())
                return end;
            return Unfinished(box::CannotSetPermissions(*from, reason));
        }
        stage_ = Stage::NewPairWritten;
        return std::nullopt;
    }

    // The renames, one right after the other. The message file goes in
    // place first: a folder with its new message file and no index is one
    // the mail client can index again.
    FolderOutcome PutInPlace() {
        const std::vector<std::pair<std::string, std::string>> renames = {
            {indexPath_, backupIndexPath_},
            {messagePath_, backupMessagePath_},
            {tempMessagePath_, messagePath_},
            {tempIndexPath_, indexPath_},
        };
        constexpr Stage reached[] = {Stage::IndexMoved, Stage::OldPairMoved, Stage::MessageInPlace,
                                     Stage::NewPairInPlace};
        const std::size_t done = platform::RenameEachNoReplace(renames);
        const std::string reason = platform::LastErrorText();
        for (std::size_t i = 0; i < done; ++i) {
            if (reached[i] <= Stage::OldPairMoved)
                log_.Write(Format("Renamed %s to %s\n", renames[i].first.c_str(),
                                  renames[i].second.c_str()));
            stage_ = reached[i];
        }
        if (done < renames.size()) {
            Rollback();
            return GoesOn(box::CannotRename(renames[done].first, renames[done].second, reason))
                       ? FolderOutcome::Skipped
                       : FolderOutcome::RunEnds;
        }
        // The renames are done; a failed directory sync only weakens them
        // against a power loss, and the folder is complete either way.
        platform::SyncDirectory(std::string(platform::DirectoryPart(indexPath_)));
        return FolderOutcome::Rewritten;
    }

    // A failure that cannot be pinned to one record or byte: the new pair
    // cannot be completed. It comes before the renames, so the rollback
    // only removes the temporaries; OK goes on with the next folder.
    FolderOutcome Unfinished(const std::string& what) {
        Rollback();
        return GoesOn(box::Unfinished(what, indexPath_)) ? FolderOutcome::Skipped
                                                         : FolderOutcome::RunEnds;
    }

    // Undoes the stages reached, last first. True when the folder's own
    // names hold the old pair again. A step that fails stops it: what is
    // left is what a killed run leaves, which the next run finishes or
    // undoes, so the temporaries stay for it.
    bool Rollback() {
        oldMessage_.reset();
        newIndex_.reset();
        newMessage_.reset();
        const Stage reached = stage_;
        stage_ = std::min(reached, Stage::BackupsCleared);
        if (reached == Stage::MessageInPlace && !Remove(messagePath_))
            return false;
        if (reached >= Stage::OldPairMoved && !RenameBack(backupMessagePath_, messagePath_))
            return false;
        if (reached >= Stage::IndexMoved && !RenameBack(backupIndexPath_, indexPath_))
            return false;
        if (reached >= Stage::IndexTempMade)
            Remove(tempIndexPath_);
        if (reached >= Stage::TempsMade && reached < Stage::MessageInPlace)
            Remove(tempMessagePath_);
        return true;
    }

    // A file of the new pair; one left behind is cleared by the next run.
    bool Remove(const std::string& path) {
        if (platform::RemoveFile(path))
            return true;
        log_.Write(WithSystemReason(Format("Can't delete unfinished file %s.", path.c_str())) +
                   "\n");
        return false;
    }

    bool RenameBack(const std::string& from, const std::string& to) {
        if (platform::RenameNoReplace(from, to))
            return true;
        Show(box::CannotRenameBack(from, to, platform::LastErrorText()));
        return false;
    }

    Answer Show(const box::Box& b) { return box::Show(port_, log_, b); }
    bool GoesOn(const box::Box& b) { return box::GoesOn(port_, log_, b); }

    AppState& state_;
    WindowPort& port_;
    RunLog& log_;
    const int position_;
    const std::string indexPath_, messagePath_, backupIndexPath_, backupMessagePath_;
    const std::string tempIndexPath_, tempMessagePath_;

    Stage stage_ = Stage::Checked;
    std::unique_ptr<File> newIndex_, newMessage_, oldMessage_;
    MessageFileHeader header_;
    std::int32_t headerUnread_ = 0;   // as written at first
    std::int32_t writtenUnread_ = 0;  // of the records in the new index
    std::int64_t outPosition_ = 0;    // bytes in the new message file
    std::int64_t indexPosition_ = 0;  // bytes in the new index file
    std::int64_t oldLength_ = -1;     // of the old message file; -1 unknown
};

}  // namespace

FolderOutcome RewriteFolder(AppState& state, WindowPort& port, const std::string& indexPath,
                            int position) {
    return Rewrite(state, port, indexPath, position).Run();
}

}  // namespace kestrove
