// The 118-byte index record, the table and its six orderings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "core/IndexRecord.h"
#include "platform/File.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

using testing::FolderBuilder;
using testing::MessageSpec;
using testing::TempDir;

// A record whose every byte differs from its neighbours, so a field read
// at a wrong offset or with a wrong width shows.
IndexRecord Patterned() {
    IndexRecord r;
    for (std::size_t i = 0; i < kRecordSize; ++i)
        r.bytes[i] = static_cast<std::uint8_t>(0x21 + i);  // no NUL anywhere
    return r;
}

TEST(IndexRecordFields, DecodedFromTheirOffsetsLittleEndian) {
    IndexRecord r = Patterned();
    EXPECT_EQ(r.flags(), 0x24232221u);
    EXPECT_EQ(r.fpos(), 0x28272625u);
    EXPECT_EQ(r.msg_number(), 0x2A29u);
    // Texts filling their fields have no NUL and end at the field's width.
    EXPECT_EQ(r.fname(), std::string_view("+,-./0123456789", 14));
    EXPECT_EQ(r.fname().size(), 14u);
    EXPECT_EQ(r.from().size(), 30u);
    EXPECT_EQ(r.from().front(), static_cast<char>(0x21 + 24));
    EXPECT_EQ(r.from().back(), static_cast<char>(0x21 + 53));
    EXPECT_EQ(r.subject().size(), 36u);
    EXPECT_EQ(r.subject().front(), static_cast<char>(0x21 + 54));
    EXPECT_EQ(r.subject().back(), static_cast<char>(0x21 + 89));
    EXPECT_EQ(r.date().size(), 16u);
    EXPECT_EQ(r.date().front(), static_cast<char>(0x21 + 90));
    EXPECT_EQ(r.date().back(), static_cast<char>(0x21 + 105));
    EXPECT_EQ(r.color(), static_cast<std::int8_t>(0x21 + 108));  // 0x8D: negative
    EXPECT_LT(r.color(), 0);
    EXPECT_EQ(static_cast<std::uint32_t>(r.mtime()), 0x9291908Fu);
    EXPECT_EQ(static_cast<std::uint32_t>(r.fsize()), 0x96959493u);
}

TEST(IndexRecordFields, TextsStopAtTheirNul) {
    FolderBuilder b;
    MessageSpec m;
    m.fname = "ABC";
    m.from = "alice@example.com";
    m.subject = "Hello";
    m.date = "3 Jun 18 2:29";
    b.Add(m);
    IndexRecord r = b.Record(0);
    EXPECT_EQ(r.fname(), "ABC");
    EXPECT_EQ(r.from(), "alice@example.com");
    EXPECT_EQ(r.subject(), "Hello");
    EXPECT_EQ(r.date(), "3 Jun 18 2:29");
}

TEST(IndexRecordFields, SignedAndUnsignedNumbers) {
    IndexRecord r;
    PutU32(&r.bytes[rec::kMtime], 0xFFFFFFFFu);
    PutU32(&r.bytes[rec::kFsize], 0x80000000u);
    PutU32(&r.bytes[rec::kFpos], 0xFFFFFFFEu);
    PutU16(&r.bytes[rec::kMsgNumber], 0xFFFF);
    PutU32(&r.bytes[rec::kFlags], 0x80000000u);
    EXPECT_EQ(r.mtime(), -1);
    EXPECT_EQ(r.fsize(), INT32_MIN);
    EXPECT_EQ(r.fpos(), 0xFFFFFFFEu);
    EXPECT_EQ(r.fposSigned(), -2);
    EXPECT_EQ(r.msg_number(), 65535);
    EXPECT_EQ(r.flags(), 0x80000000u);
    EXPECT_TRUE(r.HasFlag(0x80000000u));
    EXPECT_FALSE(r.HasFlag(0x80000001u));
}

