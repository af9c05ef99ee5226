#include "tests/support/ScriptedPort.h"

#include <gtest/gtest.h>

namespace kestrove::testing {

void ScriptedPort::Reply(kestrove::Answer answer, std::string expectTitle) {
    answers_.push_back({answer, std::move(expectTitle)});
}

void ScriptedPort::AbortAtPump(AppState& state, int nth) {
    AtPump(nth, [this, &state] {
        state.AbortRequested = true;
        ShowAbort(false);
    });
}

void ScriptedPort::AtPump(int nth, std::function<void()> action) {
    pumpActions_.emplace(pumps + nth, std::move(action));
}

kestrove::Answer ScriptedPort::MessageDialog(const std::string& text, const std::string& title,
                                             Icon icon, Buttons buttons, DefaultButton byDefault) {
    if (answers_.empty()) {
        ADD_FAILURE() << "unscripted message box \"" << title << "\": " << text;
        // The safest answer, so that the command under test ends.
        kestrove::Answer fallback =
            buttons == Buttons::Ok ? kestrove::Answer::Ok : kestrove::Answer::Cancel;
        boxes.push_back({text, title, icon, buttons, fallback, byDefault});
        calls.push_back("box " + title);
        return fallback;
    }
    Scripted next = answers_.front();
    answers_.pop_front();
    if (!next.title.empty()) {
        EXPECT_EQ(next.title, title) << "box text: " << text;
    }
    boxes.push_back({text, title, icon, buttons, next.answer, byDefault});
    calls.push_back("box " + title + " -> " + AnswerName(next.answer));
    return next.answer;
}

void ScriptedPort::SetStatus(StatusLine line, const std::string& text, bool) {
    status[line] = text;
    statusHistory.emplace_back(line, text);
}

void ScriptedPort::SetCountLabel(CountLabel label, const std::string& text) {
    countLabels[label] = text;
    countLabelHistory.emplace_back(label, text);
}

void ScriptedPort::SetMeter(Meter meter, int percent) {
    meters[meter] = percent;
    meterHistory.emplace_back(meter, percent);
}

void ScriptedPort::ShowMeter(Meter meter, bool visible) {
    meterVisible[meter] = visible;
}

void ScriptedPort::ShowAbort(bool visible) {
    abortVisible = visible;
}

void ScriptedPort::ListChanged(ListId list) {
    listChanges.push_back(list);
}

void ScriptedPort::HighlightEntry(ListId list, int index) {
    highlights.emplace_back(list, index);
}

void ScriptedPort::ShowList(ListId list, bool visible) {
    listVisible[list] = visible;
}

void ScriptedPort::SplitSelectedLists() {
    ++splits;
}

void ScriptedPort::RestoreSelectedLists() {
    ++restores;
}

void ScriptedPort::ProcessEvents() {
    ++pumps;
    calls.push_back("pump");
    auto range = pumpActions_.equal_range(pumps);
    std::vector<std::function<void()>> due;
    for (auto it = range.first; it != range.second; ++it)
        due.push_back(it->second);
    pumpActions_.erase(range.first, range.second);
    for (auto& action : due)
        action();
}

std::optional<SaveChoice> ScriptedPort::ChooseSaveFile(std::string_view,
                                                       const std::string& startDirectory) {
    calls.push_back("save-file chooser");
    saveFileStarts.push_back(startDirectory);
    if (!saveFileAnswer)
        return std::nullopt;
    return SaveChoice{*saveFileAnswer, saveFileFilter};
}

std::optional<std::string> ScriptedPort::ChooseDirectory(const std::string& start) {
    chooserStarts.push_back(start);
    calls.push_back("directory chooser");
    return directoryAnswer;
}

}  // namespace kestrove::testing
