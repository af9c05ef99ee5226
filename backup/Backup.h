#pragma once
// The three commands of Backup Mode over the backup pairs a run leaves
// behind: put them back, delete them, move them to another directory.

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove {

// Restores every backup pair in ListBox1 in place of its folder's files.
// A pair with a missing half is reported and skipped before anything of its
// folder is deleted.
void RestoreButtonClick(AppState& state, WindowPort& port);

// Deletes every backup pair in ListBox1.
void DeleteButtonClick(AppState& state, WindowPort& port);

// Moves every backup pair in ListBox1 into the directory chosen in MoveDlg
// (port.ChooseDirectory, starting in the file list's directory). A cancelled
// chooser ends the command with nothing changed.
void MoveButtonClick(AppState& state, WindowPort& port);

}  // namespace kestrove
