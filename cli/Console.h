#pragma once
// What kestrove-cli needs of the console it runs in: whether a person sits at
// it, its width, Ctrl-C, and reading an answer. POSIX and Windows each have
// their own implementation behind these functions.

#include <optional>
#include <string>
#include <string_view>

namespace kestrove::cli {

// True when standard input and standard error are both a terminal: a
// question can be put there and answered.
bool CanAsk();
// True when standard error is a terminal (the progress line goes there).
bool StderrIsTerminal();
// The terminal's width in columns (80 when it cannot be told).
int TerminalWidth();

// Ctrl-C: the first one only sets a flag that the port turns into Abort;
// the second ends the program at once, as if no handler were installed.
void InstallInterruptHandler();
bool InterruptRequested();

// Reads one line from standard input, without its line end. Empty at the end
// of input, on an error, or when Ctrl-C interrupted the read.
std::optional<std::string> ReadLine();

// Writes to standard error / standard output unbuffered by the C library,
// so that the progress line and the boxes keep their order.
void WriteErr(std::string_view text);
void WriteOut(std::string_view text);

#ifdef _WIN32
// Writes UTF-8 to a Windows handle: to a console through its wide call, so
// that every character shows as it is, to a file or a pipe as the bytes.
void WriteToHandle(void* handle, std::string_view text);
#endif

// Prepares a text from the engine for the console as UTF-8: a text that is
// not valid UTF-8 holds Windows-1252 bytes from the mail files (folder
// names, senders) and is converted.
std::string ForConsole(std::string_view text);
// The same for a text known to come from the mail files (a grid cell).
std::string MailTextForConsole(std::string_view text);

}  // namespace kestrove::cli
