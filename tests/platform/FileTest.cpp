// The buffered File and the test faults.
#include <gtest/gtest.h>

#include <numeric>

#include "platform/Faults.h"
#include "platform/File.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove::platform {
namespace {

using kestrove::testing::ReadFileBytes;
using kestrove::testing::TempDir;
using kestrove::testing::WriteFileBytes;
#ifndef _WIN32
using kestrove::testing::ScopedFileSizeLimit;
#endif

std::vector<std::uint8_t> Counting(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return bytes;
}

class FileTest : public ::testing::Test {
  protected:
    void TearDown() override { faults::Reset(); }
    TempDir dir;
};

TEST_F(FileTest, WritesAndReadsBlocksAndBytesAcrossTheBuffer) {
    // Larger than the buffer, written in odd pieces and single bytes.
    auto data = Counting(200000);
    {
        auto f = File::Open(dir / "DATA.BIN", OpenMode::WriteBinary);
        ASSERT_TRUE(f);
        std::size_t pos = 0;
        std::size_t piece = 1;
        while (pos < data.size()) {
            std::size_t n = std::min(piece, data.size() - pos);
            if (n == 1)
                ASSERT_TRUE(f->WriteByte(data[pos]));
            else
                ASSERT_TRUE(f->Write(data.data() + pos, n));
            pos += n;
            EXPECT_EQ(f->Tell(), static_cast<std::int64_t>(pos));
            piece = piece * 3 % 70001 + 1;
        }
        EXPECT_EQ(f->Length(), static_cast<std::int64_t>(data.size()));  // before any flush
        ASSERT_TRUE(f->Close());
        EXPECT_FALSE(f->isOpen());
    }
    auto f = File::Open(dir / "data.bin", OpenMode::ReadBinary);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Length(), static_cast<std::int64_t>(data.size()));
    std::vector<std::uint8_t> back(data.size());
    std::size_t pos = 0, piece = 5;
    while (pos < back.size()) {
        if (piece % 4 == 0) {
            int c = f->ReadByte();
            ASSERT_GE(c, 0);
            back[pos++] = static_cast<std::uint8_t>(c);
        } else {
            std::size_t n = std::min(piece, back.size() - pos);
            ASSERT_EQ(f->Read(back.data() + pos, n), n);
            pos += n;
        }
        ASSERT_EQ(f->Tell(), static_cast<std::int64_t>(pos));
        piece = piece * 5 % 90001 + 1;
    }
    EXPECT_EQ(back, data);
    EXPECT_EQ(f->ReadByte(), -1);  // at the end
    std::uint8_t extra[4];
    EXPECT_EQ(f->Read(extra, 4), 0u);
}

TEST_F(FileTest, SeekAndTellReadInsideAndOutsideTheBuffer) {
    auto data = Counting(150000);
    ASSERT_TRUE(WriteFileBytes(dir / "D.BIN", data));
    auto f = File::Open(dir / "D.BIN", OpenMode::ReadBinary);
    ASSERT_TRUE(f);
    const std::int64_t positions[] = {100, 10, 70000, 69999, 0, 149999, 131072, 65536, 65535};
    for (std::int64_t p : positions) {
        ASSERT_TRUE(f->Seek(p));
        EXPECT_EQ(f->Tell(), p);
        EXPECT_EQ(f->ReadByte(), data[static_cast<std::size_t>(p)]) << "at " << p;
        EXPECT_EQ(f->Tell(), p + 1);
    }
    // A short read at the end, then a seek back still works.
    ASSERT_TRUE(f->Seek(149990));
    std::uint8_t buf[100];
    EXPECT_EQ(f->Read(buf, 100), 10u);
    EXPECT_EQ(f->Tell(), 150000);
    ASSERT_TRUE(f->Seek(5));
    EXPECT_EQ(f->Read(buf, 3), 3u);
    EXPECT_EQ(buf[0], data[5]);
    EXPECT_EQ(buf[2], data[7]);
    // Beyond the end: allowed, and reading there finds the end.
    ASSERT_TRUE(f->Seek(200000));
    EXPECT_EQ(f->ReadByte(), -1);
    EXPECT_FALSE(f->Seek(-1));
}

