#pragma once
// The 26 named bits of an index record's flags, in the viewer's column order.

#include <array>
#include <cstdint>
#include <string_view>

namespace kestrove {

enum class MessageFlag : std::uint32_t {
    Mailed = 0x00000001,
    UUEncoded = 0x00000002,
    Encrypted = 0x00000004,
    Digest = 0x00000008,
    Expired = 0x00000010,
    FileAscii = 0x00000020,
    Read = 0x00000080,
    AltVersions = 0x00000100,
    Html = 0x00000200,
    Confirmation = 0x00002000,
    ContentControl = 0x00004000,
    CopySelf = 0x00020000,
    Deleted = 0x00040000,
    Mime = 0x00080000,
    Replied = 0x00100000,
    Forwarded = 0x00200000,
    Urgent = 0x00400000,
    Binhex = 0x00800000,
    Mhs = 0x01000000,
    Smtp = 0x02000000,
    Annotated = 0x04000000,
    Enclosure = 0x08000000,
    Highlighted = 0x10000000,
    MimeMultipart = 0x20000000,
    TextEnriched = 0x40000000,
    ReadOnly = 0x80000000,
};

struct MessageFlagInfo {
    MessageFlag flag;
    std::string_view name;      // shown in the viewer's cell-information line
    std::string_view title;     // the column's title
    std::string_view cellText;  // a set bit's cell
    int viewerColumn;
};

inline constexpr int kFlagCount = 26;
extern const std::array<MessageFlagInfo, kFlagCount> kMessageFlags;

inline constexpr bool IsSet(std::uint32_t flags, MessageFlag f) {
    return (flags & static_cast<std::uint32_t>(f)) == static_cast<std::uint32_t>(f);
}

inline constexpr std::uint32_t kDeletedBit = static_cast<std::uint32_t>(MessageFlag::Deleted);
inline constexpr std::uint32_t kReadBit = static_cast<std::uint32_t>(MessageFlag::Read);
inline constexpr std::uint32_t kCopySelfBit = static_cast<std::uint32_t>(MessageFlag::CopySelf);

}  // namespace kestrove
