// On Windows a path text is the path (in UTF-8): there is no drive map to
// keep.

#include "platform/Paths.h"

#include <windows.h>

#include <vector>

#include "platform/win32/SystemError.h"
#include "platform/win32/Wide.h"

namespace kestrove::platform {

void SetDriveRoot(char /*letter*/, std::string /*nativeDirectory*/) {}
void ClearDriveMap() {}
void UseDefaultDriveMap() {}

std::optional<std::string> DriveRoot(char letter) {
    if ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) {
        return std::string{letter, ':', '\\'};
    }
    return std::nullopt;
}

std::optional<std::string> ToNative(std::string_view windowsPath) {
    return std::string(windowsPath);
}

std::optional<std::string> FromNativeMappingRoot(std::string_view nativePath) {
    return FromNative(nativePath);
}

std::optional<std::string> FromNative(std::string_view nativePath) {
    const std::wstring path = win32::Wide(nativePath);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                        buffer.data(), nullptr);
        if (length == 0) {
            win32::RecordLastError();
            return std::nullopt;
        }
        if (length < buffer.size()) {
            return win32::Utf8(std::wstring_view(buffer.data(), length));
        }
        buffer.resize(length);  // the size asked for, terminator included
    }
}

}  // namespace kestrove::platform
