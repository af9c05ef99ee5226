#include "cli/Commands.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string_view>
#include <vector>

#include "backup/Backup.h"
#include "cli/Console.h"
#include "cli/TerminalPort.h"
#include "core/AppState.h"
#include "core/CommandChecks.h"
#include "core/FileKinds.h"
#include "core/Format.h"
#include "core/LookAlikes.h"
#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "reports/Export.h"
#include "reports/FolderNames.h"
#include "reports/IndexViewer.h"
#include "reports/Stats.h"

namespace kestrove::cli {

namespace {

#ifndef _WIN32
bool IsWindowsPathText(std::string_view text) {
    return text.size() >= 2 && text[1] == ':' &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
           (text.size() == 2 || platform::IsSeparator(text[2]));
}
#endif

// A native path whose names hold a backslash: the engine's path texts would
// take it for a separator and reach another directory (x\..\..\bob).
bool HoldsBackslashName(std::string_view argument) {
#ifdef _WIN32
    (void)argument;
    return false;
#else
    return !IsWindowsPathText(argument) && argument.find('\\') != std::string_view::npos;
#endif
}

// Separators at the end go, but "D:\" keeps its own.
std::string WithoutTrailingSeparators(std::string text) {
    while (text.size() > 3 && platform::IsSeparator(text.back()))
        text.pop_back();
    return text;
}

void PrintLine(std::string_view text) {
    WriteOut(std::string(text) + "\n");
}

// Why `path` cannot be the directory a command works in, or empty.
std::string NotADirectory(const std::string& path) {
    if (platform::DirectoryExists(path))
        return {};
    if (platform::FileExists(path))
        return path + " is not a directory";
    return "no such directory: " + path;
}

// One command's run through the engine: the state, the port and the
// arguments turned into path texts.
class Session {
  public:
    Session(const Options& options, bool longCommand)
        : options_(options),
          state_(std::make_unique<AppState>()),
          port_(*state_, Answers(options), longCommand && StderrIsTerminal()) {}

    AppState& state() { return *state_; }
    TerminalPort& port() { return port_; }

    // The operands as path texts, each file once, in the order given: a
    // file named twice (another spelling, letter case or link) would be
    // rewritten, restored or counted twice. False after a usage message. A
    // file whose name holds a backslash is skipped with a message
    // (SkippedSome).
    bool Operands(std::vector<std::string>& texts) {
        std::set<std::string> seen;
        std::map<platform::FileIdentity, std::string> files;
        for (const std::string& operand : options_.operands) {
            if (HoldsBackslashName(operand)) {
                WriteErr("kestrove-cli: " + ForConsole(operand) +
                         ": a name holding a backslash - skipping file.\n");
                skippedSome_ = true;
                continue;
            }
            std::string error;
            std::optional<std::string> text = PathText(operand, error);
            if (!text) {
                Usage(error);
                return false;
            }
            if (!seen.insert(*text).second)
                continue;
            if (std::optional<platform::FileIdentity> file = platform::IdentityOf(*text)) {
                auto [at, added] = files.emplace(*file, *text);
                if (!added) {
                    Usage(*text + " is the same file as " + at->second + " - taken once.");
                    continue;
                }
            }
            texts.push_back(*text);
        }
        return true;
    }

    bool SkippedSome() const { return skippedSome_; }

    bool PathOption(const std::string& value, std::string& text) {
        std::string error;
        std::optional<std::string> converted = PathText(value, error);
        if (!converted) {
            Usage(error);
            return false;
        }
        text = *converted;
        return true;
    }

    void Usage(const std::string& message) {
        WriteErr("kestrove-cli: " + ForConsole(message) + "\n");
    }

    // Opens --log as "Save Log File" does. Empty when it is open or not
    // asked for; else the exit status: a usage error for a path that is not
    // one, ended early when the engine could not open it (it has shown why).
    std::optional<int> OpenLog() {
        if (!options_.log)
            return std::nullopt;
        std::string text;
        if (!PathOption(*options_.log, text))
            return kExitUsage;
        OpenRunLog(*state_, port_, text);
        if (!state_->runLog.IsOpen())
            return kExitEndedEarly;
        return std::nullopt;
    }

