#include "platform/Clock.h"

#include <time.h>

#include <chrono>

namespace kestrove::platform {

std::int64_t MonotonicMilliseconds() {
#ifdef CLOCK_MONOTONIC_COARSE
    // Read without a system call, to the kernel's tick.
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
#else
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
#endif
}

}  // namespace kestrove::platform
