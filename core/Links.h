#pragma once
// Links among the files a command uses. A user controls what lies in their
// own mail directory, and an administrator's run reaches every user's: a
// link there must lead the run nowhere, and the user's link stays as it is.
// The platform layer never creates, reads or changes a file through a link;
// these say so before a command starts on a folder.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove {

// "%s is a link - skipping file."
std::string IsALinkText(std::string_view path);

// The box text for the first of `paths` that is a link, or none.
std::optional<std::string> LinkAmong(const std::vector<std::string>& paths);

// LinkAmong, shown as a box ("File Link Error") and logged. True when none
// is a link; false when the entry is to be skipped with nothing touched.
bool NoLinks(AppState& state, WindowPort& port, const std::vector<std::string>& paths);

}  // namespace kestrove
