// Formatting into strings of any length, and the run log.
#include <gtest/gtest.h>

#include "core/Format.h"
#include "core/RunLog.h"
#include "platform/Faults.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

TEST(FormatTest, AnyLength) {
    EXPECT_EQ(Format("File:%3d %s [%s]", 7, "D:\\MAIL\\INBOX.PMI", "Inbox"),
              "File:  7 D:\\MAIL\\INBOX.PMI [Inbox]");
    EXPECT_EQ(Format("%s", ""), "");
    std::string longPath(5000, 'p');
    std::string text = Format("Cannot Open File 13: %s", longPath.c_str());
    EXPECT_EQ(text.size(), 21 + longPath.size());
    EXPECT_EQ(text.substr(text.size() - 3), "ppp");
    EXPECT_EQ(Format("%ld+%ld", 128L, -1L), "128+-1");
}

std::string Text(const std::string& path) {
    auto bytes = testing::ReadFileBytes(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : "<missing>";
}

#ifdef _WIN32
constexpr const char* kNewline = "\r\n";
#else
constexpr const char* kNewline = "\n";
#endif

TEST(RunLogTest, WritesOnlyWhileOpen) {
    testing::TempDir dir;
    RunLog log;
    EXPECT_FALSE(log.IsOpen());
    log.Write("nothing\n");  // no log: no effect

    ASSERT_TRUE(log.Open(dir / "RUN.LOG"));
    EXPECT_TRUE(log.IsOpen());
    EXPECT_EQ(log.path(), dir / "RUN.LOG");
    log.Write("Renamed a to b\n");
    // Each line is in the file at once, before the log is closed.
    EXPECT_EQ(Text(dir / "RUN.LOG"), std::string("Renamed a to b") + kNewline);

    // A log that cannot be opened leaves the open one open.
    EXPECT_FALSE(log.Open(dir / "NODIR\\OTHER.LOG"));
    EXPECT_TRUE(log.IsOpen());
    log.Write("more\n");

    // Opening another closes the first.
    ASSERT_TRUE(log.Open(dir / "SECOND.LOG"));
    log.Write("second\n");
    log.Close();
    EXPECT_FALSE(log.IsOpen());
    log.Write("after close\n");
    EXPECT_EQ(Text(dir / "RUN.LOG"), std::string("Renamed a to b") + kNewline + "more" + kNewline);
    EXPECT_EQ(Text(dir / "SECOND.LOG"), std::string("second") + kNewline);

    // Opening empties an existing file.
    ASSERT_TRUE(log.Open(dir / "RUN.LOG"));
    log.Close();
    EXPECT_EQ(Text(dir / "RUN.LOG"), "");
}

}  // namespace
}  // namespace kestrove
