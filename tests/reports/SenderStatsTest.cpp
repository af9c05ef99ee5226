// Sender statistics: matching, the copy-to-self setting, the sort choices,
// the grid and the totals, the table limit and the failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/MessageFlag.h"
#include "platform/Text.h"
#include "reports/Stats.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/OpenFiles.h"
#include "tests/support/Reasons.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

using testing::FolderBuilder;
using testing::MessageSpec;
using testing::ScriptedPort;
using testing::TempDir;

MessageSpec From(std::string from, std::int32_t size, std::uint32_t flags = 0) {
    MessageSpec m = testing::Msg(std::move(from), "subject", "date", 0, "text", flags);
    m.fsize = size;
    return m;
}

class SenderStats : public ::testing::Test {
  protected:
    std::string P(std::string_view name) const { return dir / name; }

    void AddFile(const std::vector<MessageSpec>& messages) {
        FolderBuilder folder;
        for (const MessageSpec& m : messages)
            folder.Add(m);
        std::string name = std::to_string(state.ListBox1.Count());
        name.insert(0, 1, 'F');
        name += ".PMI";
        const std::string path = P(name);
        ASSERT_TRUE(folder.Write(path));
        state.ListBox1.Add(path);
    }
    bool Run() {
        port = ScriptedPort();
        shown = 0;
        return BtnGetStatsClick(state, port, view, [this] { ++shown; });
    }
    // The rows as "text:count:total", numbers without their padding.
    std::string Rows() const {
        std::string out;
        for (int r = 1; r < view.RowCount(); ++r) {
            auto trim = [](std::string s) { return s.substr(s.find_first_not_of(' ')); };
            out += out.empty() ? "" : " ";
            out += view.CellText(r, 1) + ":" + trim(view.CellText(r, 2)) + ":" +
                   trim(view.CellText(r, 3));
        }
        return out;
    }
    std::string Resorted(int sortOn, int sortIn) {
        view.sortOn = sortOn;
        view.sortIn = sortIn;
        RGSortOnClick(state, view);
        return Rows();
    }

    TempDir dir{'D'};
    AppState state;
    ScriptedPort port;
    StatsView view;
    int shown = 0;
};

// Matching folds case by the Windows-1252 rules and keeps the first
// spelling; blanks and control characters at the ends do not count.
TEST_F(SenderStats, OneRowPerAddressWithTheGridAndTotals) {
    AddFile({From("ALICE", 10), From("  alice \t", 20), From("Bob", 5), From("\xC9mile", 1),
             From("\xE9MILE ", 2)});
    AddFile({});  // an empty index contributes nothing
    ASSERT_TRUE(Run());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(Rows(), "ALICE:2:30 Bob:1:5 \xC9mile:2:3");
    EXPECT_EQ(view.CellText(0, 1), "                      From");
    EXPECT_EQ(view.CellText(1, 0), "    1");
    EXPECT_EQ(view.CellText(1, 2), "     2");
    EXPECT_EQ(view.CellText(1, 3), "        30");
    EXPECT_EQ(view.LblAddresses(), "Addresses: 3 ");
    EXPECT_EQ(view.LblMessages(), "Messages: 5 ");
    EXPECT_EQ(view.LblSize(), "Size: 38 ");
    EXPECT_EQ(port.Status(StatusLine::LabelInfoMsg1), "2 of 2 files processed.");
    EXPECT_EQ(port.statusHistory[0].second, "File:  0 " + P("F0.PMI"));

    // Meters: files begun, messages of the file; all hidden and 0 at the end.
    EXPECT_EQ(port.meterHistory[3], std::make_pair(Meter::ProgressBarF, 0));
    bool sawHalf = false, sawFull = false;
    for (auto& [meter, value] : port.meterHistory) {
        sawHalf |= meter == Meter::ProgressBarF && value == 50;
        sawFull |= meter == Meter::ProgressBarM && value == 100;
    }
    EXPECT_TRUE(sawHalf && sawFull);
    EXPECT_FALSE(port.meterVisible[Meter::ProgressBarF] || port.meterVisible[Meter::ProgressBarM]);
    EXPECT_EQ(port.meters[Meter::ProgressBarM], 0);
    EXPECT_FALSE(port.abortVisible);
}

