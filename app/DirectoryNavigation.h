#pragma once
// Drives and directories of the main window: which drives the drive list
// offers, which drive a click enters, the directory the window starts in,
// the tree's directory texts and children, and what entering a directory
// does to the lists, the settings file and the status line. The windows only
// draw the tree and the lists these give.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/AppState.h"
#include "core/Settings.h"
#include "core/WindowPort.h"

namespace kestrove {

// The drive list's entries are RebuildDriveList's (Settings.h).

// The drive letter DriveComboBox1Change enters: the first character of the
// chosen drive list entry, or with none chosen the current letter; an empty
// entry (a character below "A") gives "C". Also made the current letter.
char ChooseDrive(AppState& state, std::optional<std::string_view> chosenEntry);

// "X:\" for a drive letter.
std::string DriveRoot(char letter);
// Whether a drive can be entered: a letter A to Z (either case) whose root
// exists now.
bool DriveReady(char letter);
// The box for a drive that cannot be entered (no medium, not mapped).
std::string DriveNotReadyText(char letter);

// A directory of the tree below `parent`: one backslash between, none added
// when the parent already ends in one (a drive's root).
std::string ChildDirectory(std::string_view parent, std::string_view name);
// The subdirectories of a directory ("." and ".." left out, and links to
// directories: the tree and the user directories never lead through one),
// in the order of a sorted list box. Read from the disk at every call, so a
// directory made since the last look is there.
std::vector<std::string> Subdirectories(const std::string& directory);
// A directory's text as the tree shows it: the drive letter in capitals, the
// components as the disk spells them, joined by ChildDirectory. Empty when
// the drive or a component does not exist.
std::string CanonicalDirectory(std::string_view path);
// The components after "X:\" of a canonical directory.
std::vector<std::string> DirectoryComponents(std::string_view path);

// The drives of Move's directory chooser: "X:" for every drive whose root
// exists now.
std::vector<std::string> ReadyDrives();
// Where that chooser opens: `start` when it exists, else the root of the
// first ready drive; empty when there is none.
std::string ChooserStartDirectory(const std::string& start);

// Where the main window starts: the saved directory ([Startup] Path) when
// its drive and directory exist, else "C:\" on drive C, without a message.
struct StartDirectory {
    char drive = 'C';
    std::string directory;  // canonical when it exists
};
StartDirectory ChooseStartDirectory(const IniFile& ini);

// The rest of DriveComboBox1Change once the tree is in `directory`: the file
// list follows it with the mode's mask, the directory is saved under
// [Startup] Path, then "Path=", the counts, and in Network Mode the user
// directories in place of the files. A refused write is reported in a box
// ("Unable to write to %s", as the program's standard error box: title
// "Kestrove", stop icon, OK) and the rest does not run; false then.
bool EnterDirectory(AppState& state, WindowPort& port, const std::string& directory);

}  // namespace kestrove
