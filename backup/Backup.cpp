#include "backup/Backup.h"

#include <optional>
#include <string>

#include "core/BusyScope.h"
#include "core/CommandChecks.h"
#include "core/FileKinds.h"
#include "core/Format.h"
#include "core/MessageFile.h"
#include "core/NameClash.h"
#include "core/Reason.h"
#include "platform/File.h"
#include "platform/Paths.h"

namespace kestrove {

namespace {

constexpr const char* kBackupFileError = "Backup File Error";
constexpr const char* kRenameFileError = "Rename File Error";

// The pump before each entry; true when Abort was pressed.
bool AbortPressed(AppState& state, WindowPort& port) {
    port.ProcessEvents();
    return state.AbortRequested;
}

std::string HighlightEntry(AppState& state, WindowPort& port, int k) {
    state.ListBox1.highlighted = k;
    port.HighlightEntry(ListId::ListBox1, k);
    return state.ListBox1[k];
}

void ReportStop(WindowPort& port, const std::string& text, const char* title) {
    port.MessageDialog(text, title, Icon::Stop, Buttons::Ok);
}

// A failure that skips the entry: the box, then its text as the log line.
void ReportAndLog(AppState& state, WindowPort& port, const std::string& text, const char* title) {
    ReportStop(port, text, title);
    state.runLog.Write(text + "\n");
}

// Sets the summary, and the result of a command that went through its list.
CommandResult SetSummary(AppState& state, WindowPort& port, const std::string& summary, int done) {
    port.SetStatus(StatusLine::LabelInfoMsg1, summary);
    port.SetStatus(StatusLine::LabelInfoMsg2, "");
    port.SetStatus(StatusLine::LabelInfoMsg3, "");
    CommandResult result;
    result.completed = true;
    result.entries = state.ListBox1.Count();
    result.done = done;
    result.summary = summary;
    return result;
}

// The result of a command that ended early.
CommandResult EndedEarly(const AppState& state, int done) {
    CommandResult result;
    result.entries = state.ListBox1.Count();
    result.done = done;
    return result;
}

// The common end: Abort hidden, the selected list emptied, the available
// list re-read. The count labels follow the lists, so they do not keep the
// counts of lists that are gone.
void FinishBackupCommand(AppState& state, WindowPort& port) {
    port.ShowAbort(false);
    state.ListBox1.Clear();
    port.ListChanged(ListId::ListBox1);
    state.RereadFileList();
    port.ListChanged(ListId::FileListBox1);
    port.SetCountLabel(CountLabel::LblNumSelFiles, "No Files Selected");
    ShowFileCount(state, port);
}

// Only a backup index file names a backup pair. Taken for one, an index
// file or a message file would be deleted or moved as if it were a backup,
// and an orphaned backup message file would be restored as an index file.
bool IsBackupEntry(AppState& state, WindowPort& port, const std::string& entry) {
    if (BackupTakes(entry) && !platform::DirectoryExists(entry))
        return true;
    ReportAndLog(state, port, NotABackupIndexText(entry), kBackupFileError);
    return false;
}

// The first half of a backup pair that is not there, or null.
const std::string* MissingHalf(const std::string& backupIndex, const std::string& backupMessage) {
    if (!platform::FileExists(backupIndex))
        return &backupIndex;
    if (!platform::FileExists(backupMessage))
        return &backupMessage;
    return nullptr;
}

// Deletes one of a folder's current files before a restore; false (after the
// box) when it could not be deleted. The index file and the message file have
// different failure log lines.
bool DeleteForRestore(AppState& state, WindowPort& port, const std::string& path, bool logBoxText) {
    if (platform::FileExists(path)) {
        state.runLog.Write(Format("Restore File %s exists.\n", path.c_str()));
        if (!platform::RemoveFile(path)) {
            const std::string reason = platform::LastErrorText();
            std::string text =
                WithReason(Format("Can't delete file %s - skipping file.", path.c_str()), reason);
            ReportStop(port, text, kBackupFileError);
            if (logBoxText)
                state.runLog.Write(text + "\n");
            else
                state.runLog.Write(
                    WithReason(Format("Restore File %s can't be deleted.", path.c_str()), reason) +
                    "\n");
            return false;
        }
    }
    state.runLog.Write(Format("File %s as been deleted.\n", path.c_str()));
    return true;
}

bool RenameForRestore(AppState& state, WindowPort& port, const std::string& from,
                      const std::string& to) {
    if (!platform::RenameNoReplace(from, to)) {
        ReportAndLog(state, port,
                     WithSystemReason(Format("Can't rename file %s  to %s- skipping file.",
                                             from.c_str(), to.c_str())),
                     kBackupFileError);
        return false;
    }
    state.runLog.Write(Format("File %s as been renamed to %s.\n", from.c_str(), to.c_str()));
    return true;
}

}  // namespace

CommandResult RestoreButtonClick(AppState& state, WindowPort& port) {
    state.AbortRequested = false;
    if (!HaveSelection(state, port))
        return EndedEarly(state, 0);
    BusyScope busy(state);
    RunLog::Reporter logFailures(state.runLog, port);

    port.ShowAbort(true);
    int restored = 0;
    for (int k = 0; k < state.ListBox1.Count(); ++k) {
        if (AbortPressed(state, port))
            return EndedEarly(state, restored);
        const std::string backupIndex = HighlightEntry(state, port, k);
        if (!IsBackupEntry(state, port, backupIndex))
            continue;
        const std::string backupMessage = ReplaceExtension(backupIndex, ".BKM");
        const std::string indexFile = ReplaceExtension(backupIndex, ".PMI");
        const std::string messageFile = ReplaceExtension(backupIndex, ".PMM");
        if (!NamesClear(state, port, backupIndex,
                        {backupIndex, backupMessage, indexFile, messageFile}))
            continue;

        // Both halves of the backup must be there before the folder's own
        // files are given up; otherwise the folder would be left without
        // one of its files.
        if (const std::string* missing = MissingHalf(backupIndex, backupMessage)) {
            ReportAndLog(state, port,
                         Format("Can't find backup file %s - skipping file.", missing->c_str()),
                         kBackupFileError);
            continue;
        }

        if (!DeleteForRestore(state, port, indexFile, false))
            continue;
        if (!DeleteForRestore(state, port, messageFile, true))
            continue;
        if (!RenameForRestore(state, port, backupIndex, indexFile))
            continue;
        if (!RenameForRestore(state, port, backupMessage, messageFile))
            continue;
        ++restored;
    }

    CommandResult result =
        SetSummary(state, port,
                   Format("%d of %d files processed.", restored, state.ListBox1.Count()), restored);
    FinishBackupCommand(state, port);
    return result;
}

CommandResult DeleteButtonClick(AppState& state, WindowPort& port) {
    state.AbortRequested = false;
    if (!HaveSelection(state, port) || !MailboxCheckPassed(state, port))
        return EndedEarly(state, 0);
    BusyScope busy(state);
    RunLog::Reporter logFailures(state.runLog, port);

    port.ShowAbort(true);
    int folders = 0;
    int deletedFiles = 0;
    for (int k = 0; k < state.ListBox1.Count(); ++k) {
        if (AbortPressed(state, port))
            return EndedEarly(state, folders);
        const std::string backupIndex = HighlightEntry(state, port, k);
        if (!IsBackupEntry(state, port, backupIndex))
            continue;
        const std::string backupMessage = ReplaceExtension(backupIndex, ".BKM");
        if (!NamesClear(state, port, backupIndex, {backupIndex, backupMessage}))
            continue;

        if (!platform::RemoveFile(backupIndex)) {
            const std::string reason = platform::LastErrorText();
            ReportStop(
                port,
                WithReason(Format("Can't delete file %s - skipping file.", backupIndex.c_str()),
                           reason),
                kBackupFileError);
            state.runLog.Write(
                WithReason(Format("Backup File %s can't be deleted.", backupIndex.c_str()),
                           reason) +
                "\n");
            continue;
        }
        state.runLog.Write(Format("File %s as been deleted.\n", backupIndex.c_str()));
        ++deletedFiles;

        if (!platform::RemoveFile(backupMessage)) {
            ReportAndLog(state, port,
                         WithSystemReason(Format("Can't delete file %s - skipping file.",
                                                 backupMessage.c_str())),
                         kBackupFileError);
            continue;
        }
        state.runLog.Write(Format("File %s as been deleted.\n", backupMessage.c_str()));
        ++deletedFiles;
        ++folders;
    }

    CommandResult result = SetSummary(state, port,
                                      Format("%d of %d files processed (%d deleted).", folders,
                                             state.ListBox1.Count(), deletedFiles),
                                      folders);
    FinishBackupCommand(state, port);
    return result;
}

CommandResult MoveButtonClick(AppState& state, WindowPort& port) {
    state.AbortRequested = false;
    if (!HaveSelection(state, port) || !MailboxCheckPassed(state, port))
        return EndedEarly(state, 0);

    const std::string source = state.fileListDirectory;
    std::optional<std::string> chosen = port.ChooseDirectory(source);
    // A cancelled chooser ends the command: moving into whatever directory
    // the chooser held before is not what the user asked for.
    if (!chosen || chosen->empty())
        return EndedEarly(state, 0);
    const std::string destination = *chosen;
    if (source == destination) {
        ReportStop(port, Format("Cannot move files to same path: %s", destination.c_str()),
                   "Drive Error");
        return EndedEarly(state, 0);
    }
    BusyScope busy(state);
    RunLog::Reporter logFailures(state.runLog, port);

    port.SetStatus(StatusLine::LabelInfoMsg1,
                   Format("Move files from %s to %s.", source.c_str(), destination.c_str()));
    port.ShowAbort(true);
    int folders = 0;
    int movedFiles = 0;
    for (int k = 0; k < state.ListBox1.Count(); ++k) {
        if (AbortPressed(state, port))
            return EndedEarly(state, folders);
        const std::string backupIndex = HighlightEntry(state, port, k);
        if (!IsBackupEntry(state, port, backupIndex))
            continue;
        const std::string backupMessage = ReplaceExtension(backupIndex, ".BKM");
        const std::string indexTarget =
            platform::JoinPath(destination, platform::FileNamePart(backupIndex));
        const std::string messageTarget =
            platform::JoinPath(destination, platform::FileNamePart(backupMessage));

        // A rename cannot cross drives: compare the drive letters as written.
        if (backupIndex.empty() || destination[0] != backupIndex[0]) {
            Answer answer = port.MessageDialog(
                Format("Can not move files from %s to %s\nOK to skip\nCancel to abort",
                       backupIndex.c_str(), destination.c_str()),
                "Error: cant move folders between drives.", Icon::Stop, Buttons::OkCancel);
            if (answer == Answer::Ok)
                continue;
            return EndedEarly(state, folders);
        }

        if (!NamesClear(state, port, backupIndex,
                        {backupIndex, backupMessage, indexTarget, messageTarget}))
            continue;

        state.runLog.Write(
            Format("Try to copy File %s to %s\n", backupIndex.c_str(), indexTarget.c_str()));
        if (!platform::RenameNoReplace(backupIndex, indexTarget)) {
            ReportAndLog(state, port,
                         WithSystemReason(Format("Cant rename file %s to %s - skipping file.",
                                                 backupIndex.c_str(), indexTarget.c_str())),
                         kRenameFileError);
            continue;
        }
        state.runLog.Write(
            Format("File %s as been renamed to %s.\n", backupIndex.c_str(), indexTarget.c_str()));
        ++movedFiles;

        if (!platform::RenameNoReplace(backupMessage, messageTarget)) {
            ReportAndLog(state, port,
                         WithSystemReason(Format("Can't rename file %s to %s - skipping file.",
                                                 backupMessage.c_str(), messageTarget.c_str())),
                         kRenameFileError);
            continue;
        }
        state.runLog.Write(Format("File %s has been renamed to %s.\n", backupMessage.c_str(),
                                  messageTarget.c_str()));
        ++movedFiles;
        ++folders;
    }

    CommandResult result = SetSummary(state, port,
                                      Format("%d of %d folders moved (%d files moved).", folders,
                                             state.ListBox1.Count(), movedFiles),
                                      folders);
    FinishBackupCommand(state, port);
    return result;
}

}  // namespace kestrove
