#pragma once
// Test hook: make chosen operations of the platform layer fail, the way a
// failing device would, so that every error path of the commands can be
// reached through a real failure. The program never arms it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kestrove::platform::faults {

enum class Op {
    Open,    // File::Open for reading
    Create,  // File::Open for writing
    Read,    // File::Read / ReadByte
    Write,   // File::Write / WriteByte / WriteString, at the call
    Flush,   // a write to the system: of the buffer (when it is full, and at
             // Seek, Flush, Sync and Close) or of a block too large for it
    Seek,    // File::Seek
    Tell,    // File::Tell
    Sync,    // File::Sync, SyncDirectory
    Close,   // File::Close (after the file's bytes went to the system)
    Rename,  // RenameNoReplace
    Delete,  // RemoveFile
    Stat,    // StampOf
};

// The nth call of `op` from now on (1 = the next one) fails, counting only
// calls whose path contains `pathPart` (without regard to case; empty: every
// path). For Rename the source and the target path are both looked at.
void FailNth(Op op, int nth, std::string pathPart = {});
// The nth call of `op` on a matching path runs `action` first and then goes
// on as usual: another program's doing at that very moment.
void AtNth(Op op, int nth, std::string pathPart, std::function<void()> action);
// Every call of `op` on a matching path fails until Reset.
void FailAlways(Op op, std::string pathPart = {});
// A write that would put a byte at `offset` of a file whose path contains
// `pathPart` fails, whatever the buffering, once (the next such write). The
// bytes before `offset` are written, as on a device that fills up.
void FailWriteAt(std::string pathPart, std::int64_t offset);
// The write to the system that would put byte `offset` of a matching file
// takes the bytes before it and then fails, once, as a full disk does at
// the flush of a buffer.
void FailSystemWriteAt(std::string pathPart, std::int64_t offset);
// The read from the system that would deliver byte `offset` of a matching
// file returns the bytes before it; the next one, at `offset`, fails, once.
void FailReadAt(std::string pathPart, std::int64_t offset);
// Counts the calls of every Op per path from now on, for Calls().
void StartCounting();
// Calls of `op` on paths containing `pathPart` since StartCounting.
int Calls(Op op, std::string_view pathPart = {});
void Reset();

// Used by the platform layer's implementations (not by tests). File applies
// Open, Create, Read, Write, Flush, Seek, Tell, Sync and Close itself; the native
// RemoveFile, RenameNoReplace, SyncDirectory, StampOf (Stat) and
// ProfileWriteString (Write) call Hit for theirs.
//
// True when this call of `op` on `path` (and `otherPath`, for Rename) is to
// fail. Each call counts once towards FailNth.
bool Hit(Op op, std::string_view path, std::string_view otherPath = {});
// For a write of `n` bytes at `offset` of `path`: the number of bytes that
// may be written before an armed FailWriteAt offset, or `n` when none lies
// in the range. A result below `n` disarms that offset.
std::size_t WritableBefore(std::string_view path, std::int64_t offset, std::size_t n);
// The same for a write to the system (FailSystemWriteAt).
std::size_t SystemWritableBefore(std::string_view path, std::int64_t offset, std::size_t n);
// For a read of `n` bytes from the system at `offset`: the number of bytes it
// may deliver, or -1 when it fails (FailReadAt).
std::int64_t ReadableBefore(std::string_view path, std::int64_t offset, std::size_t n);
// The text LastErrorText() gives after an injected failure.
inline constexpr std::string_view kInjectedFaultText = "Input/output error (injected fault)";

}  // namespace kestrove::platform::faults
