#pragma once
// Texts about a failed system call end with the system's reason after the
// fixed text (core/Reason.h); what the tests expect of them.

#include <gtest/gtest.h>

#include <string>

namespace kestrove::testing {

// `fixed` with the reason the test faults give.
std::string Injected(const std::string& fixed);
// `text` is `fixed` followed by some reason (the system's words differ
// between systems).
::testing::AssertionResult FixedTextThenReason(const std::string& text, const std::string& fixed);

}  // namespace kestrove::testing
