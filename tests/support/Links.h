#pragma once
// What the tests of links need: links made as a user makes them, and a
// record of everything below a directory, so that a test can tell that
// nothing there was created, changed or removed. No GoogleTest here: the
// window tests use it too.

#include <filesystem>
#include <map>
#include <string>

namespace kestrove::testing {

// Makes `link` a symbolic link holding `target` (a path relative to the
// link's directory, with "/" between components), as `ln -s` does; a link
// to a directory when `directory`. False where this system cannot make one:
// Windows without the right to, or Wine, whose own call makes nothing (there
// the link is made by the Unix `ln` itself).
bool MakeLink(const std::string& target, const std::filesystem::path& link, bool directory = false);

// Every entry below `root` by its relative name: a regular file's bytes, a
// link's text, or what else it is; with `modes` each also with its
// permission bits. Pipes are never opened, links never followed.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root, bool modes = false);

}  // namespace kestrove::testing
