#include "platform/win32/Links.h"

#include <windows.h>

#include "platform/win32/SystemError.h"

namespace kestrove::platform::win32 {

namespace {

bool IsLinkTag(DWORD tag) {
    // Wine shows its directory links as reparse points with the tag 0, which
    // Windows reserves and never gives.
    return IsReparseTagNameSurrogate(tag) || tag == 0;
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

}  // namespace kestrove::platform::win32
