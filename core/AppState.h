#pragma once
// The state the main window owns and every command shares.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/IndexRecord.h"
#include "core/LookAlikes.h"
#include "core/RunLog.h"
#include "core/Settings.h"
#include "core/WindowPort.h"
#include "platform/File.h"

namespace kestrove {

// RGMode1's items.
enum Mode : int { kNormalMode = 0, kBackupMode = 1, kNetworkMode = 2 };

// A list box that keeps its entries sorted (without regard to letter case,
// as the platform's sorted list boxes do; entries equal but for case stay in
// the order they were added). Adding does not test for an existing entry.
class SortedList {
  public:
    int Add(std::string entry);  // returns the entry's index
    void RemoveAt(int index);
    void Clear();
    int IndexOf(std::string_view entry) const;  // exact match, letter case included; -1
    bool Contains(std::string_view entry) const { return IndexOf(entry) >= 0; }
    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    const std::string& operator[](int i) const { return entries_[static_cast<std::size_t>(i)]; }
    const std::vector<std::string>& entries() const { return entries_; }

    int highlighted = -1;  // the selected entry, -1 for none

  private:
    std::vector<std::string> entries_;
};

// One folder's counts, made by the duplicate scan.
struct IndexCounts {
    std::int32_t messages = 0;
    std::int32_t read = 0;
    std::int32_t deleted = 0;
    std::int32_t dupes = 0;  // records whose text is the one above's, byte for byte
    std::int32_t unread = 0;
    std::int32_t lookalikes = 0;  // kept: the fields of the one above, another text
};

struct AppState {
    int mode = kNormalMode;  // RGMode1's item index; 2 or more is Network Mode

    // The available and selected lists (Windows path texts).
    std::string fileListDirectory;          // FileListBox1's directory
    std::string fileListMask = "*.pmi";     // "*.pmi" or "*.bki"
    std::vector<std::string> FileListBox1;  // bare names, as the search found them
    std::vector<std::string> ListBox2;      // Network Mode: bare user directory names
    SortedList ListBox1;                    // full paths of (backup) index files
    SortedList ListBox3;                    // full paths of user directories
    std::string currentDirectory;           // DirectoryListBox1's directory
    char currentDrive = 'C';

    bool sortOn = true;     // the sort switch ("Sort ON " / "Sort OFF")
    bool exportCsv = true;  // the export format switch (CSV / TAB)

    Settings settings;
    std::string settingsFile;  // the INI beside the executable
    RunLog runLog;
    bool AbortRequested = false;
    // True while a long command runs; the window disables the others.
    bool busy = false;

    // The one table and the duplicate scan's results for the folder in hand.
    MessageTable table;
    std::vector<std::uint8_t> DropMarks = std::vector<std::uint8_t>(MAXMSG, 0);
    IndexCounts counts;
    std::vector<LookAlike> lookAlikes;  // in table order
    std::string lookAlikeReason;        // the system's, when a text could not be read
    // The folder's index and message file as they were when LoadIndex began
    // to read the index: the rewrite renames nothing when either has been
    // changed since. Empty where a file could not be looked at.
    std::optional<platform::FileStamp> loadedIndex, loadedMessageFile;

    // The current index and message file names left by the last run, view or
    // export.
    std::string currentIndexFile;
    std::string currentMessageFile;

    // Re-reads FileListBox1 from its directory and mask: files only, and
    // only names that are one path component (platform::IsPlainName).
    void RereadFileList();
};

// The entries of one of the four lists, and its highlighted entry (-1 for
// none; the available lists keep no highlight of their own).
const std::vector<std::string>& EntriesOf(const AppState& state, ListId list);
int HighlightOf(const AppState& state, ListId list);

}  // namespace kestrove
