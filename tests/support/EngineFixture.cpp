#include "tests/support/EngineFixture.h"

#include "tests/support/OpenFiles.h"

#include <filesystem>

#include "core/MessageFile.h"
#include "duplicates/Duplicates.h"
#include "platform/Faults.h"
#include "platform/File.h"

namespace kestrove::testing {

std::vector<std::uint8_t> Bytes(const std::string& path) {
    return ReadFileBytes(path).value_or(std::vector<std::uint8_t>{});
}

bool Exists(const std::string& path) {
    return platform::FileExists(path);
}

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::uint8_t> bytes = Bytes(path);
    std::vector<std::string> lines;
    std::string line;
    for (std::uint8_t b : bytes) {
        if (b == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line.push_back(static_cast<char>(b));
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string Text(const std::string& path) {
    std::string text;
    for (std::uint8_t b : Bytes(path))
        if (b != '\r')
            text.push_back(static_cast<char>(b));
    return text;
}

FolderBuilder Repeated(std::string name) {
    FolderBuilder f;
    f.header().name = std::move(name);
    f.Add(Msg("alice", "hello", "1 Jan 20", 100, "first"));
    f.Add(Msg("alice", "hello", "1 Jan 20", 100, "first"));
    f.Add(Msg("bob", "news", "2 Jan 20", 200, "second"));
    return f;
}

FolderFiles ReadFolder(const std::string& indexPath) {
    FolderFiles f;
    auto read = [](const std::string& path, std::vector<std::uint8_t>& bytes, bool& has) {
        has = Exists(path);
        bytes = Bytes(path);
    };
    read(indexPath, f.pmi, f.hasPmi);
    read(MessageFileName(indexPath), f.pmm, f.hasPmm);
    read(BackupIndexFileName(indexPath), f.bki, f.hasBki);
    read(BackupMessageFileName(indexPath), f.bkm, f.hasBkm);
    return f;
}

void EngineTest::SetUp() {
    state.currentDirectory = dir.path();
    openFilesAtStart = CountOpenFiles();
}

void EngineTest::TearDown() {
    platform::faults::Reset();
    state.runLog.Close();
    if (openFilesAtStart >= 0) {
        EXPECT_EQ(CountOpenFiles(), openFilesAtStart) << "a file was left open";
    }
    EXPECT_TRUE(port.ScriptDone()) << "scripted answers left over";
}

void EngineTest::Run(std::initializer_list<std::string> paths) {
    state.ListBox1.Clear();
    for (const std::string& p : paths)
        state.ListBox1.Add(p);
    RunDeleteDupes1Click(state, port);
}

std::string EngineTest::OpenLog() {
    port.saveFileAnswer = dir / "run.log";
    SaveLogFile1Click(state, port);
    EXPECT_TRUE(state.runLog.IsOpen());
    return *port.saveFileAnswer;
}

std::vector<std::string> EngineTest::BoxTitles() const {
    std::vector<std::string> titles;
    for (const BoxCall& b : port.boxes)
        titles.push_back(b.title);
    return titles;
}

void ExpectUntouched(const std::string& indexPath, const FolderBytes& pair) {
    FolderFiles f = ReadFolder(indexPath);
    EXPECT_TRUE(f.hasPmi && f.pmi == pair.pmi) << indexPath << ": index file changed";
    EXPECT_TRUE(f.hasPmm && f.pmm == pair.pmm) << indexPath << ": message file changed";
    EXPECT_FALSE(f.hasBki || f.hasBkm) << indexPath << ": backup made";
    EXPECT_FALSE(Exists(NewIndexTempName(indexPath)) || Exists(NewMessageTempName(indexPath)))
        << indexPath << ": temporary file left";
}

void ExpectRewritten(const std::string& indexPath, const FolderBytes& now, const FolderBytes& old) {
    FolderFiles f = ReadFolder(indexPath);
    EXPECT_TRUE(f.hasPmi && f.pmi == now.pmi) << indexPath << ": new index file";
    EXPECT_TRUE(f.hasPmm && f.pmm == now.pmm) << indexPath << ": new message file";
    EXPECT_TRUE(f.hasBki && f.bki == old.pmi) << indexPath << ": backup index file";
    EXPECT_TRUE(f.hasBkm && f.bkm == old.pmm) << indexPath << ": backup message file";
    EXPECT_FALSE(Exists(NewIndexTempName(indexPath)) || Exists(NewMessageTempName(indexPath)))
        << indexPath << ": temporary file left";
}

}  // namespace kestrove::testing
