#pragma once
// Texts of boxes and log lines about a failed system call end with the
// system's reason, after the text the program fixes:
// "Cannot Open File: D:\MAIL\INBOX.PMI (No such file or directory)".

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrove {

// `text` with " (reason)" appended, or "\n(reason)" when the text has
// several lines (a question's answers stay together). An empty reason adds
// nothing.
std::string WithReason(std::string text, std::string_view reason);
// The same with the platform layer's last failure; call it right after the
// call that failed.
std::string WithSystemReason(std::string text);
// "Cannot read file %s at %lld (reason)." for a read of `path` that failed
// at `offset`, with the platform layer's last failure. A read error is never
// taken for the end of a file: what follows it would be lost.
std::string CannotReadText(const std::string& path, std::int64_t offset);

}  // namespace kestrove
