#pragma once
// The copy of one message text from the old message file into the new one.
//
// The rule is a byte-at-a-time one: copy `fsize` bytes (at least one), then
// the text is complete when the last of them is a Ctrl-Z; otherwise the next
// byte must be the Ctrl-Z; otherwise the user is asked, and the copy goes on
// two bytes at a time. The bytes are moved in large blocks through a fixed
// buffer; the result, the questions, the meter values and the log lines are
// those of the byte-at-a-time rule.

#include <cstdint>
#include <string>
#include <vector>

#include "core/RunLog.h"
#include "core/WindowPort.h"

namespace kestrove {

namespace platform {
class File;
}

inline constexpr std::size_t kCopyBufferSize = 64 * 1024;

struct TextCopy {
    platform::File& in;   // positioned at the text
    platform::File& out;  // the new message file
    WindowPort& port;
    RunLog& log;
    std::vector<std::uint8_t>& buffer;  // kCopyBufferSize bytes, reused
    const std::string& messagePath;     // the folder's message file, for the boxes
    std::int64_t fpos = 0;              // the text's place in the old file
    std::int32_t fsize = 0;
    std::uint16_t messageNumber = 0;      // the new number, for the log
    std::int64_t* outPosition = nullptr;  // bytes in `out`; advanced by the copy
    std::int64_t readErrorAt = -1;        // set with CopyResult::ReadFailed
};

enum class CopyResult {
    Finished,
    RunEnds,      // Cancel in a question; its text is in the log
    WriteFailed,  // `out` refused bytes at a flush: it cannot be completed
    ReadFailed,   // `in` failed (not its end) at `readErrorAt`
};

CopyResult CopyText(TextCopy& copy);

// Writes what it can of n bytes at position `before` of `out`; returns how
// many went through (n when all did). The byte at the returned index is the
// one that failed, unless `out` HasRefusedBytes.
std::size_t WriteSome(platform::File& out, const std::uint8_t* data, std::size_t n,
                      std::int64_t before);

}  // namespace kestrove
