#pragma once
// The system's own dialogs: message boxes, the save-file dialog, the
// directory chooser of Move (MoveDlg) and the help. Tests inject the answers
// instead: while a script is set no system dialog opens, each box takes the
// next scripted answer, and a box nobody scripted is recorded as a failure.

#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/WindowPort.h"

namespace kestrove::win {

struct ShownBox {
    std::string text, title;
    Icon icon;
    Buttons buttons;
    UINT style;  // the MB_ flags it opens with
};

struct DialogScript {
    std::deque<Answer> answers;
    std::deque<std::optional<SaveChoice>> saveFiles;
    std::vector<std::string> saveFileStarts;  // where each save dialog opened
    std::deque<std::optional<std::string>> directories;
    std::vector<ShownBox> shown;
    std::vector<std::string> failures;  // dialogs that came without an answer
    // What the help would have started ("PROGRAM PARAMETERS"), and the
    // result every start gets: above 32 it started, 32 or less (2, no such
    // file) as when no browser is set up.
    std::vector<std::string> launches;
    long long launchResult = 42;
};

// Sets (or with nullptr clears) the script every dialog consults.
void SetDialogScript(DialogScript* script);
DialogScript* CurrentDialogScript();

// The MB_ flags of a box: its icon, buttons and default button.
UINT MessageBoxStyle(Icon icon, Buttons buttons, DefaultButton byDefault = DefaultButton::First);
Answer ShowMessage(HWND owner, const std::string& text, const std::string& title, Icon icon,
                   Buttons buttons, DefaultButton byDefault = DefaultButton::First);
std::optional<SaveChoice> ChooseSaveFile(HWND owner, const char* title, std::string_view filter,
                                         const std::string& startDirectory);
// MoveDlg: a directory chooser starting in `start`.
std::optional<std::string> ChooseDirectory(HWND owner, const std::string& start);

// The help beside the executable, opened in the default browser at its
// contents or at its index. False (after a box) when it cannot be opened:
// the page is missing, or no browser could be started (the box names it).
inline constexpr const char* kHelpHtml = "Kestrove.html";
inline constexpr const char* kNoBrowserText =
    "No browser could be started to show the help.\n\nThe help is the page ";
bool OpenHelp(HWND owner, bool index);

}  // namespace kestrove::win
