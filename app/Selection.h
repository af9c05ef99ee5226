#pragma once
// Choosing what the commands work through: the mode switches' lists and
// labels, the moves between the available and the selected lists, and the
// header summary of a clicked folder. The window passes which entries of an
// available list are selected; everything else is in the state.

#include <vector>

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove {

// The lists, mask and labels of a mode (0 Normal, 1 Backup, 2 Network):
// sets the mask and re-reads the file list, empties the selected lists (and
// in Network Mode fills the user directories), and sets the count labels.
void ApplyModeLists(AppState& state, WindowPort& port, int mode);

// The New command's share of the lists: Normal Mode's mask, the selected
// lists emptied, the labels and status lines reset.
void NewLists(AppState& state, WindowPort& port);

// The file list follows the tree's directory (state.currentDirectory) and is
// read again.
void PointFileList(AppState& state, WindowPort& port);
// After the new directory was saved: "Path=", the counts, and in Network Mode
// the user directories in place of the files.
void ShowDirectoryLists(AppState& state, WindowPort& port);

// Fills ListBox2 with the bare names of the current directory's
// subdirectories (Subdirectories: no links), sorted. The caller empties it.
void ListUserDirectories(AppState& state);

// ">" (and a click on ListBox2, a double click on FileListBox1): adds the
// selected available entries to the selected list, each once.
void BtnMoveFileClick(AppState& state, WindowPort& port, const std::vector<int>& selected);
// ">>": every available entry.
void BtnMoveAllFilesClick(AppState& state, WindowPort& port);
// "<": removes the highlighted selected entry.
void BtnUnMoveFile2Click(AppState& state, WindowPort& port);
// "<<": empties the selected list.
void BtnUnMoveAllFilesClick(AppState& state, WindowPort& port);

// A click on FileListBox1: the header summary of each selected file's
// message file (".PMM" or, in Backup Mode, ".BKM").
void FileListBox1Click(AppState& state, WindowPort& port, const std::vector<int>& selected);

}  // namespace kestrove
