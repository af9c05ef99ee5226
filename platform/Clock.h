#pragma once
// A monotonic clock for the window's repaint throttle.

#include <cstdint>

namespace kestrove::platform {

// Milliseconds since an arbitrary start, never going back. Coarse (a few
// milliseconds) and cheap: the window reads it per record.
std::int64_t MonotonicMilliseconds();

}  // namespace kestrove::platform
