#pragma once
// The Win32 side's error texts. Kept free of windows.h so that only the .cpp
// files of this directory see the Win32 headers.

#include <string>

namespace kestrove::platform::win32 {

// The system's own words for an error code (FormatMessageA), without the
// trailing line end; "Windows error N" when the system has none.
std::string SystemErrorText(unsigned long code);

// Sets LastErrorText() from GetLastError().
void RecordLastError();

}  // namespace kestrove::platform::win32
