// The table of the 26 named flag bits.
#include <gtest/gtest.h>

#include <set>

#include "core/MessageFlag.h"

namespace kestrove {
namespace {

const MessageFlagInfo& Info(MessageFlag f) {
    for (const auto& info : kMessageFlags) {
        if (info.flag == f)
            return info;
    }
    static MessageFlagInfo none{};
    ADD_FAILURE() << "flag not in the table";
    return none;
}

TEST(MessageFlags, TableCoversTheNamedBitsInColumnOrder) {
    std::uint32_t all = 0;
    std::set<std::string_view> names;
    for (std::size_t i = 0; i < kMessageFlags.size(); ++i) {
        const auto& info = kMessageFlags[i];
        auto value = static_cast<std::uint32_t>(info.flag);
        EXPECT_EQ(value & (value - 1), 0u) << info.name << " is one bit";
        EXPECT_EQ(info.viewerColumn, 11 + static_cast<int>(i));
        if (i > 0) {
            EXPECT_GT(value, static_cast<std::uint32_t>(kMessageFlags[i - 1].flag));
        }
        EXPECT_EQ(info.title.size(), 1u);
        EXPECT_EQ(info.cellText.size(), 1u);
        all |= value;
        names.insert(info.name);
    }
    EXPECT_EQ(names.size(), 26u);
    // The six unnamed bits are exactly the ones left out.
    EXPECT_EQ(~all,
              0x00000040u | 0x00000400u | 0x00000800u | 0x00001000u | 0x00008000u | 0x00010000u);
}

TEST(MessageFlags, NamesTitlesAndCells) {
    struct Expect {
        MessageFlag flag;
        std::uint32_t value;
        const char* name;
        const char* title;
        const char* cell;
        int column;
    };
    const Expect expected[] = {
        {MessageFlag::Mailed, 0x00000001, "Mailed", ">", ">", 11},
        {MessageFlag::Digest, 0x00000008, "Digest", "d", "d", 14},
        {MessageFlag::FileAscii, 0x00000020, "file ASCII", "A", "A", 16},
        {MessageFlag::Read, 0x00000080, "has been Read", "R", "R", 17},
        {MessageFlag::ContentControl, 0x00004000, "conTent control", "T", "T", 21},
        {MessageFlag::CopySelf, 0x00020000, "CopySelf", "S", "S", 22},
        {MessageFlag::Deleted, 0x00040000, "Deleted", "D", "D", 23},
        {MessageFlag::Replied, 0x00100000, "Replied", "r", "r", 25},
        {MessageFlag::Urgent, 0x00400000, "Urgent", "u", "u", 27},
        {MessageFlag::Binhex, 0x00800000, "BINHEX", "x", "B", 28},
        {MessageFlag::Enclosure, 0x08000000, "Enclosure", "E", "e", 32},
        {MessageFlag::Encrypted, 0x00000004, "Encrypted", "E", "E", 13},
        {MessageFlag::MimeMultipart, 0x20000000, "MIME Multipart", "L", "L", 34},
        {MessageFlag::ReadOnly, 0x80000000, "read Only", "O", "O", 36},
    };
    for (const auto& e : expected) {
        const auto& info = Info(e.flag);
        EXPECT_EQ(static_cast<std::uint32_t>(e.flag), e.value) << e.name;
        EXPECT_EQ(info.name, e.name);
        EXPECT_EQ(info.title, e.title) << e.name;
        EXPECT_EQ(info.cellText, e.cell) << e.name;
        EXPECT_EQ(info.viewerColumn, e.column) << e.name;
    }
    // Title and cell differ for exactly two bits.
    int differing = 0;
    for (const auto& info : kMessageFlags)
        differing += info.title != info.cellText;
    EXPECT_EQ(differing, 2);
}

TEST(MessageFlags, BitTest) {
    EXPECT_TRUE(IsSet(0x00040080u, MessageFlag::Deleted));
    EXPECT_TRUE(IsSet(0x00040080u, MessageFlag::Read));
    EXPECT_FALSE(IsSet(0x00040080u, MessageFlag::CopySelf));
    EXPECT_TRUE(IsSet(0xFFFFFFFFu, MessageFlag::ReadOnly));
    EXPECT_FALSE(IsSet(0x7FFFFFFFu, MessageFlag::ReadOnly));
    EXPECT_FALSE(IsSet(0u, MessageFlag::Mailed));
    EXPECT_EQ(kDeletedBit, 0x00040000u);
    EXPECT_EQ(kReadBit, 0x00000080u);
    EXPECT_EQ(kCopySelfBit, 0x00020000u);
}

}  // namespace
}  // namespace kestrove
