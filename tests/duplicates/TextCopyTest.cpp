// The copy of one text in blocks gives what the byte-at-a-time rule gives:
// the same bytes, questions, log lines and Characters meter values.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "core/Format.h"
#include "core/MessageFile.h"
#include "duplicates/TextCopy.h"
#include "platform/Faults.h"
#include "platform/File.h"
#include "tests/support/EngineFixture.h"

namespace kestrove::testing {
namespace {

struct Case {
    std::vector<std::uint8_t> file;  // the old message file
    std::int64_t fpos = 128;
    std::int32_t fsize = 0;
    std::multiset<std::int64_t> failAt;  // offsets of the new file whose write fails once
    int cancelAt = -1;                   // the box answered Cancel; -1 none
};

struct Outcome {
    std::vector<std::uint8_t> out;   // bytes after the new file's header
    std::vector<std::string> boxes;  // "title|text"
    std::string log;
    std::vector<int> meter;  // ProgressBar1
    bool runEnds = false;
};

const std::string kPath = "D:\\NEW.PMM";
constexpr std::uint16_t kNumber = 42;

// (The writes fail through the test faults, whose reason ends the text.)
std::string CannotPut(int c, std::int64_t fpos, std::int64_t n) {
    return Injected(Format("Cannot put %d=%c to %lld+%lld file %s\nOK to skip\nCancel to abort run",
                           c, c, static_cast<long long>(fpos), static_cast<long long>(n),
                           kPath.c_str()));
}

// The rule as written: one byte read, one byte written, at a time.
Outcome ByteAtATime(Case c) {
    Outcome e;
    const std::int64_t L = c.fsize, step = (L + 99) / 100;
    std::int64_t pos = c.fpos, wpos = 128, n = 0, counter = 0, written = 0;
    int ch = -1;
    int boxes = 0;
    e.meter.push_back(0);
    auto ask = [&](const char* title, const std::string& text) {
        e.boxes.push_back(std::string(title) + "|" + text);
        if (boxes++ != c.cancelAt)
            return true;
        e.log += text + "\n";
        e.runEnds = true;
        return false;
    };
    auto fails = [&](std::int64_t at) {
        auto it = c.failAt.find(at);
        if (it == c.failAt.end())
            return false;
        c.failAt.erase(it);
        return true;
    };
    auto end = [&] { e.log += Format("End of message %d at ~%lld\n", kNumber, (long long)wpos); };
    const auto size = static_cast<std::int64_t>(c.file.size());
    for (;;) {
        if (pos >= size)  // 2
            return e;
        ch = c.file[static_cast<std::size_t>(pos++)];
        if (fails(wpos)) {  // 3
            if (!ask("File Error 9", CannotPut(ch, c.fpos, n)))
                return e;
            continue;
        }
        e.out.push_back(static_cast<std::uint8_t>(ch));
        ++wpos;
        ++written;  // 4
        if (++counter > step && L > 50000) {
            counter = 0;
            e.meter.push_back(static_cast<int>(std::min<std::int64_t>(written * 100 / L, 100)));
        }
        if (++n < L)  // 5
            continue;
        end();  // 6
        if (ch == kCtrlZ)
            return e;
        if (pos >= size) {  // 7
            if (!ask("File Error 10",
                     Format("Cannot get char at %lld+%lld file %s\nOK to skip\nCancel to abort run",
                            (long long)c.fpos, (long long)n, kPath.c_str())))
                return e;
            continue;
        }
        ch = c.file[static_cast<std::size_t>(pos++)];
        end();
        if (fails(wpos)) {  // 8
            if (!ask("File Error 11", CannotPut(ch, c.fpos, n)))
                return e;
            continue;
        }
        e.out.push_back(static_cast<std::uint8_t>(ch));
        ++wpos;
        end();
        if (ch == kCtrlZ)  // 9
            return e;
        if (!ask("Message Size Error",
                 Format("No ctrl-z at %lld+%lld file %s\nOK to skip\nCancel to abort run",
                        (long long)c.fpos, (long long)n, kPath.c_str())))
            return e;
    }
}

class TextCopyTest : public EngineTest {
  protected:
    Outcome Blocks(const Case& c, const Outcome& expected) {
        const std::string oldPath = dir / "OLD.BKM", newPath = dir / "NEW.KXM";
        EXPECT_TRUE(WriteFileBytes(oldPath, c.file));
        const std::string logPath = OpenLog();
        auto in = platform::File::Open(oldPath, platform::OpenMode::ReadBinary);
        auto out = platform::File::Open(newPath, platform::OpenMode::WriteBinary);
        EXPECT_TRUE(in && out && in->Seek(c.fpos) && out->Write(std::string(128, 'H').data(), 128));
        for (std::int64_t at : c.failAt)
            platform::faults::FailWriteAt("NEW.KXM", at);
        port = ScriptedPort();
        for (std::size_t i = 0; i < expected.boxes.size(); ++i)
            port.Reply(static_cast<int>(i) == c.cancelAt ? Answer::Cancel : Answer::Ok);

        std::vector<std::uint8_t> buffer(kCopyBufferSize);
        std::int64_t position = 128;
        TextCopy copy{*in,   *out,   port,    state.runLog, buffer,
                      kPath, c.fpos, c.fsize, kNumber,      &position};
        Outcome got;
        got.runEnds = CopyText(copy) == CopyResult::RunEnds;
        EXPECT_EQ(position, out->Tell());
        in.reset();
        out.reset();
        state.runLog.Close();
        platform::faults::Reset();
        got.out = Bytes(newPath);
        got.out.erase(got.out.begin(), got.out.begin() + 128);
        for (const BoxCall& b : port.boxes) {
            got.boxes.push_back(b.title + "|" + b.text);
            EXPECT_EQ(b.icon, Icon::Stop);
            EXPECT_EQ(b.buttons, Buttons::OkCancel);
        }
        got.log = Text(logPath);
        for (auto [meter, value] : port.meterHistory)
            if (meter == Meter::ProgressBar1)
                got.meter.push_back(value);
        EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg3),
                  Format("Copying %ld characters.", static_cast<long>(c.fsize)));
        return got;
    }

