#include "app/DirectoryNavigation.h"

#include <cctype>

#include "app/Selection.h"
#include "core/Format.h"
#include "platform/File.h"
#include "platform/Paths.h"

namespace kestrove {

namespace {

bool HasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

char Upper(char letter) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
}

}  // namespace

char ChooseDrive(AppState& state, std::optional<std::string_view> chosenEntry) {
    if (chosenEntry && !chosenEntry->empty())
        state.currentDrive = chosenEntry->front();
    else if (chosenEntry)
        state.currentDrive = '\0';
    if (static_cast<unsigned char>(state.currentDrive) < 'A')
        state.currentDrive = 'C';
    return state.currentDrive;
}

std::string DriveRoot(char letter) {
    return std::string(1, Upper(letter)) + ":\\";
}

bool DriveReady(char letter) {
    const char upper = Upper(letter);
    return upper >= 'A' && upper <= 'Z' && platform::DirectoryExists(DriveRoot(upper));
}

std::string DriveNotReadyText(char letter) {
    return Format("Drive %c: cannot be entered.", Upper(letter));
}

std::string ChildDirectory(std::string_view parent, std::string_view name) {
    std::string path(parent);
    if (path.empty() || !platform::IsSeparator(path.back()))
        path += '\\';
    path += name;
    return path;
}

std::vector<std::string> Subdirectories(const std::string& directory) {
    SortedList sorted;
    for (const auto& e : platform::FindFiles(ChildDirectory(directory, "*.*")))
        // A name holding a separator would lead elsewhere once joined; a
        // link, into another user's directory (or anywhere) from one that
        // looks like the user's own.
        if (e.isDirectory && !e.isLink && e.name != "." && e.name != ".." &&
            platform::IsPlainName(e.name))
            sorted.Add(e.name);
    return sorted.entries();
}

std::vector<std::string> DirectoryComponents(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = HasDrive(path) ? 2 : 0; i < path.size(); ++i) {
        if (platform::IsSeparator(path[i])) {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part += path[i];
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

std::string CanonicalDirectory(std::string_view path) {
    if (!HasDrive(path) || !DriveReady(path[0]))
        return {};
    std::string result = DriveRoot(path[0]);
    for (const auto& part : DirectoryComponents(path)) {
        if (part == ".")
            continue;
        // A name, not a pattern: the search below would take it as one.
        if (part == ".." || part.find_first_of("*?") != std::string::npos)
            return {};
        std::string found;
        for (const auto& e : platform::FindFiles(ChildDirectory(result, part)))
            if (e.isDirectory) {
                found = e.name;
                break;
            }
        if (found.empty())
            return {};
        result = ChildDirectory(result, found);
    }
    return result;
}

std::vector<std::string> ReadyDrives() {
    std::vector<std::string> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (DriveReady(letter))
            drives.push_back(std::string(1, letter) + ":");
    return drives;
}

std::string ChooserStartDirectory(const std::string& start) {
    std::string canonical = CanonicalDirectory(start);
    if (!canonical.empty())
        return canonical;
    const std::vector<std::string> drives = ReadyDrives();
    return drives.empty() ? std::string() : DriveRoot(drives.front()[0]);
}

StartDirectory ChooseStartDirectory(const IniFile& ini) {
    const std::string saved = ReadStartPath(ini);
    std::string canonical = CanonicalDirectory(saved);
    if (canonical.empty())
        return {'C', "C:\\"};
    return {saved[0], std::move(canonical)};
}

bool EnterDirectory(AppState& state, WindowPort& port, const std::string& directory) {
    state.currentDirectory = directory;
    PointFileList(state, port);
    const IniFile ini(state.settingsFile);
    if (auto error = ini.WriteString(kStartupSection, "Path", state.currentDirectory)) {
        port.MessageDialog(error->message, kProgramTitle, Icon::Stop, Buttons::Ok);
        return false;
    }
    ShowDirectoryLists(state, port);
    return true;
}

}  // namespace kestrove
