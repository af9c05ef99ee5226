// The path text helpers; the drive map and the resolution of paths are per
// platform (posix/Drives.cpp, win32/).
#include "platform/Paths.h"

namespace kestrove::platform {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsPlainName(std::string_view name) {
    if (name.empty())
        return false;
    for (char c : name) {
        if (IsSeparator(c))
            return false;
    }
    return true;
}

std::string_view FileNamePart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1]))
            return path.substr(i);
    }
    return path;
}

std::string_view DirectoryPart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1]))
            return path.substr(0, i - 1);
    }
    return {};
}

std::string JoinPath(std::string_view directory, std::string_view name) {
    std::string joined;
    joined.reserve(directory.size() + 1 + name.size());
    joined.append(directory);
    joined.push_back('\\');
    joined.append(name);
    return joined;
}

bool MatchesMask(std::string_view mask, std::string_view name) {
    auto fold = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    };
    if (mask == "*.*")
        mask = "*";
    // Greedy with backtracking to the last '*'.
    std::size_t m = 0, n = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (m < mask.size() && (mask[m] == '?' || fold(mask[m]) == fold(name[n]))) {
            ++m;
            ++n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

}  // namespace kestrove::platform
