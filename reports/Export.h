#pragma once
// The index export (CSV or TAB text beside each index file) and the Options
// menu's two switches: the export format and the sort switch.

#include <string>

#include "core/AppState.h"
#include "core/CommandResult.h"
#include "core/IndexRecord.h"
#include "core/WindowPort.h"

namespace kestrove {

// Exports every entry of ListBox1 to NAME.CSV or NAME.TXT beside it, a new
// file in place of one from before. An entry whose index or export file is
// a link is skipped with a box. Done are the files exported whole; the
// export sets no summary.
CommandResult SaveIndexFile1Click(AppState& state, WindowPort& port);

// The switches. Choosing the entry already chosen changes nothing.
void SaveIndexasCSVClick(AppState& state);
void SaveIndexasTABClick(AppState& state);
void SortONExecute(AppState& state);
void SortOFFExecute(AppState& state);

// One export line of a record (with its CR LF), and the title line.
std::string ExportTitleLine(bool csv);
std::string ExportRecordLine(const IndexRecord& record, bool csv);

}  // namespace kestrove
