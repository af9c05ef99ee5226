// The drive map and the resolution of Windows path texts to native paths.
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/NativeFile.h"
#include "platform/Paths.h"
#include "platform/posix/Posix.h"

namespace kestrove::platform {

namespace posix {

bool SameNameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

bool FailNoDrive() {
    SetLastErrorText("The path has no mapped drive letter");
    return false;
}

}  // namespace posix

namespace {

struct DriveMap {
    bool loaded = false;                // false: the default map is read on first use
    std::array<std::string, 26> roots;  // empty: not mapped
};

DriveMap& Map() {
    static DriveMap map;
    return map;
}

int LetterIndex(char letter) {
    if (letter >= 'a' && letter <= 'z')
        return letter - 'a';
    if (letter >= 'A' && letter <= 'Z')
        return letter - 'A';
    return -1;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void LoadDefaultMap(DriveMap& map) {
    map.roots = {};
    map.loaded = true;
    std::string home = posix::HomeDirectory();
    std::string devices = home + "/.wine/dosdevices";
    if (IsDirectory(devices)) {
        // Each link "x:" stands for drive X; "x::" entries are raw devices.
        if (DIR* dir = opendir(devices.c_str())) {
            while (const dirent* entry = readdir(dir)) {
                std::string_view name = entry->d_name;
                int index = name.size() == 2 && name[1] == ':' ? LetterIndex(name[0]) : -1;
                if (index >= 0)
                    map.roots[static_cast<std::size_t>(index)] = devices + "/" + std::string(name);
            }
            closedir(dir);
        }
        return;
    }
    map.roots['C' - 'A'] = home;
    map.roots['Z' - 'A'] = "/";
}

const DriveMap& CurrentMap() {
    DriveMap& map = Map();
    if (!map.loaded)
        LoadDefaultMap(map);
    return map;
}

std::string JoinNative(const std::string& directory, std::string_view name) {
    std::string joined = directory;
    if (joined.empty() || joined.back() != '/')
        joined.push_back('/');
    joined.append(name);
    return joined;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `directory` whose name equals `name` but for case; the
// smallest such name when there are several. Empty when none.
std::string FindNoCase(const std::string& directory, std::string_view name) {
    std::string found;
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return found;
    while (const dirent* entry = readdir(dir)) {
        std::string_view candidate = entry->d_name;
        if (candidate == "." || candidate == "..")
            continue;
        if (posix::SameNameNoCase(candidate, name) && (found.empty() || candidate < found))
            found = candidate;
    }
    closedir(dir);
    return found;
}

// Splits a path text into its components, dropping empty ones and "." and
// applying "..", never above the first component.
std::vector<std::string_view> Components(std::string_view path, bool (*separator)(char)) {
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t end = pos;
        while (end < path.size() && !separator(path[end]))
            ++end;
        std::string_view part = path.substr(pos, end - pos);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = end + 1;
    }
    return parts;
}

bool IsSlash(char c) {
    return c == '/';
}

std::vector<std::string_view> NativeComponents(std::string_view path) {
    return Components(path, IsSlash);
}

}  // namespace

void SetDriveRoot(char letter, std::string nativeDirectory) {
    int index = LetterIndex(letter);
    if (index < 0)
        return;
    DriveMap& map = Map();
    if (!map.loaded)
        LoadDefaultMap(map);
    map.roots[static_cast<std::size_t>(index)] = std::move(nativeDirectory);
}

void ClearDriveMap() {
    DriveMap& map = Map();
    map.roots = {};
    map.loaded = true;
}

void UseDefaultDriveMap() {
    Map().loaded = false;
}

std::optional<std::string> DriveRoot(char letter) {
    int index = LetterIndex(letter);
    if (index < 0)
        return std::nullopt;
    const std::string& root = CurrentMap().roots[static_cast<std::size_t>(index)];
    if (root.empty())
        return std::nullopt;
    return root;
}

std::optional<std::string> ToNative(std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':')
        return std::nullopt;
    auto root = DriveRoot(windowsPath[0]);
    if (!root)
        return std::nullopt;

    std::string native = *root;
    if (native.size() > 1 && native.back() == '/')
        native.pop_back();
    bool resolving = true;
    for (std::string_view part : Components(windowsPath.substr(2), IsSeparator)) {
        std::string exact = JoinNative(native, part);
        if (resolving && !Exists(exact)) {
            std::string other = FindNoCase(native, part);
            if (!other.empty()) {
                native = JoinNative(native, other);
                continue;
            }
            resolving = false;  // what follows cannot exist either
        }
        native = std::move(exact);
    }
    return native;
}

std::optional<std::string> FromNative(std::string_view nativePath) {
    if (nativePath.empty() || nativePath.front() != '/')
        return std::nullopt;
    if (nativePath.find('\\') != std::string_view::npos)
        return std::nullopt;  // a backslash in a name would become a separator
    auto parts = NativeComponents(nativePath);

    int bestLetter = -1;
    std::size_t bestLength = 0;
    const DriveMap& map = CurrentMap();
    for (int i = 0; i < 26; ++i) {
        const std::string& root = map.roots[static_cast<std::size_t>(i)];
        if (root.empty())
            continue;
        // The root as given, and as the links it passes through lead.
        std::vector<std::string> forms{root};
        char resolved[PATH_MAX];
        if (realpath(root.c_str(), resolved))
            forms.emplace_back(resolved);
        for (const std::string& form : forms) {
            auto rootParts = NativeComponents(form);
            if (rootParts.size() > parts.size())
                continue;
            bool prefix = true;
            for (std::size_t k = 0; k < rootParts.size() && prefix; ++k)
                prefix = rootParts[k] == parts[k];
            if (prefix && (bestLetter < 0 || rootParts.size() > bestLength)) {
                bestLetter = i;
                bestLength = rootParts.size();
            }
        }
    }
    if (bestLetter < 0)
        return std::nullopt;

    std::string text;
    text.push_back(static_cast<char>('A' + bestLetter));
    text.append(":\\");
    for (std::size_t k = bestLength; k < parts.size(); ++k) {
        if (k > bestLength)
            text.push_back('\\');
        text.append(parts[k]);
    }
    return text;
}

std::optional<std::string> FromNativeMappingRoot(std::string_view nativePath) {
    if (auto text = FromNative(nativePath))
        return text;
    for (char letter = 'Z'; letter >= 'D'; --letter) {
        if (!DriveRoot(letter)) {
            SetDriveRoot(letter, "/");
            return FromNative(nativePath);
        }
    }
    return std::nullopt;
}

namespace posix {

std::string WindowsTextOf(const std::string& native) {
    if (auto text = FromNative(native))
        return *text;
    // No drive covers it: the text Wine would give it on Z:, so that
    // messages naming it still read sensibly.
    std::string text = "Z:";
    for (char c : native)
        text.push_back(c == '/' ? '\\' : c);
    return text;
}

}  // namespace posix

}  // namespace kestrove::platform
