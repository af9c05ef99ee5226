// The reports over the real folder files of the workplace (read only).

#include <gtest/gtest.h>

#include <string>

#include "reports/FolderNames.h"
#include "reports/IndexViewer.h"
#include "reports/Stats.h"
#include "tests/support/Samples.h"
#include "tests/support/ScriptedPort.h"

namespace kestrove {
namespace {

using testing::ScriptedPort;

TEST(ReportsOnSamples, FolderNamesViewAndStatistics) {
    auto samples = testing::SamplesDirectory();
    if (!samples)
        GTEST_SKIP() << "no sample folders here";
    const std::string master = *samples + "\\mercury-mail\\MAIL\\master";
    AppState state;
    ScriptedPort port;
    state.fileListDirectory = master;
    state.RereadFileList();
    ASSERT_EQ(state.FileListBox1.size(), 3u);

    FolderListModel folders;
    ASSERT_TRUE(FileNamesClick(state, port, folders));
    EXPECT_EQ(folders.CellText(1, 1) + "|" + folders.CellText(2, 1) + "|" + folders.CellText(3, 1),
              "INBOX.Sent|Sent|Trash");
    EXPECT_EQ(folders.CellText(3, 2), "FOL002E8.PMI");

    // "Trash": the two test messages differ in size, so neither is a dupe.
    StringGrid1MouseDown(state, port, folders, 3, 1);
    ASSERT_EQ(state.ListBox1.Count(), 1);
    state.ListBox1.highlighted = 0;
    IndexViewModel view;
    ViewResult result = ListBox1DblClick(state, port, view);
    ASSERT_TRUE(result.show);
    EXPECT_EQ(result.rows, 4);
    EXPECT_NE(result.lblPMMfile.find("[Trash]  Unread: "), std::string::npos);
    EXPECT_EQ(view.CellText(1, 9), "-48255840");  // sorted by time: first
    EXPECT_EQ(view.CellText(2, 5), "Microsoft Outlook");
    EXPECT_EQ(view.Counts().dupes, 0);

    StringGrid1MouseDown(state, port, folders, 2, 1);  // "Sent"
    StatsView stats;
    stats.sortOn = 1;
    stats.sortIn = 1;
    ASSERT_TRUE(BtnGetStatsClick(state, port, stats, {}));
    EXPECT_EQ(stats.CellText(1, 1), "master");
    EXPECT_EQ(stats.CellText(1, 2), "    11");
    EXPECT_EQ(stats.CellText(1, 3), "      4699");
    EXPECT_EQ(stats.LblAddresses() + stats.LblMessages(), "Addresses: 5 Messages: 16 ");
    EXPECT_TRUE(port.boxes.empty());
}

}  // namespace
}  // namespace kestrove