    // The lock-file test over several directories. True to go on; the
    // engine's own test of the one current directory would then ask again,
    // so it is switched off as "No, Never Check" does.
    bool LockCheckPassed(const std::vector<std::string>& directories) {
        if (!options_.noLockCheck && !NoLockOrGoOn(directories))
            return false;
        state_->settings.RunCheck = LockCheck::Never;
        return true;
    }

  private:
    static AnswerMode Answers(const Options& options) {
        if (options.yes)
            return AnswerMode::GoOn;
        return CanAsk() ? AnswerMode::Terminal : AnswerMode::Safe;
    }

    // One question covers all the directories where a lock file was found.
    bool NoLockOrGoOn(const std::vector<std::string>& directories) {
        std::set<std::string> seen;
        std::vector<std::string> locked;
        for (const std::string& directory : directories) {
            if (seen.insert(directory).second && MailboxInUse(directory))
                locked.push_back(directory);
        }
        if (locked.empty())
            return true;
        for (const std::string& directory : locked)
            WriteErr("kestrove-cli: lock file in " + ForConsole(directory) + "\n");
        return MailboxActiveConfirmed(port_);
    }

    const Options& options_;
    std::unique_ptr<AppState> state_;  // the table is large: not on the stack
    TerminalPort port_;
    bool skippedSome_ = false;
};

int StatusOf(const CommandResult& result) {
    if (!result.completed)
        return kExitEndedEarly;
    return result.done == result.entries ? kExitAllDone : kExitSomeNotDone;
}

// The end of a command over a list: the progress line taken away, the
// summary printed when the command went through its list, the exit status.
int Reported(Session& session, const CommandResult& result) {
    session.port().ClearProgress();
    if (result.completed)
        PrintLine(result.summary);
    return StatusOf(result);
}

void SelectAll(SortedList& list, const std::vector<std::string>& entries) {
    for (const std::string& entry : entries)
        list.Add(entry);
}

// The directory of each path of the list, in order.
std::vector<std::string> DirectoriesOf(const SortedList& list) {
    std::vector<std::string> directories;
    for (const std::string& path : list.entries())
        directories.emplace_back(platform::DirectoryPart(path));
    return directories;
}

// Appends a grid's rows as lines of cells separated by tabs, the mail texts
// converted for the console; what has gathered is written out every 64 KiB.
template <typename CellText>
void AppendGrid(std::string& out, int rows, int columns, CellText cellText) {
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (column > 0)
                out += '\t';
            out += MailTextForConsole(cellText(row, column));
        }
        out += '\n';
        if (out.size() > 1 << 16) {
            WriteOut(out);
            out.clear();
        }
    }
}

void ApplyRunOptions(const Options& options, AppState& state) {
    state.sortOn = !options.noSort;
    state.settings.MismatchedUnread = ChoiceAt<OnMismatch>(options.unreadMismatch);
    state.settings.MismatchedDeleted = ChoiceAt<OnMismatch>(options.deletedMismatch);
    state.settings.BackupFiles = ChoiceAt<OnBackupExists>(options.existingBackup);
}

// --dry-run -----------------------------------------------------------------

std::string MismatchChoice(int value) {
    return std::string(kMismatchChoices[static_cast<std::size_t>(value)]);
}

// The place in the index file of each slot of the scanned table: the table
// may have been sorted. Records equal in all their bytes are told apart by
// order alone.
std::vector<int> FilePositions(const std::vector<IndexRecord>& fileOrder, const MessageTable& table,
                               bool sorted) {
    std::vector<int> positions(static_cast<std::size_t>(table.count));
    if (!sorted) {
        for (int i = 0; i < table.count; ++i)
            positions[static_cast<std::size_t>(i)] = i;
        return positions;
    }
    auto key = [](const IndexRecord& r) {
        return std::string_view(reinterpret_cast<const char*>(r.bytes.data()), r.bytes.size());
    };
    std::map<std::string_view, std::vector<int>> byBytes;
    for (int i = static_cast<int>(fileOrder.size()) - 1; i >= 0; --i)
        byBytes[key(fileOrder[static_cast<std::size_t>(i)])].push_back(i);
    for (int i = 0; i < table.count; ++i) {
        std::vector<int>& places = byBytes[key(table[i])];
        positions[static_cast<std::size_t>(i)] = places.back();
        places.pop_back();
    }
    return positions;
}

