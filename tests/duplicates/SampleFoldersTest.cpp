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
    for (int i : kept) {
        std::vector<std::uint8_t> r(old.pmi.begin() + i * 118, old.pmi.begin() + (i + 1) * 118);
        auto text = CopiedText(old.pmm, GetU32(&r[4]), GetI32(&r[114]));
        PutU16(&r[8], number++);
        PutU32(&r[4], static_cast<std::uint32_t>(out.pmm.size()));
        out.pmi.insert(out.pmi.end(), r.begin(), r.end());
        out.pmm.insert(out.pmm.end(), text.begin(), text.end());
    }
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
}

}  // namespace
}  // namespace kestrove::testing
