// The folder name list over fuzzed message files.
// Input: an options byte (bits 0-1 the mode, bit 2: one message file is
// missing), a byte whose bits select files into ListBox1, a byte choosing
// the cell clicked, then up to eight message files.

#include <algorithm>
#include <set>

#include "core/AppState.h"
#include "core/MessageFile.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "reports/FolderNames.h"

using namespace kestrove;
using namespace kestrove::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scratch& scratch = TheScratch();
    scratch.Clear();
    Input in(data, size);
    const std::uint8_t options = in.U8();
    const std::uint8_t selected = in.U8();
    const std::uint8_t click = in.U8();
    const int mode = options & 3;
    const bool backup = mode == kBackupMode;

    std::vector<Bytes> messages;
    while (!in.Empty() && messages.size() < 8)
        messages.push_back(in.File());
    const bool oneMissing = (options & 4) && !messages.empty();
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const std::string stem = "F" + std::to_string(i);
        scratch.Put(stem + (backup ? ".BKI" : ".PMI"), {});
        if (!(oneMissing && i + 1 == messages.size()))
            scratch.Put(stem + (backup ? ".BKM" : ".PMM"), messages[i]);
    }

    static AppState* shared = new AppState();  // the table is 4 MB: made once
    AppState& state = *shared;
    state.ListBox1.Clear();
    state.mode = mode;
    state.fileListDirectory = scratch.folder.path();
    state.fileListMask = backup ? "*.bki" : "*.pmi";
    state.RereadFileList();
    Check(state.FileListBox1.size() == messages.size(), "the file list misses a file");
    for (std::size_t i = 0; i < state.FileListBox1.size(); ++i)
        if (selected & (1u << i))
            state.ListBox1.Add(platform::JoinPath(state.fileListDirectory, state.FileListBox1[i]));

    ScriptPort port(0);
    FolderListModel model;
    const bool shown = FileNamesClick(state, port, model);
    if (mode >= kNetworkMode || messages.empty()) {
        Check(!shown && port.titles.empty(), "a folder list where none belongs");
        return 0;
    }
    if (oneMissing) {
        Check(!shown && port.titles == std::vector<std::string>{"File Error"},
              "a missing message file is not reported");
        return 0;
    }
    Check(shown && port.titles.empty(), "the folder list failed on readable files");

    // Every file once, with its header's name, sorted by that name; files
    // of equal names in the file list's order.
    const auto& rows = model.rows();
    Check(rows.size() == messages.size(), "rows lost or invented");
    std::set<std::string> seen;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const FolderRow& row = rows[r];
        Check(seen.insert(row.fileName).second, "a file listed twice");
        const std::size_t i = static_cast<std::size_t>(std::stoi(row.fileName.substr(1)));
        const Bytes& m = messages[i];
        // A short file reads as a header padded with zeros.
        MessageFileHeader header;
        std::copy_n(m.begin(), std::min(m.size(), kHeaderSize), header.bytes.begin());
        const std::string name(header.name());
        Check(row.folderName == name, "a folder name is not the header's");
        Check(row.marked == ((selected >> i) & 1), "a row's mark disagrees with ListBox1");
        if (r > 0) {
            const int c = platform::CollateCompare(rows[r - 1].folderName, row.folderName);
            Check(c <= 0, "the folder names are out of order");
            if (c == 0)
                Check(rows[r - 1].fileName < row.fileName, "equal names out of file order");
        }
    }
    for (int row = -1; row <= model.RowCount(); ++row)
        for (int column = -1; column <= FolderListModel::kColumns; ++column) {
            (void)model.CellText(row, column);
            (void)model.CellBackground(row, column);
        }

    // A click on a cell moves that file in or out of ListBox1.
    const int row = 1 + click % static_cast<int>(rows.size());
    const int column = 1 + (click >> 4) % 3;
    const std::string path = platform::JoinPath(state.fileListDirectory, rows[row - 1].fileName);
    const bool wasIn = state.ListBox1.Contains(path);
    StringGrid1MouseDown(state, port, model, row, column);
    Check(state.ListBox1.Contains(path) == !wasIn && rows[row - 1].marked == !wasIn,
          "a click did not move the file");
    return 0;
}
