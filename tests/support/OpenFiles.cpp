#include "tests/support/OpenFiles.h"

#include <filesystem>
#include <system_error>

namespace kestrove::testing {

int CountOpenFiles() {
#ifdef __linux__
    std::error_code error;
    int count = 0;
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end;
         it.increment(error))
        ++count;
    return error ? -1 : count;
#else
    return -1;
#endif
}

}  // namespace kestrove::testing
