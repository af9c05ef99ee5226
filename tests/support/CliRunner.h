#pragma once
// Runs the built kestrove-cli as a separate process, for the tests of the
// command-line tool: with pipes for its standard streams, or (POSIX) on a
// pseudo-terminal. No GoogleTest here.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace kestrove::testing {

struct CliResult {
    int status = -1;        // the exit status; 128 + the signal when one ended it
    std::string out;        // standard output (on a terminal: everything it wrote)
    std::string err;        // standard error
    bool timedOut = false;  // killed because it had not ended within the time limit
};

struct CliOptions {
    std::string input;                       // standard input's bytes
    std::map<std::string, std::string> env;  // variables set for the child
    // Longer than this and the program is killed (a hang fails its test).
    std::chrono::milliseconds timeout = std::chrono::minutes(2);
};

// The program under test (empty when this build has none).
std::string CliPath();

// How the program names a native path: on POSIX through its default drive
// map, where Z: is "/".
std::string ProgramText(const std::filesystem::path& native);

// Runs it to its end with the arguments.
CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options = {});

// The program with a home directory of its own (on POSIX C: is the home,
// Z: is "/"), so that no settings of the machine's user are read or written.
class CliWithOwnHome {
  public:
    CliWithOwnHome();
    CliResult Run(const std::vector<std::string>& args,
                  std::chrono::milliseconds timeout = std::chrono::minutes(2)) const;

  private:
    TempDir home_{'H'};
};

#ifndef _WIN32
// A running kestrove-cli, for what has to happen while it runs.
class CliProcess {
  public:
    // Standard streams through pipes, or all three on one pseudo-terminal.
    enum class Streams { Pipes, Terminal };
    CliProcess(const std::vector<std::string>& args, const CliOptions& options, Streams streams);
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // Reads what the program wrote until `text` has appeared in it (on a
    // terminal: everything; else standard error) or the time is up; true
    // when it appeared.
    bool WaitFor(const std::string& text, std::chrono::milliseconds timeout);
    // Types a line at the terminal / writes to standard input.
    void Type(const std::string& text);
    void Signal(int signal);
    // Waits for the end; reads everything left.
    CliResult Wait();
    const std::string& seen() const { return terminal_ ? result_.out : result_.err; }

  private:
    void Pump(int timeoutMs);

    bool terminal_;
    std::chrono::milliseconds timeout_;
    int pid_ = -1;
    int inFd_ = -1, outFd_ = -1, errFd_ = -1;  // on a terminal all are the master
    CliResult result_;
};
#endif

}  // namespace kestrove::testing