TEST_F(FileTest, SeekWhileWritingOverwritesAndExtends) {
    auto f = File::Open(dir / "W.BIN", OpenMode::WriteBinary);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->Write("0123456789", 10));
    ASSERT_TRUE(f->Seek(2));
    EXPECT_EQ(f->Tell(), 2);
    ASSERT_TRUE(f->Write("ab", 2));
    EXPECT_EQ(f->Tell(), 4);
    EXPECT_EQ(f->Length(), 10);
    ASSERT_TRUE(f->Seek(10));
    ASSERT_TRUE(f->WriteString("XY"));
    EXPECT_EQ(f->Length(), 12);
    std::uint8_t b[1];
    EXPECT_EQ(f->Read(b, 1), 0u);  // a file opened for writing is not read
    EXPECT_EQ(f->ReadByte(), -1);
    ASSERT_TRUE(f->Close());
    auto bytes = ReadFileBytes(dir / "W.BIN");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "01ab456789XY");
}

TEST_F(FileTest, OpeningForWritingEmptiesAndReadingNeedsAFile) {
    ASSERT_TRUE(WriteFileBytes(dir / "E.BIN", std::string_view("old contents")));
    {
        auto f = File::Open(dir / "E.BIN", OpenMode::WriteBinary);
        ASSERT_TRUE(f);
        EXPECT_EQ(f->Length(), 0);
    }
    EXPECT_EQ(ReadFileBytes(dir / "E.BIN")->size(), 0u);
    EXPECT_FALSE(File::Open(dir / "NONE.BIN", OpenMode::ReadBinary));
    EXPECT_FALSE(LastErrorText().empty());
    EXPECT_FALSE(File::Open(dir / "NODIR\\X.BIN", OpenMode::WriteBinary));
    // A directory is not a file.
    ASSERT_TRUE(WriteFileBytes(dir / "X.BIN", std::string_view("x")));
    EXPECT_FALSE(File::Open(dir.path(), OpenMode::ReadBinary));
    // Written when the File goes away without Close.
    {
        auto f = File::Open(dir / "D.BIN", OpenMode::WriteBinary);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->WriteString("kept"));
    }
    EXPECT_EQ(ReadFileBytes(dir / "D.BIN")->size(), 4u);
}

TEST_F(FileTest, TextModeWritesCrLfOnWindowsOnly) {
    {
        auto f = File::Open(dir / "T.LOG", OpenMode::WriteText);
        ASSERT_TRUE(f);
        ASSERT_TRUE(f->WriteString("one\ntwo\n"));
        ASSERT_TRUE(f->WriteByte('\n'));
        ASSERT_TRUE(f->Close());
    }
    auto bytes = ReadFileBytes(dir / "T.LOG");
    ASSERT_TRUE(bytes);
#ifdef _WIN32
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "one\r\ntwo\r\n\r\n");
#else
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "one\ntwo\n\n");
#endif
    // Binary files are never translated.
    ASSERT_TRUE(WriteFileBytes(dir / "B.BIN", std::string_view("a\nb")));
    EXPECT_EQ(ReadFileBytes(dir / "B.BIN")->size(), 3u);
}

// Faults -----------------------------------------------------------------

TEST_F(FileTest, FailNthCountsOnlyMatchingPathsAndFailsOnce) {
    ASSERT_TRUE(WriteFileBytes(dir / "A.PMM", std::string_view("aaaa")));
    ASSERT_TRUE(WriteFileBytes(dir / "B.PMI", std::string_view("bbbb")));
    faults::FailNth(faults::Op::Read, 3, ".pmm");  // without regard to case
    auto a = File::Open(dir / "A.PMM", OpenMode::ReadBinary);
    auto b = File::Open(dir / "B.PMI", OpenMode::ReadBinary);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->ReadByte(), 'a');
    EXPECT_EQ(b->ReadByte(), 'b');  // another path: not counted
    EXPECT_EQ(b->ReadByte(), 'b');
    EXPECT_EQ(a->ReadByte(), 'a');
    EXPECT_EQ(a->ReadByte(), -1);   // the third read of A fails...
    EXPECT_EQ(a->Tell(), 2);        // ...without moving
    EXPECT_EQ(a->ReadByte(), 'a');  // and only that one
    EXPECT_EQ(a->ReadByte(), 'a');
}

