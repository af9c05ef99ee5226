#pragma once
// The commands of kestrove-cli: each fills the shared state from the
// options, calls the engine's command through the terminal port, prints
// what the command reports and returns the exit status.

#include <optional>
#include <string>
#include <string_view>

#include "cli/Options.h"

namespace kestrove::cli {

int RunCommand(const Options& options);

// A command-line path as a Windows path text, or empty with `error` set.
// Windows path texts ("D:\MAIL", "d:/mail") are taken as they are (without
// trailing separators); native paths go through the drive map, and on POSIX
// a free drive letter is mapped to "/" when no drive covers the path.
std::optional<std::string> PathText(const std::string& argument, std::string& error);

}  // namespace kestrove::cli
