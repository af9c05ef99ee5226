#include "tests/support/Samples.h"

#include "platform/File.h"
#include "platform/Paths.h"

namespace kestrove::testing {

std::optional<std::string> SamplesDirectory() {
#ifdef KESTROVE_SAMPLES
    std::string native = KESTROVE_SAMPLES;
#ifdef _WIN32
    // Under Wine the build machine's "/" is drive Z:.
    std::string path = native;
    if (!native.empty() && native.front() == '/') {
        path = "Z:";
        for (char c : native)
            path.push_back(c == '/' ? '\\' : c);
    }
#else
    platform::SetDriveRoot('S', native);
    std::string path = "S:";
#endif
    if (platform::DirectoryExists(path))
        return path;
#endif
    return std::nullopt;
}

}  // namespace kestrove::testing
