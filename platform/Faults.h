#pragma once
// Test hook: make chosen operations of the platform layer fail, the way a
// failing device would, so that every error path of the commands can be
// reached through a real failure. The program never arms it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrove::platform::faults {

enum class Op {
    Open,    // File::Open for reading
    Create,  // File::Open for writing
    Read,    // File::Read / ReadByte
    Write,   // File::Write / WriteByte / WriteString
    Seek,    // File::Seek
    Tell,    // File::Tell
    Sync,    // File::Sync, File::Close, SyncDirectory
    Rename,  // RenameNoReplace
    Delete,  // RemoveFile
};

// The nth call of `op` from now on (1 = the next one) fails, counting only
// calls whose path contains `pathPart` (without regard to case; empty: every
// path). For Rename the source and the target path are both looked at.
void FailNth(Op op, int nth, std::string pathPart = {});
// Every call of `op` on a matching path fails until Reset.
void FailAlways(Op op, std::string pathPart = {});
// A write that would put a byte at `offset` of a file whose path contains
// `pathPart` fails, whatever the buffering, once (the next such write). The
// bytes before `offset` are written, as on a device that fills up.
void FailWriteAt(std::string pathPart, std::int64_t offset);
void Reset();

// Used by the platform layer's implementations (not by tests). File applies
// Open, Create, Read, Write, Seek, Tell and Sync itself; the native
// RemoveFile, RenameNoReplace, SyncDirectory and ProfileWriteString (Write)
// call Hit for theirs.
//
// True when this call of `op` on `path` (and `otherPath`, for Rename) is to
// fail. Each call counts once towards FailNth.
bool Hit(Op op, std::string_view path, std::string_view otherPath = {});
// For a write of `n` bytes at `offset` of `path`: the number of bytes that
// may be written before an armed FailWriteAt offset, or `n` when none lies
// in the range. A result below `n` disarms that offset.
std::size_t WritableBefore(std::string_view path, std::int64_t offset, std::size_t n);
// The text LastErrorText() gives after an injected failure.
inline constexpr std::string_view kInjectedFaultText = "Input/output error (injected fault)";

}  // namespace kestrove::platform::faults
