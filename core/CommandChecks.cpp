#include "core/CommandChecks.h"

#include "core/Format.h"
#include "core/MessageFile.h"

namespace kestrove {

bool HaveSelection(const AppState& state, WindowPort& port) {
    if (!state.ListBox1.Empty())
        return true;
    port.MessageDialog("No files selected.", "No Data", Icon::Information, Buttons::Ok);
    return false;
}

bool MailboxActiveConfirmed(WindowPort& port) {
    return port.MessageDialog(
               "Pegasus Mail is active for this mailbox.\nOK to continue\nCancel to abort run.",
               "Mailbox Active", Icon::Exclamation, Buttons::OkCancel) == Answer::Ok;
}

bool MailboxCheckPassed(const AppState& state, WindowPort& port) {
    // Any value but "Yes, Always Check" (none chosen too) checks nothing.
    if (state.settings.RunCheck != LockCheck::Always || !MailboxInUse(state.currentDirectory))
        return true;
    return MailboxActiveConfirmed(port);
}

bool PassesCheck(AppState& state, WindowPort& port, const std::optional<std::string>& problem,
                 const char* title) {
    if (!problem)
        return true;
    port.MessageDialog(*problem, title, Icon::Stop, Buttons::Ok);
    state.runLog.Write(*problem + "\n");
    return false;
}

void ShowFileCount(const AppState& state, WindowPort& port) {
    port.SetCountLabel(CountLabel::LblNumFiles,
                       Format("%d Files", static_cast<int>(state.FileListBox1.size())));
}

}  // namespace kestrove
