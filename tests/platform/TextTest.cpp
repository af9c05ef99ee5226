// Windows-1252 case folding and decoding, and collation.
#include <gtest/gtest.h>

#include "platform/Text.h"

namespace kestrove::platform {
namespace {

TEST(Cp1252Case, FoldsLettersOnly) {
    for (int c = 0; c < 256; ++c) {
        auto b = static_cast<std::uint8_t>(c);
        bool upper = (c >= 'A' && c <= 'Z') || c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9F ||
                     (c >= 0xC0 && c <= 0xDE && c != 0xD7);
        bool lower = (c >= 'a' && c <= 'z') || c == 0x9A || c == 0x9C || c == 0x9E || c == 0xFF ||
                     (c >= 0xE0 && c <= 0xFE && c != 0xF7);
        if (upper) {
            EXPECT_NE(ToLower1252(b), b) << c;
            EXPECT_EQ(ToUpper1252(ToLower1252(b)), b) << c;
            EXPECT_EQ(ToUpper1252(b), b) << c;
        } else if (lower) {
            EXPECT_NE(ToUpper1252(b), b) << c;
            EXPECT_EQ(ToLower1252(ToUpper1252(b)), b) << c;
            EXPECT_EQ(ToLower1252(b), b) << c;
        } else {
            EXPECT_EQ(ToLower1252(b), b) << c;
            EXPECT_EQ(ToUpper1252(b), b) << c;
        }
    }
    EXPECT_EQ(ToLower1252(0x8A), 0x9A);  // S caron
    EXPECT_EQ(ToLower1252(0x8C), 0x9C);  // OE
    EXPECT_EQ(ToLower1252(0x8E), 0x9E);  // Z caron
    EXPECT_EQ(ToLower1252(0x9F), 0xFF);  // Y diaeresis
    EXPECT_EQ(ToLower1252(0xC9), 0xE9);  // E acute
    EXPECT_EQ(ToLower1252(0xD7), 0xD7);  // multiplication sign
    EXPECT_EQ(ToUpper1252(0xF7), 0xF7);  // division sign
    EXPECT_EQ(ToUpper1252(0xDF), 0xDF);  // sharp s has no capital here
    EXPECT_EQ(ToUpper1252(0xB5), 0xB5);  // micro sign
    EXPECT_EQ(ToLower1252("ALICE@Example.COM \xC9\x8A"), "alice@example.com \xE9\x9A");
}

TEST(Cp1252Decode, ToUtf8) {
    EXPECT_EQ(Cp1252ToUtf8("plain ASCII"), "plain ASCII");
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(Cp1252ToUtf8("\x8A"), "\xC5\xA0");      // S caron
    EXPECT_EQ(Cp1252ToUtf8("\x93x\x94"), "\xE2\x80\x9Cx\xE2\x80\x9D");
    EXPECT_EQ(Cp1252ToUtf8("\x99"), "\xE2\x84\xA2");  // trade mark
    EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");      // Y diaeresis
    EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(Cp1252ToUtf8("\xA0\xE9\xFF"), "\xC2\xA0\xC3\xA9\xC3\xBF");
    EXPECT_EQ(Cp1252ToUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Utf8Check, WholeSequencesOnly) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("C:\\mail\\Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA7"));
    EXPECT_FALSE(IsValidUtf8("Caf\xE9"));           // Windows-1252 e acute
    EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut short at the end
    EXPECT_FALSE(IsValidUtf8("\xE2\x82x"));         // a continuation byte missing
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // C0 and C1 never lead
    EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\x80"));              // a lone continuation byte
}

TEST(Collation, CaseSensitiveAndLanguageAware) {
    // Not byte order: "beta" before "Gamma", an accented letter beside its base.
    EXPECT_LT(CollateCompare("beta", "Gamma"), 0);
    EXPECT_GT(CollateCompare("Gamma", "beta"), 0);
    EXPECT_LT(CollateCompare("e", "\xE9"), 0);
    EXPECT_LT(CollateCompare("\xE9", "f"), 0);
    // Case-sensitive: equal only when equal.
    EXPECT_NE(CollateCompare("inbox", "INBOX"), 0);
    EXPECT_LT(CollateCompare("a", "A"), 0);
    EXPECT_EQ(CollateCompare("Sent", "Sent"), 0);
    EXPECT_LT(CollateCompare("", "a"), 0);
    EXPECT_LT(CollateCompare("Trash", "Trash2"), 0);
}

}  // namespace
}  // namespace kestrove::platform
