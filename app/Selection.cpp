#include "app/Selection.h"

#include "app/DirectoryNavigation.h"
#include "app/ModeControls.h"
#include "core/CommandChecks.h"
#include "core/Format.h"
#include "core/MessageFile.h"
#include "core/Reason.h"
#include "platform/File.h"
#include "platform/Paths.h"

namespace kestrove {

namespace {

bool IsNetwork(const AppState& state) {
    return state.mode >= kNetworkMode;
}

void ShowDirectoryCount(AppState& state, WindowPort& port) {
    port.SetCountLabel(CountLabel::LblNumFiles,
                       Format("%d directories", static_cast<int>(state.ListBox2.size())));
}

// The selected list of the mode in hand: the user directories in Network
// Mode, else the files; with its count label's texts.
struct SelectedList {
    SortedList& list;
    ListId id;
    const char* countFormat;
    const char* noneText;
};

SelectedList SelectedOf(AppState& state) {
    if (IsNetwork(state))
        return {state.ListBox3, ListId::ListBox3, "%d Directories Selected",
                "No Directories Selected"};
    return {state.ListBox1, ListId::ListBox1, "%d Files Selected", "No Files Selected"};
}

// The mode's mask and file list, both selected lists emptied.
void ResetLists(AppState& state, WindowPort& port, const ModeControls& controls) {
    const int mode = controls.mode;
    state.fileListMask = controls.fileMask;
    state.RereadFileList();
    port.ListChanged(ListId::FileListBox1);
    state.mode = mode;
    state.ListBox1.Clear();
    state.ListBox3.Clear();
    port.ListChanged(ListId::ListBox1);
    port.ListChanged(ListId::ListBox3);
}

}  // namespace

void ListUserDirectories(AppState& state) {
    for (auto& name : Subdirectories(state.currentDirectory))
        state.ListBox2.push_back(std::move(name));
}

void ApplyModeLists(AppState& state, WindowPort& port, int mode) {
    const ModeControls controls = ModeControlsFor(mode, state.busy, state.sortOn, state.exportCsv);
    ResetLists(state, port, controls);
    if (IsNetwork(state)) {
        state.ListBox2.clear();
        ListUserDirectories(state);
        port.ListChanged(ListId::ListBox2);
        ShowDirectoryCount(state, port);
    } else {
        ShowFileCount(state, port);
    }
    port.SetCountLabel(CountLabel::LblNumSelFiles, std::string(controls.noneSelected));
    port.ShowList(ListId::FileListBox1, controls.FileListBox1.state.visible);
    port.ShowList(ListId::ListBox1, controls.ListBox1.state.visible);
    port.ShowList(ListId::ListBox2, controls.ListBox2.state.visible);
    port.ShowList(ListId::ListBox3, controls.ListBox3.state.visible);
    port.ShowAbort(controls.AbortButton.state.visible);
}

void NewLists(AppState& state, WindowPort& port) {
    ResetLists(state, port,
               ModeControlsFor(kNormalMode, state.busy, state.sortOn, state.exportCsv));
    port.ShowList(ListId::ListBox1, true);
    port.ShowList(ListId::ListBox2, false);
    port.ShowList(ListId::ListBox3, false);
    ShowFileCount(state, port);
    port.SetCountLabel(CountLabel::LblNumSelFiles, "No Files Selected");
    port.SetStatus(StatusLine::LabelInfoMsg1, "File:");
    port.SetStatus(StatusLine::LabelInfoMsg2, "");
    port.SetStatus(StatusLine::LabelInfoMsg3, "");
    port.ShowAbort(false);
    port.ShowMeter(Meter::ProgressBarF, false);
    port.ShowMeter(Meter::ProgressBarM, false);
    port.ShowMeter(Meter::ProgressBar1, false);
}

void PointFileList(AppState& state, WindowPort& port) {
    state.fileListDirectory = state.currentDirectory;
    state.RereadFileList();
    port.ListChanged(ListId::FileListBox1);
}

void ShowDirectoryLists(AppState& state, WindowPort& port) {
    port.SetStatus(StatusLine::LabelInfoMsg1, "Path=" + state.currentDirectory);
    port.SetCountLabel(CountLabel::LblNumSelFiles, "No Files Selected");
    port.ShowList(ListId::FileListBox1, true);
    ShowFileCount(state, port);
    if (IsNetwork(state)) {
        port.ShowList(ListId::FileListBox1, false);
        port.ShowList(ListId::ListBox2, true);
        state.ListBox2.clear();
        ListUserDirectories(state);
        port.ListChanged(ListId::ListBox2);
        ShowDirectoryCount(state, port);
    }
}

void BtnMoveFileClick(AppState& state, WindowPort& port, const std::vector<int>& selected) {
    const bool network = IsNetwork(state);
    const std::vector<std::string>& available = network ? state.ListBox2 : state.FileListBox1;
    const std::string& directory = network ? state.currentDirectory : state.fileListDirectory;
    const SelectedList chosen = SelectedOf(state);
    for (int i : selected) {
        if (i < 0 || i >= static_cast<int>(available.size()))
            continue;
        std::string path = platform::JoinPath(directory, available[static_cast<std::size_t>(i)]);
        if (!chosen.list.Contains(path))
            chosen.list.Add(std::move(path));
    }
    port.ListChanged(chosen.id);
    port.SetCountLabel(CountLabel::LblNumSelFiles, Format(chosen.countFormat, chosen.list.Count()));
}

void BtnMoveAllFilesClick(AppState& state, WindowPort& port) {
    const std::size_t n = IsNetwork(state) ? state.ListBox2.size() : state.FileListBox1.size();
    std::vector<int> all(n);
    for (std::size_t i = 0; i < n; ++i)
        all[i] = static_cast<int>(i);
    BtnMoveFileClick(state, port, all);
}

void BtnUnMoveFile2Click(AppState& state, WindowPort& port) {
    const SelectedList chosen = SelectedOf(state);
    SortedList& list = chosen.list;
    if (list.highlighted >= 0 && list.highlighted < list.Count()) {
        list.RemoveAt(list.highlighted);  // the highlight goes with it
        port.ListChanged(chosen.id);
    }
    port.SetCountLabel(CountLabel::LblNumSelFiles, Format(chosen.countFormat, list.Count()));
}

void BtnUnMoveAllFilesClick(AppState& state, WindowPort& port) {
    const SelectedList chosen = SelectedOf(state);
    chosen.list.Clear();
    port.ListChanged(chosen.id);
    port.SetCountLabel(CountLabel::LblNumSelFiles, chosen.noneText);
}

void NoteHighlight(AppState& state, ListId list, int row) {
    if (list == ListId::ListBox1)
        state.ListBox1.highlighted = row;
    else if (list == ListId::ListBox3)
        state.ListBox3.highlighted = row;
}

void FileListBox1Click(AppState& state, WindowPort& port, const std::vector<int>& selected) {
    if (IsNetwork(state))
        return;
    const char* extension = state.mode == kNormalMode ? ".PMM" : ".BKM";
    for (int i : selected) {
        if (i < 0 || i >= static_cast<int>(state.FileListBox1.size()))
            continue;
        const std::string path =
            ReplaceExtension(platform::JoinPath(state.fileListDirectory,
                                                state.FileListBox1[static_cast<std::size_t>(i)]),
                             extension);
        // A file shorter than the header reads as the header padded with
        // zero bytes: an empty name and zero counts.
        const auto header = ReadHeaderOf(path);
        if (!header) {
            port.MessageDialog(WithSystemReason(Format("Cannot Open File: %s", path.c_str())),
                               "File Error", Icon::Stop, Buttons::Ok);
            return;
        }
        const std::string name(header->name());
        const std::string id(header->id());
        port.SetStatus(StatusLine::LabelInfoMsg1,
                       Format("File:%s, Name:%s", path.c_str(), name.c_str()), true);
        port.SetStatus(
            StatusLine::LabelInfoMsg2,
            Format("     Unread:%d, deleted:%d, deleted space:%ld, ID:%s", header->unread(),
                   header->deleted(), static_cast<long>(header->delsize()), id.c_str()),
            true);
    }
}

}  // namespace kestrove
