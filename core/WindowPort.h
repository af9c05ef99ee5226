#pragma once
// What the commands need of the screen. The main window implements it with
// real widgets; the tests and the command-line tool with their own doubles.

#include <optional>
#include <string>
#include <string_view>

namespace kestrove {

enum class Icon { Stop, Exclamation, Information };
enum class Buttons { Ok, OkCancel, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };
// The button Enter presses in a box: the first, or Cancel in a question whose
// OK deletes or overwrites something (the safe answer).
enum class DefaultButton { First, Cancel };

// The caption of the button an answer stands for.
inline const char* AnswerName(Answer answer) {
    switch (answer) {
        case Answer::Ok:
            return "OK";
        case Answer::Cancel:
            return "Cancel";
        case Answer::Yes:
            return "Yes";
        case Answer::No:
            return "No";
    }
    return "";
}

// The title of the program's standard error box (stop icon, OK), which
// reports what the settings file or a drive refused.
inline constexpr const char* kProgramTitle = "Kestrove";

// The three status lines of Panel1.
enum class StatusLine { LabelInfoMsg1, LabelInfoMsg2, LabelInfoMsg3 };
// The count labels below the two lists.
enum class CountLabel { LblNumFiles, LblNumSelFiles };
// ProgressBarF "Files", ProgressBarM "Messages", ProgressBar1 "Characters".
enum class Meter { ProgressBarF, ProgressBarM, ProgressBar1 };
// The lists of the main window.
enum class ListId { FileListBox1, ListBox1, ListBox2, ListBox3 };

// What a save-file dialog gave: the name as the user left it, and the filter
// chosen (0 for the first of the filter text).
struct SaveChoice {
    std::string path;
    int filter = 0;
};

class WindowPort {
  public:
    virtual ~WindowPort() = default;

    // A modal message box; returns the button chosen. (Not "MessageBox":
    // windows.h makes that a macro.)
    virtual Answer MessageDialog(const std::string& text, const std::string& title, Icon icon,
                                 Buttons buttons,
                                 DefaultButton byDefault = DefaultButton::First) = 0;

    // Sets a status line; `redraw` asks for it to be shown at once (the
    // window may still coalesce repaints).
    virtual void SetStatus(StatusLine line, const std::string& text, bool redraw = false) = 0;
    virtual void SetCountLabel(CountLabel label, const std::string& text) = 0;

    virtual void SetMeter(Meter meter, int percent) = 0;
    virtual void ShowMeter(Meter meter, bool visible) = 0;
    virtual void ShowAbort(bool visible) = 0;

    // A list's entries changed in the state; the window shows them again.
    virtual void ListChanged(ListId list) = 0;
    // Highlights (selects) one entry of a list; -1 clears the highlight.
    virtual void HighlightEntry(ListId list, int index) = 0;
    virtual void ShowList(ListId list, bool visible) = 0;
    // The network run's split of the selected-list area: ListBox3 above,
    // ListBox1 below; Restore puts the remembered layout back.
    virtual void SplitSelectedLists() = 0;
    virtual void RestoreSelectedLists() = 0;

    // Runs the handlers of waiting events once (where Abort is noticed).
    virtual void ProcessEvents() = 0;

    // The "Save Log File" dialog (filter "Log Files|*.log|All Files|*.*"),
    // opened in `startDirectory`; empty when the user cancels.
    virtual std::optional<SaveChoice> ChooseSaveFile(std::string_view filter,
                                                     const std::string& startDirectory) = 0;
    // MoveDlg: a directory chooser starting in `start`; empty when cancelled.
    virtual std::optional<std::string> ChooseDirectory(const std::string& start) = 0;
};

}  // namespace kestrove
