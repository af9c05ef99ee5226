// The run over the selected list, Abort, the run log, and the network run.

#include <cstdint>

#include "core/BusyScope.h"
#include "core/CommandChecks.h"
#include "core/FileKinds.h"
#include "core/Format.h"
#include "core/Links.h"
#include "core/MessageFile.h"
#include "core/NameClash.h"
#include "core/Reason.h"
#include "duplicates/Duplicates.h"
#include "duplicates/RewriteBoxes.h"
#include "platform/File.h"
#include "platform/Paths.h"

namespace kestrove {

namespace {

int Percent(std::int64_t part, std::int64_t whole) {
    return whole > 0 ? static_cast<int>(part * 100 / whole) : 0;
}

void Highlight(AppState& state, WindowPort& port, ListId id, int index) {
    SortedList& list = id == ListId::ListBox3 ? state.ListBox3 : state.ListBox1;
    list.highlighted = index;
    port.HighlightEntry(id, index);
}

constexpr Meter kMeters[] = {Meter::ProgressBarF, Meter::ProgressBarM, Meter::ProgressBar1};

}  // namespace

CommandResult RunDeleteDupes1Click(AppState& state, WindowPort& port) {
    BusyScope busy(state);
    RunLog::Reporter logFailures(state.runLog, port);
    CommandResult result;
    result.entries = state.ListBox1.Count();
    state.AbortRequested = false;
    if (!HaveSelection(state, port) || !MailboxCheckPassed(state, port))
        return result;

    std::int32_t filesProcessed = 0;
    port.ShowAbort(true);
    for (Meter m : kMeters) {
        port.SetMeter(m, 0);
        port.ShowMeter(m, true);
    }

    for (int k = 0; k < state.ListBox1.Count(); ++k) {
        port.ProcessEvents();
        result.entries = state.ListBox1.Count();
        if (state.AbortRequested)
            return result;
        // The list may have changed while events were handled.
        if (k >= state.ListBox1.Count())
            break;
        port.SetMeter(Meter::ProgressBarF, Percent(k, state.ListBox1.Count()));
        Highlight(state, port, ListId::ListBox1, k);
        const std::string path = state.ListBox1[k];
        if (!RunTakesEntry(state, port, path))
            continue;

        // Every name the rewrite may rename, create or remove must name
        // this folder's file alone (no link, no twin in another letter
        // case), else nothing of the folder is touched.
        if (!NamesClear(
                state, port, path,
                {path, MessageFileName(path), BackupIndexFileName(path),
                 BackupMessageFileName(path), NewIndexTempName(path), NewMessageTempName(path)}))
            continue;
        RecoverInterruptedRewrite(path, state.runLog);
        if (!LoadIndex(state, port, path, k))
            return result;
        FindDuplicates(state, port, path);
        const int lookalikes = state.counts.lookalikes;
        switch (RewriteFolder(state, port, path, k)) {
            case FolderOutcome::Rewritten:
                ++filesProcessed;
                ++result.done;
                break;
            case FolderOutcome::Unchanged:
                ++result.done;
                break;
            case FolderOutcome::Skipped:
                continue;
            case FolderOutcome::RunEnds:
                return result;
        }
        if (lookalikes > 0)
            result.lookAlikes.emplace_back(path, lookalikes);
    }

    if (state.mode < kNetworkMode)
        state.runLog.Close();
    const std::string summary =
        Format("%d of %d files processed.", filesProcessed, state.ListBox1.Count());
    port.ShowAbort(false);
    for (Meter m : {Meter::ProgressBar1, Meter::ProgressBarM, Meter::ProgressBarF}) {
        port.SetMeter(m, 0);
        port.ShowMeter(m, false);
    }
    port.ProcessEvents();
    port.SetStatus(StatusLine::LabelInfoMsg1, summary);
    port.SetStatus(StatusLine::LabelInfoMsg2, "");
    port.SetStatus(StatusLine::LabelInfoMsg3, "");
    result.completed = true;
    result.entries = state.ListBox1.Count();
    result.summary = summary;
    return result;
}

void Stop(AppState& state, WindowPort& port) {
    state.AbortRequested = true;
    port.ShowAbort(false);
}

void SaveLogFile1Click(AppState& state, WindowPort& port) {
    if (state.busy)  // a log opened now would miss the start of the command
        return;
    auto chosen = port.ChooseSaveFile("Log Files|*.log|All Files|*.*", state.currentDirectory);
    if (!chosen)
        return;
    OpenRunLog(state, port, LogFileName(chosen->path, chosen->filter));
}

std::string LogFileName(const std::string& typed, int filter) {
    const std::string_view name = platform::FileNamePart(typed);
    // A directory stays what it is: opening it as the log is refused.
    if (filter != 0 || name.empty() || name.find('.') != std::string_view::npos ||
        platform::DirectoryExists(typed))
        return typed;
    return typed + ".log";
}

bool RunTakesEntry(AppState& state, WindowPort& port, const std::string& path) {
    const FileKind kind = KindOfName(path);
    if (kind == FileKind::Index)
        return true;
    // The rewrite says the same of a backup file that reaches it.
    if (kind == FileKind::BackupIndex || kind == FileKind::BackupMessage) {
        rewrite_box::Show(port, state.runLog, rewrite_box::GivenABackupFile(path));
        return false;
    }
    const std::string text = NotAnIndexText(path);
    port.MessageDialog(text, "File Error", Icon::Stop, Buttons::Ok);
    state.runLog.Write(text + "\n");
    return false;
}

namespace {

// A file of a folder, or of a selected folder under another name: opening
// it as the log would empty it.
bool IsMailFile(const AppState& state, const std::string& fileName) {
    if (IsFolderFile(fileName))
        return true;
    for (const std::string& entry : state.ListBox1.entries()) {
        for (const char* extension : {".PMI", ".PMM", ".BKI", ".BKM"}) {
            if (platform::IsSameFile(fileName, ReplaceExtension(entry, extension)))
                return true;
        }
    }
    return false;
}

}  // namespace

void OpenRunLog(AppState& state, WindowPort& port, const std::string& fileName) {
    if (IsMailFile(state, fileName)) {
        port.MessageDialog(
            Format("%s is a mail folder file - it cannot be the log.", fileName.c_str()),
            "File Error", Icon::Stop, Buttons::Ok);
        return;
    }
    if (state.runLog.Open(fileName))
        return;
    port.MessageDialog(WithSystemReason(Format("Cannot Open File: %s", fileName.c_str())),
                       "File Error", Icon::Stop, Buttons::Ok);
}

UserFolders ListUserFolders(const std::string& directory) {
    UserFolders folders;
    for (const platform::DirEntry& entry : platform::FindFiles(directory + "\\*.pmi")) {
        if (!platform::IsPlainName(entry.name)) {
            folders.skipped.push_back(
                Format("The name %s in %s holds a path separator - skipping file.",
                       entry.name.c_str(), directory.c_str()));
            continue;
        }
        std::string path = platform::JoinPath(directory, entry.name);
        // The search tells most links; Wine shows one to a file as that file.
        if (entry.isLink || platform::IsLink(path)) {
            folders.skipped.push_back(IsALinkText(path));
            continue;
        }
        if (!platform::IsRegularFile(path)) {
            folders.skipped.push_back(
                Format("%s is not a regular file - skipping file.", path.c_str()));
            continue;
        }
        folders.paths.push_back(std::move(path));
    }
    return folders;
}

NetworkRunResult RunNetButtonClick(AppState& state, WindowPort& port) {
    BusyScope busy(state);
    RunLog::Reporter logFailures(state.runLog, port);
    NetworkRunResult result;
    state.AbortRequested = false;
    if (state.ListBox3.Empty()) {
        port.MessageDialog("No directories seleted.", "Network Mode", Icon::Stop, Buttons::Ok);
        return result;
    }
    port.SplitSelectedLists();
    port.ShowList(ListId::ListBox3, true);
    port.ShowList(ListId::ListBox1, true);

    for (int i = 0; i < state.ListBox3.Count(); ++i) {
        Highlight(state, port, ListId::ListBox3, i);
        const std::string directory = state.ListBox3[i];

        state.ListBox1.Clear();
        const UserFolders folders = ListUserFolders(directory);
        for (const std::string& path : folders.paths)
            state.ListBox1.Add(path);
        port.ListChanged(ListId::ListBox1);
        // One bad entry does not cost the user the rest of the folders.
        for (const std::string& text : folders.skipped) {
            port.MessageDialog(text, "Network Mode", Icon::Stop, Buttons::Ok);
            state.runLog.Write(text + "\n");
            ++result.entriesSkipped;
        }

        const std::string count = Format("%d folders", state.ListBox1.Count());
        port.SetCountLabel(CountLabel::LblNumFiles, count);
        state.runLog.Write(count + "\n");
        if (state.ListBox1.Empty()) {
            const std::string text = Format("No PMI files in %s.", directory.c_str());
            port.MessageDialog(text, "Network Mode", Icon::Stop, Buttons::Ok);
            state.runLog.Write(text + "\n");
        }
        state.runLog.Write(Format("Processing directory %d: %s\n", i, directory.c_str()));

        result.directories.emplace_back(directory, RunDeleteDupes1Click(state, port));
        // Aborted: the layout is put back, but the log stays open, as after
        // any run that ends early.
        if (state.AbortRequested)
            break;
    }

    port.RestoreSelectedLists();
    port.ShowList(ListId::ListBox3, true);
    port.ShowList(ListId::ListBox1, false);
    if (!state.AbortRequested)
        state.runLog.Close();
    result.completed = !state.AbortRequested;
    return result;
}

}  // namespace kestrove
