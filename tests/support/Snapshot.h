#pragma once
// A record of everything below a directory, so that a test can tell that
// nothing there was created, changed or removed. No GoogleTest here: the
// window tests use it too.

#include <filesystem>
#include <map>
#include <string>

namespace kestrove::testing {

// Every entry below `root` by its relative name: a regular file's bytes, a
// link's text, or what else it is; with `modes` each also with its
// permission bits. Pipes are never opened, links never followed.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root, bool modes = false);

}  // namespace kestrove::testing
