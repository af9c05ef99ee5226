// Private-profile files: the portable implementation on file contents, and
// the platform's calls on real files (on Windows the Windows API itself, so
// these expectations hold for both).
#include <gtest/gtest.h>

#include "platform/Profile.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove::platform {
namespace {

using portable_profile::Read;
using portable_profile::Write;

const char kSample[] =
    "; Kestrove settings\r\n"
    "[Startup]\r\n"
    "Path = D:\\MAIL \r\n"
    "DriveA=0\r\n"
    "\r\n"
    "[Options]\r\n"
    "MismatchedUnread=\"1\"\r\n"
    "Quoted='x y'\r\n"
    "Half=\"open\r\n"
    ";RunCheck=1\r\n"
    "Unknown=kept\r\n";

TEST(PortableProfileRead, SectionsAndKeysWithoutRegardToCase) {
    EXPECT_EQ(Read(kSample, "Startup", "Path", "c:\\"), "D:\\MAIL");  // blanks trimmed
    EXPECT_EQ(Read(kSample, "STARTUP", "path", "c:\\"), "D:\\MAIL");
    EXPECT_EQ(Read(kSample, " startup ", " PATH ", ""), "D:\\MAIL");
    EXPECT_EQ(Read(kSample, "Startup", "DriveA", "-1"), "0");
    EXPECT_EQ(Read(kSample, "Options", "Path", "none"), "none");  // other section
    EXPECT_EQ(Read(kSample, "Startup", "MismatchedUnread", "none"), "none");
    EXPECT_EQ(Read(kSample, "Missing", "Path", "def"), "def");
    EXPECT_EQ(Read("", "Startup", "Path", "c:\\"), "c:\\");
    EXPECT_EQ(Read(kSample, "Options", "RunCheck", "d"), "d");  // a comment is no key
    EXPECT_EQ(Read(kSample, "Options", "Unknown", ""), "kept");
}

TEST(PortableProfileRead, QuotesDefaultsAndLength) {
    EXPECT_EQ(Read(kSample, "Options", "MismatchedUnread", ""), "1");
    EXPECT_EQ(Read(kSample, "Options", "Quoted", ""), "x y");
    EXPECT_EQ(Read(kSample, "Options", "Half", ""), "\"open");  // no matching quote
    EXPECT_EQ(Read("[S]\r\nK=\"\"\r\n", "S", "K", "d"), "");
    EXPECT_EQ(Read("[S]\r\nK=\r\n", "S", "K", "d"), "");  // present but empty
    EXPECT_EQ(Read("[S]\r\nK=\"a'\r\n", "S", "K", ""), "\"a'");
    // Trailing blanks of the default go.
    EXPECT_EQ(Read("", "S", "K", "def  "), "def");
    // At most 2047 characters.
    std::string longValue(3000, 'v');
    EXPECT_EQ(Read("[S]\r\nK=" + longValue + "\r\n", "S", "K", "").size(), kProfileValueMax);
    EXPECT_EQ(Read("", "S", "K", longValue).size(), kProfileValueMax);
    EXPECT_EQ(Read("[S]\r\nK=" + std::string(2047, 'w'), "S", "K", ""), std::string(2047, 'w'));
}

TEST(PortableProfileRead, FileShapes) {
    // LF-only lines, no final line break, blanks around the brackets' line.
    EXPECT_EQ(Read("[A]\nk=1\n[B]\nk=2", "B", "K", ""), "2");
    EXPECT_EQ(Read("  [A]  \r\n  k = 1  \r\n", "a", "k", ""), "1");
    EXPECT_EQ(Read("[ A ]\r\nk=1\r\n", "a", "k", ""), "1");  // blanks inside the brackets
    // Keys before any section belong to none.
    EXPECT_EQ(Read("k=0\r\n[A]\r\nk=1\r\n", "A", "k", ""), "1");
    // Only the first section of a name, and in it the first key.
    EXPECT_EQ(Read("[A]\r\nx=1\r\n[A]\r\nk=2\r\n", "A", "k", "none"), "none");
    EXPECT_EQ(Read("[A]\r\nk=1\r\nk=2\r\n", "A", "k", ""), "1");
    // A value may hold '=' and ';'.
    EXPECT_EQ(Read("[A]\r\nk=a=b ; c\r\n", "A", "k", ""), "a=b ; c");
}

TEST(PortableProfileWrite, CreatesFileAndSection) {
    std::string ini = Write("", "Startup", "Path", "c:\\");
    EXPECT_EQ(ini, "[Startup]\r\nPath=c:\\\r\n");
    ini = Write(ini, "Options", "RunCheck", "1");
    EXPECT_EQ(ini, "[Startup]\r\nPath=c:\\\r\n[Options]\r\nRunCheck=1\r\n");
    // A file that ends without a line break gets one before the new section.
    EXPECT_EQ(Write("; note", "S", "K", "V"), "; note\r\n[S]\r\nK=V\r\n");
    // An end-of-file Ctrl-Z stays last, after new keys and new sections.
    EXPECT_EQ(Write("[S]\r\nx=1\r\n\x1a", "T", "z", "2"), "[S]\r\nx=1\r\n[T]\r\nz=2\r\n\x1a");
    EXPECT_EQ(Write("[S]\r\nx=1\r\n\x1a", "S", "z", "2"), "[S]\r\nx=1\r\nz=2\r\n\x1a");
}

TEST(PortableProfileWrite, ReplacesInPlaceAndKeepsEverythingElse) {
    std::string ini = Write(kSample, "STARTUP", "path", "E:\\NEW");
    std::string expected = kSample;
    expected.replace(expected.find("Path = D:\\MAIL "), 15, "Path=E:\\NEW");
    EXPECT_EQ(ini, expected);  // the key keeps its spelling and its line

    ini = Write(kSample, "options", "unknown", "changed");
    expected = kSample;
    expected.replace(expected.find("Unknown=kept"), 12, "Unknown=changed");
    EXPECT_EQ(ini, expected);
}

TEST(PortableProfileWrite, NewKeyGoesAfterTheSectionsLastNonBlankLine) {
    std::string ini = Write(kSample, "Startup", "DriveB", "1");
    std::string expected = kSample;
    expected.insert(expected.find("\r\n\r\n[Options]") + 2, "DriveB=1\r\n");
    EXPECT_EQ(ini, expected);  // before the blank line that separates sections

    ini = Write(kSample, "Options", "GetStats", "2");
    EXPECT_EQ(ini, std::string(kSample) + "GetStats=2\r\n");  // after the comment too

    // The last line without a line break gets one.
    EXPECT_EQ(Write("[S]\r\nA=1", "S", "B", "2"), "[S]\r\nA=1\r\nB=2\r\n");
    EXPECT_EQ(Write("[S]", "s", "B", "2"), "[S]\r\nB=2\r\n");
    EXPECT_EQ(Write("[S]\n\n[T]\n", "S", "B", "2"), "[S]\nB=2\r\n\n[T]\n");
}

TEST(PortableProfileWrite, WhatIsWrittenReadsBack) {
    std::string ini;
    const char* keys[] = {"DriveA", "DriveB", "drivea", "Path", "DRIVEB"};
    const char* values[] = {"1", "0", "2", " c:\\ ", "-1"};
    for (int i = 0; i < 5; ++i)
        ini = Write(ini, i % 2 ? "Options" : "Startup", keys[i], values[i]);
    EXPECT_EQ(Read(ini, "startup", "DRIVEA", ""), "2");
    EXPECT_EQ(Read(ini, "OPTIONS", "driveb", ""), "0");
    EXPECT_EQ(Read(ini, "Startup", "DriveB", ""), "-1");
    EXPECT_EQ(Read(ini, "Options", "Path", ""), "c:\\");
    // Leading blanks of a value are not written; a replaced key keeps its spelling.
    EXPECT_EQ(ini, "[Startup]\r\nDriveA=2\r\nDRIVEB=-1\r\n[Options]\r\nDriveB=0\r\nPath=c:\\ \r\n");
}

class ProfileFileTest : public ::testing::Test {
  protected:
    testing::TempDir dir;
};

TEST_F(ProfileFileTest, ReadsAndWritesOneKeyPerCall) {
    const std::string ini = dir / "Kestrove.INI";
    EXPECT_EQ(ProfileReadString("Startup", "Path", "c:\\", ini), "c:\\");  // no file
    ASSERT_TRUE(ProfileWriteString("Startup", "Path", "D:\\MAIL", ini));
    ASSERT_TRUE(ProfileWriteString("Options", "RunCheck", "1", ini));
    ASSERT_TRUE(ProfileWriteString("startup", "PATH", "E:\\", ini));
    EXPECT_EQ(ProfileReadString("STARTUP", "path", "", ini), "E:\\");
    EXPECT_EQ(ProfileReadString("Options", "RunCheck", "", ini), "1");
    EXPECT_EQ(ProfileReadString("Options", "Missing", "dflt", ini), "dflt");
#ifndef _WIN32
    auto bytes = testing::ReadFileBytes(ini);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()),
              "[Startup]\r\nPath=E:\\\r\n[Options]\r\nRunCheck=1\r\n");
