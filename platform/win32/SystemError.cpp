#include "platform/win32/SystemError.h"

#include <windows.h>

#include "platform/File.h"
#include "platform/NativeFile.h"

namespace kestrove::platform {

namespace win32 {

std::string SystemErrorText(unsigned long code) {
    char* text = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result;
    if (length > 0 && text != nullptr) {
        result.assign(text, length);
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
