// The index export over a fuzzed index file.
// Input: a byte whose bit 0 chooses CSV (1) or TAB (0), then the index file.

#include <algorithm>

#include "core/AppState.h"
#include "fuzz/FuzzSupport.h"
#include "reports/Export.h"

using namespace kestrove;
using namespace kestrove::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AppState* state = new AppState();
    Scratch& scratch = TheScratch();
    scratch.Clear();
    Input in(data, size);
    const bool csv = in.U8() & 1;
    const Bytes pmi = in.Rest();
    scratch.Put("INBOX.PMI", pmi);
    state->ListBox1.Clear();
    state->ListBox1.Add(scratch.folder / "INBOX.PMI");
    state->exportCsv = csv;

    ScriptPort port(0);
    const CommandResult result = SaveIndexFile1Click(*state, port);
    Check(result.completed && result.done == 1 && port.titles.empty(),
          "the export failed on a readable index");

    const auto files = scratch.Snapshot();
    Check(files.size() == 2, "the export wrote other files");
    const auto out = files.find(csv ? "INBOX.CSV" : "INBOX.TXT");
    Check(out != files.end(), "no export file");
    // The title and one line per whole record; a text field ends at its NUL
    // or its width, so no NUL reaches the file.
    std::string expect = ExportTitleLine(csv);
    std::size_t lines = 0;
    for (std::size_t at = 0; at + kRecordSize <= pmi.size(); at += kRecordSize) {
        IndexRecord r;
        std::copy(pmi.begin() + static_cast<std::ptrdiff_t>(at),
                  pmi.begin() + static_cast<std::ptrdiff_t>(at + kRecordSize), r.bytes.begin());
        const std::string line = ExportRecordLine(r, csv);
        Check(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0,
              "a line without its CR LF");
        Check(std::count(line.begin(), line.end(), csv ? ',' : '\t') >= 9,
              "a line with too few separators");
        expect += line;
        ++lines;
    }
    const Bytes& got = out->second;
    Check(std::string(got.begin(), got.end()) == expect, "the export file is not its lines");
    Check(std::find(got.begin(), got.end(), 0) == got.end(), "a NUL in the export file");
    Check(lines == pmi.size() / kRecordSize, "records lost");
    return 0;
}
