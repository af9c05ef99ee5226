// Private-profile files on POSIX: the portable implementation on the file's
// bytes. A write replaces the file through a temporary file in the same
// directory, so a crash never leaves a half-written INI behind.
#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/Faults.h"
#include "platform/File.h"
#include "platform/NativeFile.h"
#include "platform/Paths.h"
#include "platform/posix/Posix.h"

namespace kestrove::platform {

namespace {

bool ReadAll(int fd, std::string& contents) {
    char buffer[1 << 14];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        contents.append(buffer, static_cast<std::size_t>(got));
    }
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t put = write(fd, data.data(), data.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// Writes the whole file in place: for a writable file in a directory where
// no temporary file may be made, as the Windows call manages there too.
bool WriteInPlace(const std::string& target, std::string_view data) {
    int fd = open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return posix::FailWithErrno(errno);
    bool ok = WriteAll(fd, data) && fsync(fd) == 0;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    return ok || posix::FailWithErrno(error);
}

}  // namespace

std::string ProfileReadString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, const std::string& file) {
    std::string contents;
    // The settings file may be a link, as its writer allows.
    if (auto in = File::Open(file, OpenMode::ReadBinaryThroughLinks)) {
        char buffer[1 << 14];
        while (std::size_t got = in->Read(buffer, sizeof buffer))
            contents.append(buffer, got);
    }
    return portable_profile::Read(contents, section, key, defaultValue);
}

bool ProfileWriteString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& file) {
    if (faults::Hit(faults::Op::Write, file)) {
        SetLastErrorText(std::string(faults::kInjectedFaultText));
        return false;
    }
    auto native = ToNative(file);
    if (!native)
        return posix::FailNoDrive();

    // A link to the settings file stays a link: write where it leads.
    std::string target = *native;
    struct stat st {};
    bool exists = stat(target.c_str(), &st) == 0;
    std::string contents;
    if (exists) {
        if (S_ISDIR(st.st_mode))
            return posix::FailWithErrno(EISDIR);
        char resolved[PATH_MAX];
        if (realpath(target.c_str(), resolved))
            target = resolved;
        int fd = open(target.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return posix::FailWithErrno(errno);
        bool ok = ReadAll(fd, contents);
        int error = errno;
        close(fd);
        if (!ok)
            return posix::FailWithErrno(error);
    }
    std::string updated = portable_profile::Write(contents, section, key, value);
    if (exists && updated == contents)
        return true;  // nothing changes: the file is not touched
    // A read-only settings file refuses the write, as on Windows.
    if (exists && access(target.c_str(), W_OK) != 0)
        return posix::FailWithErrno(errno);

    std::size_t slash = target.rfind('/');
    std::string directory = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = directory + "." + base + "." + std::to_string(getpid()) + "." +
               std::to_string(attempt) + ".tmp";
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        int error = errno;
        if (exists && (error == EACCES || error == EPERM))
            return WriteInPlace(target, updated);
        return posix::FailWithErrno(error);
    }

    bool ok = WriteAll(fd, updated);
    if (ok && exists) {
        if (fchown(fd, st.st_uid, st.st_gid) != 0 && errno != EPERM)
            ok = false;
        if (ok && fchmod(fd, st.st_mode & 07777) != 0)
            ok = false;
    }
    if (ok && fsync(fd) != 0)
        ok = false;
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temp.c_str());
        return posix::FailWithErrno(error);
    }
    // Make the new name durable; the file itself already is.
    int dirFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}

}  // namespace kestrove::platform