std::string Quoted(std::string_view text) {
    std::string quoted(1, '"');
    quoted += MailTextForConsole(text);
    quoted += '"';
    return quoted;
}

// "1 look-alike", "2 look-alikes".
std::string LookAlikesText(int n) {
    return Format("%d look-alike%s", n, n == 1 ? "" : "s");
}

// The folders of a run that kept look-alikes, each with how many.
void PrintLookAlikes(const CommandResult& result) {
    for (const auto& [path, n] : result.lookAlikes)
        PrintLine(ForConsole(path) + ": " + LookAlikesText(n) + " kept.");
}

enum class DryRunFolder { Scanned, Skipped, RunEnds };

// Loads and scans one folder as the run does and prints what the run would
// find; changes no file.
DryRunFolder DryRunOne(const Options& options, AppState& state, TerminalPort& port,
                       const std::string& indexPath, int position, int& withDrops) {
    if (!RunTakesEntry(state, port, indexPath))
        return DryRunFolder::Skipped;
    if (!LoadIndex(state, port, indexPath, position))
        return DryRunFolder::RunEnds;
    const std::vector<IndexRecord> fileOrder(state.table.begin(), state.table.end());
    FindDuplicates(state, port, indexPath);
    const IndexCounts& counts = state.counts;
    const std::vector<int> places = FilePositions(fileOrder, state.table, state.sortOn);

    port.ClearProgress();
    std::string out =
        Format("%s: msg:%d read:%d deleted:%d dupes:%d unread:%d\n", ForConsole(indexPath).c_str(),
               counts.messages, counts.read, counts.deleted, counts.dupes, counts.unread);
    const std::string messagePath = MessageFileName(indexPath);
    std::optional<MessageFileHeader> header = ReadHeaderOf(messagePath);
    if (header) {
        out += Format("  PMM: Unread:%d deleted:%d delsize:%ld\n", header->unread(),
                      header->deleted(), static_cast<long>(header->delsize()));
        if (header->unread() != counts.unread)
            out +=
                Format("  UNREAD PMI=%d PMM=%d Mismatch! (--unread-mismatch %s)\n", counts.unread,
                       header->unread(), MismatchChoice(options.unreadMismatch).c_str());
        if (header->deleted() != counts.deleted)
            out += Format("  DELETED PMI=%d PMM=%d Mismatch! (--deleted-mismatch %s)\n",
                          counts.deleted, header->deleted(),
                          MismatchChoice(options.deletedMismatch).c_str());
    } else {
        out += "  PMM: cannot open " + ForConsole(messagePath) + "\n";
    }
    int drops = 0;
    for (int i = 0; i < state.table.count; ++i) {
        if (!state.DropMarks[static_cast<std::size_t>(i)])
            continue;
        ++drops;
        const IndexRecord& r = state.table[i];
        out += Format("  drop record %d (%s): from %s subject %s date %s mtime %d size %d\n",
                      places[static_cast<std::size_t>(i)], r.HasFlag(kDeletedBit) ? "Del" : "Dup",
                      Quoted(r.from()).c_str(), Quoted(r.subject()).c_str(),
                      Quoted(r.date()).c_str(), r.mtime(), r.fsize());
    }
    for (const LookAlike& kept : state.lookAlikes) {
        const IndexRecord& r = state.table[kept.slot];
        out += Format(
            "  keep record %d (look-alike of record %d, %s): from %s subject %s date %s mtime %d "
            "size %d\n",
            places[static_cast<std::size_t>(kept.slot)],
            places[static_cast<std::size_t>(kept.slot - 1)],
            ForConsole(WhyKept(kept.match, state.lookAlikeReason)).c_str(),
            Quoted(r.from()).c_str(), Quoted(r.subject()).c_str(), Quoted(r.date()).c_str(),
            r.mtime(), r.fsize());
    }
    out += drops == 0 ? std::string("  nothing to drop\n")
                      : Format("  would drop %d of %d records\n", drops, counts.messages);
    if (counts.lookalikes > 0)
        out += "  would keep " + LookAlikesText(counts.lookalikes) + "\n";
    WriteOut(out);
    if (drops > 0)
        ++withDrops;
    return header ? DryRunFolder::Scanned : DryRunFolder::Skipped;
}

