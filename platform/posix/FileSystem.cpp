// Existence tests, delete, the rename that never replaces, the wildcard
// search and the other file-system calls of File.h.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/NativeFile.h"
#include "platform/Paths.h"
#include "platform/posix/Posix.h"

namespace kestrove::platform {

namespace {

constexpr std::uint32_t kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrDirectory = 0x10,
                        kAttrArchive = 0x20, kAttrReparsePoint = 0x400;

bool Injected(faults::Op op, std::string_view path, std::string_view other = {}) {
    if (!faults::Hit(op, path, other))
        return false;
    SetLastErrorText(std::string(faults::kInjectedFaultText));
    return true;
}

bool StatOf(const std::string& path, struct stat& st) {
    auto native = ToNative(path);
    return native && stat(native->c_str(), &st) == 0;
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Moves a file to another file system: copy to a new file (never replacing
// one), make it durable, then remove the source.
bool MoveAcrossDevices(const std::string& from, const std::string& to) {
    struct stat st {};
    if (lstat(from.c_str(), &st) != 0)
        return posix::FailWithErrno(errno);
    if (!S_ISREG(st.st_mode))
        return posix::FailWithErrno(EXDEV);
    int in = open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (in < 0)
        return posix::FailWithErrno(errno);
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        int error = errno;
        close(in);
        return posix::FailWithErrno(error);
    }
    std::vector<char> buffer(1 << 16);
    int error = 0;
    for (;;) {
        ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got && error == 0;) {
            ssize_t put = write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno != EINTR)
                error = errno;
            else if (put > 0)
                done += put;
        }
        if (error != 0)
            break;
    }
    if (error == 0 && fchown(out, st.st_uid, st.st_gid) != 0 && errno != EPERM)
        error = errno;
    if (error == 0 && fchmod(out, st.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && fsync(out) != 0)
        error = errno;
    if (close(out) != 0 && error == 0)
        error = errno;
    close(in);
    if (error == 0 && unlink(from.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(to.c_str());
        return posix::FailWithErrno(error);
    }
    return true;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
    constexpr unsigned kRenameNoReplace = 1;  // RENAME_NOREPLACE
    if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kRenameNoReplace) == 0)
        return true;
    if (errno == EXDEV)
        return MoveAcrossDevices(from, to);
    if (errno != ENOSYS && errno != EINVAL && errno != ENOTSUP && errno != EOPNOTSUPP)
        return posix::FailWithErrno(errno);
#endif
    // A hard link fails when the target exists; then the old name goes.
    if (link(from.c_str(), to.c_str()) == 0) {
        if (unlink(from.c_str()) == 0)
            return true;
        int error = errno;
        unlink(to.c_str());
        return posix::FailWithErrno(error);
    }
    if (errno == EXDEV)
        return MoveAcrossDevices(from, to);
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK)
        return posix::FailWithErrno(errno);
    // No hard links here (or a directory): test, then rename. Only another
    // process creating the target in between could be replaced.
    struct stat st {};
    if (lstat(to.c_str(), &st) == 0)
        return posix::FailWithErrno(EEXIST);
    if (rename(from.c_str(), to.c_str()) != 0)
        return posix::FailWithErrno(errno);
    return true;
}

}  // namespace

