#include "tests/support/Reasons.h"

#include "core/Reason.h"
#include "platform/Faults.h"

namespace kestrove::testing {

std::string Injected(const std::string& fixed) {
    return WithReason(fixed, platform::faults::kInjectedFaultText);
}

::testing::AssertionResult FixedTextThenReason(const std::string& text, const std::string& fixed) {
    const std::string open = fixed.find('\n') == std::string::npos ? " (" : "\n(";
    if (text.size() > fixed.size() + open.size() + 1 && text.starts_with(fixed + open) &&
        text.back() == ')')
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"" << text << "\" is not \"" << fixed << "\" followed by the reason";
}

}  // namespace kestrove::testing
