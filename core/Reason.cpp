#include "core/Reason.h"

#include "core/Format.h"
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

std::string CannotReadText(const std::string& path, std::int64_t offset) {
    return Format("Cannot read file %s at %lld (%s).", path.c_str(), static_cast<long long>(offset),
                  platform::LastErrorText().c_str());
}

}  // namespace kestrove
