#pragma once
// The index export (CSV or TAB text beside each index file) and the Options
// menu's two switches: the export format and the sort switch.

#include <string>

#include "core/AppState.h"
#include "core/IndexRecord.h"
#include "core/WindowPort.h"

namespace kestrove {

// Exports every entry of ListBox1 to NAME.CSV or NAME.TXT beside it.
void SaveIndexFile1Click(AppState& state, WindowPort& port);

// The switches. Choosing the entry already chosen changes nothing.
void SaveIndexasCSVClick(AppState& state);
void SaveIndexasTABClick(AppState& state);
void SortONExecute(AppState& state);
void SortOFFExecute(AppState& state);

// Which Options menu entries carry the marker (image 17), and whether
// "Save Index As CSV" is checked; the other entries are never checked.
struct OptionsMenuMarks {
    bool sortOnMarker = false;   // "Sort ON "
    bool sortOffMarker = false;  // "Sort OFF"
    bool csvMarker = false;      // "Save Index As CSV"
    bool tabMarker = false;      // "Save Index as TAB"
    bool csvChecked = false;     // "Save Index As CSV" checked
};
OptionsMenuMarks OptionsMenuState(const AppState& state);

// One export line of a record (with its CR LF), and the title line.
std::string ExportTitleLine(bool csv);
std::string ExportRecordLine(const IndexRecord& record, bool csv);

}  // namespace kestrove
