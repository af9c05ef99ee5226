#include "cli/Console.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "platform/win32/Wide.h"
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include "platform/Text.h"

namespace kestrove::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

enum class Stream { Out, Err };

// What one read of a byte of standard input gave.
enum class ByteRead { Got, Retry, End };

}  // namespace

#ifdef _WIN32

namespace {

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (interrupted)
        return FALSE;  // the second one: the default handler ends the program
    interrupted = 1;
    return TRUE;
}

void WriteBytes(HANDLE handle, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written == 0)
            return;
        text.remove_prefix(written);
    }
}

void Write(Stream stream, std::string_view text) {
    HANDLE handle = GetStdHandle(stream == Stream::Err ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    WriteToHandle(handle, text);
}

ByteRead ReadByte(char& c) {
    DWORD got = 0;
    if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), &c, 1, &got, nullptr) || got == 0)
        return ByteRead::End;
    return ByteRead::Got;
}

}  // namespace

bool CanAsk() {
    return _isatty(_fileno(stdin)) && _isatty(_fileno(stderr));
}

bool StderrIsTerminal() {
    return _isatty(_fileno(stderr));
}

int TerminalWidth() {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return 80;
}

void InstallInterruptHandler() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void WriteToHandle(void* handle, std::string_view text) {
    // A console shows its own characters, whatever its code page: UTF-16
    // through the console's call. A file or a pipe gets UTF-8, as on Linux.
    DWORD mode = 0;
    if (!GetConsoleMode(handle, &mode)) {
        WriteBytes(handle, text);
        return;
    }
    const std::wstring wide = platform::win32::Wide(text);
    std::wstring_view rest(wide);
    while (!rest.empty()) {
        DWORD written = 0;
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 16384));
        if (!WriteConsoleW(handle, rest.data(), n, &written, nullptr) || written == 0)
            return;
        rest.remove_prefix(written);
    }
}

#else

namespace {

void OnInterrupt(int) {
    interrupted = 1;
}

void Write(Stream stream, std::string_view text) {
    const int fd = stream == Stream::Err ? STDERR_FILENO : STDOUT_FILENO;
    while (!text.empty()) {
        ssize_t n = write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
}

ByteRead ReadByte(char& c) {
    const ssize_t n = read(STDIN_FILENO, &c, 1);
    if (n < 0 && errno == EINTR)
        return ByteRead::Retry;
    return n <= 0 ? ByteRead::End : ByteRead::Got;
}

}  // namespace

bool CanAsk() {
    return isatty(STDIN_FILENO) && isatty(STDERR_FILENO);
}

bool StderrIsTerminal() {
    return isatty(STDERR_FILENO);
}

int TerminalWidth() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void InstallInterruptHandler() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a question waiting for its answer returns at once.
    // SA_RESETHAND: the second Ctrl-C meets the default action.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
}

#endif

std::string ForConsole(std::string_view text) {
    if (platform::IsValidUtf8(text))
        return std::string(text);
    return platform::Cp1252ToUtf8(text);
}

std::string MailTextForConsole(std::string_view text) {
    return platform::Cp1252ToUtf8(text);
}

std::optional<std::string> ReadLine() {
    std::string line;
    while (!interrupted) {
        char c = 0;
        const ByteRead got = ReadByte(c);
        if (interrupted)
            return std::nullopt;
        if (got == ByteRead::Retry)
            continue;
        if (got == ByteRead::End)
            return line.empty() ? std::nullopt : std::optional(line);
        if (c == '\n')
            return line;
        if (c != '\r')
            line.push_back(c);
    }
    return std::nullopt;
}

void WriteErr(std::string_view text) {
    Write(Stream::Err, text);
}

void WriteOut(std::string_view text) {
    Write(Stream::Out, text);
}

bool InterruptRequested() {
    return interrupted != 0;
}

}  // namespace kestrove::cli
