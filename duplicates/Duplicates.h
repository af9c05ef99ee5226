#pragma once
// Duplicate removal: loading and scanning one folder's index, rewriting the
// folder without its duplicate and deleted messages, the run over the
// selected list and the network run over users' mail directories.
//
// Every function works on the shared state and shows what it has to show
// through the window port; none of them throws.

#include <string>
#include <string_view>
#include <vector>

#include "core/AppState.h"
#include "core/CommandResult.h"
#include "core/WindowPort.h"

namespace kestrove {

// What became of one folder.
enum class FolderOutcome {
    Rewritten,  // a complete new pair is in place, the old one is the backup pair
    Unchanged,  // nothing to drop: the folder's files were left alone
    Skipped,    // the folder's own files are as they were; go on with the next
    RunEnds,    // the run ends here (the folder's own files are as they were)
};

// Reads the index file into the one table. False when the run ends (the
// file cannot be opened, or it holds MAXMSG records or more); the box has
// been shown and no file has been changed.
bool LoadIndex(AppState& state, WindowPort& port, const std::string& indexPath, int position);

// Sorts the loaded table when the sort switch is on, and fills DropMarks and
// the counts. A record whose fields repeat the record above is marked only
// when its text in the folder's message file is that record's text byte for
// byte; otherwise it is a look-alike, kept, counted and logged (lookAlikes).
// Cannot fail: a text that cannot be compared counts as another text.
void FindDuplicates(AppState& state, WindowPort& port, const std::string& indexPath);

// Turns the folder's pair into its backup pair and writes a new pair without
// the records marked in DropMarks.
FolderOutcome RewriteFolder(AppState& state, WindowPort& port, const std::string& indexPath,
                            int position);

// The run takes index files (NAME.PMI) only: true, or false after the box
// and the log line that skip the entry.
bool RunTakesEntry(AppState& state, WindowPort& port, const std::string& path);

// The run over ListBox1 (the Run button). Done are the folders rewritten
// and those with nothing to drop.
CommandResult RunDeleteDupes1Click(AppState& state, WindowPort& port);
// The Abort button.
void Stop(AppState& state, WindowPort& port);
// "Save Log File": asks for the file, then opens it as the run log; nothing
// while another command runs.
void SaveLogFile1Click(AppState& state, WindowPort& port);
// The same with the file already chosen. A file of a mail folder, by its
// name or as one of the selected folders' files, is refused with a box.
void OpenRunLog(AppState& state, WindowPort& port, const std::string& fileName);
// The log's name from the save dialog: ".log" added to a name without an
// extension when the "Log Files" filter (the first) was chosen.
std::string LogFileName(const std::string& typed, int filter);
// The folders of one user directory as the network run lists them: the
// entries "*.pmi" that are regular files under plain names, as paths. Every
// other entry (a link, a directory, pipe, a name holding a separator) is
// left out, with the text that says so in `skipped`.
struct UserFolders {
    std::vector<std::string> paths;
    std::vector<std::string> skipped;
};
UserFolders ListUserFolders(const std::string& directory);
// The network run over the user directories in ListBox3.
NetworkRunResult RunNetButtonClick(AppState& state, WindowPort& port);

// The names under which a rewrite writes the new pair before it renames them
// to the folder's own names; they lie beside the folder's files.
std::string NewIndexTempName(std::string_view indexPath);
std::string NewMessageTempName(std::string_view indexPath);

// Clears up after a rewrite that was killed: a new pair that was complete and
// half renamed into place is finished; other temporaries are removed when
// they are recognisably the rewrite's own, else left (the rewrite then skips
// the folder rather than empty them). What it does goes to `log`. Called by
// the run before it loads a folder.
void RecoverInterruptedRewrite(const std::string& indexPath, RunLog& log);

}  // namespace kestrove
