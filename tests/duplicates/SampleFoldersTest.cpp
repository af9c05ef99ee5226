// Runs over copies of real folder files, with duplicate and deleted records
// added, give the pairs the copy rules say.

#include <gtest/gtest.h>

#include <filesystem>

#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/Paths.h"
#include "tests/support/EngineFixture.h"
#include "tests/support/Samples.h"

namespace kestrove::testing {
namespace {

// The pair a rewrite keeping `kept` (slots of `pmi`, in that order) gives.
FolderBytes Expected(const FolderBytes& old, const std::vector<int>& kept) {
    FolderBytes out;
    out.pmm.assign(old.pmm.begin(), old.pmm.begin() + 128);
    PutI16(&out.pmm[58], 0);
    PutI32(&out.pmm[60], 0);
    std::uint16_t number = 0;
    std::int16_t unread = 0;
    for (int i : kept) {
        std::vector<std::uint8_t> r(old.pmi.begin() + i * 118, old.pmi.begin() + (i + 1) * 118);
        unread += (GetU32(&r[0]) & (kReadBit | kDeletedBit)) == 0 ? 1 : 0;
        auto text = CopiedText(old.pmm, GetU32(&r[4]), GetI32(&r[114]));
        PutU16(&r[8], number++);
        PutU32(&r[4], static_cast<std::uint32_t>(out.pmm.size()));
        out.pmi.insert(out.pmi.end(), r.begin(), r.end());
        out.pmm.insert(out.pmm.end(), text.begin(), text.end());
    }
    PutI16(&out.pmm[56], unread);
    return out;
}

class SampleFolders : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        samples = SamplesDirectory();
        if (!samples)
            GTEST_SKIP() << "no sample folders";
    }
    // Copies a sample folder's two files into the test directory.
    FolderBytes Copy(const std::string& from, const std::string& index,
                     const std::string& message) {
        const std::string base = *samples + "\\mercury-mail\\" + from;
        FolderBytes pair{Bytes(base + index), Bytes(base + message)};
        EXPECT_FALSE(pair.pmm.empty()) << from;
        const std::string name = std::string(platform::FileNamePart(from + index));
        EXPECT_TRUE(WriteFileBytes(dir / name, pair.pmi));
        EXPECT_TRUE(
            WriteFileBytes(dir / std::string(platform::FileNamePart(from + message)), pair.pmm));
        return pair;
    }
    std::optional<std::string> samples;
};

TEST_F(SampleFolders, DuplicatesAndDeletedRecordsAdded) {
    // Trash: four messages; mark the first deleted (and count it in the
    // header), and repeat the second right after it.
    FolderBytes trash = Copy("MAIL\\master\\FOL002E8", ".PMI", ".PMM");
    ASSERT_EQ(trash.pmi.size(), 4 * kRecordSize);
    PutU32(&trash.pmi[0], GetU32(&trash.pmi[0]) | kDeletedBit);
    const std::vector<std::uint8_t> second(trash.pmi.begin() + 118, trash.pmi.begin() + 2 * 118);
    trash.pmi.insert(trash.pmi.begin() + 2 * 118, second.begin(), second.end());
    PutI16(&trash.pmm[58], 1);
    ASSERT_TRUE(WriteFileBytes(dir / "FOL002E8.PMI", trash.pmi));
    ASSERT_TRUE(WriteFileBytes(dir / "FOL002E8.PMM", trash.pmm));

    // Sent: twelve messages, nothing to drop.
    const FolderBytes sent = Copy("MAIL\\master\\FOL127FE", ".PMI", ".PMM");
    const auto sentTime = std::filesystem::last_write_time(dir.Native("FOL127FE.PMM"));
    // An empty folder.
    const FolderBytes empty = Copy("MAIL\\master\\FOL001C9", ".PMI", ".PMM");
    // A one-message folder with lower-case extensions, its unread record
    // repeated (and counted in the header).
    FolderBytes main = Copy("DEFAULTS\\main", ".pmi", ".pmm");
    const std::vector<std::uint8_t> record = main.pmi;
    main.pmi.insert(main.pmi.end(), record.begin(), record.end());
    PutI16(&main.pmm[56], 2);
    ASSERT_TRUE(WriteFileBytes(dir / "main.pmi", main.pmi));
    ASSERT_TRUE(WriteFileBytes(dir / "main.pmm", main.pmm));

    Run({dir / "FOL002E8.PMI", dir / "FOL127FE.PMI", dir / "FOL001C9.PMI", dir / "main.pmi"});
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "2 of 4 files processed.");

    // Sorted by time: the two Outlook tests (3 and 4 now), the deleted one,
    // the second and its repeat.
    ExpectRewritten(dir / "FOL002E8.PMI", Expected(trash, {3, 4, 1}), trash);
    ExpectRewritten(dir / "main.pmi", Expected(main, {0}), main);
    EXPECT_TRUE(std::filesystem::exists(dir.Native("main.BKI")));
    ExpectUntouched(dir / "FOL127FE.PMI", sent);
    EXPECT_EQ(std::filesystem::last_write_time(dir.Native("FOL127FE.PMM")), sentTime);
    ExpectUntouched(dir / "FOL001C9.PMI", empty);

    // Each text of the new Trash ends with the Ctrl-Z right after its size.
    const auto now = Bytes(dir / "FOL002E8.PMM");
    const auto index = Bytes(dir / "FOL002E8.PMI");
    ASSERT_EQ(index.size(), 3 * kRecordSize);
    for (int i = 0; i < 3; ++i) {
        const std::uint8_t* r = &index[static_cast<std::size_t>(i) * 118];
        EXPECT_EQ(now.at(GetU32(r + 4) + static_cast<std::uint32_t>(GetI32(r + 114))), kCtrlZ);
    }

    // The new headers count the unread messages the new indexes hold, as
    // the mail client's own do: a second run has no question.
    port = ScriptedPort();
    Run({dir / "FOL002E8.PMI", dir / "main.pmi"});
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "0 of 2 files processed.");
}

// What the new header's unread count follows: in every real folder the
// header counts the records that are neither read nor deleted.
TEST_F(SampleFolders, HeadersCountTheUnreadRecords) {
    for (const char* folder :
         {"MAIL\\master\\FOL002E8", "MAIL\\master\\FOL127FE", "MAIL\\master\\FOL001C9",
          "MAIL\\sourabh\\FOL14847", "DEFAULTS\\main", "DEFAULTS\\junk", "DEFAULTS\\copyself"}) {
        SCOPED_TRACE(folder);
        const bool lower = std::string_view(folder).starts_with("DEFAULTS");
        const FolderBytes pair = Copy(folder, lower ? ".pmi" : ".PMI", lower ? ".pmm" : ".PMM");
        int unread = 0;
        for (std::size_t at = 0; at + 118 <= pair.pmi.size(); at += 118)
            unread += (GetU32(&pair.pmi[at]) & (kReadBit | kDeletedBit)) == 0 ? 1 : 0;
        ASSERT_GE(pair.pmm.size(), 128u);
        EXPECT_EQ(GetI16(&pair.pmm[56]), unread);
    }
}

}  // namespace
}  // namespace kestrove::testing
