#pragma once
// Shared pieces of the duplicate engine's tests: a fresh directory on drive
// D:, the shared state, the scripted window, and helpers to look at files.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/AppState.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/Reasons.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TempDir.h"

namespace kestrove::testing {

// A file's bytes; empty when it does not exist.
std::vector<std::uint8_t> Bytes(const std::string& path);
bool Exists(const std::string& path);
// A text file's lines, without their line ends.
std::vector<std::string> Lines(const std::string& path);
// A text file's contents with "\n" line ends.
std::string Text(const std::string& path);

// Three messages, one a repeat: a run rewrites the folder, keeping records
// 0 and 2 (Rewritten({0, 2})).
FolderBuilder Repeated(std::string name = "Box");

// A folder's four files, as they are now.
struct FolderFiles {
    std::vector<std::uint8_t> pmi, pmm, bki, bkm;
    bool hasPmi = false, hasPmm = false, hasBki = false, hasBkm = false;
};
FolderFiles ReadFolder(const std::string& indexPath);

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override;
    // Disarms the faults, closes the log and checks that every file the
    // engine opened has been closed again.
    void TearDown() override;

    std::string Pmi(std::string_view name) const { return dir / (std::string(name) + ".PMI"); }
    // Selects the index files and runs.
    void Run(std::initializer_list<std::string> paths);
    // Opens <dir>\run.log as the run log through "Save Log File".
    std::string OpenLog();
    // The titles of the boxes shown so far.
    std::vector<std::string> BoxTitles() const;

    TempDir dir;
    AppState state;
    ScriptedPort port;
    int openFilesAtStart = -1;
};

// Expects that the folder's own pair is `pair`, byte for byte, and that there
// is no backup pair and no temporary file beside it.
void ExpectUntouched(const std::string& indexPath, const FolderBytes& pair);
// Expects the rewritten pair `now` and the backup pair `old`, and no
// temporary file.
void ExpectRewritten(const std::string& indexPath, const FolderBytes& now, const FolderBytes& old);

}  // namespace kestrove::testing