    void Check(const Case& c, const std::string& what) {
        Outcome want = ByteAtATime(c);
        Outcome got = Blocks(c, want);
        EXPECT_EQ(got.out, want.out) << what;
        EXPECT_EQ(got.boxes, want.boxes) << what;
        EXPECT_EQ(got.log, want.log) << what;
        EXPECT_EQ(got.meter, want.meter) << what;
        EXPECT_EQ(got.runEnds, want.runEnds) << what;
    }
};

std::vector<std::uint8_t> File(std::string_view text) {
    std::vector<std::uint8_t> f(128 + text.size(), 'H');
    std::copy(text.begin(), text.end(), f.begin() + 128);
    return f;
}

std::string AsText(const std::vector<std::uint8_t>& out) {
    return std::string(out.begin(), out.end());
}

// The rule itself, on small cases whose result is plain to see.
TEST(ByteAtATimeRule, EndsAsTheFormatSays) {
    auto copy = [](std::string_view text, std::int32_t fsize) {
        Case c;
        c.file = File(text);
        c.fsize = fsize;
        return ByteAtATime(c);
    };
    // The Ctrl-Z as the last of fsize bytes, or right after them.
    EXPECT_EQ(AsText(copy("abc\x1a"
                          "def",
                          4)
                         .out),
              "abc\x1a");
    Outcome after = copy(
        "abc\x1a"
        "def",
        3);
    EXPECT_EQ(AsText(after.out), "abc\x1a");
    EXPECT_EQ(after.log,
              "End of message 42 at ~131\nEnd of message 42 at ~131\n"
              "End of message 42 at ~132\n");
    // A Ctrl-Z among the first fsize - 1 bytes does not end the text.
    EXPECT_EQ(AsText(copy("a\x1a"
                          "bc\x1a",
                          5)
                         .out),
              "a\x1a"
              "bc\x1a");
    // fsize 0: the first byte when it is the Ctrl-Z, else two bytes.
    EXPECT_EQ(AsText(copy("\x1a"
                          "x",
                          0)
                         .out),
              "\x1a");
    EXPECT_EQ(AsText(copy("x\x1a"
                          "y",
                          0)
                         .out),
              "x\x1a");
    // The file ends before fsize bytes: no question.
    Outcome cut = copy("abc", 10);
    EXPECT_EQ(AsText(cut.out), "abc");
    EXPECT_TRUE(cut.boxes.empty());
    EXPECT_TRUE(cut.log.empty());
    // No Ctrl-Z where it belongs: asked again every two bytes.
    Outcome size = copy("abcde\x1a", 1);
    EXPECT_EQ(AsText(size.out), "abcde\x1a");
    EXPECT_EQ(size.boxes.size(), 2u);
}

