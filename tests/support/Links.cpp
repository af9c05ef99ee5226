#include "tests/support/Links.h"

#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestrove::testing {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
bool IsThere(const fs::path& link) {
    std::error_code error;
    return fs::symlink_status(link, error).type() != fs::file_type::not_found;
}

// Under Wine: the Unix name of a Windows path, from Wine's own kernel32.
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

// Wine runs a Unix program when asked to start one.
bool UnixLink(const std::string& target, const fs::path& link) {
    const std::string where = UnixName(link);
    if (where.empty())
        return false;
    std::string command = "/bin/ln -s '" + target + "' '" + where + "'";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA("Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, 10000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}
#endif

}  // namespace

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
    return UnixLink(target, link) && IsThere(link);
#else
    std::error_code error;
    if (directory)
        fs::create_directory_symlink(target, link, error);
    else
        fs::create_symlink(target, link, error);
    return !error;
#endif
}

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
