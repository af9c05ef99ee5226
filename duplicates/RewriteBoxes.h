#pragma once
// The boxes of a folder's rewrite and of the copy of its texts, in one
// place: each one's text, title, icon and buttons, and what of it goes to
// the run log. A `reason` is the system's word on the call that failed
// (platform::LastErrorText(), taken right after it); empty adds nothing.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/RunLog.h"
#include "core/WindowPort.h"

namespace kestrove::rewrite_box {

// Which boxes leave their text in the log.
enum class Logged {
    No,
    Always,    // a box that ends or skips without a choice
    OnCancel,  // a question whose Cancel ends the run: the log says why it ended
};

struct Box {
    std::string text;
    std::string title;
    Icon icon = Icon::Stop;
    Buttons buttons = Buttons::Ok;
    Logged logged = Logged::No;
    // A line of the log of its own, written before the box; empty: none.
    std::string logLine;
    DefaultButton byDefault = DefaultButton::First;
};

// Shows the box and logs as it says.
Answer Show(WindowPort& port, RunLog& log, const Box& box);
// A question with OK and Cancel: true for OK.
bool GoesOn(WindowPort& port, RunLog& log, const Box& box);

// Before anything is touched.
Box MessageFileNotOpened(const std::string& messagePath, std::string_view reason);  // File Error 2
// `what` is "UNREAD" or "DELETED"; Yes, No, Cancel.
Box CountMismatch(const char* what, int fromIndex, int fromHeader);
Box GivenABackupFile(const std::string& path);
Box ForeignTemporary(const std::string& path);
// The folder was changed by another program since it was loaded; `path`
// is the file that changed.
Box ChangedMeanwhile(const std::string& path);
Box CannotCheck(const std::string& path, std::string_view reason);

// Old backups.
Box OldBackupExists(const std::string& path);
Box OldBackupNotDeleted(const std::string& path, std::string_view reason);

// Writing the new pair.
Box NewIndexNotCreated(const std::string& indexPath, std::string_view reason);  // File Error 3
Box NewMessageFileNotCreated(const std::string& messagePath, std::string_view reason);     // 4
Box MessageFileNotOpenedForCopy(const std::string& messagePath, std::string_view reason);  // 5
Box NoWritePosition(const std::string& messagePath, std::string_view reason);  // File Error 6
Box RecordNotWritten(const std::string& indexPath, std::string_view reason);   // File Error 7
Box CannotSeek(std::int64_t fpos, const std::string& indexPath, std::string_view reason);  // 8
// File Error 9 (a counted byte) or 11 (the byte after the counted ones).
Box CannotPut(bool extraByte, std::uint8_t byte, std::int64_t fpos, std::int64_t copied,
              const std::string& messagePath, std::string_view reason);
Box CannotGetChar(std::int64_t fpos, std::int64_t copied, const std::string& messagePath);  // 10
Box NoCtrlZ(std::int64_t fpos, std::int64_t copied, const std::string& messagePath);
// A failure no single record or byte explains (`what`, from the three
// below), before anything was renamed.
Box Unfinished(const std::string& what, const std::string& indexPath);
std::string CannotWrite(const std::string& path, std::string_view reason);
std::string CannotRead(const std::string& path, std::int64_t offset, std::string_view reason);
std::string CannotSetPermissions(const std::string& path, std::string_view reason);

// The renames, and the renames back when the new pair cannot be put in place.
Box CannotRename(const std::string& from, const std::string& to, std::string_view reason);
Box CannotRenameBack(const std::string& from, const std::string& to, std::string_view reason);

}  // namespace kestrove::rewrite_box
