#pragma once
// The program keeps every text as bytes: paths and names as UTF-8, the mail
// files' texts as Windows-1252. The wide calls of Windows take UTF-16; these
// convert at that boundary.

#include <string>
#include <string_view>

namespace kestrove::platform::win32 {

// A path, a name or a message: UTF-8 when it is valid UTF-8, else the
// Windows-1252 of the mail files (a folder name in a box, say).
std::wstring Wide(std::string_view text);
// A text from the mail files, always Windows-1252.
std::wstring WideFrom1252(std::string_view text);
// A text of the system (a name on disk, a control's text) as UTF-8. An
// unpaired surrogate, which a name on disk may hold, becomes U+FFFD.
std::string Utf8(std::wstring_view text);

}  // namespace kestrove::platform::win32
