#pragma once
// A window port that shows nothing: for benchmarks and for tests that only
// look at the files a command leaves. Every box is counted and answered with
// its go-on button (Yes or OK) unless `answer` is set.

#include <functional>

#include "core/WindowPort.h"

namespace kestrove::testing {

class NullPort : public WindowPort {
  public:
    Answer MessageDialog(const std::string& text, const std::string& title, Icon, Buttons buttons,
                         DefaultButton = DefaultButton::First) override {
        ++boxes;
        if (answer)
            return answer(text, title, buttons);
        return buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
    }
    void SetStatus(StatusLine, const std::string&, bool) override {}
    void SetCountLabel(CountLabel, const std::string&) override {}
    void SetMeter(Meter, int) override {}
    void ShowMeter(Meter, bool) override {}
    void ShowAbort(bool) override {}
    void ListChanged(ListId) override {}
    void HighlightEntry(ListId, int) override {}
    void ShowList(ListId, bool) override {}
    void SplitSelectedLists() override {}
    void RestoreSelectedLists() override {}
    void ProcessEvents() override {}
    std::optional<SaveChoice> ChooseSaveFile(std::string_view, const std::string&) override {
        return {};
    }
    std::optional<std::string> ChooseDirectory(const std::string&) override { return {}; }

    std::function<Answer(const std::string& text, const std::string& title, Buttons)> answer;
    int boxes = 0;
};

}  // namespace kestrove::testing
