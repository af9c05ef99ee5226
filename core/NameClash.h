#pragma once
// Letter-case clashes among a folder's file names. Windows names one file
// without regard to case; a POSIX directory can hold INBOX.PMM beside
// inbox.pmm. A command that renamed or removed files there could take the
// wrong one, or find its own name taken when it puts a file back.

#include <optional>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove {

// The clash among `paths`, the names a command will use or remove for the
// folder of `reference` (its index or backup index file, one of `paths`):
// a name to which two files answer, or one file of another folder (another
// base name than the reference's file on disk, POSIX only). The box text, or
// empty when there is none.
std::optional<std::string> LetterCaseClash(const std::string& reference,
                                           const std::vector<std::string>& paths);

// Every name in `paths` names this folder's file alone: none is a link
// (NoLinks, Links.h), then LetterCaseClash, shown as a box and logged. True
// when all are clear; false when the folder is to be skipped with nothing
// touched.
bool NamesClear(AppState& state, WindowPort& port, const std::string& reference,
                const std::vector<std::string>& paths);

}  // namespace kestrove