// The dry run over lists of index files (one list per user directory).
int DryRun(const Options& options, Session& session,
           const std::vector<std::vector<std::string>>& lists) {
    AppState& state = session.state();
    TerminalPort& port = session.port();
    state.AbortRequested = false;
    int folders = 0, withDrops = 0;
    bool someSkipped = false, ended = false;
    for (const std::vector<std::string>& list : lists) {
        for (int k = 0; k < static_cast<int>(list.size()); ++k) {
            port.ProcessEvents();
            if (state.AbortRequested)
                return kExitEndedEarly;
            ++folders;
            switch (
                DryRunOne(options, state, port, list[static_cast<std::size_t>(k)], k, withDrops)) {
                case DryRunFolder::Scanned:
                    break;
                case DryRunFolder::Skipped:
                    someSkipped = true;
                    break;
                case DryRunFolder::RunEnds:
                    ended = true;
                    break;
            }
            if (ended)
                break;
        }
        if (ended && options.command == "run")
            break;
    }
    port.ClearProgress();
    PrintLine(Format("%d of %d files have records to drop.", withDrops, folders));
    if (ended)
        return kExitEndedEarly;
    return someSkipped ? kExitSomeNotDone : kExitAllDone;
}

// The index files of a user directory, as the network run lists them; the
// entries it skips are shown as it shows them.
std::vector<std::string> FoldersOf(TerminalPort& port, const std::string& directory) {
    const UserFolders folders = ListUserFolders(directory);
    for (const std::string& text : folders.skipped)
        port.MessageDialog(text, "Network Mode", Icon::Stop, Buttons::Ok);
    SortedList list;
    for (const std::string& path : folders.paths)
        list.Add(path);
    return list.entries();
}

// The commands -------------------------------------------------------------
// Each gets the session and its operands as path texts, at least one.

int Run(const Options& options, Session& session, const std::vector<std::string>& files) {
    AppState& state = session.state();
    state.mode = kNormalMode;
    ApplyRunOptions(options, state);
    SelectAll(state.ListBox1, files);
    state.currentDirectory = std::string(platform::DirectoryPart(state.ListBox1[0]));
    if (const std::optional<int> failed = session.OpenLog())
        return *failed;
    InstallInterruptHandler();

    if (options.dryRun)
        return DryRun(options, session, {state.ListBox1.entries()});

    if (!session.LockCheckPassed(DirectoriesOf(state.ListBox1)))
        return kExitEndedEarly;
    const CommandResult result = RunDeleteDupes1Click(state, session.port());
    session.port().ClearProgress();
    PrintLookAlikes(result);
    return Reported(session, result);
}

int NetworkRun(const Options& options, Session& session,
               const std::vector<std::string>& directories) {
    // A file here would be searched for folders as if it were a directory.
    for (const std::string& directory : directories) {
        if (std::string why = NotADirectory(directory); !why.empty()) {
            session.Usage(why);
            return kExitUsage;
        }
    }
    AppState& state = session.state();
    state.mode = kNetworkMode;
    ApplyRunOptions(options, state);
    SelectAll(state.ListBox3, directories);
    // The directory that holds the user directories, as the tree would show.
    state.currentDirectory = std::string(platform::DirectoryPart(state.ListBox3[0]));
    if (const std::optional<int> failed = session.OpenLog())
        return *failed;
    InstallInterruptHandler();

    if (options.dryRun) {
        std::vector<std::vector<std::string>> lists;
        for (const std::string& directory : state.ListBox3.entries()) {
            lists.push_back(FoldersOf(session.port(), directory));
            PrintLine(Format("%s: %d folders", ForConsole(directory).c_str(),
                             static_cast<int>(lists.back().size())));
        }
        return DryRun(options, session, lists);
    }

    std::vector<std::string> lockDirectories;
    for (const std::string& directory : state.ListBox3.entries()) {
        lockDirectories.push_back(directory);
        lockDirectories.emplace_back(platform::DirectoryPart(directory));
    }
    if (!session.LockCheckPassed(lockDirectories))
        return kExitEndedEarly;

    NetworkRunResult result = RunNetButtonClick(state, session.port());
    session.port().ClearProgress();
    // Entries that are no folder were skipped: not everything was done.
    bool someNotDone = result.entriesSkipped > 0, someEnded = !result.completed;
    for (const auto& [directory, run] : result.directories) {
        PrintLookAlikes(run);
        if (run.completed)
            PrintLine(ForConsole(directory) + ": " + run.summary);
        if (run.entries == 0)
            someNotDone = true;  // no index files: "No PMI files in ..."
        else if (!run.completed)
            someEnded = true;
        else if (run.done < run.entries)
            someNotDone = true;
    }
    if (someEnded)
        return kExitEndedEarly;
    return someNotDone ? kExitSomeNotDone : kExitAllDone;
}

