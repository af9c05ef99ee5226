// A read error in a file a report reads is never taken for the end of the
// file: it is reported with the system's reason, every file is closed again,
// and nothing cut short is shown or left behind as if it were whole.

#include <gtest/gtest.h>

#include <string>

#include "platform/Faults.h"
#include "platform/File.h"
#include "reports/Export.h"
#include "reports/FolderNames.h"
#include "reports/IndexViewer.h"
#include "reports/Stats.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/OpenFiles.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove {
namespace {

using testing::FolderBuilder;
using testing::Msg;
using testing::ScriptedPort;
using testing::TempDir;
namespace faults = platform::faults;

// Past the first 64 KiB, where the first read from the system ends.
constexpr std::int64_t kFailAt = 70000;

class ReportReadErrors : public ::testing::Test {
  protected:
    void SetUp() override { openFiles = testing::CountOpenFiles(); }
    void TearDown() override {
        faults::Reset();
        if (openFiles >= 0) {
            EXPECT_EQ(testing::CountOpenFiles(), openFiles) << "a file was left open";
        }
        EXPECT_TRUE(port.ScriptDone());
    }
    std::string P(std::string_view name) const { return dir / name; }

    // An index larger than the place of the fault.
    void Folder(std::string_view indexName, int records = 700) {
        FolderBuilder folder;
        for (int i = 0; i < records; ++i)
            folder.Add(Msg("sender" + std::to_string(i % 7), "s", "d", i, "t"));
        ASSERT_TRUE(folder.Write(P(indexName)));
    }

    // The box's text for a read of `path` that failed at `offset`.
    static std::string CannotRead(const std::string& path, std::int64_t offset) {
        return "Cannot read file " + path + " at " + std::to_string(offset) + " (" +
               std::string(faults::kInjectedFaultText) + ").";
    }

    void ExpectBox(const std::string& title, const std::string& text) {
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].title, title);
        EXPECT_EQ(port.boxes[0].text, text);
        EXPECT_EQ(port.boxes[0].icon, Icon::Stop);
        EXPECT_EQ(port.boxes[0].buttons, Buttons::Ok);
    }

    TempDir dir{'D'};
    AppState state;
    ScriptedPort port;
    int openFiles = -1;
};

TEST_F(ReportReadErrors, TheViewerShowsNothing) {
    Folder("INBOX.PMI");
    state.ListBox1.Add(P("INBOX.PMI"));
    state.ListBox1.highlighted = 0;
    IndexViewModel model;

    faults::FailReadAt("INBOX.PMI", kFailAt);
    port.Reply(Answer::Ok, "File Error");
    ViewResult view = ListBox1DblClick(state, port, model);
    EXPECT_FALSE(view.show);
    ExpectBox("File Error", CannotRead(P("INBOX.PMI"), kFailAt));
    EXPECT_EQ(model.RecordCount(), 0);
    EXPECT_EQ(view.lbl1IndexFile, "File:");

    // The header of the message file, likewise.
    port = ScriptedPort();
    faults::FailReadAt("INBOX.pmm", 0);
    port.Reply(Answer::Ok, "File Error");
    view = ListBox1DblClick(state, port, model);
    EXPECT_FALSE(view.show);
    ExpectBox("File Error", CannotRead(P("INBOX.pmm"), 0));
}

TEST_F(ReportReadErrors, TheStatisticsShowNothing) {
    Folder("A.PMI", 3);
    Folder("B.PMI");
    state.ListBox1.Add(P("A.PMI"));
    state.ListBox1.Add(P("B.PMI"));
    StatsView view;
    int shown = 0;
    faults::FailReadAt("B.PMI", kFailAt);
    port.Reply(Answer::Ok, "File Error 1");
    EXPECT_FALSE(BtnGetStatsClick(state, port, view, [&] { ++shown; }));
    EXPECT_EQ(shown, 0);
    ExpectBox("File Error 1", CannotRead(P("B.PMI"), kFailAt));
    EXPECT_EQ(view.RowCount(), 1);
    EXPECT_EQ(state.table.count, 0);
}

TEST_F(ReportReadErrors, TheExportRemovesTheFileItCutShort) {
    Folder("A.PMI", 3);
    Folder("B.PMI");
    Folder("C.PMI", 3);
    for (const char* name : {"A.PMI", "B.PMI", "C.PMI"})
        state.ListBox1.Add(P(name));
    faults::FailReadAt("B.PMI", kFailAt);
    port.Reply(Answer::Ok, "File Error");
    const CommandResult result = SaveIndexFile1Click(state, port);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.done, 1);
    ExpectBox("File Error", CannotRead(P("B.PMI"), kFailAt));
    EXPECT_TRUE(platform::FileExists(P("A.CSV")));   // whole
    EXPECT_FALSE(platform::FileExists(P("B.CSV")));  // cut short: removed
    EXPECT_FALSE(platform::FileExists(P("C.CSV")));  // the export ended
}

TEST_F(ReportReadErrors, TheFolderListIsNotShown) {
    FolderBuilder folder;
    folder.header().name = "Inbox";
    ASSERT_TRUE(folder.Write(P("INBOX.PMI")));
    state.fileListDirectory = dir.path();
    state.FileListBox1 = {"INBOX.PMI"};
    FolderListModel model;
    faults::FailReadAt("INBOX.PMM", 0);
    port.Reply(Answer::Ok, "File Error");
    EXPECT_FALSE(FileNamesClick(state, port, model));
    ExpectBox("File Error", CannotRead(P("INBOX.PMM"), 0));
}

}  // namespace
}  // namespace kestrove
