#pragma once
// The message file (.PMM / .BKM): its 128-byte header, the names of a
// folder's four files, and the lock-file test.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Bytes.h"

namespace kestrove {

inline constexpr std::size_t kHeaderSize = 128;
inline constexpr std::uint8_t kCtrlZ = 0x1A;

struct MessageFileHeader {
    static constexpr std::size_t kUnreadAt = 56;  // 16 bits
    std::array<std::uint8_t, kHeaderSize> bytes{};

    std::string_view name() const { return FieldText(&bytes[0], 50); }
    std::int16_t unread() const { return GetI16(&bytes[kUnreadAt]); }
    std::int16_t deleted() const { return GetI16(&bytes[58]); }
    std::int32_t delsize() const { return GetI32(&bytes[60]); }
    std::string_view id() const { return FieldText(&bytes[86], 22); }

    void set_unread(std::int16_t v) { PutI16(&bytes[kUnreadAt], v); }
    void set_deleted(std::int16_t v) { PutI16(&bytes[58], v); }
    void set_delsize(std::int32_t v) { PutI32(&bytes[60], v); }
};

// Reads the header at offset 0 of an open file; a file shorter than 128
// bytes gives a header padded with zero bytes. `bytesRead` (optional) gets
// how many bytes the file held.
namespace platform {
class File;
}
MessageFileHeader ReadHeader(platform::File& file, std::size_t* bytesRead = nullptr);
// Opens, reads and closes; empty when the file cannot be opened.
std::optional<MessageFileHeader> ReadHeaderOf(const std::string& path);

// The naming rule: the extension of the path's file name (from its last dot;
// a dot in a directory name does not count) replaced by `extension`, or
// `extension` appended when the file name has none.
std::string ReplaceExtension(std::string_view path, std::string_view extension);
std::string MessageFileName(std::string_view indexPath);        // ".PMM"
std::string BackupIndexFileName(std::string_view indexPath);    // ".BKI"
std::string BackupMessageFileName(std::string_view indexPath);  // ".BKM" of the ".PMM"

// The mail client has the mailbox in `directory` open when a search for
// "*.lck" there finds a file or a directory.
bool MailboxInUse(std::string_view directory);

}  // namespace kestrove