TEST(IndexRecordFields, SettersWriteOnlyTheirBytes) {
    IndexRecord r = Patterned();
    IndexRecord before = r;
    r.set_flags(0x01020304);
    r.set_fpos(0x05060708);
    r.set_msg_number(0x090A);
    r.set_mtime(-48255840);
    r.set_fsize(-2);
    for (std::size_t i = 0; i < kRecordSize; ++i) {
        bool written = i < 10 || (i >= rec::kMtime);
        if (!written) {
            EXPECT_EQ(r.bytes[i], before.bytes[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(r.flags(), 0x01020304u);
    EXPECT_EQ(r.fpos(), 0x05060708u);
    EXPECT_EQ(r.msg_number(), 0x090A);
    EXPECT_EQ(r.mtime(), -48255840);
    EXPECT_EQ(r.fsize(), -2);
    EXPECT_EQ(r.bytes[rec::kMtime], 0xA0);  // little-endian
}

class IndexFileTest : public ::testing::Test {
  protected:
    TempDir dir;

    // Loads every whole record of a file into the table, as the loaders do.
    int Load(const std::string& path, MessageTable& table) {
        auto file = platform::File::Open(path, platform::OpenMode::ReadBinary);
        EXPECT_TRUE(file);
        if (!file)
            return -1;
        table.count = 0;
        while (table.count < MAXMSG && table[table.count].ReadFrom(*file))
            ++table.count;
        return table.count;
    }
};

TEST_F(IndexFileTest, EmptyAndPartialRecords) {
    MessageTable table;
    ASSERT_TRUE(testing::WriteFileBytes(dir / "EMPTY.PMI", std::string_view()));
    EXPECT_EQ(Load(dir / "EMPTY.PMI", table), 0);

    // 118 x 2 + 117 bytes: the partial third record is not a record.
    FolderBuilder b;
    b.Add(MessageSpec{}).Add(MessageSpec{});
    b.IndexTail(std::string(117, 'x'));
    ASSERT_TRUE(b.Write(dir / "TWO.PMI"));
    EXPECT_EQ(Load(dir / "TWO.PMI", table), 2);

    b.IndexTail("y");
    ASSERT_TRUE(b.Write(dir / "TWO.PMI"));
    EXPECT_EQ(Load(dir / "TWO.PMI", table), 2);
}

TEST_F(IndexFileTest, UninterpretedBytesSurviveLoadSortAndWrite) {
    FolderBuilder b;
    for (int i = 0; i < 5; ++i) {
        MessageSpec m = testing::Msg("from" + std::to_string(i), "s", "d", 100 - i * 10, "text");
        m.byte106 = static_cast<std::uint8_t>(0xB0 + i);
        m.byte107 = static_cast<std::uint8_t>(0xC0 + i);
        m.byte109 = static_cast<std::uint8_t>(0xD0 + i);
        m.color = static_cast<std::int8_t>(-i);
        b.Add(m);
    }
    ASSERT_TRUE(b.Write(dir / "F.PMI"));
    auto original = testing::ReadFileBytes(dir / "F.PMI");
    ASSERT_TRUE(original);

    MessageTable table;
    ASSERT_EQ(Load(dir / "F.PMI", table), 5);
    SortTable(table, CompareTimeSize);
    {
        auto out = platform::File::Open(dir / "OUT.PMI", platform::OpenMode::WriteBinary);
        ASSERT_TRUE(out);
        for (const IndexRecord& r : table)
            ASSERT_TRUE(r.WriteTo(*out));
        ASSERT_TRUE(out->Close());
    }
    auto written = testing::ReadFileBytes(dir / "OUT.PMI");
    ASSERT_TRUE(written);
    ASSERT_EQ(written->size(), 5 * kRecordSize);
    // Sorted by mtime the order is reversed; each record is whole and unchanged.
    for (int i = 0; i < 5; ++i) {
        auto from = original->begin() + (4 - i) * static_cast<std::ptrdiff_t>(kRecordSize);
        EXPECT_TRUE(std::equal(from, from + kRecordSize,
                               written->begin() + i * static_cast<std::ptrdiff_t>(kRecordSize)))
            << "record " << i;
        EXPECT_EQ(table[i].bytes[106], 0xB0 + 4 - i);
        EXPECT_EQ(table[i].bytes[107], 0xC0 + 4 - i);
        EXPECT_EQ(table[i].bytes[109], 0xD0 + 4 - i);
    }
}

TEST(MessageTableTest, HoldsMaxmsgZeroedSlots) {
    MessageTable table;
    EXPECT_EQ(table.count, 0);
    EXPECT_EQ(table.begin(), table.end());
    table[MAXMSG - 1].set_fsize(7);  // the last slot is there
    EXPECT_EQ(table[MAXMSG - 1].fsize(), 7);
    EXPECT_EQ(table[0].flags(), 0u);
}

// Orderings ---------------------------------------------------------------

IndexRecord WithTimeSize(std::int32_t mtime, std::int32_t fsize) {
    IndexRecord r;
    r.set_mtime(mtime);
    r.set_fsize(fsize);
    return r;
}

// A record whose text at the `from` position is `text`, NUL-terminated
// when it is shorter than the rest of the slot.
IndexRecord WithFromText(std::string_view text) {
    IndexRecord r;
    std::memcpy(&r.bytes[rec::kFrom], text.data(), std::min(text.size(), kRecordSize - rec::kFrom));
    return r;
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

TEST(Orderings, TimeAndSizeAreSigned) {
    IndexRecord minusOne = WithTimeSize(-1, 5), zero = WithTimeSize(0, 5);
    EXPECT_LT(CompareTimeSize(minusOne, zero), 0);
    EXPECT_GT(CompareTimeSizeDesc(minusOne, zero), 0);
    IndexRecord small = WithTimeSize(7, INT32_MIN), big = WithTimeSize(7, INT32_MAX);
    EXPECT_LT(CompareTimeSize(small, big), 0);  // fsize breaks the tie, signed
    EXPECT_GT(CompareTimeSizeDesc(small, big), 0);
    EXPECT_LT(CompareSize(small, big), 0);
    EXPECT_GT(CompareSizeDesc(small, big), 0);
    // Extremes do not overflow.
    EXPECT_LT(CompareTimeSize(WithTimeSize(INT32_MIN, 0), WithTimeSize(INT32_MAX, 0)), 0);
    EXPECT_GT(CompareTimeSize(WithTimeSize(INT32_MAX, 0), WithTimeSize(INT32_MIN, 0)), 0);
}

TEST(Orderings, TimeBeforeSizeAndEquality) {
    IndexRecord a = WithTimeSize(1, 900), b = WithTimeSize(2, 100);
    EXPECT_LT(CompareTimeSize(a, b), 0);  // mtime decides before fsize
    EXPECT_GT(CompareSize(a, b), 0);      // fsize only
    EXPECT_EQ(CompareTimeSize(a, a), 0);
    EXPECT_EQ(CompareTimeSizeDesc(a, a), 0);
    EXPECT_EQ(CompareSize(WithTimeSize(1, 5), WithTimeSize(9, 5)), 0);  // mtime ignored
    EXPECT_EQ(CompareSizeDesc(WithTimeSize(1, 5), WithTimeSize(9, 5)), 0);
}

TEST(Orderings, FromFoldsCaseAscending) {
    EXPECT_EQ(CompareFrom(WithFromText("abc"), WithFromText("ABC")), 0);
    EXPECT_LT(CompareFrom(WithFromText("abc"), WithFromText("ABD")), 0);
    // Folded to upper case: '_' (0x5F) lies between the upper- and
    // lower-case letters, so it sorts after "A" but before "a" would raw.
    EXPECT_GT(CompareFrom(WithFromText("_x"), WithFromText("ax")), 0);
    // A prefix sorts first.
    EXPECT_LT(CompareFrom(WithFromText("ab"), WithFromText("abc")), 0);
    EXPECT_GT(CompareFrom(WithFromText("abc"), WithFromText("AB")), 0);
    // Bytes are unsigned: 0xE9 sorts after 'z'.
    EXPECT_GT(CompareFrom(WithFromText("\xE9"), WithFromText("z")), 0);
    // Accented letters fold too (Windows-1252).
    EXPECT_EQ(CompareFrom(WithFromText("\xE9t\xE9"), WithFromText("\xC9T\xC9")), 0);
}

TEST(Orderings, FromDescKeepsCaseAndReverses) {
    // Lower-case letters have the higher byte values: abc comes before ABC.
    EXPECT_LT(CompareFromDesc(WithFromText("abc"), WithFromText("ABC")), 0);
    EXPECT_GT(CompareFromDesc(WithFromText("ABC"), WithFromText("abc")), 0);
    EXPECT_EQ(CompareFromDesc(WithFromText("abc"), WithFromText("abc")), 0);
    // Reversed: the longer text (of which the other is a prefix) first.
    EXPECT_LT(CompareFromDesc(WithFromText("abc"), WithFromText("ab")), 0);
    // Unsigned bytes: 0xE9 is the greatest, so it comes first.
    EXPECT_LT(CompareFromDesc(WithFromText("\xE9"), WithFromText("z")), 0);
}

TEST(Orderings, TextOrderingsReadPastTheFieldUpToTheNul) {
    // Both `from` fields hold the same 30 bytes without a NUL; the subjects
    // that follow decide.
    std::string same(30, 'M');
    IndexRecord a = WithFromText(same + "apple"), b = WithFromText(same + "banana");
    EXPECT_EQ(a.from(), b.from());  // the field itself is equal
    EXPECT_LT(CompareFrom(a, b), 0);
    EXPECT_GT(CompareFromDesc(a, b), 0);

    // Equal up to the NUL: what lies after it does not count.
    IndexRecord c = WithFromText(same + "x");
    IndexRecord d = WithFromText(same + "x");
    d.bytes[rec::kFrom + 32] = 'Q';  // after the NUL at offset 31 of the text
    EXPECT_EQ(CompareFrom(c, d), 0);
    EXPECT_EQ(CompareFromDesc(c, d), 0);
}

TEST(Orderings, TextOrderingsStopAtTheSlotsEnd) {
    // No NUL from the `from` position to the end of the slot: the text ends
    // with the slot (94 bytes), and the comparison reads nothing beyond it.
    MessageTable table;
    std::string full(kRecordSize - rec::kFrom, 'k');
    table[0] = WithFromText(full);
    table[1] = WithFromText(full);
    std::memset(table[2].bytes.data(), 'z', kRecordSize);  // slot after the second
    EXPECT_EQ(CompareFrom(table[0], table[1]), 0);
    EXPECT_EQ(CompareFromDesc(table[0], table[1]), 0);
    table[0].bytes[kRecordSize - 1] = 'a';
    EXPECT_LT(CompareFrom(table[0], table[1]), 0);
    EXPECT_GT(CompareFromDesc(table[0], table[1]), 0);
}

TEST(Orderings, StatisticsSlotsWithCountersSort) {
    // The sender statistics keep a count at the mtime position and a byte
    // total at the fsize position: the orderings sort those slots too.
    MessageTable table;
    const char* senders[] = {"carol", "Alice", "bob", "alice2"};
    std::int32_t counts[] = {3, 1, 3, 2};
    std::int32_t sizes[] = {50, 900, 40, 10};
    for (int i = 0; i < 4; ++i) {
        table[i] = WithFromText(senders[i]);
        table[i].set_mtime(counts[i]);
        table[i].set_fsize(sizes[i]);
    }
    table.count = 4;
    auto order = [&] {
        std::vector<std::string> out;
        for (const IndexRecord& r : table)
            out.emplace_back(r.from());
        return out;
    };
    SortTable(table, CompareFrom);
    EXPECT_EQ(order(), (std::vector<std::string>{"Alice", "alice2", "bob", "carol"}));
    SortTable(table, CompareFromDesc);
    EXPECT_EQ(order(), (std::vector<std::string>{"carol", "bob", "alice2", "Alice"}));
    SortTable(table, CompareTimeSize);
    EXPECT_EQ(order(), (std::vector<std::string>{"Alice", "alice2", "bob", "carol"}));
    SortTable(table, CompareTimeSizeDesc);
    EXPECT_EQ(order(), (std::vector<std::string>{"carol", "bob", "alice2", "Alice"}));
    SortTable(table, CompareSize);
    EXPECT_EQ(order(), (std::vector<std::string>{"alice2", "bob", "carol", "Alice"}));
    SortTable(table, CompareSizeDesc);
    EXPECT_EQ(order(), (std::vector<std::string>{"Alice", "carol", "bob", "alice2"}));
}

TEST(Orderings, SortTableSortsOnlyTheFilledSlotsWholly) {
    MessageTable table;
    // A full-size sort of shuffled records, with a marker in slot `count`.
    const int n = 1000;
    std::vector<int> keys(n);
    std::iota(keys.begin(), keys.end(), -500);
    std::reverse(keys.begin(), keys.end());
    for (int i = 0; i < n; ++i) {
        table[i] = WithTimeSize(keys[static_cast<std::size_t>(i)], i);
        table[i].bytes[107] = static_cast<std::uint8_t>(keys[static_cast<std::size_t>(i)]);
    }
    table[n] = WithTimeSize(-100000, 0);  // beyond count: must stay put
    table.count = n;
    SortTable(table, CompareTimeSize);
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(table[i].mtime(), -500 + i);
        ASSERT_EQ(table[i].bytes[107], static_cast<std::uint8_t>(-500 + i));  // moved whole
    }
    EXPECT_EQ(table[n].mtime(), -100000);
    for (int i = 1; i < n; ++i)
        ASSERT_LE(Sign(CompareTimeSize(table[i - 1], table[i])), 0);
}

}  // namespace
}  // namespace kestrove
