// The portable private-profile implementation against the real Windows calls:
// the same operations on a file through GetPrivateProfileStringA /
// WritePrivateProfileStringA and on a copy in memory through
// portable_profile, comparing every read and the bytes after every write.
// Only the Windows build has the real calls (under wine in CI).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Profile.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove::platform {
namespace {

// Bytes with line ends and control bytes made visible, one line per line.
std::string Visible(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n\n";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

// Blanks as both sides read them; a DOS end-of-file Ctrl-Z counts as one.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\x1a';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// A file's meaning without its layout: lines (either line end) with their
// blanks trimmed, blanks around a key's "=" and inside a section's brackets
// dropped, blank lines left out.
// Wine rewrites a whole file in that form whenever it writes one key, where
// Windows edits the one line in place and keeps the rest of the text as it
// stands; files that were not written in that form are compared this way.
std::string Normalized(std::string_view bytes) {
    std::string out;
    while (!bytes.empty()) {
        std::size_t nl = bytes.find('\n');
        std::string_view line = bytes.substr(0, nl);
        bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        line = TrimBlanks(line);
        if (line.empty()) {
            continue;
        }
        std::size_t eq = line.find('=');
        std::size_t close = line.find(']');
        if (line.front() == '[' && close != std::string_view::npos) {
            out += '[';
            out.append(TrimBlanks(line.substr(1, close - 1)));
            out.append(line.substr(close));
        } else if (line.front() != '[' && line.front() != ';' && eq != std::string_view::npos) {
            out.append(TrimBlanks(line.substr(0, eq)));
            out += '=';
            out.append(TrimBlanks(line.substr(eq + 1)));
        } else {
            out.append(line);
        }
        out += "\r\n";
    }
    return out;
}

struct Step {
    enum Kind { Write, Read } kind;
    std::string section;
    std::string key;
    std::string value;  // the value written, or the default of a read
};

Step W(std::string section, std::string key, std::string value) {
    return {Step::Write, std::move(section), std::move(key), std::move(value)};
}
Step R(std::string section, std::string key, std::string defaultValue) {
    return {Step::Read, std::move(section), std::move(key), std::move(defaultValue)};
}

std::string Describe(const Step& step) {
    std::string text = step.kind == Step::Write ? "write [" : "read [";
    text += step.section + "] " + step.key;
    text += step.kind == Step::Write ? " = \"" : " default \"";
    text += (step.value.size() > 40 ? step.value.substr(0, 40) + "..." : step.value) + "\"";
    return text;
}

class ProfileCrossCheck : public ::testing::Test {
  protected:
    // A file of its own for each use: wine caches the files it has read.
    std::string NewFile(const std::string& name) { return dir / name; }

    static std::string Bytes(const std::string& path) {
        auto bytes = testing::ReadFileBytes(path);
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    }
    static void Put(const std::string& path, std::string_view bytes) {
        ASSERT_TRUE(testing::WriteFileBytes(path, bytes)) << path;
    }

    // Runs the steps on `file` through the real calls and on `contents`
    // through the portable implementation. `exact`: the files must be equal
    // byte for byte after every write; else equal when normalized.
    std::string Run(const std::string& file, std::string contents, const std::vector<Step>& steps,
                    bool exact) {
        for (const Step& step : steps) {
            SCOPED_TRACE(Describe(step));
            if (step.kind == Step::Read) {
                std::string real = ProfileReadString(step.section, step.key, step.value, file);
                std::string portable =
                    portable_profile::Read(contents, step.section, step.key, step.value);
                EXPECT_EQ(Visible(real), Visible(portable));
                continue;
            }
            EXPECT_TRUE(ProfileWriteString(step.section, step.key, step.value, file));
            contents = portable_profile::Write(contents, step.section, step.key, step.value);
            std::string real = Bytes(file);
            if (exact) {
                EXPECT_EQ(Visible(real), Visible(contents));
            } else {
                EXPECT_EQ(Visible(Normalized(real)), Visible(Normalized(contents)));
            }
        }
        return contents;
    }

    testing::TempDir dir;
};

TEST_F(ProfileCrossCheck, FileCreatedAndEditedKeyByKey) {
    const std::string file = NewFile("created.ini");
    std::string longValue;
    for (int i = 0; i < 3000; ++i) {
        longValue += static_cast<char>('a' + i % 26);
    }
    const std::vector<Step> steps = {
        // No file yet: defaults.
        R("Startup", "Path", "c:\\"),
        R("Startup", "DriveC", "-1"),
        // The first write creates the file and the section; further
        // sections follow in the order written.
        W("Startup", "Path", "D:\\MAIL\\"),
        W("Options", "MismatchedUnread", "1"),
        W("Options", "BackupFiles", "2"),
        // A key added to the earlier section goes to its end, before
        // the next section.
        W("Startup", "DriveC", "1"),
        // Section and key names match without regard to case; the
        // value is replaced in place and the names keep their spelling.
        W("startup", "PATH", "E:\\NEW"),
        W("OPTIONS", "backupfiles", "0"),
        R("STARTUP", "path", ""),
        R("startup", "drivec", "-1"),
        // Values the integer reads must see as they stand.
        W("Options", "MismatchedDeleted", "0x2"),
        W("Options", "RunCheck", "-7"),
        W("Options", "GetStats", "12abc"),
        W("Startup", "DriveD", "007"),
        R("Options", "MismatchedDeleted", "0"),
        R("Options", "RunCheck", "0"),
        R("Options", "GetStats", "0"),
        R("Startup", "DriveD", "-1"),
        // Quotes around a whole value are not part of it.
        W("Quotes", "Double", "\"quoted\""),
        W("Quotes", "Single", "'single'"),
        W("Quotes", "Half", "\"half"),
        W("Quotes", "Inner", "a \"b\" c"),
        R("Quotes", "Double", "-"),
        R("Quotes", "Single", "-"),
        R("Quotes", "Half", "-"),
        R("Quotes", "Inner", "-"),
        // An empty value is a value, not a missing key.
        W("Options", "Empty", ""),
        R("Options", "Empty", "default"),
        // Missing keys and sections yield the default, without its
        // trailing blanks.
        R("Options", "Missing", "default"),
        R("Nowhere", "Path", "default"),
        R("Options", "Missing", "default  "),
        // A long value is stored whole and read as its first 2047
        // characters.
        W("Long", "Value", longValue),
        R("Long", "Value", ""),
        // A key of the first section replaced once more, with the file
        // long after it.
        W("Startup", "Path", "C:\\"),
    };
    std::string contents = Run(file, "", steps, /*exact=*/true);
    EXPECT_EQ(ProfileReadString("Long", "Value", "", file), longValue.substr(0, 2047));
    EXPECT_EQ(portable_profile::Read(contents, "Long", "Value", ""), longValue.substr(0, 2047));
}

// A settings file edited by hand: comments, blank lines, unknown keys, blanks
// around names and values, quotes, a line without "=".
constexpr std::string_view kHandEdited =
    "; Kestrove settings\r\n"
    "[Startup]\r\n"
    "Path=C:\\MAIL\r\n"
    "; keep me\r\n"
    "Unknown=stays\r\n"
    "\r\n"
    "[Options]\r\n"
    "  MismatchedDeleted = 2  \r\n"
    "Quoted=\"  with blanks  \"\r\n"
    "Single='x'\r\n"
    "Number=  42\r\n"
    "Hex=0x1F\r\n"
    "NotNumber=12abc\r\n"
    "Empty=\r\n"
    "NoEquals line\r\n"
    "\r\n"
    "[Other]\r\n"
    "Key=Value\r\n"
    "; last line of the file, no line end";

TEST_F(ProfileCrossCheck, HandEditedFileKeepsWhatItDoesNotTouch) {
    const std::string file = NewFile("edited.ini");
    Put(file, kHandEdited);
    const std::vector<Step> steps = {
        R("Startup", "Path", "-"),
        R("Startup", "Unknown", "-"),
        R("Options", "MismatchedDeleted", "-"),
        R("Options", "Quoted", "-"),
        R("Options", "Single", "-"),
        R("Options", "Number", "-"),
        R("Options", "Hex", "-"),
        R("Options", "NotNumber", "-"),
        R("Options", "Empty", "-"),
        R("Options", "NoEquals line", "-"),
        R("Other", "Key", "-"),
        // Replace a key written with blanks around its name and value.
        W("Options", "MismatchedDeleted", "1"),
        R("Options", "MismatchedDeleted", "-"),
        // Add keys to a section that ends in a comment, to one followed
        // by a blank line, and to the last one (no line end at the end).
        W("Startup", "DriveD", "0"),
        W("Options", "GetStats", "2"),
        W("Other", "New", "n"),
        // A new section after a file that now ends properly.
        W("Added", "Key", "v"),
        // A value with blanks around it reads without them.
        W("Other", "Spaced", "  padded  "),
        R("Other", "Spaced", "-"),
        R("Startup", "Unknown", "-"),
        R("Options", "Quoted", "-"),
    };
    Run(file, std::string(kHandEdited), steps, /*exact=*/false);
}

// Files from other editors: LF line ends and no final line end; blanks
// inside a section's brackets; a DOS end-of-file Ctrl-Z.
TEST_F(ProfileCrossCheck, FilesFromOtherEditors) {
    const std::vector<Step> steps = {
        R("A", "x", "-"), R("B", "y", "-"), W("A", "z", "3"), W("B", "y", "4"),
        R("B", "y", "-"), W("C", "w", "5"), R("C", "w", "-"),
    };
    int n = 0;
    for (std::string_view shape : {"[A]\nx=1\n[B]\ny=2", "[ A ]\r\nx=1\r\n[B ]\r\ny=2\r\n",
                                   "[A]\r\nx=1\r\n[B]\r\ny=2\r\n\x1a"}) {
        SCOPED_TRACE(Visible(shape));
        const std::string file = NewFile("shape" + std::to_string(++n) + ".ini");
        Put(file, shape);
        Run(file, std::string(shape), steps, /*exact=*/false);
    }
}

// The settings the program itself writes, through the portable
// implementation, read back through the real calls; and the other way round.
TEST_F(ProfileCrossCheck, EachReadsTheOthersFile) {
    std::vector<Step> writes = {W("Startup", "Path", "D:\\PMAIL\\MAIL\\")};
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        writes.push_back(W("Startup", std::string("Drive") + letter,
                           letter == 'C' || letter == 'D' ? "1" : "0"));
    }
    for (const char* key :
         {"MismatchedUnread", "MismatchedDeleted", "BackupFiles", "RunCheck", "GetStats"}) {
        writes.push_back(W("Options", key, "2"));
    }
    writes.push_back(W("Startup", "Path", "E:\\"));

    std::string portableContents;
    const std::string realFile = NewFile("real.ini");
    for (const Step& step : writes) {
        portableContents =
            portable_profile::Write(portableContents, step.section, step.key, step.value);
        ASSERT_TRUE(ProfileWriteString(step.section, step.key, step.value, realFile));
    }
    const std::string portableFile = NewFile("portable.ini");
    Put(portableFile, portableContents);
    const std::string realContents = Bytes(realFile);

    for (const Step& step : writes) {
        SCOPED_TRACE(Describe(step));
        std::string expected = step.key == "Path" ? "E:\\" : step.value;
        EXPECT_EQ(ProfileReadString(step.section, step.key, "-", portableFile), expected);
        EXPECT_EQ(portable_profile::Read(realContents, step.section, step.key, "-"), expected);
    }
}

}  // namespace
}  // namespace kestrove::platform

#endif  // _WIN32
