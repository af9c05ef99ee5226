// The real folder files of the workplace, decoded as the program reads them.
#include <gtest/gtest.h>

#include "core/IndexRecord.h"
#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/Samples.h"

namespace kestrove {
namespace {

using platform::JoinPath;

class SamplesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto samples = testing::SamplesDirectory();
        if (!samples)
            GTEST_SKIP() << "no sample folders in this workplace";
        root = JoinPath(*samples, "mercury-mail");
    }
    void TearDown() override {
#ifndef _WIN32
        platform::SetDriveRoot('S', "");
#endif
    }

    std::vector<IndexRecord> Records(const std::string& indexPath) {
        std::vector<IndexRecord> records;
        auto file = platform::File::Open(indexPath, platform::OpenMode::ReadBinary);
        EXPECT_TRUE(file) << indexPath;
        IndexRecord r;
        while (file && r.ReadFrom(*file))
            records.push_back(r);
        return records;
    }

    // What every folder of the mail client shows: each text ends with a
    // Ctrl-Z right after its fsize bytes, the next text starts after it, and
    // the header's counts agree with the records.
    void ExpectWellFormed(const std::string& indexPath) {
        SCOPED_TRACE(indexPath);
        auto records = Records(indexPath);
        auto pmm = testing::ReadFileBytes(MessageFileName(indexPath));
        ASSERT_TRUE(pmm);
        auto header = ReadHeaderOf(MessageFileName(indexPath));
        ASSERT_TRUE(header);
        std::int64_t expectedPos = kHeaderSize;
        int unread = 0, deleted = 0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const IndexRecord& r = records[i];
            EXPECT_EQ(r.msg_number(), i);
            EXPECT_EQ(r.fpos(), expectedPos);
            ASSERT_LT(r.fpos() + r.fsize(), pmm->size());
            EXPECT_EQ((*pmm)[r.fpos() + r.fsize()], kCtrlZ);
            EXPECT_NE((*pmm)[r.fpos() + r.fsize() - 1], kCtrlZ);
            EXPECT_EQ(testing::CopiedText(*pmm, r.fpos(), r.fsize()).size(),
                      static_cast<std::size_t>(r.fsize()) + 1);
            expectedPos = r.fpos() + r.fsize() + 1;
            if (r.HasFlag(kDeletedBit))
                ++deleted;
            else if (!r.HasFlag(kReadBit))
                ++unread;
        }
        EXPECT_EQ(static_cast<std::size_t>(expectedPos), pmm->size());  // nothing after the last
        EXPECT_EQ(header->unread(), unread);
        EXPECT_EQ(header->deleted(), deleted);
        EXPECT_EQ(header->delsize(), 0);
    }

    std::string root;
};

TEST_F(SamplesTest, TrashHasFourRecordsTwoWithoutDate) {
    const std::string pmi = JoinPath(root, "MAIL\\master\\FOL002E8.PMI");
    auto records = Records(pmi);
    ASSERT_EQ(records.size(), 4u);
    ExpectWellFormed(pmi);

    auto header = ReadHeaderOf(MessageFileName(pmi));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name(), "Trash");
    EXPECT_EQ(header->id(), "4CCC6E8F:02E8:FOL002E8");
    EXPECT_EQ(header->unread(), 0);
    EXPECT_EQ(header->deleted(), 0);

    const IndexRecord& first = records[0];
    EXPECT_EQ(first.flags(), 0x02080280u);
    EXPECT_EQ(first.fpos(), 128u);
    EXPECT_EQ(first.fname(), "507BBD07.TMP");
    EXPECT_EQ(first.from(), "sales@astrachat.com");
    EXPECT_EQ(first.subject(), "Request to Download AstraChat Deskt");
    EXPECT_EQ(first.date(), "6 Aug 18 0:20");
    EXPECT_EQ(first.bytes[106], 0xB6);
    EXPECT_EQ(first.bytes[107], 0xFE);
    EXPECT_EQ(first.color(), 0);
    EXPECT_EQ(first.mtime(), 14970418);
    EXPECT_EQ(first.fsize(), 2994);
    EXPECT_TRUE(IsSet(first.flags(), MessageFlag::Read));
    EXPECT_TRUE(IsSet(first.flags(), MessageFlag::Mime));
    EXPECT_TRUE(IsSet(first.flags(), MessageFlag::Smtp));
    EXPECT_FALSE(IsSet(first.flags(), MessageFlag::Deleted));

    EXPECT_EQ(records[1].from(), "Deepak Sharma");
    EXPECT_EQ(records[1].subject(), "Re: saoidjfij");
    EXPECT_EQ(records[1].date(), "22 Aug 18 10:42");
    EXPECT_EQ(records[1].flags(), 0x22080180u);

    // The two near-duplicates: empty date, the same negative mtime, the
    // same sender and subject, different sizes.
    for (int i : {2, 3}) {
        EXPECT_EQ(records[i].from(), "Microsoft Outlook");
        EXPECT_EQ(records[i].subject(), "Microsoft Outlook Test Message");
        EXPECT_EQ(records[i].date(), "");
        EXPECT_EQ(records[i].mtime(), -48255840);
        EXPECT_EQ(records[i].bytes[106], 0x01);
        EXPECT_EQ(records[i].bytes[107], 0x00);
    }
    EXPECT_EQ(records[2].fsize(), 1250);
    EXPECT_EQ(records[3].fsize(), 2135);
    EXPECT_EQ(records[3].fpos(), 7542u);

    // Sorted by time and size, the negative mtimes come first.
    MessageTable table;
    for (const IndexRecord& r : records)
        table[table.count++] = r;
    SortTable(table, CompareTimeSize);
    EXPECT_EQ(table[0].fsize(), 1250);
    EXPECT_EQ(table[1].fsize(), 2135);
    EXPECT_EQ(table[2].from(), "sales@astrachat.com");
    EXPECT_EQ(table[3].from(), "Deepak Sharma");
}