enum class BackupCommand { Restore, Delete, Move };

template <BackupCommand command>
int Backups(const Options& options, Session& session, const std::vector<std::string>& files) {
    AppState& state = session.state();
    std::string destination;
    if (command == BackupCommand::Move) {
        if (!session.PathOption(*options.to, destination))
            return kExitUsage;
        if (std::string why = NotADirectory(destination); !why.empty()) {
            session.Usage("--to: " + why);
            return kExitUsage;
        }
        session.port().SetChosenDirectory(destination);
    }
    state.mode = kBackupMode;
    state.fileListMask = "*.bki";
    SelectAll(state.ListBox1, files);
    state.currentDirectory = std::string(platform::DirectoryPart(state.ListBox1[0]));
    state.fileListDirectory = state.currentDirectory;
    if (const std::optional<int> failed = session.OpenLog())
        return *failed;

    if (command != BackupCommand::Restore &&
        !session.LockCheckPassed(DirectoriesOf(state.ListBox1)))
        return kExitEndedEarly;
    InstallInterruptHandler();

    CommandResult result;
    switch (command) {
        case BackupCommand::Restore:
            result = RestoreButtonClick(state, session.port());
            break;
        case BackupCommand::Delete:
            result = DeleteButtonClick(state, session.port());
            break;
        case BackupCommand::Move:
            result = MoveButtonClick(state, session.port());
            break;
    }
    return Reported(session, result);
}

// The viewer and the statistics read index files, also backup ones; any
// other file would be shown as records it does not hold.
bool ReportOperands(Session& session, const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        if (!ReportTakes(file)) {
            session.Usage(NotAnyIndexText(file));
            return false;
        }
    }
    return true;
}

int View(const Options& options, Session& session, const std::vector<std::string>& files) {
    if (!ReportOperands(session, files))
        return kExitUsage;
    AppState& state = session.state();
    state.mode = kNormalMode;
    state.sortOn = !options.noSort;
    state.ListBox1.Add(files[0]);
    state.ListBox1.highlighted = 0;

    IndexViewModel model;
    ViewResult view = ListBox1DblClick(state, session.port(), model);
    if (!view.show)
        return kExitEndedEarly;
    auto withoutLineEnd = [](std::string text) {
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        return text;
    };
    std::string out = ForConsole(withoutLineEnd(view.lblPMMfile)) + "\n" +
                      ForConsole(withoutLineEnd(view.lbl1IndexFile)) + "\n";
    std::string cell;
    AppendGrid(out, model.RowCount(), IndexViewModel::kColumns,
               [&](int row, int column) -> const std::string& {
                   model.CellText(row, column, cell);
                   return cell;
               });
    WriteOut(out);
    return kExitAllDone;
}

int Export(const Options& options, Session& session, const std::vector<std::string>& files) {
    AppState& state = session.state();
    state.exportCsv = options.csv;
    SelectAll(state.ListBox1, files);

    CommandResult result = SaveIndexFile1Click(state, session.port());
    session.port().ClearProgress();
    // Each file's "File %s" line, for the files exported whole.
    const std::vector<std::string>& lines = session.port().FirstLineHistory();
    for (int i = 0; i < result.done && i < static_cast<int>(lines.size()); ++i)
        PrintLine(ForConsole(lines[static_cast<std::size_t>(i)]));
    return StatusOf(result);
}

