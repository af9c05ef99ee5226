#include "platform/win32/Wide.h"

#include <windows.h>

#include <climits>

#include "platform/Text.h"

namespace kestrove::platform::win32 {

namespace {

std::wstring Decode(UINT codePage, std::string_view text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
    return wide;
}

}  // namespace

std::wstring Wide(std::string_view text) {
    return Decode(IsValidUtf8(text) ? CP_UTF8 : 1252, text);
}

std::wstring WideFrom1252(std::string_view text) {
    // The system's table leaves the five unassigned bytes as the C1
    // controls, as Cp1252ToUtf8 does.
    return Decode(1252, text);
}

std::string Utf8(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

}  // namespace kestrove::platform::win32