// Deleted records are never counted; copy-to-self ones as the setting says.
TEST_F(SenderStats, CopyToSelfSetting) {
    AddFile({From("bob", 1), From("bob", 2, kCopySelfBit), From("carol", 4, kCopySelfBit),
             From("dave", 8, kCopySelfBit | kDeletedBit), From("erin", 16, kDeletedBit)});
    AddFile({From("frank", 32, kCopySelfBit)});
    const std::pair<int, const char*> cases[] = {
        {0, "bob:1:1 Self:3:38"},
        {1, "bob:1:1 To: bob:1:2 To: carol:1:4 To: frank:1:32"},
        {2, "bob:1:1"},
        {-1, "bob:2:3 carol:1:4 frank:1:32"},
    };
    for (auto [setting, rows] : cases) {
        state.settings.GetStats = ChoiceAt<CopyToSelf>(setting);
        ASSERT_TRUE(Run());
        EXPECT_EQ(Rows(), rows) << setting;
    }
    EXPECT_EQ(view.LblMessages(), "Messages: 4 ");

    state.ListBox1.Clear();
    AddFile({From("gone", 1, kDeletedBit)});
    ASSERT_TRUE(Run());
    EXPECT_EQ(view.RowCount(), 1);
    EXPECT_EQ(view.LblAddresses() + view.LblMessages() + view.LblSize(),
              "Addresses: 0 Messages: 0 Size: 0 ");
}

TEST_F(SenderStats, SortChoicesAndReSorting) {
    AddFile({From("apple", 10), From("Banana", 5), From("cherry", 100), From("apple", 10),
             From("Banana", 10), From("apple", 10), From("Banana", 5)});
    ASSERT_TRUE(Run());
    EXPECT_EQ(Rows(), "apple:3:30 Banana:3:20 cherry:1:100");
    // Descending compares raw bytes: small letters above capitals.
    EXPECT_EQ(Resorted(0, 1), "cherry:1:100 apple:3:30 Banana:3:20");
    EXPECT_EQ(Resorted(1, 0), "cherry:1:100 Banana:3:20 apple:3:30");
    EXPECT_EQ(Resorted(1, 1), "apple:3:30 Banana:3:20 cherry:1:100");
    EXPECT_EQ(Resorted(2, 0), "Banana:3:20 apple:3:30 cherry:1:100");
    EXPECT_EQ(Resorted(2, 7), "cherry:1:100 apple:3:30 Banana:3:20");
    EXPECT_EQ(Resorted(3, 0), "cherry:1:100 apple:3:30 Banana:3:20");  // unsorted
    EXPECT_EQ(view.CellText(1, 0), "    1");
    EXPECT_EQ(view.LblSize(), "Size: 150 ");

    // The choices stay for the next Get Stats, which sorts by them at once.
    ASSERT_TRUE(Run());
    EXPECT_EQ(Rows(), "apple:3:30 Banana:3:20 cherry:1:100");  // first seen order
    view.sortOn = 2;
    view.sortIn = 1;
    ASSERT_TRUE(Run());
    EXPECT_EQ(Rows(), "cherry:1:100 apple:3:30 Banana:3:20");
}

TEST_F(SenderStats, RunLogLinesAndTheLogClosedAtTheEnd) {
    AddFile({From("a", 1), From("b", 1, kDeletedBit), From("c", 1)});
    AddFile({});
    ASSERT_TRUE(state.runLog.Open(P("run.log")));
    ASSERT_TRUE(Run());
    EXPECT_FALSE(state.runLog.IsOpen());
    auto bytes = testing::ReadFileBytes(P("run.log"));
    ASSERT_TRUE(bytes);
    std::string log(bytes->begin(), bytes->end());
    std::erase(log, '\r');
    EXPECT_EQ(log, "PMI File " + P("F0.PMI") + " has 2 messages.\nPMI File " + P("F1.PMI") +
                       " has 0 messages.\n");
}

TEST_F(SenderStats, FailuresAndAbortShowNothing) {
    state.ListBox1.Clear();
    port.Reply(Answer::Ok, "No Data");
    EXPECT_FALSE(BtnGetStatsClick(state, port, view, {}));
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Information);

    AddFile({From("a", 1)});
    state.ListBox1.Add(P("MISSING.PMI"));
    port = ScriptedPort();
    port.Reply(Answer::Ok, "File Error 1");
    EXPECT_FALSE(BtnGetStatsClick(state, port, view, [this] { ++shown; }));
    EXPECT_TRUE(testing::FixedTextThenReason(port.boxes.at(0).text,
                                             "Cannot Open File: " + P("MISSING.PMI")));
    EXPECT_EQ(port.boxes.at(0).icon, Icon::Stop);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(port.abortVisible);  // the command ends where it is

    port = ScriptedPort();
    port.AbortAtPump(state, 2);
    EXPECT_FALSE(BtnGetStatsClick(state, port, view, [this] { ++shown; }));
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(view.RowCount(), 1);
    EXPECT_EQ(state.table.count, 0);
}

