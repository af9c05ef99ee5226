#pragma once
// How many files this process has open, to show that a command closed every
// file it opened on the path it took.

namespace kestrove::testing {

// The number of open file descriptors; -1 where the system cannot tell
// (tests then skip the check).
int CountOpenFiles();

}  // namespace kestrove::testing
