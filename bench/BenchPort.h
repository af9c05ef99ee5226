#pragma once
// Benchmarks time the engine alone, behind a port that shows nothing.

#include "tests/support/NullPort.h"

namespace kestrove::bench {
using NullPort = testing::NullPort;
}  // namespace kestrove::bench
