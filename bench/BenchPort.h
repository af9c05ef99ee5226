#pragma once
// A window port that does nothing, so a benchmark times the engine alone.

#include "core/WindowPort.h"

namespace kestrove::bench {

class NullPort : public WindowPort {
  public:
    Answer MessageDialog(const std::string&, const std::string&, Icon, Buttons) override {
        ++boxes;
        return Answer::Ok;
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
    std::optional<std::string> ChooseSaveFile(std::string_view) override { return {}; }
    std::optional<std::string> ChooseDirectory(const std::string&) override { return {}; }

    int boxes = 0;
};

}  // namespace kestrove::bench
