// The buffered File over the operating system's NativeFile. The test faults
// of the calls (Write, Seek, ...) are applied when the call is made; those of
// the system (Flush, FailSystemWriteAt, FailReadAt) where File calls it.
#include "platform/File.h"

#include <algorithm>
#include <cstring>

#include "platform/Faults.h"
#include "platform/NativeFile.h"

namespace kestrove::platform {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

#ifdef _WIN32
constexpr bool kTextModeCrLf = true;
#else
constexpr bool kTextModeCrLf = false;
#endif

bool Reads(OpenMode mode) {
    return mode == OpenMode::ReadBinary || mode == OpenMode::ReadBinaryThroughLinks;
}

bool Injected(faults::Op op, const std::string& path) {
    if (!faults::Hit(op, path))
        return false;
    SetLastErrorText(std::string(faults::kInjectedFaultText));
    return true;
}

}  // namespace

std::unique_ptr<File> File::Open(const std::string& path, OpenMode mode) {
    if (Injected(Reads(mode) ? faults::Op::Open : faults::Op::Create, path))
        return nullptr;
    auto native = NativeFile::Open(path, mode);
    if (!native)
        return nullptr;
    return std::unique_ptr<File>(new File(path, mode, std::move(native)));
}

File::File(std::string path, OpenMode mode, std::unique_ptr<NativeFile> native)
    : path_(std::move(path)), mode_(mode), reading_(Reads(mode)), native_(std::move(native)) {}

File::~File() {
    if (native_) {
        FlushWriteBuffer();
        native_->Close();
    }
}

bool File::isOpen() const {
    return native_ != nullptr;
}

std::int64_t File::SystemRead(void* buffer, std::size_t n) {
    std::int64_t allowed = faults::ReadableBefore(path_, bufferStart_, n);
    if (allowed < 0) {
        SetLastErrorText(std::string(faults::kInjectedFaultText));
        readFailed_ = true;
        return -1;
    }
    std::int64_t got = native_->Read(buffer, static_cast<std::size_t>(allowed));
    if (got < 0)
        readFailed_ = true;
    return got;
}

bool File::FillReadBuffer() {
    if (buffer_.empty())
        buffer_.resize(kBufferSize);
    bufferStart_ += static_cast<std::int64_t>(bufferFill_);
    bufferPos_ = bufferFill_ = 0;
    std::int64_t got = SystemRead(buffer_.data(), buffer_.size());
    if (got <= 0)
        return false;
    bufferFill_ = static_cast<std::size_t>(got);
    return true;
}

std::size_t File::Read(void* buffer, std::size_t n) {
    readFailed_ = false;
    if (!native_ || !reading_)
        return 0;
    if (Injected(faults::Op::Read, path_)) {
        readFailed_ = true;
        return 0;
    }
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (bufferPos_ < bufferFill_) {
            std::size_t take = std::min(n - done, bufferFill_ - bufferPos_);
            std::memcpy(out + done, buffer_.data() + bufferPos_, take);
            bufferPos_ += take;
            done += take;
            continue;
        }
        if (n - done >= kBufferSize) {
            // Large reads bypass the buffer.
            bufferStart_ += static_cast<std::int64_t>(bufferFill_);
            bufferPos_ = bufferFill_ = 0;
            std::int64_t got = SystemRead(out + done, n - done);
            if (got <= 0)
                break;
            bufferStart_ += got;
            done += static_cast<std::size_t>(got);
            continue;
        }
        if (!FillReadBuffer())
            break;
    }
    return done;
}

int File::ReadByte() {
    readFailed_ = false;
    if (!native_ || !reading_)
        return -1;
    if (Injected(faults::Op::Read, path_)) {
        readFailed_ = true;
        return -1;
    }
    if (bufferPos_ >= bufferFill_ && !FillReadBuffer())
        return -1;
    return buffer_[bufferPos_++];
}

bool File::SystemWrite(const std::uint8_t* data, std::size_t n, std::size_t& accepted) {
    accepted = 0;
    if (Injected(faults::Op::Flush, path_))
        return false;
    std::size_t allowed = faults::SystemWritableBefore(path_, bufferStart_, n);
    if (!native_->Write(data, allowed, accepted))
        return false;
    if (allowed < n) {
        SetLastErrorText(std::string(faults::kInjectedFaultText));
        return false;
    }
    return true;
}