#endif
}

TEST_F(ProfileFileTest, CommentsAndUnknownKeysSurviveAWrite) {
    const std::string ini = dir / "Kestrove.INI";
    ASSERT_TRUE(testing::WriteFileBytes(ini, std::string_view(kSample)));
    ASSERT_TRUE(ProfileWriteString("Options", "MismatchedUnread", "2", ini));
    auto bytes = testing::ReadFileBytes(ini);
    ASSERT_TRUE(bytes);
    std::string text(bytes->begin(), bytes->end());
    EXPECT_NE(text.find("; Kestrove settings\r\n"), std::string::npos);
    EXPECT_NE(text.find(";RunCheck=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("Unknown=kept\r\n"), std::string::npos);
    EXPECT_NE(text.find("MismatchedUnread=2\r\n"), std::string::npos);
    EXPECT_EQ(ProfileReadString("Startup", "Path", "", ini), "D:\\MAIL");
}

TEST_F(ProfileFileTest, AWriteWithoutItsDirectoryIsRefused) {
    EXPECT_FALSE(ProfileWriteString("Startup", "Path", "c:\\", dir / "NODIR\\Kestrove.INI"));
    EXPECT_EQ(ProfileReadString("Startup", "Path", "dflt", dir / "NODIR\\Kestrove.INI"), "dflt");
}

}  // namespace
}  // namespace kestrove::platform
