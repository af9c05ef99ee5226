// Files through the Win32 handle calls. The path text is the Windows path
// itself, in UTF-8; no drive map is involved.

#include "platform/NativeFile.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/Links.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Wide.h"

namespace kestrove::platform {

struct NativeFile::Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
};

namespace {
// ReadFile and WriteFile take a 32-bit count.
constexpr std::size_t kMaxChunk = 1u << 30;
}  // namespace

std::unique_ptr<NativeFile> NativeFile::Open(const std::string& path, OpenMode mode) {
    const bool reading = mode == OpenMode::ReadBinary || mode == OpenMode::ReadBinaryThroughLinks;
    const bool follow = mode != OpenMode::ReadBinary && mode != OpenMode::CreateBinary;
    const DWORD disposition = reading                          ? OPEN_EXISTING
                              : mode == OpenMode::CreateBinary ? CREATE_NEW
                                                               : CREATE_ALWAYS;
    // Others may read and write the file meanwhile, as with the C runtime's
    // fopen; the mail client itself opens its folders that way.
    constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const std::wstring name = win32::Wide(path);
    HANDLE h = CreateFileW(
        name.c_str(), reading ? GENERIC_READ : GENERIC_WRITE, kShare, nullptr, disposition,
        FILE_ATTRIBUTE_NORMAL | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (!follow && code == ERROR_FILE_EXISTS && IsLink(path))
            SetLastErrorText(kLinkText);
        else
            SetLastErrorText(win32::SystemErrorText(code));
        return nullptr;
    }
    // Files on a disk only: a name such as CON or a pipe is a device that
    // can block or never end.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        SetLastErrorText(kNotRegularFileText);
        return nullptr;
    }
    if (!follow) {
        switch (win32::KindOfHandle(h)) {
            case win32::HandleKind::Plain:
                // Wine opens what a link to a file leads to.
                if (reading && win32::HandleLeadsElsewhere(h, path)) {
                    CloseHandle(h);
                    SetLastErrorText(kLinkText);
                    return nullptr;
                }
                break;
            case win32::HandleKind::Link:
                CloseHandle(h);
                SetLastErrorText(kLinkText);
                return nullptr;
            case win32::HandleKind::Unknown:
                CloseHandle(h);
                return nullptr;
            case win32::HandleKind::ReparseData: {
                // A deduplicated or cloud file reads through its filter; the
                // same file, or a link was put there since the first open.
                HANDLE data = CreateFileW(name.c_str(), GENERIC_READ, kShare, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                if (data == INVALID_HANDLE_VALUE) {
                    win32::RecordLastError();
                    CloseHandle(h);
                    return nullptr;
                }
                const bool same = win32::SameFileHandles(h, data);
                CloseHandle(h);
                if (!same) {
                    CloseHandle(data);
                    SetLastErrorText(kLinkText);
                    return nullptr;
                }
                h = data;
                break;
            }
        }
    }
    std::unique_ptr<NativeFile> file(new NativeFile());
    file->handle_ = std::make_unique<Handle>();
    file->handle_->h = h;
    return file;
}

NativeFile::~NativeFile() {
    if (handle_ && handle_->h != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_->h);
    }
}

std::int64_t NativeFile::Read(void* buffer, std::size_t n) {
    if (!handle_ || handle_->h == INVALID_HANDLE_VALUE) {
        SetLastErrorText("The file is not open");
        return -1;
    }
    auto* out = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < n) {
        DWORD want = static_cast<DWORD>(std::min(n - total, kMaxChunk));
        DWORD got = 0;
        if (!ReadFile(handle_->h, out + total, want, &got, nullptr)) {
            if (GetLastError() == ERROR_HANDLE_EOF) {
                break;
            }
            win32::RecordLastError();
            return -1;
        }
        if (got == 0) {
            break;
        }
        total += got;
    }
    return static_cast<std::int64_t>(total);
}

bool NativeFile::Write(const void* data, std::size_t n, std::size_t& accepted) {
    accepted = 0;
    if (!handle_ || handle_->h == INVALID_HANDLE_VALUE) {
        SetLastErrorText("The file is not open");
        return false;
    }
    const auto* in = static_cast<const char*>(data);
    while (accepted < n) {
        DWORD want = static_cast<DWORD>(std::min(n - accepted, kMaxChunk));
        DWORD put = 0;
        BOOL ok = WriteFile(handle_->h, in + accepted, want, &put, nullptr);
        accepted += put;  // a failed call may still have written some
        if (!ok) {
            win32::RecordLastError();
            return false;
        }
        if (put == 0) {
            SetLastErrorText(win32::SystemErrorText(ERROR_DISK_FULL));
            return false;
        }
    }
    return true;
}

bool NativeFile::Seek(std::int64_t position) {
    if (!handle_ || handle_->h == INVALID_HANDLE_VALUE) {
        SetLastErrorText("The file is not open");
        return false;
    }
    LARGE_INTEGER target;
    target.QuadPart = position;
    if (!SetFilePointerEx(handle_->h, target, nullptr, FILE_BEGIN)) {
        win32::RecordLastError();
        return false;
    }
    return true;
}

bool NativeFile::Truncate(std::int64_t length) {
    if (!handle_ || handle_->h == INVALID_HANDLE_VALUE) {
        SetLastErrorText("The file is not open");
        return false;
    }
    LARGE_INTEGER target, here, zero;
    target.QuadPart = length;
    zero.QuadPart = 0;
    // SetEndOfFile cuts at the file pointer; put it back afterwards.
    if (!SetFilePointerEx(handle_->h, zero, &here, FILE_CURRENT) ||
        !SetFilePointerEx(handle_->h, target, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_->h)) {
        win32::RecordLastError();
        return false;
    }
    if (!SetFilePointerEx(handle_->h, here, nullptr, FILE_BEGIN)) {
        win32::RecordLastError();
        return false;
    }
    return true;
}

std::int64_t NativeFile::Length() {
    if (!handle_ || handle_->h == INVALID_HANDLE_VALUE) {
        SetLastErrorText("The file is not open");
        return -1;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_->h, &size)) {
        win32::RecordLastError();
        return -1;
    }
    return size.QuadPart;
}

bool NativeFile::Sync() {
    if (!handle_ || handle_->h == INVALID_HANDLE_VALUE) {
        SetLastErrorText("The file is not open");
        return false;
    }
    if (!FlushFileBuffers(handle_->h)) {
        win32::RecordLastError();
        return false;
    }
    return true;
}

bool NativeFile::Close() {
    if (!handle_ || handle_->h == INVALID_HANDLE_VALUE) {
        return true;
    }
    HANDLE h = handle_->h;
    handle_->h = INVALID_HANDLE_VALUE;
    if (!CloseHandle(h)) {
        win32::RecordLastError();
        return false;
    }
    return true;
}

}  // namespace kestrove::platform