int Stats(const Options& options, Session& session, const std::vector<std::string>& files) {
    if (!ReportOperands(session, files))
        return kExitUsage;
    AppState& state = session.state();
    state.settings.GetStats = ChoiceAt<CopyToSelf>(options.copyToSelf);
    SelectAll(state.ListBox1, files);
    if (const std::optional<int> failed = session.OpenLog())
        return *failed;
    InstallInterruptHandler();

    StatsView view;
    view.sortOn = options.sortOn;
    view.sortIn = options.descending ? 1 : 0;
    TerminalPort& port = session.port();
    // The Statistics window, shown as text.
    auto show = [&] {
        port.ClearProgress();
        std::string out =
            view.LblAddresses() + "\n" + view.LblMessages() + "\n" + view.LblSize() + "\n";
        AppendGrid(out, view.RowCount(), StatsView::kColumns,
                   [&](int row, int column) { return view.CellText(row, column); });
        out += ForConsole(port.Status(StatusLine::LabelInfoMsg1)) + "\n";
        WriteOut(out);
    };
    const bool shown = BtnGetStatsClick(state, port, view, show);
    port.ClearProgress();
    return shown ? kExitAllDone : kExitEndedEarly;
}

int Names(const Options& options, Session& session, const std::vector<std::string>& directories) {
    AppState& state = session.state();
    if (std::string why = NotADirectory(directories[0]); !why.empty()) {
        session.Usage(why);
        return kExitUsage;
    }
    state.mode = options.backup ? kBackupMode : kNormalMode;
    state.fileListDirectory = directories[0];
    state.fileListMask = options.backup ? "*.bki" : "*.pmi";
    state.RereadFileList();

    FolderListModel model;
    if (!state.FileListBox1.empty() && !FileNamesClick(state, session.port(), model))
        return kExitEndedEarly;
    // The number, display name and file name; not the selection mark.
    std::string out;
    AppendGrid(out, model.RowCount(), 3,
               [&](int row, int column) { return model.CellText(row, column); });
    WriteOut(out);
    return kExitAllDone;
}

struct Command {
    std::string_view name;
    bool longCommand;  // shows the progress line
    int (*run)(const Options&, Session&, const std::vector<std::string>& operands);
};

constexpr Command kCommands[] = {
    {"run", true, Run},
    {"network-run", true, NetworkRun},
    {"restore", true, Backups<BackupCommand::Restore>},
    {"delete-backups", true, Backups<BackupCommand::Delete>},
    {"move-backups", true, Backups<BackupCommand::Move>},
    {"view", false, View},
    {"export", true, Export},
    {"stats", true, Stats},
    {"names", false, Names},
};

}  // namespace

std::optional<std::string> PathText(const std::string& argument, std::string& error) {
    if (argument.empty()) {
        error = "an empty path";
        return std::nullopt;
    }
#ifdef _WIN32
    std::optional<std::string> text = platform::FromNative(argument);
    if (!text) {
        error = argument + ": not a path";
        return std::nullopt;
    }
    return WithoutTrailingSeparators(*text);
#else
    if (HoldsBackslashName(argument)) {
        error = argument + ": a name holding a backslash is not a path";
        return std::nullopt;
    }
    if (IsWindowsPathText(argument)) {
        if (!platform::DriveRoot(argument[0])) {
            error = argument + ": drive " + argument.substr(0, 2) + " is not mapped";
            return std::nullopt;
        }
        return WithoutTrailingSeparators(argument);
    }
    std::error_code failed;
    std::filesystem::path absolute = std::filesystem::absolute(argument, failed);
    if (failed) {
        error = argument + ": " + failed.message();
        return std::nullopt;
    }
    // No drive covers the path: a free letter stands for the root, Z: first.
    if (std::optional<std::string> text = platform::FromNativeMappingRoot(absolute.string()))
        return text;
    error = argument + ": no drive letter is free to stand for it";
    return std::nullopt;
#endif
}

int RunCommand(const Options& options) {
    for (const Command& command : kCommands) {
        if (command.name != options.command)
            continue;
        Session session(options, command.longCommand);
        std::vector<std::string> operands;
        if (!session.Operands(operands))
            return kExitUsage;
        if (operands.empty())  // every one skipped
            return kExitSomeNotDone;
        const int status = command.run(options, session, operands);
        // A file skipped, or a log asked for and not written whole, is not
        // "every entry done".
        const bool lessThanAll = session.SkippedSome() || session.state().runLog.Failed();
        return status == kExitAllDone && lessThanAll ? kExitSomeNotDone : status;
    }
    return kExitUsage;
}

}  // namespace kestrove::cli