// Counters are kept 64 bits wide: more than 2 GiB from one sender is neither
// negative nor sorted as such.
TEST_F(SenderStats, TotalsBeyondThirtyTwoBits) {
    AddFile({From("big", 2000000000), From("small", 7), From("big", 2000000000),
             From("big", 2000000000)});
    ASSERT_TRUE(Run());
    EXPECT_EQ(view.CellText(1, 3), "6000000000");
    EXPECT_EQ(view.LblSize(), "Size: 6000000007 ");
    EXPECT_EQ(Resorted(2, 0), "small:1:7 big:3:6000000000");
}

// The hashed lookup finds what the search through the table in order finds.
TEST_F(SenderStats, HashedLookupAgreesWithTheLinearSearch) {
    std::mt19937 random(7);
    const std::string letters = "aAbB\xC0\xE0\xC9\xE9 \x01";
    std::vector<MessageSpec> messages;
    struct Entry {
        std::string text;
        long long count, total;
    };
    std::vector<Entry> expected;
    for (int i = 0; i < 3000; ++i) {
        std::string from;
        for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n)
            from += letters[random() % letters.size()];
        const std::int32_t size = static_cast<std::int32_t>(random() % 1000);
        messages.push_back(From(from, size));

        std::string text = from;
        while (!text.empty() && static_cast<std::uint8_t>(text.front()) <= 32)
            text.erase(text.begin());
        while (!text.empty() && static_cast<std::uint8_t>(text.back()) <= 32)
            text.pop_back();
        auto it = std::find_if(expected.begin(), expected.end(), [&](const Entry& e) {
            return platform::ToLower1252(e.text) == platform::ToLower1252(text);
        });
        if (it == expected.end())
            expected.push_back({text, 1, size});
        else
            ++it->count, it->total += size;
    }
    AddFile(messages);
    view.sortOn = 9;  // unsorted: the table's own order
    ASSERT_TRUE(Run());
    ASSERT_EQ(view.RowCount() - 1, static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        EXPECT_EQ(view.CellText(row, 1), expected[i].text);
        EXPECT_EQ(std::stoll(view.CellText(row, 2)), expected[i].count);
        EXPECT_EQ(std::stoll(view.CellText(row, 3)), expected[i].total);
    }
}

// The table holds 35,000 addresses; the 35,001st distinct sender ends the
// command with a message before anything is written past the table.
TEST_F(SenderStats, TheTableLimitStopsAtTheSenderPastIt) {
    auto index = [](int senders) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(senders) * kRecordSize, 0);
        for (int i = 0; i < senders; ++i) {
            const std::string from = "sender" + std::to_string(i);
            std::memcpy(&bytes[static_cast<std::size_t>(i) * kRecordSize + rec::kFrom], from.data(),
                        from.size());
        }
        return bytes;
    };
    ASSERT_TRUE(testing::WriteFileBytes(P("FULL.PMI"), index(MAXMSG)));
    state.ListBox1.Add(P("FULL.PMI"));
    view.sortOn = 9;
    ASSERT_TRUE(Run());
    EXPECT_EQ(view.RowCount(), MAXMSG + 1);
    EXPECT_EQ(view.CellText(MAXMSG, 1), "sender34999");

    ASSERT_TRUE(testing::WriteFileBytes(P("FULL.PMI"), index(MAXMSG + 1)));
    const int openBefore = testing::CountOpenFiles();
    port = ScriptedPort();
    port.Reply(Answer::Ok, "Data Error");
    EXPECT_FALSE(BtnGetStatsClick(state, port, view, [this] { ++shown; }));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text, "More than 35000 different senders - statistics stopped.");
    EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
    EXPECT_EQ(view.RowCount(), 1);
    EXPECT_FALSE(port.abortVisible);
    EXPECT_EQ(testing::CountOpenFiles(), openBefore);
}

}  // namespace
}  // namespace kestrove
