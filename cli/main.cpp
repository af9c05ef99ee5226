// kestrove-cli: the engine of Kestrove from the command line.

#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/Options.h"

#ifndef KESTROVE_VERSION
#define KESTROVE_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    using namespace kestrove::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
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
        WriteOut("kestrove-cli " KESTROVE_VERSION "\n");
        return kExitAllDone;
    }
    const int status = RunCommand(*options);
    if (InterruptRequested())
        WriteErr("kestrove-cli: interrupted\n");
    return status;
}
