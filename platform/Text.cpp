// Windows-1252 case folding and decoding. Collation is per platform.
#include "platform/Text.h"

namespace kestrove::platform {

namespace {

constexpr std::uint8_t LowerRule(std::uint8_t c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<std::uint8_t>(c + 0x20);
    switch (c) {
        case 0x8A:  // S caron
        case 0x8C:  // OE
        case 0x8E:  // Z caron
            return static_cast<std::uint8_t>(c + 0x10);
        case 0x9F:  // Y diaeresis
            return 0xFF;
        default:
            break;
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)  // 0xD7 is the multiplication sign
        return static_cast<std::uint8_t>(c + 0x20);
    return c;
}

constexpr std::uint8_t UpperRule(std::uint8_t c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<std::uint8_t>(c - 0x20);
    switch (c) {
        case 0x9A:
        case 0x9C:
        case 0x9E:
            return static_cast<std::uint8_t>(c - 0x10);
        case 0xFF:
            return 0x9F;
        default:
            break;
    }
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)  // 0xF7 is the division sign
        return static_cast<std::uint8_t>(c - 0x20);
    return c;
}

constexpr std::array<std::uint8_t, 256> MakeTable(std::uint8_t (*rule)(std::uint8_t)) {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<std::size_t>(i)] = rule(static_cast<std::uint8_t>(i));
    return table;
}

}  // namespace

constinit const std::array<std::uint8_t, 256> detail::kLower1252 = MakeTable(LowerRule);
constinit const std::array<std::uint8_t, 256> detail::kUpper1252 = MakeTable(UpperRule);

std::string ToLower1252(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(ToLower1252(static_cast<std::uint8_t>(c)));
    return lower;
}

namespace {

// 0x80-0x9F. The five bytes Windows-1252 leaves undefined map to the C1
// control characters of the same value, as Windows does.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char ch : text) {
        auto c = static_cast<std::uint8_t>(ch);
        if (c >= 0x80 && c <= 0x9F)
            AppendUtf8(out, kHighControls[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t follow = 0;
        if (c < 0x80)
            follow = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            follow = 1;
        else if ((c & 0xF0) == 0xE0)
            follow = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        if (text.size() - i <= follow)
            return false;
        for (std::size_t k = 1; k <= follow; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += follow + 1;
    }
    return true;
}

}  // namespace kestrove::platform
