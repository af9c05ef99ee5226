#pragma once
// Texts of boxes and log lines about a failed system call end with the
// system's reason, after the text the program fixes:
// "Cannot Open File: D:\MAIL\INBOX.PMI (No such file or directory)".

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

}  // namespace kestrove
