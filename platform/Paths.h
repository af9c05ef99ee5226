#pragma once
// Windows path texts and the drive map.
//
// The engine speaks Windows paths ("D:\MAIL\INBOX.PMI") everywhere. Only the
// platform layer turns such a text into a file of the machine it runs on. On
// Windows the text is the path. On POSIX each drive letter stands for a
// directory, both separators are accepted, and every existing component is
// matched without regard to case, as Windows does.

#include <optional>
#include <string>
#include <string_view>

namespace kestrove::platform {

// POSIX only: the directory a drive letter stands for. Without a call to
// SetDriveRoot/ClearDriveMap the map is the default one: the links x: in
// ~/.wine/dosdevices when that folder exists, else C: = $HOME and Z: = "/".
// Tests set their own map; the program reads no environment variable for
// it beyond the home directory. On Windows these calls are ignored.
// An empty `nativeDirectory` leaves the letter unmapped.
void SetDriveRoot(char letter, std::string nativeDirectory);
void ClearDriveMap();       // no drive mapped at all (tests start from here)
void UseDefaultDriveMap();  // forget test settings, use the default map again
std::optional<std::string> DriveRoot(char letter);  // POSIX: mapped directory

// Resolves a Windows path text to a native path. Components that exist are
// matched without regard to case; components that do not exist are kept as
// written (so a new file gets its name as written). Empty when the text has
// no mapped drive letter. On POSIX: case is folded for ASCII letters only
// (the machine's names are usually UTF-8); of several names equal but for
// case the exact one wins, else the smallest; "." and ".." are applied to
// the text, never above the drive's root.
std::optional<std::string> ToNative(std::string_view windowsPath);

// The Windows path text of a native path, through the drive whose root is
// the longest prefix of it. Empty when no drive covers it, or (POSIX) when a
// component holds a backslash, which the text would turn into a separator.
// On Windows the path itself, made absolute.
std::optional<std::string> FromNative(std::string_view nativePath);

// A name found on disk is one path component. On POSIX a file may be called
// "x\..\bob\INBOX.PMI"; joined into a path text its backslashes would
// become separators and reach another directory. False for such names (and
// the empty one): they are never joined.
bool IsPlainName(std::string_view name);

// FromNative, but when no drive covers the path a free letter (Z: first,
// down to D:) is first made to stand for "/", as Wine's own Z: does. Empty
// only when no letter is free. On Windows FromNative itself.
std::optional<std::string> FromNativeMappingRoot(std::string_view nativePath);

// Helpers on path texts; they never touch the disk.
bool IsSeparator(char c);                               // '\\' or '/'
std::string_view FileNamePart(std::string_view path);   // after the last separator
std::string_view DirectoryPart(std::string_view path);  // before the last separator
// Joins the way the program always does: directory, one backslash, name,
// without looking at whether the directory already ends in a separator.
std::string JoinPath(std::string_view directory, std::string_view name);

// The wildcard match of FindFiles: '*' any run of characters, '?' any one,
// letters without regard to case (ASCII), and "*.*" every name, with or
// without a dot. Strict: "*.pmi" does not take "NOTES.PMIX", which Windows
// reports through the file's short name; FindFiles drops such names.
bool MatchesMask(std::string_view mask, std::string_view name);

}  // namespace kestrove::platform