bool FileExists(const std::string& path) {
    struct stat st {};
    return StatOf(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return StatOf(path, st) && S_ISREG(st.st_mode);
}

bool IsLink(const std::string& path) {
    auto native = ToNative(path);
    struct stat st {};
    return native && lstat(native->c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat st {};
    if (!StatOf(path, st))
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<FileStamp> StampOf(const std::string& path) {
    if (Injected(faults::Op::Stat, path))
        return std::nullopt;
    auto native = ToNative(path);
    if (!native) {
        posix::FailNoDrive();
        return std::nullopt;
    }
    struct stat st {};
    if (stat(native->c_str(), &st) != 0) {
        posix::FailWithErrno(errno);
        return std::nullopt;
    }
    if (S_ISDIR(st.st_mode)) {
        posix::FailWithErrno(EISDIR);
        return std::nullopt;
    }
    return FileStamp{
        {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)},
        static_cast<std::int64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

bool IsSameFile(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = IdentityOf(a);
    return first && first == IdentityOf(b);
}

bool RemoveFile(const std::string& path) {
    if (Injected(faults::Op::Delete, path))
        return false;
    auto native = ToNative(path);
    if (!native)
        return posix::FailNoDrive();
    struct stat st {};
    if (lstat(native->c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return posix::FailWithErrno(EISDIR);
    // unlink removes the name; a link goes, never what it points at.
    if (unlink(native->c_str()) != 0)
        return posix::FailWithErrno(errno);
    return true;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (Injected(faults::Op::Rename, from, to))
        return false;
    auto source = ToNative(from);
    auto target = ToNative(to);  // an existing name in another case is found
    if (!source || !target)
        return posix::FailNoDrive();
    return RenameWithoutReplacing(*source, *target);
}

std::size_t RenameEachNoReplace(const std::vector<std::pair<std::string, std::string>>& renames) {
    // Looked up first: a lookup may read the whole directory, to find a
    // name in another letter case.
    std::vector<std::pair<std::string, std::string>> native;
    for (const auto& [from, to] : renames) {
        auto source = ToNative(from);
        auto target = ToNative(to);
        if (!source || !target)
            break;
        native.emplace_back(std::move(*source), std::move(*target));
    }
    for (std::size_t i = 0; i < renames.size(); ++i) {
        if (Injected(faults::Op::Rename, renames[i].first, renames[i].second))
            return i;
        if (i == native.size()) {
            posix::FailNoDrive();
            return i;
        }
        if (!RenameWithoutReplacing(native[i].first, native[i].second))
            return i;
    }
    return renames.size();
}

std::vector<DirEntry> FindFiles(const std::string& pattern) {
    std::vector<DirEntry> entries;
    std::size_t cut = pattern.find_last_of("\\/");
    if (cut == std::string::npos)
        return entries;
    std::string_view mask = std::string_view(pattern).substr(cut + 1);
    if (mask.empty())
        return entries;
    auto directory = ToNative(std::string_view(pattern).substr(0, cut));
    if (!directory)
        return entries;
    DIR* dir = opendir(directory->c_str());
    if (!dir) {
        posix::FailWithErrno(errno);
        return entries;
    }
    while (const dirent* found = readdir(dir)) {
        std::string_view name = found->d_name;
        if (!MatchesMask(mask, name))
            continue;
        std::string full = *directory + "/" + std::string(name);
        struct stat st {};
        if (lstat(full.c_str(), &st) != 0)
            continue;  // gone since readdir
        DirEntry entry;
        entry.name = name;
        entry.isLink = S_ISLNK(st.st_mode);
        if (entry.isLink && stat(full.c_str(), &st) != 0)
            st.st_mode = S_IFLNK | 0777;  // a link to nothing: a file, as Windows shows it
        entry.isDirectory = S_ISDIR(st.st_mode);
        entry.attributes = entry.isDirectory ? kAttrDirectory : kAttrArchive;
        if (entry.isLink)
            entry.attributes |= kAttrReparsePoint;
        if (!(st.st_mode & S_IWUSR))
            entry.attributes |= kAttrReadOnly;
        if (name.front() == '.' && name != "." && name != "..")
            entry.attributes |= kAttrHidden;
        entries.push_back(std::move(entry));
    }
    closedir(dir);

    // A stable order, as Windows gives: "." and "..", then by name without
    // regard to case.
    auto rank = [](const std::string& name) { return name == "." ? 0 : name == ".." ? 1 : 2; };
    std::sort(entries.begin(), entries.end(), [&](const DirEntry& a, const DirEntry& b) {
        if (rank(a.name) != rank(b.name))
            return rank(a.name) < rank(b.name);
        std::size_t n = std::min(a.name.size(), b.name.size());
        for (std::size_t i = 0; i < n; ++i) {
            auto x = static_cast<unsigned char>(FoldAscii(a.name[i]));
            auto y = static_cast<unsigned char>(FoldAscii(b.name[i]));
            if (x != y)
                return x < y;
        }
        if (a.name.size() != b.name.size())
            return a.name.size() < b.name.size();
        return a.name < b.name;
    });
    return entries;
}

bool CaseSensitiveNames() {
    return true;
}

std::vector<std::string> NamesAnswering(const std::string& path) {
    std::vector<std::string> names;
    auto native = ToNative(path);
    if (!native)
        return names;
    std::size_t cut = native->find_last_of('/');
    if (cut == std::string::npos)
        return names;
    const std::string directory = cut == 0 ? "/" : native->substr(0, cut);
    const std::string_view name = FileNamePart(path);
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return names;
    while (const dirent* found = readdir(dir)) {
        if (posix::SameNameNoCase(found->d_name, name))
            names.emplace_back(found->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool SyncDirectory(const std::string& directory) {
    if (Injected(faults::Op::Sync, directory))
        return false;
    auto native = ToNative(directory);
    if (!native)
        return posix::FailNoDrive();
    int fd = open(native->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return posix::FailWithErrno(errno);
    // Some file systems cannot sync a directory (EINVAL): nothing to do there.
    int result = fsync(fd);
    int error = errno;
    close(fd);
    if (result != 0 && error != EINVAL)
        return posix::FailWithErrno(error);
    return true;
}

namespace {

// A regular file opened for its metadata without following a link (for
// writing where it may not be read); -1 (LastErrorText set) for anything
// else.
int OpenNoFollow(const std::string& native, struct stat& st) {
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = open(native.c_str(), O_RDONLY | kFlags);
    if (fd < 0 && errno == EACCES)
        fd = open(native.c_str(), O_WRONLY | kFlags);
    if (fd < 0) {
        posix::FailNoFollowOpen(native, errno);
        return -1;
    }
    if (fstat(fd, &st) != 0) {
        const int error = errno;
        close(fd);
        posix::FailWithErrno(error);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        posix::FailNotRegular(st.st_mode);
        return -1;
    }
    return fd;
}

}  // namespace

bool CopyPermissions(const std::string& from, const std::string& to) {
    auto source = ToNative(from);
    auto target = ToNative(to);
    if (!source || !target)
        return posix::FailNoDrive();
    // The target through its own handle: a name swapped for a link
    // meanwhile must not lead the change of owner to another file.
    struct stat st {};
    if (lstat(source->c_str(), &st) != 0)
        return posix::FailWithErrno(errno);
    if (S_ISLNK(st.st_mode))
        return posix::FailLink();
    if (!S_ISREG(st.st_mode))
        return posix::FailNotRegular(st.st_mode);
    struct stat own {};
    const int out = OpenNoFollow(*target, own);
    if (out < 0)
        return false;
    // Owner and group first (a change of owner may clear set-id bits). Only
    // the superuser may give a file away; others may still set the group.
    int error = 0;
    if (fchown(out, st.st_uid, st.st_gid) != 0) {
        if (errno != EPERM)
            error = errno;
        else if (fchown(out, static_cast<uid_t>(-1), st.st_gid) != 0 && errno != EPERM)
            error = errno;
    }
    if (error == 0 && fchmod(out, st.st_mode & 07777) != 0)
        error = errno;
    close(out);
    return error == 0 || posix::FailWithErrno(error);
}

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "Z:\\kestrove";
    return posix::WindowsTextOf(std::string(buffer, static_cast<std::size_t>(n)));
}

std::optional<std::string> UserConfigDirectory(std::string_view program) {
    // A relative XDG_CONFIG_HOME is invalid and to be ignored.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base =
        xdg && xdg[0] == '/' ? std::string(xdg) : posix::HomeDirectory() + "/.config";
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    if (base != "/")
        base.push_back('/');
    const std::string native = base + std::string(program);
    return FromNativeMappingRoot(native).value_or(posix::WindowsTextOf(native));
}

bool CreateDirectories(const std::string& directory) {
    if (Injected(faults::Op::Create, directory))
        return false;
    auto native = ToNative(directory);
    if (!native)
        return posix::FailNoDrive();
    // Each component in turn; one that exists (as a directory or a link to
    // one) is passed through.
    for (std::size_t slash = native->find('/', 1);; slash = native->find('/', slash + 1)) {
        std::string part = native->substr(0, slash);
        struct stat st {};
        if (stat(part.c_str(), &st) != 0 && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return posix::FailWithErrno(errno);
        if (slash == std::string::npos)
            break;
    }
    struct stat made {};
    if (stat(native->c_str(), &made) != 0)
        return posix::FailWithErrno(errno);
    if (!S_ISDIR(made.st_mode))
        return posix::FailWithErrno(ENOTDIR);
    return true;
}

}  // namespace kestrove::platform
