#include "tests/support/TempDir.h"

#include <random>
#include <stdexcept>
#include <system_error>

#include "platform/Paths.h"

namespace kestrove::testing {

namespace fs = std::filesystem;

TempDir::TempDir(char letter) : letter_(letter) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = base / ("kestrove-test-" + std::to_string(random() % 100000000));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            native_ = candidate;
            break;
        }
    }
    if (native_.empty())
        throw std::runtime_error("cannot make a temporary directory");
#ifdef _WIN32
    path_ = native_.string();
#else
    platform::SetDriveRoot(letter_, native_.string());
    path_ = std::string(1, letter_) + ":";
#endif
}

TempDir::~TempDir() {
#ifndef _WIN32
    platform::SetDriveRoot(letter_, "");
#endif
    // Tests may leave read-only directories behind; open them up to remove.
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(native_, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::permissions(native_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(native_, error);
}

std::string TempDir::operator/(std::string_view name) const {
    return platform::JoinPath(path_, name);
}

fs::path TempDir::Native(std::string_view relative) const {
    if (relative.empty())
        return native_;
    fs::path p = native_;
    std::string part;
    for (char c : relative) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                p /= part;
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty())
        p /= part;
    return p;
}

}  // namespace kestrove::testing
