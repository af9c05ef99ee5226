#include "cli/Options.h"

#include <algorithm>
#include <array>
#include <span>

namespace kestrove::cli {

namespace {

enum class Opt {
    NoSort,
    Log,
    UnreadMismatch,
    DeletedMismatch,
    ExistingBackup,
    NoLockCheck,
    DryRun,
    Yes,
    To,
    Format,
    Sort,
    Descending,
    CopyToSelf,
    Backup,
};

struct OptionSpec {
    Opt id;
    std::string_view name;  // without "--"
    bool takesValue;
};

constexpr std::array kOptionSpecs{
    OptionSpec{Opt::NoSort, "no-sort", false},
    OptionSpec{Opt::Log, "log", true},
    OptionSpec{Opt::UnreadMismatch, "unread-mismatch", true},
    OptionSpec{Opt::DeletedMismatch, "deleted-mismatch", true},
    OptionSpec{Opt::ExistingBackup, "existing-backup", true},
    OptionSpec{Opt::NoLockCheck, "no-lock-check", false},
    OptionSpec{Opt::DryRun, "dry-run", false},
    OptionSpec{Opt::Yes, "yes", false},
    OptionSpec{Opt::To, "to", true},
    OptionSpec{Opt::Format, "format", true},
    OptionSpec{Opt::Sort, "sort", true},
    OptionSpec{Opt::Descending, "descending", false},
    OptionSpec{Opt::CopyToSelf, "copy-to-self", true},
    OptionSpec{Opt::Backup, "backup", false},
};

struct CommandSpec {
    std::string_view name;
    std::vector<Opt> options;
    std::string_view operand;  // its name in messages
    bool exactlyOne;           // one operand, else one or more
};

const std::vector<CommandSpec>& Commands() {
    static const std::vector<Opt> kRunOptions{
        Opt::NoSort,         Opt::Log,         Opt::UnreadMismatch, Opt::DeletedMismatch,
        Opt::ExistingBackup, Opt::NoLockCheck, Opt::DryRun,         Opt::Yes};
    static const std::vector<CommandSpec> commands{
        {"run", kRunOptions, "INDEX", false},
        {"network-run", kRunOptions, "USERDIR", false},
        {"restore", {Opt::Log}, "BACKUP_INDEX", false},
        {"delete-backups", {Opt::NoLockCheck, Opt::Yes, Opt::Log}, "BACKUP_INDEX", false},
        {"move-backups", {Opt::To, Opt::NoLockCheck, Opt::Yes, Opt::Log}, "BACKUP_INDEX", false},
        {"view", {Opt::NoSort}, "INDEX", true},
        {"export", {Opt::Format}, "INDEX", false},
        {"stats", {Opt::Sort, Opt::Descending, Opt::CopyToSelf, Opt::Log}, "INDEX", false},
        {"names", {Opt::Backup}, "DIR", true},
    };
    return commands;
}

const CommandSpec* FindCommand(std::string_view name) {
    for (const CommandSpec& def : Commands()) {
        if (def.name == name)
            return &def;
    }
    return nullptr;
}

// The words of the options that take one of a few, by value.
constexpr std::array<std::string_view, 3> kBackupChoices{"ask", "overwrite", "skip"};
constexpr std::array<std::string_view, 2> kFormatChoices{"csv", "tab"};
constexpr std::array<std::string_view, 3> kSortChoices{"from", "messages", "size"};
constexpr std::array<std::string_view, 3> kCopyToSelfChoices{"self", "to", "exclude"};

// The index of `value` in `choices`, or -1.
int Choice(std::string_view value, std::span<const std::string_view> choices) {
    int i = 0;
    for (std::string_view choice : choices) {
        if (value == choice)
            return i;
        ++i;
    }
    return -1;
}

bool SetChoice(int& target, std::string_view option, std::string_view value,
               std::span<const std::string_view> choices, std::string& error) {
    int index = Choice(value, choices);
    if (index < 0) {
        error = "--" + std::string(option) + ": '" + std::string(value) + "' is not one of";
        for (std::string_view choice : choices) {
            error += ' ';
            error += choice;
        }
        return false;
    }
    target = index;
    return true;
}

bool Apply(Options& options, const OptionSpec& def, const std::string& value, std::string& error) {
    switch (def.id) {
        case Opt::NoSort:
            options.noSort = true;
            return true;
        case Opt::Log:
            options.log = value;
            return true;
        case Opt::UnreadMismatch:
            return SetChoice(options.unreadMismatch, def.name, value, kMismatchChoices, error);
        case Opt::DeletedMismatch:
            return SetChoice(options.deletedMismatch, def.name, value, kMismatchChoices, error);
        case Opt::ExistingBackup:
            return SetChoice(options.existingBackup, def.name, value, kBackupChoices, error);
        case Opt::NoLockCheck:
            options.noLockCheck = true;
            return true;
        case Opt::DryRun:
            options.dryRun = true;
            return true;
        case Opt::Yes:
            options.yes = true;
            return true;
        case Opt::To:
            options.to = value;
            return true;
        case Opt::Format: {
            int format = 0;
            if (!SetChoice(format, def.name, value, kFormatChoices, error))
                return false;
            options.csv = format == 0;
            return true;
        }
        case Opt::Sort:
            return SetChoice(options.sortOn, def.name, value, kSortChoices, error);
        case Opt::Descending:
            options.descending = true;
            return true;
        case Opt::CopyToSelf:
            return SetChoice(options.copyToSelf, def.name, value, kCopyToSelfChoices, error);
        case Opt::Backup:
            options.backup = true;
            return true;
    }
    return false;
}

}  // namespace

bool IsCommand(std::string_view command) {
    return FindCommand(command) != nullptr;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    std::size_t i = 0;
    // Before the command: only the program's own options.
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option '" + arg + "'";
            return std::nullopt;
        } else {
            break;
        }
    }
    if (i == args.size()) {
        if (!options.help && !options.version) {
            error = "no command given";
            return std::nullopt;
        }
        return options;
    }
    options.command = args[i++];
    if (options.command == "help") {
        // "help COMMAND" is "COMMAND --help".
        options.help = true;
        options.command = i < args.size() ? args[i++] : std::string();
        if (i < args.size()) {
            error = "help takes at most one command";
            return std::nullopt;
        }
    }
    if (options.command.empty())
        return options;
    const CommandSpec* command = FindCommand(options.command);
    if (!command) {
        error = "unknown command '" + options.command + "'";
        return std::nullopt;
    }

    bool optionsEnded = false;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        std::string name = arg == "-y" ? "yes" : arg.substr(0, 2) == "--" ? arg.substr(2) : "";
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionSpec* def = nullptr;
        for (const OptionSpec& candidate : kOptionSpecs) {
            if (candidate.name == name &&
                std::find(command->options.begin(), command->options.end(), candidate.id) !=
                    command->options.end())
                def = &candidate;
        }
        if (!def) {
            error = options.command + ": unknown option '" + arg + "'";
            return std::nullopt;
        }
        std::string value;
        if (def->takesValue) {
            if (inlineValue)
                value = *inlineValue;
            else if (i + 1 < args.size())
                value = args[++i];
            if (value.empty()) {
                error = options.command + ": --" + name + " needs a value";
                return std::nullopt;
            }
        } else if (inlineValue) {
            error = options.command + ": --" + name + " takes no value";
            return std::nullopt;
        }
        if (!Apply(options, *def, value, error)) {
            error = options.command + ": " + error;
            return std::nullopt;
        }
    }
    if (options.help)
        return options;

    if (options.operands.empty()) {
        error = options.command + ": no " + std::string(command->operand) + " given";
        return std::nullopt;
    }
    if (command->exactlyOne && options.operands.size() > 1) {
        error = options.command + ": only one " + std::string(command->operand) + " is taken";
        return std::nullopt;
    }
    if (options.command == "move-backups" && !options.to) {
        error = "move-backups: --to DIR is required";
        return std::nullopt;
    }
    return options;
}

}  // namespace kestrove::cli