TEST_F(TextCopyTest, SmallCasesByBlocks) {
    struct {
        const char* what;
        std::string text;
        std::int32_t fsize;
        std::multiset<std::int64_t> failAt;
        int cancelAt;
    } cases[] = {
        {"ctrl-z inside", "abc\x1a", 4, {}, -1},
        {"ctrl-z after", std::string("abc\x1a"), 3, {}, -1},
        {"ctrl-z early",
         std::string("a\x1a"
                     "bc\x1a"),
         5,
         {},
         -1},
        {"fsize 0",
         std::string("\x1a"
                     "x"),
         0,
         {},
         -1},
        {"fsize 0, two bytes", std::string("x\x1a"), 0, {}, -1},
        {"negative fsize", std::string("xyz\x1a"), -7, {}, -1},
        {"huge fsize",
         std::string("xyz\x1a"
                     "more"),
         0x7fffffff,
         {},
         -1},
        {"file ends", "abc", 10, {}, -1},
        {"no ctrl-z after fsize, file ends", "abcd", 4, {}, -1},
        {"the same, cancelled", "abcd", 4, {}, 0},
        {"size error loop", std::string("abcdefg\x1a"), 2, {}, -1},
        {"size error cancelled", std::string("abcdefg\x1a"), 2, {}, 1},
        {"byte dropped", std::string("Hello\x1a"), 5, {129}, -1},
        {"byte dropped twice at one place", std::string("Hello\x1a"), 5, {129, 129}, -1},
        {"byte write cancelled", std::string("Hello\x1a"), 5, {130}, 0},
        {"extra byte dropped",
         std::string("abc\x1a"
                     "Q\x1a"),
         3,
         {131},
         -1},
        {"extra byte cancelled",
         std::string("abc\x1a"
                     "Q\x1a"),
         3,
         {131},
         0},
        {"last counted byte dropped", std::string("abcd\x1a"), 4, {131}, -1},
    };
    for (const auto& t : cases) {
        Case c;
        c.file = File(t.text);
        c.fsize = t.fsize;
        c.failAt = t.failAt;
        c.cancelAt = t.cancelAt;
        Check(c, t.what);
    }
}

// Random texts, short and long (the Characters meter, several blocks), with
// Ctrl-Z bytes in and around them, files that end early, failing writes.
TEST_F(TextCopyTest, RandomTextsByBlocks) {
    std::mt19937 random(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int round = 0; round < 160; ++round) {
        const bool large = pick(0, 4) == 0;
        const int length = large ? pick(50001, 200000) : pick(0, 400);
        Case c;
        c.file.assign(128, 'H');
        const int lead = pick(0, 20);
        for (int i = 0; i < lead + length + pick(0, 300); ++i)
            c.file.push_back(static_cast<std::uint8_t>(pick(0, 255) == 0 ? kCtrlZ : pick(32, 126)));
        c.fpos = 128 + lead;
        const auto z = static_cast<std::size_t>(c.fpos + length);
        switch (pick(0, 5)) {
            case 0:  // the Ctrl-Z after the text
                if (z < c.file.size())
                    c.file[z] = kCtrlZ;
                c.fsize = length;
                break;
            case 1:  // the Ctrl-Z inside
                if (z < c.file.size())
                    c.file[z] = kCtrlZ;
                c.fsize = length + 1;
                break;
            case 2:  // the file ends within the text
                c.file.resize(static_cast<std::size_t>(c.fpos) +
                              static_cast<std::size_t>(pick(0, length)));
                c.fsize = length;
                break;
            case 3:  // odd sizes
                c.fsize = pick(0, 1) ? -pick(1, 1000000) : 0x7fffffff - pick(0, 10);
                break;
            default:  // no Ctrl-Z where it belongs
                c.fsize = length;
                break;
        }
        for (int f = pick(0, 3) - 1; f > 0; --f)
            c.failAt.insert(128 + pick(0, length + 4));
        c.cancelAt = pick(0, 3) == 0 ? pick(0, 3) : -1;
        Check(c, "round " + std::to_string(round));
        if (HasFailure())
            break;
    }
}

}  // namespace
}  // namespace kestrove::testing
