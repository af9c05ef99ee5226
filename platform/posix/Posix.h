#pragma once
// Helpers shared by the POSIX implementation of the platform layer.

#include <string>
#include <string_view>

namespace kestrove::platform::posix {

// Names on disk are compared without regard to the case of ASCII letters.
// Other bytes are compared as they are: the machine's names are usually
// UTF-8, where folding single bytes would be wrong.
bool SameNameNoCase(std::string_view a, std::string_view b);

// $HOME, else the home directory of the user's account, else "/".
std::string HomeDirectory();
// The Windows path text of a native absolute path: through the drive that
// covers it, else "Z:" and the path with backslashes, the name Wine gives it.
std::string WindowsTextOf(const std::string& native);

// Sets LastErrorText() from errno; returns false for convenience.
bool FailWithErrno(int error);
// Sets LastErrorText() for a file that is not a regular one (a directory,
// pipe, device or socket), from its st_mode; returns false.
bool FailNotRegular(unsigned mode);
// Sets LastErrorText() for a link that is not followed; returns false.
bool FailLink();
// For an open without following links that failed with `error`: names a
// link at `native` as such. Returns false.
bool FailNoFollowOpen(const std::string& native, int error);
// Sets LastErrorText() for a path without a mapped drive; returns false.
bool FailNoDrive();

}  // namespace kestrove::platform::posix