TEST_F(FileTest, FaultsFailAtTheCallNotAtALaterFlush) {
    faults::FailNth(faults::Op::Write, 2);
    auto f = File::Open(dir / "F.BIN", OpenMode::WriteBinary);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->WriteByte('1'));
    EXPECT_FALSE(f->WriteByte('2'));  // buffered, yet it fails right here
    EXPECT_EQ(LastErrorText(), faults::kInjectedFaultText);
    EXPECT_EQ(f->Tell(), 1);
    EXPECT_TRUE(f->WriteByte('3'));
    EXPECT_TRUE(f->Close());
    EXPECT_EQ(ReadFileBytes(dir / "F.BIN")->size(), 2u);

    faults::FailAlways(faults::Op::Create, "G.BIN");
    EXPECT_FALSE(File::Open(dir / "G.BIN", OpenMode::WriteBinary));
    EXPECT_FALSE(File::Open(dir / "G.BIN", OpenMode::WriteText));
    EXPECT_TRUE(File::Open(dir / "H.BIN", OpenMode::WriteBinary));
    faults::Reset();
    EXPECT_TRUE(File::Open(dir / "G.BIN", OpenMode::WriteBinary));

    ASSERT_TRUE(WriteFileBytes(dir / "S.BIN", std::string_view("0123456789")));
    faults::FailNth(faults::Op::Open, 1, "S.BIN");
    EXPECT_FALSE(File::Open(dir / "S.BIN", OpenMode::ReadBinary));
    auto s = File::Open(dir / "S.BIN", OpenMode::ReadBinary);
    ASSERT_TRUE(s);
    faults::FailNth(faults::Op::Seek, 1);
    faults::FailNth(faults::Op::Tell, 1);
    EXPECT_FALSE(s->Seek(4));
    EXPECT_EQ(s->Tell(), -1);
    EXPECT_EQ(s->Tell(), 0);
    std::uint8_t buf[4];
    faults::FailNth(faults::Op::Read, 1);
    EXPECT_EQ(s->Read(buf, 4), 0u);
    EXPECT_EQ(s->Read(buf, 4), 4u);
}

TEST_F(FileTest, SyncAndCloseFaultsStillCloseTheFile) {
    auto f = File::Open(dir / "C.BIN", OpenMode::WriteBinary);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->WriteString("abc"));
    faults::FailNth(faults::Op::Sync, 1);
    EXPECT_FALSE(f->Sync());
    EXPECT_TRUE(f->Sync());
    faults::FailNth(faults::Op::Close, 1);
    EXPECT_FALSE(f->Close());
    EXPECT_FALSE(f->isOpen());
    EXPECT_EQ(ReadFileBytes(dir / "C.BIN")->size(), 3u);
}

