#include "core/Reason.h"

#include "platform/File.h"

namespace kestrove {

std::string WithReason(std::string text, std::string_view reason) {
    if (reason.empty())
        return text;
    text += text.find('\n') == std::string::npos ? " (" : "\n(";
    text += reason;
    text += ')';
    return text;
}

std::string WithSystemReason(std::string text) {
    return WithReason(std::move(text), platform::LastErrorText());
}

}  // namespace kestrove
