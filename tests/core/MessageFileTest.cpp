// The message file's header, the names of a folder's files and the
// lock-file test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/MessageFile.h"
#include "platform/File.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

using testing::FolderBuilder;
using testing::TempDir;

TEST(MessageFileHeaderTest, FieldsAtTheirOffsets) {
    MessageFileHeader h;
    for (std::size_t i = 0; i < kHeaderSize; ++i)
        h.bytes[i] = static_cast<std::uint8_t>(0x21 + i % 90);
    EXPECT_EQ(h.name().size(), 50u);  // fills its field: no NUL
    EXPECT_EQ(h.name().front(), '!');
    EXPECT_EQ(h.id().size(), 22u);
    EXPECT_EQ(h.id().front(), static_cast<char>(0x21 + 86 % 90));
    EXPECT_EQ(h.id().back(), static_cast<char>(0x21 + 107 % 90));

    PutU16(&h.bytes[56], 0x8000);
    PutU16(&h.bytes[58], 0xFFFF);
    PutU32(&h.bytes[60], 0xFFFFFFFEu);
    EXPECT_EQ(h.unread(), -32768);  // the counts are signed
    EXPECT_EQ(h.deleted(), -1);
    EXPECT_EQ(h.delsize(), -2);

    MessageFileHeader before = h;
    h.set_deleted(0);
    h.set_delsize(0);
    for (std::size_t i = 0; i < kHeaderSize; ++i) {
        if (i < 58 || i >= 64) {
            EXPECT_EQ(h.bytes[i], before.bytes[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(h.deleted(), 0);
    EXPECT_EQ(h.delsize(), 0);
    EXPECT_EQ(h.unread(), -32768);
}

class MessageFileOnDisk : public ::testing::Test {
  protected:
    TempDir dir;
};

TEST_F(MessageFileOnDisk, ReadsTheHeaderAsBuilt) {
    testing::HeaderSpec desc;
    desc.name = "Trash";
    desc.unread = 3;
    desc.deleted = 2;
    desc.delsize = 70000;
    desc.id = "4CCC6E8F:02E8:FOL002E8";
    desc.raw = {{50, 0xAA}, {127, 0xBB}};
    FolderBuilder b(desc);
    b.Add(testing::Msg("a", "s", "d", 1, "hello"));
    ASSERT_TRUE(b.Write(dir / "F.PMI"));

    auto header = ReadHeaderOf(dir / "F.PMM");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->name(), "Trash");
    EXPECT_EQ(header->unread(), 3);
    EXPECT_EQ(header->deleted(), 2);
    EXPECT_EQ(header->delsize(), 70000);
    EXPECT_EQ(header->id(), "4CCC6E8F:02E8:FOL002E8");
    EXPECT_EQ(header->bytes[50], 0xAA);
    EXPECT_EQ(header->bytes[127], 0xBB);

    EXPECT_FALSE(ReadHeaderOf(dir / "MISSING.PMM"));
}

TEST_F(MessageFileOnDisk, ShortFileReadsAsAHeaderPaddedWithZeros) {
    testing::HeaderSpec desc;
    desc.name = "Short";
    desc.unread = 0x1234;
    FolderBuilder b(desc);
    b.MessageFileLength(57);  // cut inside `unread`
    ASSERT_TRUE(b.Write(dir / "S.PMI"));

    auto file = platform::File::Open(dir / "S.PMM", platform::OpenMode::ReadBinary);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file->Seek(20));  // the header is read from offset 0 wherever we were
    std::size_t got = 999;
    MessageFileHeader h = ReadHeader(*file, &got);
    EXPECT_EQ(got, 57u);
    EXPECT_EQ(h.name(), "Short");
    EXPECT_EQ(h.unread(), 0x34);  // the high byte is missing: zero
    EXPECT_EQ(h.deleted(), 0);
    EXPECT_EQ(h.id(), "");
    for (std::size_t i = 57; i < kHeaderSize; ++i)
        ASSERT_EQ(h.bytes[i], 0) << "byte " << i;

    ASSERT_TRUE(testing::WriteFileBytes(dir / "E.PMM", std::string_view()));
    auto empty = ReadHeaderOf(dir / "E.PMM");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->bytes, MessageFileHeader{}.bytes);
}

TEST(FolderNames, FormedByReplacingTheExtension) {
    EXPECT_EQ(MessageFileName("D:\\MAIL\\INBOX.PMI"), "D:\\MAIL\\INBOX.PMM");
    EXPECT_EQ(BackupIndexFileName("D:\\MAIL\\INBOX.PMI"), "D:\\MAIL\\INBOX.BKI");
    EXPECT_EQ(BackupMessageFileName("D:\\MAIL\\INBOX.PMI"), "D:\\MAIL\\INBOX.BKM");
    // A dot in a directory name is not an extension.
    EXPECT_EQ(MessageFileName("D:\\MY.MAIL\\INBOX.PMI"), "D:\\MY.MAIL\\INBOX.PMM");
    EXPECT_EQ(MessageFileName("D:\\MY.MAIL\\INBOX"), "D:\\MY.MAIL\\INBOX.PMM");
    EXPECT_EQ(MessageFileName("D:/MY.MAIL/INBOX"), "D:/MY.MAIL/INBOX.PMM");
    // Only the last dot of the name starts the extension.
    EXPECT_EQ(BackupIndexFileName("D:\\MAIL\\A.B.pmi"), "D:\\MAIL\\A.B.BKI");
    // Lower-case extensions are replaced all the same.
    EXPECT_EQ(MessageFileName("D:\\DEFAULTS\\main.pmi"), "D:\\DEFAULTS\\main.PMM");
    EXPECT_EQ(ReplaceExtension("D:\\MAIL\\INBOX.PMI", ".pmm"), "D:\\MAIL\\INBOX.pmm");
    EXPECT_EQ(ReplaceExtension("C:\\KESTROVE\\Kestrove.exe", ".INI"), "C:\\KESTROVE\\Kestrove.INI");
    EXPECT_EQ(ReplaceExtension("D:\\MAIL\\INBOX.", ".PMM"), "D:\\MAIL\\INBOX.PMM");
    EXPECT_EQ(ReplaceExtension("INBOX", ".PMM"), "INBOX.PMM");
}

TEST_F(MessageFileOnDisk, MailboxInUseFindsLockFilesAndDirectories) {
    EXPECT_FALSE(MailboxInUse(dir.path()));
    ASSERT_TRUE(testing::WriteFileBytes(dir / "INBOX.PMI", std::string_view()));
    ASSERT_TRUE(testing::WriteFileBytes(dir / "LCK.TXT", std::string_view()));
    EXPECT_FALSE(MailboxInUse(dir.path()));

    // A directory named OLD.LCK counts, as the search admits directories.
    std::filesystem::create_directory(dir.Native("OLD.LCK"));
    EXPECT_TRUE(MailboxInUse(dir.path()));
    std::filesystem::remove(dir.Native("OLD.LCK"));
    EXPECT_FALSE(MailboxInUse(dir.path()));

    ASSERT_TRUE(testing::WriteFileBytes(dir / "WINPMAIL.lck", std::string_view()));
    EXPECT_TRUE(MailboxInUse(dir.path()));
    // A directory path ending in a separator is joined as it stands.
    EXPECT_TRUE(MailboxInUse(dir.path() + "\\"));
    EXPECT_FALSE(MailboxInUse(dir / "MISSING"));
}

}  // namespace
}  // namespace kestrove
