#pragma once
// The command line of kestrove-cli: the command, its options and operands.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrove::cli {

// Exit statuses.
inline constexpr int kExitAllDone = 0;      // every entry done
inline constexpr int kExitSomeNotDone = 1;  // some entry skipped or failed
inline constexpr int kExitUsage = 2;        // the command line is wrong
inline constexpr int kExitEndedEarly = 3;   // abort, Cancel, a failure that ends the command

// The words of --unread-mismatch and --deleted-mismatch, by value.
inline constexpr std::array<std::string_view, 3> kMismatchChoices{"ask", "ignore", "skip"};

struct Options {
    std::string command;                // empty: none given
    std::vector<std::string> operands;  // as given
    bool help = false;
    bool version = false;

    // run, network-run
    bool noSort = false;
    int unreadMismatch = 0;   // 0 ask, 1 ignore, 2 skip
    int deletedMismatch = 0;  // 0 ask, 1 ignore, 2 skip
    int existingBackup = 0;   // 0 ask, 1 overwrite, 2 skip
    bool dryRun = false;
    // run, network-run, delete-backups, move-backups
    bool noLockCheck = false;
    bool yes = false;
    // run, network-run, restore, delete-backups, move-backups, stats
    std::optional<std::string> log;
    // move-backups
    std::optional<std::string> to;
    // export
    bool csv = true;
    // stats
    int sortOn = 0;  // 0 from, 1 messages, 2 size
    bool descending = false;
    int copyToSelf = 0;  // 0 self, 1 to, 2 exclude
    // names
    bool backup = false;
};

// Parses the arguments after the program's name. On a usage error returns
// empty and sets `error` (one line, without the program's name).
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

// True when `command` is one of the commands.
bool IsCommand(std::string_view command);

// The help texts: the program's, and one command's.
std::string ProgramHelp();
std::string CommandHelp(std::string_view command);

}  // namespace kestrove::cli
