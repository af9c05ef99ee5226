#include "platform/Clock.h"

#include <windows.h>

namespace kestrove::platform {

std::int64_t MonotonicMilliseconds() {
    return static_cast<std::int64_t>(GetTickCount64());
}

}  // namespace kestrove::platform
