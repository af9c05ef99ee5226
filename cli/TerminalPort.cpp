#include "cli/TerminalPort.h"

#include <algorithm>
#include <cctype>

#include "cli/Console.h"
#include "duplicates/Duplicates.h"

namespace kestrove::cli {

namespace {

// The progress line is redrawn at most this often.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Characters on screen of a UTF-8 text (bytes that do not continue a
// character).
std::size_t Columns(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The text cut to at most `columns` characters, not inside a character.
std::string CutTo(const std::string& text, std::size_t columns) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == columns)
                return text.substr(0, i);
            ++seen;
        }
    }
    return text;
}

}  // namespace

TerminalPort::TerminalPort(AppState& state, AnswerMode answers, bool progress)
    : state_(state), answers_(answers), progress_(progress) {}

TerminalPort::~TerminalPort() {
    ClearProgress();
}

const std::string& TerminalPort::Status(StatusLine line) const {
    static const std::string empty;
    auto it = status_.find(line);
    return it == status_.end() ? empty : it->second;
}

Answer TerminalPort::SafeAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return Answer::Cancel;
        case Buttons::YesNoCancel:
            return Answer::No;
    }
    return Answer::Cancel;
}

Answer TerminalPort::GoOnAnswer(Buttons buttons) {
    return buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
}

Answer TerminalPort::MessageDialog(const std::string& text, const std::string& title, Icon,
                                   Buttons buttons, DefaultButton) {
    ClearProgress();
    WriteErr(ForConsole(title + ": " + text + "\n"));
    if (buttons == Buttons::Ok)
        return Answer::Ok;

    Answer answer;
    if (InterruptRequested())
        answer = Answer::Cancel;  // Ctrl-C came first: stop, as Abort would
    else if (answers_ == AnswerMode::Terminal)
        return AskAtTerminal(buttons);
    else if (answers_ == AnswerMode::GoOn)
        answer = GoOnAnswer(buttons);
    else
        answer = SafeAnswer(buttons);
    WriteErr(std::string("-> ") + AnswerName(answer) + "\n");
    return answer;
}

Answer TerminalPort::AskAtTerminal(Buttons buttons) {
    const bool yesNo = buttons == Buttons::YesNoCancel;
    for (;;) {
        WriteErr(yesNo ? "[y]es, [n]o or [c]ancel? " : "[o]k or [c]ancel? ");
        std::optional<std::string> line = ReadLine();
        if (!line) {
            // End of input or Ctrl-C: nobody can answer any more.
            Answer answer = InterruptRequested() ? Answer::Cancel : SafeAnswer(buttons);
            WriteErr(std::string("\n-> ") + AnswerName(answer) + "\n");
            return answer;
        }
        const std::string reply = Lower(Trimmed(*line));
        if (reply == "c" || reply == "cancel")
            return Answer::Cancel;
        if (yesNo && (reply == "y" || reply == "yes"))
            return Answer::Yes;
        if (yesNo && (reply == "n" || reply == "no"))
            return Answer::No;
        if (!yesNo && (reply == "o" || reply == "ok"))
            return Answer::Ok;
    }
}

void TerminalPort::SetStatus(StatusLine line, const std::string& text, bool redraw) {
    status_[line] = text;
    if (line == StatusLine::LabelInfoMsg1)
        firstLineHistory_.push_back(text);
    UpdateProgress();
    (void)redraw;  // the terminal is redrawn by time alone
}

void TerminalPort::SetCountLabel(CountLabel label, const std::string& text) {
    if (label == CountLabel::LblNumFiles)
        countLabel_ = text;
}

void TerminalPort::SetMeter(Meter meter, int percent) {
    meters_[meter] = percent;
    UpdateProgress();
}

void TerminalPort::ShowMeter(Meter meter, bool visible) {
    meterVisible_[meter] = visible;
}

void TerminalPort::ProcessEvents() {
    // Ctrl-C is the Abort button: noticed where the command pumps its events.
    if (InterruptRequested() && !state_.AbortRequested)
        Stop(state_, *this);
    UpdateProgress();
}

std::string TerminalPort::ProgressText() const {
    std::string text;
    auto add = [&text](const std::string& part) {
        if (part.empty())
            return;
        if (!text.empty())
            text += "  ";
        text += part;
    };
    static constexpr std::pair<Meter, const char*> kMeterNames[] = {
        {Meter::ProgressBarF, "Files"},
        {Meter::ProgressBarM, "Messages"},
        {Meter::ProgressBar1, "Characters"}};
    for (const auto& [meter, name] : kMeterNames) {
        auto visible = meterVisible_.find(meter);
        auto value = meters_.find(meter);
        // The Characters meter moves only for texts over 50,000 bytes.
        if (visible != meterVisible_.end() && visible->second && value != meters_.end() &&
            (meter != Meter::ProgressBar1 || value->second > 0))
            add(std::string(name) + " " + std::to_string(value->second) + "%");
    }
    add(countLabel_);
    for (StatusLine line :
         {StatusLine::LabelInfoMsg1, StatusLine::LabelInfoMsg2, StatusLine::LabelInfoMsg3})
        add(Status(line));
    return ForConsole(text);
}

void TerminalPort::UpdateProgress() {
    if (!progress_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ < kRedrawInterval)
        return;
    std::string line = ProgressText();
    if (line.empty() && shownWidth_ == 0)
        return;  // nothing to show yet: the first text is drawn at once
    lastDraw_ = now;
    const std::size_t width = static_cast<std::size_t>(std::max(TerminalWidth() - 1, 10));
    std::replace(line.begin(), line.end(), '\n', ' ');
    line = CutTo(line, width);
    const std::size_t columns = Columns(line);
    std::string out = "\r" + line;
    if (columns < shownWidth_)
        out += std::string(shownWidth_ - columns, ' ');
    WriteErr(out);
    shownWidth_ = columns;
}

void TerminalPort::ClearProgress() {
    if (shownWidth_ == 0)
        return;
    std::string blank(1, '\r');
    blank.append(shownWidth_, ' ');
    blank += '\r';
    WriteErr(blank);
    shownWidth_ = 0;
    // The next update draws at once.
    lastDraw_ = {};
}

}  // namespace kestrove::cli
