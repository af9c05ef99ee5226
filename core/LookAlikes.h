#pragma once
// Duplicates and look-alikes. A record that repeats the record just before
// it in sender, subject, date, time value and size is a duplicate only when
// its stored text is byte for byte the text of that record; otherwise it is
// a look-alike, and it is kept. The time value steps by whole minutes, so
// different messages from one sender with one subject and one size in one
// minute (alerts, receipts, form mails) are common; only the texts tell.
//
// A stored text runs from the record's fpos through its ending Ctrl-Z, as
// the rewrite copies it: the first max(fsize, 1) bytes when the last of them
// is the Ctrl-Z, else one byte more, which must be the Ctrl-Z. A text that
// cannot be read whole this way cannot be compared, and counts as another
// text: nothing is dropped on a guess.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/IndexRecord.h"

namespace kestrove {

// The neighbour rule on the fields: `record` repeats `above` when the two
// agree in from, subject, date, mtime and fsize and `above` is not deleted.
bool RepeatsAbove(const IndexRecord& above, const IndexRecord& record);

// What comparing a record's text with the text of the record above found.
enum class TextMatch : std::uint8_t {
    NotCompared = 0,  // not a candidate
    Same,             // byte for byte the same text: a duplicate
    OtherText,        // both texts whole, and they differ
    ReadFailed,       // a read of the message file failed
    OutsideFile,      // a text starts at or past the end of the message file
    CutShort,         // the message file ends inside a text
    NoCtrlZ,          // a text has no Ctrl-Z at its size nor at the byte after
    NoMessageFile,    // the message file cannot be opened
};

struct TextComparison {
    std::vector<TextMatch> matches;  // one per slot of the table
    std::string systemReason;        // of the first failed open or read
};

// A record kept although its fields repeat those of the record above it.
struct LookAlike {
    int slot = 0;
    TextMatch match = TextMatch::OtherText;
};

// Compares the text of every slot i that `candidates[i]` marks (i >= 1, and
// the fields of slots i and i - 1 alike, fsize included) with the text of
// slot i - 1, in the message file `messagePath`, which is only read. A run of
// candidates is compared in one pass: every text of it is read once, through
// two fixed buffers, so memory does not depend on the size of a message; a
// text is read only as far as a comparison still needs it. `progress`, when
// given, hears of the first candidate of each run before it is compared.
TextComparison CompareWithAbove(const std::string& messagePath, const MessageTable& table,
                                const std::vector<std::uint8_t>& candidates,
                                const std::function<void(int slot)>& progress = {});

// Why a look-alike was kept, in words: "another text", or why the texts
// could not be compared (with the system's reason, when there is one).
std::string WhyKept(TextMatch match, std::string_view systemReason = {});

}  // namespace kestrove
