// File-system operations through the Win32 calls, the wide ones: a name on
// disk may hold any character. Windows itself matches names without regard
// to case, so nothing here folds case.

#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/NativeFile.h"
#include "platform/Paths.h"
#include "platform/win32/Links.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Wide.h"

namespace kestrove::platform {

namespace {

DWORD AttributesOf(const std::string& path) {
    return GetFileAttributesW(win32::Wide(path).c_str());
}

bool Injected(faults::Op op, std::string_view path, std::string_view other = {}) {
    if (!faults::Hit(op, path, other)) {
        return false;
    }
    SetLastErrorText(std::string(faults::kInjectedFaultText));
    return true;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    HANDLE file = CreateFileW(win32::Wide(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known) {
        return std::nullopt;
    }
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<FileStamp> StampOf(const std::string& path) {
    if (Injected(faults::Op::Stat, path)) {
        return std::nullopt;
    }
    HANDLE file = CreateFileW(win32::Wide(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        win32::RecordLastError();
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    if (!known) {
        win32::RecordLastError();
    }
    CloseHandle(file);
    if (!known) {
        return std::nullopt;
    }
    return FileStamp{
        {info.dwVolumeSerialNumber,
         (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow},
        static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                  info.nFileSizeLow),
        static_cast<std::int64_t>(
            (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
            info.ftLastWriteTime.dwLowDateTime)};
}

bool IsSameFile(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = IdentityOf(a);
    return first && first == IdentityOf(b);
}

bool FileExists(const std::string& path) {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsRegularFile(const std::string& path) {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool IsLink(const std::string& path) {
    // The search reports the name itself, with its reparse tag. A name
    // holding a wildcard would be taken as a pattern; Windows allows none.
    if (path.find_first_of("*?") != std::string::npos) {
        return false;
    }
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(win32::Wide(path).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return win32::IsLinkEntry(data.dwFileAttributes, data.dwReserved0) ||
           win32::NameLeadsElsewhere(path);
}

bool DirectoryExists(const std::string& path) {
    // A drive root such as "C:\" reports the directory attribute too.
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(const std::string& path) {
    if (Injected(faults::Op::Delete, path)) {
        return false;
    }
    // A link goes itself, never what it points at. Wine would delete what a
    // link to a file leads to: such a name is refused.
    if (win32::NameLeadsElsewhere(path)) {
        SetLastErrorText(kLinkText);
        return false;
    }
    if (!DeleteFileW(win32::Wide(path).c_str())) {
        win32::RecordLastError();
        return false;
    }
    return true;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (Injected(faults::Op::Rename, from, to)) {
        return false;
    }
    // Wine would move what a link to a file leads to, not the link.
    if (win32::NameLeadsElsewhere(from)) {
        SetLastErrorText(kLinkText);
        return false;
    }
    // Without MOVEFILE_REPLACE_EXISTING the call fails when the target exists;
    // the file system itself matches names without regard to case. A folder
    // mounted from another volume gets a copy, on the disk before the source
    // goes (WRITE_THROUGH), as the C runtime's rename would make it.
    if (!MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(),
                     MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
        win32::RecordLastError();
        return false;
    }
    return true;
}

std::size_t RenameEachNoReplace(const std::vector<std::pair<std::string, std::string>>& renames) {
    // Windows looks names up itself; RenameNoReplace adds no lookup of its
    // own but the link test.
    for (std::size_t i = 0; i < renames.size(); ++i) {
        if (!RenameNoReplace(renames[i].first, renames[i].second)) {
            return i;
        }
    }
    return renames.size();
}

std::vector<DirEntry> FindFiles(const std::string& pattern) {
    std::vector<DirEntry> entries;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(win32::Wide(pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        if (code != ERROR_FILE_NOT_FOUND && code != ERROR_NO_MORE_FILES) {
            SetLastErrorText(win32::SystemErrorText(code));
        }
        return entries;
    }
    // The system also matches the generated short names: "*.pmi" would find
    // NOTES.PMIX through NOTES~1.PMI. Only the names as stored count.
    const std::string_view mask = FileNamePart(pattern);
    do {
        std::string name = win32::Utf8(data.cFileName);
        if (!MatchesMask(mask, name)) {
            continue;
        }
        DirEntry entry;
        entry.name = std::move(name);
        entry.attributes = data.dwFileAttributes;
        entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.isLink = win32::IsLinkEntry(data.dwFileAttributes, data.dwReserved0);
        entries.push_back(std::move(entry));
    } while (FindNextFileW(search, &data));
    DWORD code = GetLastError();
    if (code != ERROR_NO_MORE_FILES) {
        SetLastErrorText(win32::SystemErrorText(code));
    }
    FindClose(search);
    return entries;
}

bool CaseSensitiveNames() {
    return false;
}

std::vector<std::string> NamesAnswering(const std::string& path) {
    // Windows itself matches without regard to case: one name at most.
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(win32::Wide(path).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    names.push_back(win32::Utf8(data.cFileName));
    FindClose(search);
    return names;
}

bool SyncDirectory(const std::string& directory) {
    if (Injected(faults::Op::Sync, directory)) {
        return false;
    }
    // Windows has no directory fsync. A rename or a new name is a change of
    // metadata that NTFS commits through its own journal; the data of the
    // files was already forced out with FlushFileBuffers (File::Sync).
    return true;
}

namespace {

// A file opened for its security alone, without following a link; null
// (LastErrorText set) otherwise.
HANDLE OpenForSecurity(const std::string& path, DWORD access) {
    HANDLE h = CreateFileW(
        win32::Wide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        win32::RecordLastError();
        return nullptr;
    }
    const win32::HandleKind kind = win32::KindOfHandle(h);
    const bool link = kind == win32::HandleKind::Link ||
                      (kind == win32::HandleKind::Plain && win32::HandleLeadsElsewhere(h, path));
    if (link || kind == win32::HandleKind::Unknown) {
        CloseHandle(h);
        if (link) {
            SetLastErrorText(kLinkText);
        }
        return nullptr;
    }
    return h;
}

}  // namespace

bool CopyPermissions(const std::string& from, const std::string& to) {
    // Through the files' own handles: a name swapped for a link meanwhile
    // must not lead the change of owner to another file.
    HANDLE source = OpenForSecurity(from, READ_CONTROL);
    if (!source) {
        return false;
    }
    PSID owner = nullptr;
    PSID group = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD code = GetSecurityInfo(
        source, SE_FILE_OBJECT,
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
        &group, &dacl, nullptr, &descriptor);
    CloseHandle(source);
    if (code != ERROR_SUCCESS) {
        SetLastErrorText(win32::SystemErrorText(code));
        return false;
    }

    // The owner only changes for a process that may restore files (an
    // administrator's backup privilege); without the right to open the file
    // for that, it stays ours, which the permissions below already make
    // usable by the old owner.
    bool ownerWritable = true;
    HANDLE target = OpenForSecurity(to, READ_CONTROL | WRITE_DAC | WRITE_OWNER);
    if (!target) {
        ownerWritable = false;
        target = OpenForSecurity(to, READ_CONTROL | WRITE_DAC);
    }
    if (!target) {
        LocalFree(descriptor);
        return false;
    }

    // Keep the source's choice of whether the directory's inheritable entries
    // apply to it.
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    SECURITY_INFORMATION daclInfo = DACL_SECURITY_INFORMATION;
    if (GetSecurityDescriptorControl(descriptor, &control, &revision)) {
        daclInfo |= (control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                                       : UNPROTECTED_DACL_SECURITY_INFORMATION;
    }
    code = SetSecurityInfo(target, SE_FILE_OBJECT, daclInfo, nullptr, nullptr, dacl, nullptr);
    if (code != ERROR_SUCCESS) {
        SetLastErrorText(win32::SystemErrorText(code));
        CloseHandle(target);
        LocalFree(descriptor);
        return false;
    }
    if (ownerWritable && SetSecurityInfo(target, SE_FILE_OBJECT,
                                         OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION,
                                         owner, group, nullptr, nullptr) != ERROR_SUCCESS) {
        SetSecurityInfo(target, SE_FILE_OBJECT, GROUP_SECURITY_INFORMATION, nullptr, group, nullptr,
                        nullptr);
    }
    CloseHandle(target);
    LocalFree(descriptor);
    return true;
}

std::string ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            win32::RecordLastError();
            return {};
        }
        if (length < buffer.size()) {
            return win32::Utf8(std::wstring_view(buffer.data(), length));
        }
        if (buffer.size() >= 32768) {  // the longest path Windows has
            SetLastErrorText(win32::SystemErrorText(ERROR_INSUFFICIENT_BUFFER));
            return {};
        }
        buffer.resize(buffer.size() * 2);  // truncated: try a larger buffer
    }
}

std::optional<std::string> UserConfigDirectory(std::string_view) {
    return std::nullopt;
}

bool CreateDirectories(const std::string& directory) {
    if (Injected(faults::Op::Create, directory)) {
        return false;
    }
    // Each component after the root in turn ("C:\" or "\\server\share\").
    std::size_t start = directory.size() >= 3 && directory[1] == ':' ? 3 : 0;
    if (directory.rfind("\\\\", 0) == 0) {
        std::size_t share = directory.find_first_of("\\/", 2);
        start = share == std::string::npos ? directory.size()
                                           : directory.find_first_of("\\/", share + 1);
    }
    for (std::size_t cut = directory.find_first_of("\\/", start);;
         cut = directory.find_first_of("\\/", cut + 1)) {
        std::string part = directory.substr(0, cut);
        if (!part.empty() && !DirectoryExists(part) &&
            !CreateDirectoryW(win32::Wide(part).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            win32::RecordLastError();
            return false;
        }
        if (cut == std::string::npos) {
            break;
        }
    }
    if (!DirectoryExists(directory)) {
        SetLastErrorText(win32::SystemErrorText(ERROR_DIRECTORY));
        return false;
    }
    return true;
}

}  // namespace kestrove::platform
