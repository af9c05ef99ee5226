// kestrove-cli: the engine of Kestrove from the command line.

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Options.h"
#include "core/Settings.h"
#include "platform/File.h"
#include "platform/Paths.h"

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>

#include "platform/win32/Wide.h"
#endif

#ifndef KESTROVE_VERSION
#define KESTROVE_VERSION "unknown"
#endif

namespace {

// The arguments as UTF-8. On Windows the 8-bit argv holds the system's code
// page, which may lack the letters of a path: the wide command line has them.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    int n = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n)) {
        std::vector<std::string> args;
        for (int i = 1; i < n; ++i)
            args.push_back(kestrove::platform::win32::Utf8(wide[i]));
        LocalFree(wide);
        return args;
    }
#endif
    return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kestrove::cli;
    const std::vector<std::string> args = Arguments(argc, argv);
    std::string error;
    std::optional<Options> options = ParseOptions(args, error);
    if (!options) {
        // Point at the command's own help when the command is known.
        std::string help = "kestrove-cli --help";
        for (const std::string& arg : args) {
            if (IsCommand(arg)) {
                help = "kestrove-cli " + arg + " --help";
                break;
            }
        }
        WriteErr("kestrove-cli: " + error + "\nTry '" + help + "'.\n");
        return kExitUsage;
    }
    if (options->help) {
        WriteOut(options->command.empty() ? ProgramHelp() : CommandHelp(options->command));
        return kExitAllDone;
    }
    if (options->version) {
        // The window program's settings file, for whoever looks for it; on
        // Windows that program lies beside this one.
        const std::string program = kestrove::platform::JoinPath(
            kestrove::platform::DirectoryPart(kestrove::platform::ExecutablePath()),
            "kestrove.exe");
        WriteOut("kestrove-cli " KESTROVE_VERSION "\nSettings file of kestrove: " +
                 kestrove::SettingsFileShownName(kestrove::ProgramSettingsFile(program)) +
                 "\nkestrove-cli itself reads no settings file; each setting comes from its "
                 "option.\n");
        return kExitAllDone;
    }
    const int status = RunCommand(*options);
    if (InterruptRequested())
        WriteErr("kestrove-cli: interrupted\n");
    return status;
}
