// The rewrite of one folder: the old pair becomes the backup pair, and a new
// pair without the dropped records is written under temporary names, synced,
// and only then renamed to the folder's own names. Whatever ends the rewrite
// before that puts the old pair back under its own names.

#include <algorithm>
#include <limits>
#include <memory>
#include <string>

#include "core/Format.h"
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

void RecoverInterruptedRewrite(const std::string& indexPath) {
    const std::string tempIndex = NewIndexTempName(indexPath);
    const std::string tempMessage = NewMessageTempName(indexPath);
    const bool hasTempIndex = platform::FileExists(tempIndex);
    const bool hasTempMessage = platform::FileExists(tempMessage);
    if (!hasTempIndex && !hasTempMessage)
        return;
    // The new message file is in place and the index, complete and synced,
    // still under its temporary name: the kill came between the two renames.
    if (hasTempIndex && !hasTempMessage && !platform::FileExists(indexPath) &&
        platform::FileExists(MessageFileName(indexPath)) &&
        platform::FileExists(BackupIndexFileName(indexPath)) &&
        platform::FileExists(BackupMessageFileName(indexPath)) &&
        platform::RenameNoReplace(tempIndex, indexPath))
        return;
    if (hasTempIndex)
        platform::RemoveFile(tempIndex);
    if (hasTempMessage)
        platform::RemoveFile(tempMessage);
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
        if (!ClearOldBackup(backupIndexPath_) || !ClearOldBackup(backupMessagePath_))
            return FolderOutcome::Skipped;

        if (auto end = RenameToBackup(indexPath_, backupIndexPath_))
            return *end;
        indexRenamed_ = true;
        if (auto end = RenameToBackup(messagePath_, backupMessagePath_))
            return Abandon(*end);
        messageRenamed_ = true;

        newIndex_ = File::Open(tempIndexPath_, OpenMode::WriteBinary);
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

        newMessage_ = File::Open(tempMessagePath_, OpenMode::WriteBinary);
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
        header.set_deleted(0);
        header.set_delsize(0);
        if (!newMessage_->Write(header.bytes.data(), header.bytes.size()))
            return Abandon(NewPairFailed(messagePath_));
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
        if (port_.MessageDialog(
                WithReason(Format("Can't rename %s to %s.\nOK to skip\nCancel to abort",
                                  from.c_str(), to.c_str()),
                           reason),
                "Backup File Exists", Icon::Stop, Buttons::OkCancel) == Answer::Ok)
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

    // The new pair could not be completed: the folder keeps its old pair.
    FolderOutcome NewPairFailed(const std::string& path) {
        if (Ask(WithSystemReason(Format("Cannot write to file %s\nOK to skip\nCancel to abort run",
                                        path.c_str())),
                "File Error 7"))
            return FolderOutcome::Skipped;
        return FolderOutcome::RunEnds;
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
            if (!WriteRecord(record)) {
                if (!Ask(WithSystemReason(
                             Format("Cannot write to file %s\nOK to skip\nCancel to abort run",
                                    indexPath_.c_str())),
                         "File Error 7"))
                    return FolderOutcome::RunEnds;
                continue;
            }

            TextCopy copy{*oldMessage_, *newMessage_, port_,          log_, buffer,
                          messagePath_, fpos,         record.fsize(), next, &outPosition_};
            if (CopyText(copy) == CopyResult::RunEnds)
                return FolderOutcome::RunEnds;

            port_.SetStatus(StatusLine::LabelInfoMsg3, "");
            port_.SetMeter(Meter::ProgressBar1, 0);
            ++next;
        }
        return std::nullopt;
    }

    // Writes one record of the new index. A failed write leaves the position
    // where the record began, so that no part of it stays between records.
    bool WriteRecord(const IndexRecord& record) {
        if (record.WriteTo(*newIndex_)) {
            indexPosition_ += static_cast<std::int64_t>(kRecordSize);
            return true;
        }
        newIndex_->Seek(indexPosition_);
        return false;
    }

    // The new pair is complete: to the disk, the old files' permissions, then
    // under the folder's own names.
    FolderOutcome PutInPlace() {
        oldMessage_.reset();
        if (!newIndex_->Sync() || !newIndex_->Close())
            return Abandon(NewPairFailed(indexPath_));
        newIndex_.reset();
        if (!newMessage_->Sync() || !newMessage_->Close())
            return Abandon(NewPairFailed(messagePath_));
        newMessage_.reset();
        if (!platform::CopyPermissions(backupIndexPath_, tempIndexPath_))
            return Abandon(NewPairFailed(indexPath_));
        if (!platform::CopyPermissions(backupMessagePath_, tempMessagePath_))
            return Abandon(NewPairFailed(messagePath_));

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
        oldMessage_.reset();
        newIndex_.reset();
        newMessage_.reset();
        if (tempIndexMade_)
            platform::RemoveFile(tempIndexPath_);
        if (tempMessageMade_)
            platform::RemoveFile(tempMessagePath_);
        if (newMessageInPlace_)
            platform::RemoveFile(messagePath_);
        if (messageRenamed_)
            RenameBack(backupMessagePath_, messagePath_);
        if (indexRenamed_)
            RenameBack(backupIndexPath_, indexPath_);
        return outcome;
    }

    void RenameBack(const std::string& from, const std::string& to) {
        if (platform::RenameNoReplace(from, to))
            return;
        // The backup pair still holds the old folder; Restore can put it back.
        std::string text =
            WithSystemReason(Format("Can't rename %s to %s.", from.c_str(), to.c_str()));
        log_.Write(text + "\n");
        port_.MessageDialog(text, "Backup File Error", Icon::Stop, Buttons::Ok);
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