TEST_F(FileTest, FailWriteAtStopsAtTheOffsetWhateverTheBuffering) {
    faults::FailWriteAt("OUT.PMM", 100005);
    auto f = File::Open(dir / "OUT.PMM", OpenMode::WriteBinary);
    ASSERT_TRUE(f);
    auto data = Counting(200000);
    ASSERT_TRUE(f->Write(data.data(), 100000));  // below the offset
    ASSERT_TRUE(f->Write(data.data() + 100000, 3));
    EXPECT_FALSE(f->Write(data.data() + 100003, 10));  // would reach byte 100005
    EXPECT_EQ(f->Tell(), 100005);                      // the bytes before it went out
    EXPECT_TRUE(f->Write(data.data() + 100005, 10));   // once only
    ASSERT_TRUE(f->Close());
    auto bytes = ReadFileBytes(dir / "OUT.PMM");
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 100015u);
    EXPECT_TRUE(std::equal(bytes->begin(), bytes->end(), data.begin()));

    // A single byte write at the offset fails; other files are not touched.
    faults::FailWriteAt("X.PMM", 0);
    auto other = File::Open(dir / "Y.PMI", OpenMode::WriteBinary);
    auto x = File::Open(dir / "X.PMM", OpenMode::WriteBinary);
    ASSERT_TRUE(other && x);
    EXPECT_TRUE(other->WriteByte(1));
    EXPECT_FALSE(x->WriteByte(1));
    EXPECT_EQ(x->Tell(), 0);
    EXPECT_TRUE(x->WriteByte(1));
}

// A write the system refuses at a flush: nothing is dropped and nothing is
// skipped. The file holds exactly what the system took; the rest waits in
// the buffer for the next flush.
TEST_F(FileTest, AFailedFlushKeepsTheRefusedBytes) {
    auto data = Counting(1000);
    auto f = File::Open(dir / "K.BIN", OpenMode::WriteBinary);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->Write(data.data(), 600));
    faults::FailNth(faults::Op::Flush, 1);
    EXPECT_FALSE(f->Flush());
    EXPECT_TRUE(f->HasRefusedBytes());
    EXPECT_EQ(f->Tell(), 600);
    EXPECT_EQ(ReadFileBytes(dir / "K.BIN")->size(), 0u);
    ASSERT_TRUE(f->Write(data.data() + 600, 400));
    EXPECT_TRUE(f->Flush());
    EXPECT_FALSE(f->HasRefusedBytes());
    ASSERT_TRUE(f->Close());
    EXPECT_EQ(*ReadFileBytes(dir / "K.BIN"), data);

    // A flush forced by a full buffer, failing part way: Write reports it,
    // the file ends right after the accepted bytes, Close cannot finish it.
    data = Counting(200000);
    faults::FailSystemWriteAt("P.BIN", 70000);
    f = File::Open(dir / "P.BIN", OpenMode::WriteBinary);
    ASSERT_TRUE(f);
    std::size_t pos = 0;
    bool failed = false;
    while (pos < data.size() && !failed) {
        failed = !f->Write(data.data() + pos, 1000);
        pos += 1000;
    }
    ASSERT_TRUE(failed);
    EXPECT_EQ(pos, 132000u);  // the second full buffer
    EXPECT_TRUE(f->HasRefusedBytes());
    EXPECT_EQ(LastErrorText(), faults::kInjectedFaultText);
    EXPECT_EQ(ReadFileBytes(dir / "P.BIN")->size(), 70000u);
    faults::FailNth(faults::Op::Flush, 1);
    EXPECT_FALSE(f->Close());
    auto bytes = ReadFileBytes(dir / "P.BIN");
    ASSERT_EQ(bytes->size(), 70000u);
    EXPECT_TRUE(std::equal(bytes->begin(), bytes->end(), data.begin()));

    // Seek and Truncate need the buffer out first, and fail while it cannot go.
    f = File::Open(dir / "S.BIN", OpenMode::WriteBinary);
    ASSERT_TRUE(f->Write(data.data(), 10));
    faults::FailNth(faults::Op::Flush, 1);
    EXPECT_FALSE(f->Seek(0));
    EXPECT_EQ(f->Tell(), 10);
    faults::FailNth(faults::Op::Flush, 1);
    EXPECT_FALSE(f->Truncate(4));
    EXPECT_TRUE(f->Truncate(4));
    EXPECT_EQ(f->Tell(), 4);
    EXPECT_EQ(f->Length(), 4);
    ASSERT_TRUE(f->WriteString("xy"));
    ASSERT_TRUE(f->Close());
    bytes = ReadFileBytes(dir / "S.BIN");
    ASSERT_EQ(bytes->size(), 6u);
    EXPECT_TRUE(std::equal(bytes->begin(), bytes->begin() + 4, data.begin()));
    EXPECT_EQ((*bytes)[4], 'x');
}

