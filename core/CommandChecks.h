#pragma once
// The checks several commands make before they start, with their boxes,
// and what several of them show when they end.

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

// The available list's count label: "%d Files".
void ShowFileCount(const AppState& state, WindowPort& port);

}  // namespace kestrove
