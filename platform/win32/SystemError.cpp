#include "platform/win32/SystemError.h"

#include <windows.h>

#include "platform/File.h"
#include "platform/NativeFile.h"
#include "platform/win32/Wide.h"

namespace kestrove::platform {

namespace win32 {

std::string SystemErrorText(unsigned long code) {
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string result;
    if (length > 0 && text != nullptr) {
        result = Utf8(std::wstring_view(text, length));  // the system's language, any script
    }
    if (text != nullptr) {
        LocalFree(text);
    }
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' ||
                               result.back() == ' ' || result.back() == '\t')) {
        result.pop_back();
    }
    if (result.empty()) {
        result = "Windows error " + std::to_string(code);
    }
    return result;
}

void RecordLastError() {
    SetLastErrorText(SystemErrorText(GetLastError()));
}

}  // namespace win32
}  // namespace kestrove::platform
