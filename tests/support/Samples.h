#pragma once
// The real folder files of the workplace (../shared/samples), when present.

#include <optional>
#include <string>

namespace kestrove::testing {

// The samples directory as a Windows path text (on POSIX through drive S:),
// or empty when the workplace has no samples: the test then skips.
std::optional<std::string> SamplesDirectory();

}  // namespace kestrove::testing
