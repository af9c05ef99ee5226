// The folder builder every later test relies on: layout, Ctrl-Z endings,
// overrides, and the bytes a rewrite must give.
#include <gtest/gtest.h>

#include "core/MessageFlag.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove::testing {
namespace {

std::string Str(const std::vector<std::uint8_t>& v, std::size_t from, std::size_t n) {
    return std::string(v.begin() + static_cast<std::ptrdiff_t>(from),
                       v.begin() + static_cast<std::ptrdiff_t>(from + n));
}

TEST(FolderBuilderTest, LaysOutTextsAndRecords) {
    FolderBuilder b;
    b.Add(Msg("alice", "hi", "1 Jan 20 1:00", 10, "AAAA", kReadBit));
    MessageSpec inside = Msg("bob", "re", "", 20, "BBB", kDeletedBit);
    inside.ending = CtrlZ::Inside;
    b.Add(inside);
    MessageSpec none = Msg("carol", "x", "", 30, "CC");
    none.ending = CtrlZ::None;
    none.before = "gap";
    b.Add(none);
    FolderBytes f = b.Build();

    ASSERT_EQ(f.pmi.size(), 3 * kRecordSize);
    ASSERT_EQ(f.pmm.size(), 128u + 5 + 4 + 3 + 2);
    IndexRecord r0 = b.Record(0), r1 = b.Record(1), r2 = b.Record(2);
    EXPECT_EQ(r0.fpos(), 128u);
    EXPECT_EQ(r0.fsize(), 4);  // the Ctrl-Z after the fsize bytes
    EXPECT_EQ(Str(f.pmm, 128, 5), "AAAA\x1A");
    EXPECT_EQ(r1.fpos(), 133u);
    EXPECT_EQ(r1.fsize(), 4);  // the Ctrl-Z is the last of them
    EXPECT_EQ(Str(f.pmm, 133, 4), "BBB\x1A");
    EXPECT_EQ(r2.fpos(), 140u);  // after the raw gap
    EXPECT_EQ(r2.fsize(), 2);
    EXPECT_EQ(Str(f.pmm, 137, 5), "gapCC");
    EXPECT_EQ(r1.msg_number(), 1);
    EXPECT_EQ(r2.from(), "carol");
    // Counted from the records: one unread (carol), one deleted (bob).
    EXPECT_EQ(b.Header().unread(), 1);
    EXPECT_EQ(b.Header().deleted(), 1);
}

TEST(FolderBuilderTest, OverridesAndRawBytes) {
    HeaderSpec h;
    h.unread = -1;
    h.raw = {{100, 0x77}};
    FolderBuilder b(h);
    MessageSpec m = Msg(std::string(40, 'f'), "s", "d", -5, "text");
    m.fsize = 99;
    m.fpos = 200;
    m.msg_number = 7;
    m.raw = {{117, 0x80}};
    b.Add(m);
    b.IndexTail("tail").MessageTail("ZZ");
    FolderBytes f = b.Build();
    EXPECT_EQ(f.pmi.size(), kRecordSize + 4);
    IndexRecord r = b.Record(0);
    EXPECT_EQ(r.from(), std::string(30, 'f'));  // cut to the field
    EXPECT_EQ(r.subject(), "s");
    EXPECT_EQ(r.fpos(), 200u);
    EXPECT_EQ(r.msg_number(), 7);
    EXPECT_EQ(r.fsize(), static_cast<std::int32_t>(0x80000000u | 99));
    EXPECT_EQ(f.pmm.size(), 200u + 5 + 2);
    EXPECT_EQ(f.pmm[150], 0);  // padding up to fpos
    EXPECT_EQ(b.Header().unread(), -1);
    EXPECT_EQ(f.pmm[100], 0x77);
    b.MessageFileLength(60);
    EXPECT_EQ(b.Build().pmm.size(), 60u);
}

TEST(FolderBuilderTest, CopiedTextFollowsTheCtrlZRules) {
    std::vector<std::uint8_t> pmm = {'a', 0x1A, 'b', 'c', 0x1A, 'd', 'e', 'f'};
    // A Ctrl-Z among the first fsize-1 bytes does not end the text.
    EXPECT_EQ(CopiedText(pmm, 0, 4).size(), 5u);
    EXPECT_EQ(CopiedText(pmm, 0, 5).size(), 5u);  // the fsize-th byte is the Ctrl-Z
    EXPECT_EQ(CopiedText(pmm, 0, 1).size(), 2u);  // the byte after is
    // fsize 0: the first byte when it is a Ctrl-Z, else up to the next one.
    EXPECT_EQ(CopiedText(pmm, 1, 0).size(), 1u);
    EXPECT_EQ(CopiedText(pmm, 2, 0).size(), 3u);
    EXPECT_EQ(CopiedText(pmm, 2, -9).size(), 3u);
    // No Ctrl-Z: up to the end of the file.
    EXPECT_EQ(CopiedText(pmm, 5, 1).size(), 3u);
    EXPECT_EQ(CopiedText(pmm, 5, 100).size(), 3u);
    EXPECT_TRUE(CopiedText(pmm, 8, 1).empty());
}

TEST(FolderBuilderTest, RewrittenRenumbersAndRepositions) {
    HeaderSpec h;
    h.name = "Inbox";
    h.delsize = 500;
    FolderBuilder b(h);
    b.Add(Msg("a", "s", "d", 1, "first"));
    b.Add(Msg("b", "s", "d", 2, "second", kDeletedBit));
    MessageSpec third = Msg("c", "s", "d", 3, "third");
    third.ending = CtrlZ::Inside;
    third.byte109 = 0x42;
    b.Add(third);
    FolderBytes out = b.Rewritten({2, 0});
    ASSERT_EQ(out.pmi.size(), 2 * kRecordSize);
    IndexRecord n0, n1;
    std::copy_n(out.pmi.begin(), kRecordSize, n0.bytes.begin());
    std::copy_n(out.pmi.begin() + kRecordSize, kRecordSize, n1.bytes.begin());
    EXPECT_EQ(n0.from(), "c");
    EXPECT_EQ(n0.msg_number(), 0);
    EXPECT_EQ(n0.fpos(), 128u);
    EXPECT_EQ(n0.fsize(), 6);
    EXPECT_EQ(n0.bytes[109], 0x42);
    EXPECT_EQ(n1.from(), "a");
    EXPECT_EQ(n1.msg_number(), 1);
    EXPECT_EQ(n1.fpos(), 134u);
    EXPECT_EQ(Str(out.pmm, 128, 12),
              "third\x1A"
              "first\x1A");
    MessageFileHeader header;
    std::copy_n(out.pmm.begin(), kHeaderSize, header.bytes.begin());
    EXPECT_EQ(header.name(), "Inbox");
    EXPECT_EQ(header.deleted(), 0);
    EXPECT_EQ(header.delsize(), 0);
    EXPECT_EQ(header.unread(), 2);  // kept as it was
}

TEST(FolderBuilderTest, WritesThePairThroughThePlatform) {
    TempDir dir;
    FolderBuilder b;
    b.Add(Msg("a", "s", "d", 1, "hello"));
    ASSERT_TRUE(b.Write(dir / "INBOX.PMI"));
    FolderBytes f = b.Build();
    EXPECT_EQ(ReadFileBytes(dir / "INBOX.PMI"), f.pmi);
    EXPECT_EQ(ReadFileBytes(dir / "INBOX.PMM"), f.pmm);
    EXPECT_FALSE(b.Write(dir / "NODIR\\INBOX.PMI"));
}

}  // namespace
}  // namespace kestrove::testing
