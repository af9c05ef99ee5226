#pragma once
// Every modal thing the program shows goes through here: message boxes,
// the save-file dialog and the modal windows. Tests queue the answers (and
// what to do inside a modal window) in advance; in testing mode a box or a
// window nobody scripted is recorded as a failure instead of blocking.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/WindowPort.h"

class QDialog;
class QWidget;

namespace kestrove {

// Engine texts are 8-bit: paths as the file system spells them (UTF-8 on
// POSIX) mixed with Windows-1252 names from the folders. Valid UTF-8 is
// taken as such, anything else as Windows-1252.
QString ToQt(std::string_view text);
std::string FromQt(const QString& text);
// A text from the folders alone (a grid cell): always Windows-1252.
QString FromCp1252(std::string_view text);

struct BoxRecord {
    QString text;
    QString title;
    Icon icon;
    Buttons buttons;
    Answer answer;
    DefaultButton byDefault;
};

class Dialogs {
  public:
    // A modal message box; returns the button chosen. Escape or the close
    // box gives Cancel where there is one, else OK.
    static Answer Message(QWidget* parent, const std::string& text, const std::string& title,
                          Icon icon, Buttons buttons,
                          DefaultButton byDefault = DefaultButton::First);
    // The application's standard error message (title "Kestrove", stop icon,
    // OK), for errors of the toolkit and of the settings file.
    static void Error(QWidget* parent, const std::string& text);

    // Shows a window modally; returns its result code.
    static int Exec(QDialog* dialog);

    // The save-file dialog, opened in `startDirectory` (a Windows path text)
    // with its filters; the name as a Windows path text and the filter chosen
    // (by index), empty when cancelled.
    static std::optional<SaveChoice> SaveFile(QWidget* parent, const QString& title,
                                              const QStringList& filters,
                                              const std::string& startDirectory);

    // --- for tests ---
    static void SetTesting(bool on);
    static bool Testing();
    // Answers the next message box; `expectTitle` (when not empty) must match.
    static void SetNextAnswer(Answer answer, QString expectTitle = {});
    // Runs `inside` in place of the next modal window's event loop, with the
    // window shown; the window's result is what `inside` leaves.
    static void SetNextModal(std::function<void(QDialog*)> inside);
    static void SetNextSaveFile(std::optional<std::string> path, int filter = 0);
    // Where each save-file dialog opened since the last Reset.
    static const std::vector<std::string>& SaveFileStarts();
    // Every box shown since the last Reset, and what went wrong (unscripted
    // boxes and windows, title mismatches).
    static const std::vector<BoxRecord>& Boxes();
    static QStringList Failures();
    static bool ScriptDone();
    static void Reset();
};

}  // namespace kestrove
