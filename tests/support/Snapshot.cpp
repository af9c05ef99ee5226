#include "tests/support/Snapshot.h"

#include <fstream>
#include <system_error>

namespace kestrove::testing {

namespace fs = std::filesystem;

std::map<std::string, std::string> Snapshot(const fs::path& root, bool modes) {
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path& path = it->path();
        const std::string name = path.lexically_relative(root).generic_string();
        std::error_code ignored;
        const fs::file_status status = fs::symlink_status(path, ignored);
        std::string what;
        if (fs::is_symlink(status)) {
            what = "link to " + fs::read_symlink(path, ignored).generic_string();
        } else if (fs::is_regular_file(status)) {
            std::ifstream in(path, std::ios::binary);
            what = std::string(std::istreambuf_iterator<char>(in), {});
        } else if (fs::is_directory(status)) {
            what = "directory";
        } else {
            what = "special";
        }
        if (modes)
            what += " (mode " + std::to_string(static_cast<unsigned>(status.permissions())) + ")";
        entries[name] = std::move(what);
    }
    return entries;
}

}  // namespace kestrove::testing