TEST_F(SamplesTest, SentHasTwelveRecords) {
    const std::string pmi = JoinPath(root, "MAIL\\master\\FOL127FE.PMI");
    auto records = Records(pmi);
    ASSERT_EQ(records.size(), 12u);
    ExpectWellFormed(pmi);
    auto header = ReadHeaderOf(MessageFileName(pmi));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name(), "Sent");
    EXPECT_EQ(header->id(), "1F9E6EDD:02E9:FOL127FE");
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(records[i].from(), "master");
        EXPECT_EQ(records[i].flags(), 0x02080080u);
    }
    EXPECT_EQ(records[0].subject(), "sdjkfkj");
    EXPECT_EQ(records[0].date(), "31 May 18 20:29");
    EXPECT_EQ(records[0].mtime(), 15007624);
    EXPECT_EQ(records[0].fsize(), 428);
    EXPECT_EQ(records[11].from(), "master@iserv.tech");
    EXPECT_EQ(records[11].fname(), "ZCDED22.TMP");
    EXPECT_EQ(records[11].fpos(), 4838u);
    EXPECT_EQ(records[11].fsize(), 2686);
}

TEST_F(SamplesTest, EmptyFolderAndOtherMailbox) {
    const std::string empty = JoinPath(root, "MAIL\\master\\FOL001C9.PMI");
    EXPECT_TRUE(Records(empty).empty());
    ExpectWellFormed(empty);
    auto header = ReadHeaderOf(MessageFileName(empty));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name(), "INBOX.Sent");
    EXPECT_EQ(header->id(), "7316DDBB:01C9:FOL001C9");

    const std::string other = JoinPath(root, "MAIL\\sourabh\\FOL14847.PMI");
    auto records = Records(other);
    ASSERT_EQ(records.size(), 2u);
    ExpectWellFormed(other);
    EXPECT_EQ(records[1].subject(), "faisjdf");
    EXPECT_EQ(ReadHeaderOf(MessageFileName(other))->id(), "6EE9463:1C14:FOL14847");

    auto found = platform::FindFiles(JoinPath(root, "MAIL\\MASTER\\*.pmi"));
    ASSERT_EQ(found.size(), 3u);
    EXPECT_FALSE(MailboxInUse(JoinPath(root, "MAIL\\master")));
}

TEST_F(SamplesTest, DefaultFoldersWithLowerCaseExtensions) {
    const std::string defaults = JoinPath(root, "DEFAULTS");
    auto found = platform::FindFiles(JoinPath(defaults, "*.PMI"));
    std::vector<std::string> names;
    for (const auto& e : found)
        names.push_back(e.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"copyself.pmi", "junk.pmi", "main.pmi"}));

    struct Expect {
        const char* file;
        const char* name;
        const char* id;
    };
    const Expect expected[] = {
        {"main.pmi", "Main Folder", "632A9229:7633:FOL07633"},
        {"junk.pmi", "Junk or suspicious mail", "10F8BFC5:7634:FOL07C8E"},
        {"copyself.pmi", "Copies to self", "1100FD2D:2A75:FOL02A75"},
    };
    for (const auto& e : expected) {
        const std::string pmi = JoinPath(defaults, e.file);
        SCOPED_TRACE(pmi);
        auto records = Records(pmi);
        ASSERT_EQ(records.size(), 1u);
        ExpectWellFormed(pmi);  // "main.PMM" finds main.pmm
        auto header = ReadHeaderOf(MessageFileName(pmi));
        ASSERT_TRUE(header);
        EXPECT_EQ(header->name(), e.name);
        EXPECT_EQ(header->id(), e.id);
        EXPECT_EQ(header->unread(), 1);
        EXPECT_EQ(records[0].flags(), 0x02080000u);
        EXPECT_EQ(records[0].from(), "Pegasus Mail Technical Suppor");
        EXPECT_EQ(records[0].subject(), "About this folder");
        EXPECT_EQ(records[0].bytes[106], 0x30);
        EXPECT_EQ(records[0].bytes[107], 0xFD);
    }
}

}  // namespace
}  // namespace kestrove
