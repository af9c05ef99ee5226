#include "tests/support/TempDir.h"

#include <random>
#include <stdexcept>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/Paths.h"

namespace kestrove::testing {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// Links were made through Wine's Unix side, which only it can remove.
bool madeUnixLinks = false;

// Under Wine: the Unix name of a Windows path, from Wine's own kernel32;
// empty elsewhere.
std::string UnixName(const fs::path& path) {
    using ToUnix = char* (*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    char* name = toUnix(fs::absolute(path).wstring().c_str());
    if (!name)
        return {};
    std::string unix(name);
    HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

// Runs a shell command on Wine's Unix side and waits until it has made the
// file `made` (which then goes): Wine gives no handle to wait on for a Unix
// program. The line is split as Windows splits it, at double quotes.
bool RunUnix(const std::string& command, const fs::path& made) {
    const std::string sentinel = UnixName(made);
    if (sentinel.empty())
        return false;
    std::string line = "/bin/sh -c \"" + command + " && : > '" + sentinel + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    for (HANDLE h : {process.hThread, process.hProcess})
        if (h)
            CloseHandle(h);
    for (int waited = 0; waited < 1000; ++waited) {
        std::error_code error;
        if (fs::exists(made, error)) {
            fs::remove(made, error);
            return true;
        }
        Sleep(10);
    }
    return false;
}

bool IsThere(const fs::path& link) {
    std::error_code error;
    return fs::symlink_status(link, error).type() != fs::file_type::not_found;
}
#endif

}  // namespace

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
#ifdef _WIN32
    // Wine removes what a link leads to, not the link: Unix removes the tree.
    if (const std::string unix = madeUnixLinks ? UnixName(native_) : std::string();
        unix.find("kestrove-test-") != std::string::npos &&
        RunUnix("rm -rf '" + unix + "'", native_.string() + ".gone"))
        return;
#endif
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

bool MakeLink(const std::string& target, const fs::path& link, bool directory) {
#ifdef _WIN32
    std::string windowsTarget = target;
    for (char& c : windowsTarget)
        if (c == '/')
            c = '\\';
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    if (CreateSymbolicLinkA(link.string().c_str(), windowsTarget.c_str(),
                            kUnprivileged | (directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0)) &&
        IsThere(link))
        return true;
    const std::string where = UnixName(link);
    madeUnixLinks = madeUnixLinks || !where.empty();
    return !where.empty() &&
           RunUnix("ln -s '" + target + "' '" + where + "'", link.string() + ".made");
#else
    std::error_code error;
    if (directory)
        fs::create_directory_symlink(target, link, error);
    else
        fs::create_symlink(target, link, error);
    return !error;
#endif
}

}  // namespace kestrove::testing
