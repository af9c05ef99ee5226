#pragma once
// The operating system's side of a File: unbuffered calls on one handle.
// posix/ and win32/ each implement it; File adds the buffer, the text-mode
// translation and the test faults on top.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/File.h"

namespace kestrove::platform {

class NativeFile {
  public:
    // Opens `path` (a Windows path text) as `mode` says (File.h); regular
    // files only. Null on failure, with LastErrorText() set.
    static std::unique_ptr<NativeFile> Open(const std::string& path, OpenMode mode);
    ~NativeFile();

    // Returns bytes read (0 at the end), or -1 on an error.
    std::int64_t Read(void* buffer, std::size_t n);
    // Writes all n bytes or fails; `accepted` tells how many the system took
    // before it failed (all n on success).
    bool Write(const void* data, std::size_t n, std::size_t& accepted);
    bool Seek(std::int64_t position);
    // Cuts the file to `length` bytes (the position is not moved).
    bool Truncate(std::int64_t length);
    std::int64_t Length();
    bool Sync();
    bool Close();

  private:
    NativeFile() = default;
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

// LastErrorText() for a name that is not a regular file (a pipe, a device).
inline constexpr const char* kNotRegularFileText = "Not a regular file";
// LastErrorText() for a link that a call does not follow.
inline constexpr const char* kLinkText = "Is a link";

// Sets the text LastErrorText() returns (used by every implementation).
void SetLastErrorText(std::string text);

}  // namespace kestrove::platform
