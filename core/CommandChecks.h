#pragma once
// The checks several commands make before they start, with their boxes,
// and what several of them show when they end.

#include <optional>
#include <string>

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove {

// True when the selected list (ListBox1) has entries; otherwise shows
// "No files selected." (No Data).
bool HaveSelection(const AppState& state, WindowPort& port);

// The question "Mailbox Active" after a lock file was found; true when the
// user chose OK.
bool MailboxActiveConfirmed(WindowPort& port);

// The lock-file test of the current directory, unless the setting says
// "No, Never Check": true when no lock file was found or the question was
// answered OK.
bool MailboxCheckPassed(const AppState& state, WindowPort& port);

// A check of an entry that found `problem`: shown in a box with `title`,
// the stop icon and OK, and written as a log line. True when there is none;
// false when the entry is to be skipped.
bool PassesCheck(AppState& state, WindowPort& port, const std::optional<std::string>& problem,
                 const char* title);

// The available list's count label: "%d Files".
void ShowFileCount(const AppState& state, WindowPort& port);

}  // namespace kestrove