// A block too large for the buffer goes to the system at the call; its
// failure is one at the call, after the bytes the system took.
TEST_F(FileTest, ALargeWriteFailsAtTheCall) {
    auto data = Counting(300000);
    faults::FailSystemWriteAt("L.BIN", 100000);
    auto f = File::Open(dir / "L.BIN", OpenMode::WriteBinary);
    ASSERT_TRUE(f);
    EXPECT_FALSE(f->Write(data.data(), data.size()));
    EXPECT_FALSE(f->HasRefusedBytes());
    EXPECT_EQ(f->Tell(), 100000);
    EXPECT_TRUE(f->Write(data.data() + 100000, 200000));
    ASSERT_TRUE(f->Close());
    EXPECT_EQ(*ReadFileBytes(dir / "L.BIN"), data);
}

// A read error is told apart from the end of the file.
TEST_F(FileTest, AReadErrorIsNotTheEnd) {
    auto data = Counting(150000);
    ASSERT_TRUE(WriteFileBytes(dir / "R.BIN", data));
    faults::FailReadAt("R.BIN", 70000);
    auto f = File::Open(dir / "R.BIN", OpenMode::ReadBinary);
    ASSERT_TRUE(f);
    std::vector<std::uint8_t> back(data.size());
    std::size_t got = 0;
    while (std::size_t n = f->Read(back.data() + got, 1000))
        got += n;
    EXPECT_EQ(got, 70000u);
    EXPECT_TRUE(f->ReadFailed());
    EXPECT_EQ(f->Tell(), 70000);
    // Once only: the next read goes on from there.
    while (std::size_t n = f->Read(back.data() + got, 1000))
        got += n;
    EXPECT_FALSE(f->ReadFailed());
    EXPECT_EQ(got, data.size());
    EXPECT_EQ(back, data);

    faults::FailReadAt("R.BIN", 5);
    ASSERT_TRUE(f->Seek(0));
    std::uint8_t b[4];
    EXPECT_EQ(f->Read(b, 4), 4u);
    EXPECT_EQ(f->ReadByte(), data[4]);
    EXPECT_EQ(f->ReadByte(), -1);
    EXPECT_TRUE(f->ReadFailed());
    EXPECT_EQ(f->ReadByte(), data[5]);
    EXPECT_FALSE(f->ReadFailed());

    // A reader that cannot get to its place has failed, so that what it
    // would read next is not taken for what stands there.
    faults::FailNth(faults::Op::Seek, 1, "R.BIN");
    EXPECT_FALSE(f->Seek(0));
    EXPECT_TRUE(f->ReadFailed());
    EXPECT_TRUE(f->Seek(0));
    EXPECT_FALSE(f->ReadFailed());
}

#ifndef _WIN32
// A real failing write(): the file size limit of the process, with the
// signal ignored, makes the system refuse bytes past it (EFBIG).
TEST_F(FileTest, ARealFailingWriteLeavesTheAcceptedBytes) {
    ScopedFileSizeLimit limit(100000);
    auto data = Counting(200000);
    auto f = File::Open(dir / "Q.BIN", OpenMode::WriteBinary);
    ASSERT_TRUE(f);
    std::size_t pos = 0;
    bool failed = false;
    while (pos < data.size() && !failed) {
        failed = !f->Write(data.data() + pos, 3000);
        pos += 3000;
    }
    EXPECT_TRUE(failed);
    EXPECT_TRUE(f->HasRefusedBytes());
    EXPECT_NE(LastErrorText().find("large"), std::string::npos) << LastErrorText();
    EXPECT_FALSE(f->Close());
    auto bytes = ReadFileBytes(dir / "Q.BIN");
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), 100000u);
    EXPECT_TRUE(std::equal(bytes->begin(), bytes->end(), data.begin()));
}
#endif

}  // namespace
}  // namespace kestrove::platform
