#pragma once
// A window port for tests: records every call, answers message boxes from a
// script, and can press Abort at a chosen pump. A box nobody scripted fails
// the test.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/WindowPort.h"

namespace kestrove::testing {

struct BoxCall {
    std::string text;
    std::string title;
    Icon icon;
    Buttons buttons;
    Answer answer;
    DefaultButton byDefault;
};

class ScriptedPort : public WindowPort {
  public:
    // Answers the next box; `expectTitle` (when not empty) must match its
    // title, else the test fails.
    void Reply(kestrove::Answer answer, std::string expectTitle = {});
    // Presses Abort (sets AbortRequested, hides Abort, as Stop does) during
    // the nth ProcessEvents call from now (1 = the next one).
    void AbortAtPump(AppState& state, int nth);
    // Runs `action` during the nth pump from now.
    void AtPump(int nth, std::function<void()> action);
    // The save-file and directory choosers' answers (empty: cancelled).
    std::optional<std::string> saveFileAnswer;
    int saveFileFilter = 0;
    std::vector<std::string> saveFileStarts;
    std::optional<std::string> directoryAnswer;

    // What happened.
    std::vector<BoxCall> boxes;
    std::map<StatusLine, std::string> status;
    std::vector<std::pair<StatusLine, std::string>> statusHistory;
    std::map<CountLabel, std::string> countLabels;
    std::vector<std::pair<CountLabel, std::string>> countLabelHistory;
    std::map<Meter, int> meters;
    std::vector<std::pair<Meter, int>> meterHistory;
    std::map<Meter, bool> meterVisible;
    bool abortVisible = false;
    std::vector<std::pair<ListId, int>> highlights;
    std::map<ListId, bool> listVisible;
    std::vector<ListId> listChanges;
    int pumps = 0;
    int splits = 0, restores = 0;
    std::vector<std::string> chooserStarts;
    // Every call in order, as one line each ("box File Error 1", "pump", ...).
    std::vector<std::string> calls;

    // True when every scripted answer was used.
    bool ScriptDone() const { return answers_.empty(); }
    const std::string& Status(StatusLine line) { return status[line]; }

    // WindowPort
    kestrove::Answer MessageDialog(const std::string& text, const std::string& title, Icon icon,
                                   Buttons buttons,
                                   DefaultButton byDefault = DefaultButton::First) override;
    void SetStatus(StatusLine line, const std::string& text, bool redraw) override;
    void SetCountLabel(CountLabel label, const std::string& text) override;
    void SetMeter(Meter meter, int percent) override;
    void ShowMeter(Meter meter, bool visible) override;
    void ShowAbort(bool visible) override;
    void ListChanged(ListId list) override;
    void HighlightEntry(ListId list, int index) override;
    void ShowList(ListId list, bool visible) override;
    void SplitSelectedLists() override;
    void RestoreSelectedLists() override;
    void ProcessEvents() override;
    std::optional<SaveChoice> ChooseSaveFile(std::string_view filter,
                                             const std::string& startDirectory) override;
    std::optional<std::string> ChooseDirectory(const std::string& start) override;

  private:
    struct Scripted {
        kestrove::Answer answer;
        std::string title;
    };
    std::deque<Scripted> answers_;
    std::multimap<int, std::function<void()>> pumpActions_;  // keyed by absolute pump number
};

}  // namespace kestrove::testing
