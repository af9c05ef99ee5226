#pragma once
// What a command over a list did, for front ends that report it other than
// on the screen: the command-line tool prints the summary and turns the
// counts into its exit status. The window ignores it; it shows the summary
// the command set in LabelInfoMsg1.

#include <string>
#include <utility>
#include <vector>

namespace kestrove {

struct CommandResult {
    // Went through its whole list and set its summary. False when it ended
    // early: an empty list, a Cancel, Abort, or a failure that ends it.
    bool completed = false;
    int entries = 0;      // entries of the list (at the end)
    int done = 0;         // entries with nothing left to do (see each command)
    std::string summary;  // the summary set at the end; empty when it ended early
    // The run: the folders it went through that kept look-alikes, with how
    // many each kept, in the order of the list.
    std::vector<std::pair<std::string, int>> lookAlikes;

    bool AllDone() const { return completed && done == entries; }
};

// The network run: the run of each user directory, in order, as far as the
// network run went.
struct NetworkRunResult {
    bool completed = false;  // every selected directory had its run (no Abort)
    int entriesSkipped = 0;  // "*.pmi" entries that are no folder (see ListUserFolders)
    std::vector<std::pair<std::string, CommandResult>> directories;
};

}  // namespace kestrove
