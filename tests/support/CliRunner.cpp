#include "tests/support/CliRunner.h"

#include <cstdlib>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/win32/Wide.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace kestrove::testing {

std::string ProgramText(const std::filesystem::path& native) {
#ifdef _WIN32
    return native.string();
#else
    std::string text = native.string();
    for (char& c : text)
        c = c == '/' ? '\\' : c;
    return "Z:" + text;
#endif
}

CliWithOwnHome::CliWithOwnHome() {
    std::filesystem::create_directories(home_.Native("home"));
}

CliResult CliWithOwnHome::Run(const std::vector<std::string>& args,
                              std::chrono::milliseconds timeout) const {
    CliOptions options;
    options.env["HOME"] = home_.Native("home").string();
    options.timeout = timeout;
    return RunCli(args, options);
}

std::string CliPath() {
#ifdef KESTROVE_CLI
    std::string path = KESTROVE_CLI;
#ifdef _WIN32
    // Cross-built and run under wine: the build machine's path is on Z:.
    if (!path.empty() && path[0] == '/') {
        for (char& c : path)
            c = c == '/' ? '\\' : c;
        path = "Z:" + path;
    }
#endif
    return path;
#else
    return {};
#endif
}

#ifndef _WIN32

namespace {

void CloseFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

[[noreturn]] void ExecChild(const std::vector<std::string>& args, const CliOptions& options) {
    for (const auto& [name, value] : options.env)
        setenv(name.c_str(), value.c_str(), 1);
    std::vector<std::string> all{CliPath()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    // The test runner may ignore SIGINT; the program starts from the default.
    signal(SIGINT, SIG_DFL);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& args, const CliOptions& options,
                       Streams streams)
    : terminal_(streams == Streams::Terminal), timeout_(options.timeout) {
    if (terminal_) {
        int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        const std::string slaveName = ptsname(master);
        winsize size{};
        size.ws_col = 100;
        size.ws_row = 30;
        ioctl(master, TIOCSWINSZ, &size);
        pid_ = fork();
        if (pid_ == 0) {
            setsid();
            int slave = open(slaveName.c_str(), O_RDWR);  // becomes the controlling terminal
            if (slave < 0)
                _exit(126);
            ioctl(slave, TIOCSCTTY, 0);
            dup2(slave, 0);
            dup2(slave, 1);
            dup2(slave, 2);
            if (slave > 2)
                close(slave);
            close(master);
            ExecChild(args, options);
        }
        inFd_ = outFd_ = master;
        if (!options.input.empty())
            Type(options.input);
        return;
    }

    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        throw std::runtime_error("no pipes");
    pid_ = fork();
    if (pid_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        ExecChild(args, options);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    inFd_ = in[1];
    outFd_ = out[0];
    errFd_ = err[0];
    // Everything to standard input at once, then its end.
    std::string_view rest = options.input;
    while (!rest.empty()) {
        ssize_t n = write(inFd_, rest.data(), rest.size());
        if (n <= 0)
            break;
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    CloseFd(inFd_);
}

CliProcess::~CliProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (terminal_) {
        CloseFd(outFd_);
        inFd_ = -1;
    } else {
        CloseFd(inFd_);
        CloseFd(outFd_);
        CloseFd(errFd_);
    }
}

void CliProcess::Pump(int timeoutMs) {
    pollfd fds[2];
    int n = 0;
    if (outFd_ >= 0)
        fds[n++] = {outFd_, POLLIN, 0};
    if (errFd_ >= 0)
        fds[n++] = {errFd_, POLLIN, 0};
    if (n == 0)
        return;
    if (poll(fds, static_cast<nfds_t>(n), timeoutMs) <= 0)
        return;
    for (int i = 0; i < n; ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        char buffer[4096];
        ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        std::string& target = fds[i].fd == errFd_ ? result_.err : result_.out;
        if (got > 0) {
            target.append(buffer, static_cast<std::size_t>(got));
        } else {
            // The end (on a terminal: EIO once the program has closed it).
            if (fds[i].fd == errFd_)
                CloseFd(errFd_);
            else {
                CloseFd(outFd_);
                if (terminal_)
                    inFd_ = -1;
            }
        }
    }
}

bool CliProcess::WaitFor(const std::string& text, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (seen().find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || (outFd_ < 0 && errFd_ < 0))
            return false;
        Pump(static_cast<int>(std::min<long long>(left.count(), 100)));
    }
    return true;
}

void CliProcess::Type(const std::string& text) {
    if (inFd_ >= 0) {
        ssize_t n = write(inFd_, text.data(), text.size());
        (void)n;
    }
}

void CliProcess::Signal(int signal) {
    if (pid_ > 0)
        kill(pid_, signal);
}

CliResult CliProcess::Wait() {
    // A program that hangs fails its test, not the run.
    const auto end = std::chrono::steady_clock::now() + timeout_;
    while ((outFd_ >= 0 || errFd_ >= 0) && std::chrono::steady_clock::now() < end)
        Pump(100);
    if (outFd_ >= 0 || errFd_ >= 0) {
        kill(pid_, SIGKILL);
        result_.timedOut = true;
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    result_.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    // A terminal turns "\n" into "\r\n" on the way out.
    if (terminal_) {
        std::string clean;
        for (std::size_t i = 0; i < result_.out.size(); ++i) {
            if (result_.out[i] == '\r' && i + 1 < result_.out.size() && result_.out[i + 1] == '\n')
                continue;
            clean.push_back(result_.out[i]);
        }
        result_.out = std::move(clean);
    }
    return result_;
}

CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options) {
    CliProcess process(args, options, CliProcess::Streams::Pipes);
    return process.Wait();
}

#else

namespace {

// Quotes one argument for CommandLineToArgvW's rules.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, '\\');
    quoted.push_back('"');
    return quoted;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

HANDLE Inheritable(const std::filesystem::path& path, bool write) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, &security,
                       write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args, const CliOptions& options) {
    namespace fs = std::filesystem;
    const fs::path base =
        fs::temp_directory_path() / ("kestrove-cli-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(base);
    const fs::path inPath = base / "in", outPath = base / "out", errPath = base / "err";
    {
        std::ofstream in(inPath, std::ios::binary);
        in << options.input;
    }
    HANDLE in = Inheritable(inPath, false), out = Inheritable(outPath, true),
           err = Inheritable(errPath, true);

    std::string commandLine = Quote(CliPath());
    for (const std::string& arg : args)
        commandLine += " " + Quote(arg);
    for (const auto& [name, value] : options.env)
        SetEnvironmentVariableA(name.c_str(), value.c_str());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    CliResult result;
    // The wide call: an argument may name a directory in any script.
    std::wstring wideLine = platform::win32::Wide(commandLine);
    if (CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, static_cast<DWORD>(options.timeout.count())) ==
            WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            result.timedOut = true;
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    for (const auto& [name, value] : options.env)
        SetEnvironmentVariableA(name.c_str(), nullptr);
    result.out = ReadAll(outPath);
    result.err = ReadAll(errPath);
    std::error_code ignored;
    fs::remove_all(base, ignored);
    return result;
}

#endif

}  // namespace kestrove::testing
