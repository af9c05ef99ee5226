#pragma once
// What a file of a mail directory is, told by the extension of its name in
// any letter case, and which of them each command takes: the run an index
// file, the backup commands a backup index file, the viewer, the export and
// the statistics either of the two. A file of the wrong kind would be read as
// something it is not, or would lose its partner or itself to a rename.

#include <string>
#include <string_view>

namespace kestrove {

enum class FileKind {
    Index,          // NAME.PMI
    Message,        // NAME.PMM
    BackupIndex,    // NAME.BKI
    BackupMessage,  // NAME.BKM
    Other,
};

FileKind KindOfName(std::string_view path);

// One of the four files of a folder and its backup.
bool IsFolderFile(std::string_view path);

// What the commands take.
bool RunTakes(std::string_view path);     // an index file
bool BackupTakes(std::string_view path);  // a backup index file
bool ReportTakes(std::string_view path);  // an index or backup index file

// The boxes' texts for an entry of the wrong kind.
std::string NotAnIndexText(std::string_view path);
std::string NotABackupIndexText(std::string_view path);
std::string NotAnyIndexText(std::string_view path);

}  // namespace kestrove
