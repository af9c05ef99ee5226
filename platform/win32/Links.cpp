#include "platform/win32/Links.h"

#include <windows.h>

#include "platform/win32/SystemError.h"
#include "platform/win32/Wide.h"

namespace kestrove::platform::win32 {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsLinkTag(DWORD tag) {
    // Wine shows its directory links as reparse points with the tag 0, which
    // Windows reserves and never gives.
    return IsReparseTagNameSurrogate(tag) || tag == 0;
}

// "\\?\C:\dir\name" (or "\\?\UNC\..."); empty when the system cannot say.
std::wstring FinalPathOf(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(n + 1);
    }
}

}  // namespace

bool IsLinkEntry(unsigned long attributes, unsigned long reparseTag) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkTag(reparseTag);
}

HandleKind KindOfHandle(void* handle) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info)) {
        RecordLastError();
        return HandleKind::Unknown;
    }
    if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return HandleKind::Plain;
    return IsLinkTag(info.ReparseTag) ? HandleKind::Link : HandleKind::ReparseData;
}

bool SameFileHandles(void* a, void* b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool HandleLeadsElsewhere(void* handle, const std::string& path) {
    const std::wstring wide = Wide(path);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    const std::size_t cut = wide.find_last_of(L"\\/");
    std::wstring parent = cut == std::wstring::npos ? L"." : wide.substr(0, cut);
    if (parent.empty() || parent.back() == L':')
        parent += L'\\';  // the root, not the drive's current directory
    HANDLE directory = CreateFileW(parent.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (directory == INVALID_HANDLE_VALUE)
        return false;
    std::wstring expected = FinalPathOf(directory);
    CloseHandle(directory);
    const std::wstring actual = FinalPathOf(handle);
    if (expected.empty() || actual.empty())
        return false;
    if (expected.back() != L'\\')
        expected += L'\\';
    expected += found.cFileName;
    return CompareStringOrdinal(expected.c_str(), -1, actual.c_str(), -1, TRUE) != CSTR_EQUAL;
}

bool NameLeadsElsewhere(const std::string& path) {
    HANDLE h =
        CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool elsewhere = KindOfHandle(h) == HandleKind::Plain && HandleLeadsElsewhere(h, path);
    CloseHandle(h);
    return elsewhere;
}

}  // namespace kestrove::platform::win32