bool File::Write(const void* data, std::size_t n) {
    if (!native_ || reading_)
        return false;
    if (Injected(faults::Op::Write, path_))
        return false;

    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::string translated;
    if (kTextModeCrLf && mode_ == OpenMode::WriteText && std::memchr(bytes, '\n', n) != nullptr) {
        translated.reserve(n + n / 8);
        for (std::size_t i = 0; i < n; ++i) {
            if (bytes[i] == '\n')
                translated.push_back('\r');
            translated.push_back(static_cast<char>(bytes[i]));
        }
        bytes = reinterpret_cast<const std::uint8_t*>(translated.data());
        n = translated.size();
    }

    std::int64_t position = bufferStart_ + static_cast<std::int64_t>(bufferPos_);
    std::size_t allowed = faults::WritableBefore(path_, position, n);
    bool injected = allowed < n;

    if (buffer_.empty())
        buffer_.resize(kBufferSize);
    std::size_t done = 0;
    while (done < allowed) {
        if (bufferPos_ == 0 && allowed - done >= kBufferSize) {
            // Large writes bypass the buffer; a failure is one at the call,
            // after the bytes the system took.
            std::size_t accepted = 0;
            bool ok = SystemWrite(bytes + done, allowed - done, accepted);
            bufferStart_ += static_cast<std::int64_t>(accepted);
            if (!ok)
                return false;
            done += accepted;
            continue;
        }
        std::size_t take = std::min(allowed - done, buffer_.size() - bufferPos_);
        std::memcpy(buffer_.data() + bufferPos_, bytes + done, take);
        bufferPos_ += take;
        writing_ = true;
        done += take;
        if (bufferPos_ == buffer_.size() && !FlushWriteBuffer())
            return false;
    }
    if (injected) {
        SetLastErrorText(std::string(faults::kInjectedFaultText));
        return false;
    }
    return true;
}

bool File::WriteByte(std::uint8_t byte) {
    return Write(&byte, 1);
}

bool File::WriteString(std::string_view text) {
    return Write(text.data(), text.size());
}

bool File::FlushWriteBuffer() {
    if (!writing_ || bufferPos_ == 0) {
        writing_ = refused_ = false;
        return true;
    }
    std::size_t accepted = 0;
    bool ok = SystemWrite(buffer_.data(), bufferPos_, accepted);
    bufferStart_ += static_cast<std::int64_t>(accepted);
    if (ok) {
        bufferPos_ = 0;
        writing_ = refused_ = false;
        return true;
    }
    // The system took a prefix (the file ends right after it); the rest
    // stays for the next try.
    std::memmove(buffer_.data(), buffer_.data() + accepted, bufferPos_ - accepted);
    bufferPos_ -= accepted;
    refused_ = true;
    return false;
}

bool File::Seek(std::int64_t position) {
    // A reader that cannot get to its place must not take what it reads
    // next for what stands there.
    readFailed_ = mode_ == OpenMode::ReadBinary;
    if (!native_)
        return false;
    if (Injected(faults::Op::Seek, path_))
        return false;
    if (position < 0) {
        SetLastErrorText("Invalid argument");
        return false;
    }
    if (reading_) {
        if (position >= bufferStart_ &&
            position <= bufferStart_ + static_cast<std::int64_t>(bufferFill_)) {
            bufferPos_ = static_cast<std::size_t>(position - bufferStart_);
            readFailed_ = false;
            return true;
        }
        if (!native_->Seek(position))
            return false;
        readFailed_ = false;
        bufferStart_ = position;
        bufferPos_ = bufferFill_ = 0;
        return true;
    }
    if (!FlushWriteBuffer())
        return false;
    if (!native_->Seek(position))
        return false;
    bufferStart_ = position;
    return true;
}

std::int64_t File::Tell() {
    if (!native_)
        return -1;
    if (Injected(faults::Op::Tell, path_))
        return -1;
    return bufferStart_ + static_cast<std::int64_t>(bufferPos_);
}

std::int64_t File::Length() {
    if (!native_)
        return -1;
    std::int64_t length = native_->Length();
    if (length < 0)
        return -1;
    if (!reading_)
        length = std::max(length, bufferStart_ + static_cast<std::int64_t>(bufferPos_));
    return length;
}

bool File::Flush() {
    if (!native_)
        return false;
    if (reading_)
        return true;
    return FlushWriteBuffer();
}

bool File::Sync() {
    if (!native_)
        return false;
    if (Injected(faults::Op::Sync, path_))
        return false;
    if (!Flush())
        return false;
    return native_->Sync();
}

bool File::Close() {
    if (!native_)
        return false;
    bool ok = Flush();
    ok = native_->Close() && ok;
    native_.reset();
    // Bytes the system refused are gone with the buffer; the file holds what
    // it accepted.
    bufferPos_ = 0;
    writing_ = refused_ = false;
    bool injected = Injected(faults::Op::Close, path_);
    return ok && !injected;
}

bool File::Truncate(std::int64_t length) {
    if (!native_ || reading_ || length < 0)
        return false;
    if (!FlushWriteBuffer())
        return false;
    if (!native_->Truncate(length) || !native_->Seek(length))
        return false;
    bufferStart_ = length;
    return true;
}

}  // namespace kestrove::platform
