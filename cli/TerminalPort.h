#pragma once
// The window port of kestrove-cli: message boxes on standard error,
// questions answered at the terminal, by --yes or by their safe answer, a
// throttled progress line, and Ctrl-C as the Abort button.

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove::cli {

// How questions are answered.
enum class AnswerMode {
    Terminal,  // asked at the terminal
    GoOn,      // --yes: Yes, or OK
    Safe,      // no terminal: No where there is one, else Cancel
};

class TerminalPort : public WindowPort {
  public:
    TerminalPort(AppState& state, AnswerMode answers, bool progress);
    ~TerminalPort() override;

    // The directory that MoveDlg yields (--to).
    void SetChosenDirectory(std::string directory) { chosenDirectory_ = std::move(directory); }
    // The last text of a status line, and every text LabelInfoMsg1 had.
    const std::string& Status(StatusLine line) const;
    const std::vector<std::string>& FirstLineHistory() const { return firstLineHistory_; }
    // Takes the progress line off the terminal (before other output).
    void ClearProgress();

    // The answer a question gets when nobody is asked.
    static Answer SafeAnswer(Buttons buttons);
    static Answer GoOnAnswer(Buttons buttons);

    // WindowPort
    Answer MessageDialog(const std::string& text, const std::string& title, Icon icon,
                         Buttons buttons, DefaultButton byDefault = DefaultButton::First) override;
    void SetStatus(StatusLine line, const std::string& text, bool redraw) override;
    void SetCountLabel(CountLabel label, const std::string& text) override;
    void SetMeter(Meter meter, int percent) override;
    void ShowMeter(Meter meter, bool visible) override;
    void ShowAbort(bool) override {}
    void ListChanged(ListId) override {}
    void HighlightEntry(ListId, int) override {}
    void ShowList(ListId, bool) override {}
    void SplitSelectedLists() override {}
    void RestoreSelectedLists() override {}
    void ProcessEvents() override;
    std::optional<SaveChoice> ChooseSaveFile(std::string_view, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseDirectory(const std::string&) override {
        return chosenDirectory_;
    }

  private:
    Answer AskAtTerminal(Buttons buttons);
    void UpdateProgress();
    std::string ProgressText() const;

    AppState& state_;
    AnswerMode answers_;
    bool progress_;
    std::optional<std::string> chosenDirectory_;
    std::map<StatusLine, std::string> status_;
    std::vector<std::string> firstLineHistory_;
    std::string countLabel_;
    std::map<Meter, int> meters_;
    std::map<Meter, bool> meterVisible_;
    std::chrono::steady_clock::time_point lastDraw_{};
    std::size_t shownWidth_ = 0;  // characters of the progress line on screen
};

}  // namespace kestrove::cli
