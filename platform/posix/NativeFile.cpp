#include "platform/NativeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Paths.h"
#include "platform/posix/Posix.h"

namespace kestrove::platform {

namespace posix {
bool FailWithErrno(int error) {
    SetLastErrorText(std::strerror(error));
    return false;
}

bool FailLink() {
    SetLastErrorText(kLinkText);
    return false;
}

bool FailNoFollowOpen(const std::string& native, int error) {
    struct stat st {};
    if (lstat(native.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return FailLink();
    return FailWithErrno(error);
}

bool FailNotRegular(unsigned mode) {
    if (S_ISDIR(mode))
        return FailWithErrno(EISDIR);  // Windows does not open a directory as a file either
    SetLastErrorText(kNotRegularFileText);
    return false;
}
}  // namespace posix

struct NativeFile::Handle {
    int fd = -1;
};

NativeFile::~NativeFile() {
    Close();
}

std::unique_ptr<NativeFile> NativeFile::Open(const std::string& path, OpenMode mode) {
    auto native = ToNative(path);
    if (!native) {
        posix::FailNoDrive();
        return nullptr;
    }
    const bool reading = mode == OpenMode::ReadBinary || mode == OpenMode::ReadBinaryThroughLinks;
    const bool follow = mode != OpenMode::ReadBinary && mode != OpenMode::CreateBinary;
    // Regular files only: a named pipe blocks an open (and every read) until
    // someone writes to it, and a device such as /dev/zero never ends. Test
    // the name first, open without blocking, then test what was opened.
    struct stat st {};
    if ((follow ? stat(native->c_str(), &st) : lstat(native->c_str(), &st)) == 0) {
        if (S_ISLNK(st.st_mode)) {
            posix::FailLink();
            return nullptr;
        }
        if (mode == OpenMode::CreateBinary) {
            posix::FailWithErrno(EEXIST);
            return nullptr;
        }
        if (!S_ISREG(st.st_mode)) {
            posix::FailNotRegular(st.st_mode);
            return nullptr;
        }
    } else if (reading || errno != ENOENT) {
        posix::FailWithErrno(errno);
        return nullptr;
    }
    int flags = reading                          ? O_RDONLY
                : mode == OpenMode::CreateBinary ? (O_WRONLY | O_CREAT | O_EXCL)
                                                 : (O_WRONLY | O_CREAT | O_TRUNC);
    if (!follow)
        flags |= O_NOFOLLOW;
    int fd = ::open(native->c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) {
        // Also a link put there since the test above.
        if (follow)
            posix::FailWithErrno(errno);
        else
            posix::FailNoFollowOpen(*native, errno);
        return nullptr;
    }
    if (fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        posix::FailWithErrno(error);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {  // the name was changed between the two tests
        ::close(fd);
        posix::FailNotRegular(st.st_mode);
        return nullptr;
    }
    // A regular file never blocks; the flag goes so reads behave as usual.
    if (int status = fcntl(fd, F_GETFL); status >= 0)
        fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    std::unique_ptr<NativeFile> file(new NativeFile());
    file->handle_ = std::make_unique<Handle>();
    file->handle_->fd = fd;
    return file;
}

std::int64_t NativeFile::Read(void* buffer, std::size_t n) {
    if (!handle_ || handle_->fd < 0)
        return -1;
    for (;;) {
        ssize_t got = ::read(handle_->fd, buffer, n);
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            posix::FailWithErrno(errno);
            return -1;
        }
    }
}

bool NativeFile::Write(const void* data, std::size_t n, std::size_t& accepted) {
    accepted = 0;
    if (!handle_ || handle_->fd < 0)
        return posix::FailWithErrno(EBADF);
    const auto* p = static_cast<const char*>(data);
    while (accepted < n) {
        ssize_t put = ::write(handle_->fd, p + accepted, n - accepted);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return posix::FailWithErrno(errno);
        }
        if (put == 0)
            return posix::FailWithErrno(ENOSPC);
        accepted += static_cast<std::size_t>(put);
    }
    return true;
}

bool NativeFile::Seek(std::int64_t position) {
    if (!handle_ || handle_->fd < 0 || position < 0)
        return posix::FailWithErrno(EINVAL);
    if (::lseek(handle_->fd, static_cast<off_t>(position), SEEK_SET) < 0)
        return posix::FailWithErrno(errno);
    return true;
}

bool NativeFile::Truncate(std::int64_t length) {
    if (!handle_ || handle_->fd < 0 || length < 0)
        return posix::FailWithErrno(EINVAL);
    for (;;) {
        if (::ftruncate(handle_->fd, static_cast<off_t>(length)) == 0)
            return true;
        if (errno != EINTR)
            return posix::FailWithErrno(errno);
    }
}

std::int64_t NativeFile::Length() {
    if (!handle_ || handle_->fd < 0)
        return -1;
    struct stat st {};
    if (fstat(handle_->fd, &st) != 0) {
        posix::FailWithErrno(errno);
        return -1;
    }
    return st.st_size;
}

bool NativeFile::Sync() {
    if (!handle_ || handle_->fd < 0)
        return false;
    if (::fsync(handle_->fd) != 0)
        return posix::FailWithErrno(errno);
    return true;
}

bool NativeFile::Close() {
    if (!handle_ || handle_->fd < 0)
        return true;
    int fd = handle_->fd;
    handle_->fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        return posix::FailWithErrno(errno);
    return true;
}

}  // namespace kestrove::platform
