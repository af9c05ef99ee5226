#include "core/Settings.h"

#include <algorithm>
#include <cstdint>

#include "core/Format.h"
#include "core/MessageFile.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "platform/Profile.h"

namespace kestrove {

std::string SettingsFileName(std::string_view executablePath) {
    return ReplaceExtension(executablePath, ".INI");
}

std::string ProgramSettingsFile(std::string_view executablePath) {
    if (auto directory = platform::UserConfigDirectory("kestrove"))
        return platform::JoinPath(*directory, kSettingsFileName);
    return SettingsFileName(executablePath);
}

std::optional<SettingsWriteError> PrepareSettingsDirectory(const std::string& settingsFile) {
    const std::string directory(platform::DirectoryPart(settingsFile));
    if (directory.empty() || platform::DirectoryExists(directory) ||
        platform::CreateDirectories(directory))
        return std::nullopt;
    return SettingsWriteError{Format("Unable to write to %s", settingsFile.c_str())};
}

std::string SettingsFileShownName(const std::string& settingsFile) {
    return platform::ToNative(settingsFile).value_or(settingsFile);
}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;

    // Magnitudes beyond the 32-bit range are not integers.
    constexpr std::int64_t kLimit = std::int64_t{INT32_MAX} + 1;
    std::int64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > kLimit)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    return platform::ProfileReadString(section, key, defaultValue, path_);
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
    std::string text = ReadString(section, key, "");
    return ParseIniInteger(text).value_or(defaultValue);
}

std::optional<SettingsWriteError> IniFile::WriteString(std::string_view section,
                                                       std::string_view key,
                                                       std::string_view value) const {
    if (platform::ProfileWriteString(section, key, value, path_))
        return std::nullopt;
    return SettingsWriteError{Format("Unable to write to %s", path_.c_str())};
}

std::optional<SettingsWriteError> IniFile::WriteInteger(std::string_view section,
                                                        std::string_view key,
                                                        std::int32_t value) const {
    return WriteString(section, key, std::to_string(value));
}

std::optional<SettingsWriteError> IniFile::WriteBool(std::string_view section, std::string_view key,
                                                     bool value) const {
    return WriteString(section, key, value ? "1" : "0");
}

std::int32_t ClampRadioIndex(std::int32_t value, int itemCount) {
    if (value >= itemCount)
        return itemCount - 1;
    if (value < -1)
        return -1;
    return value;
}

Settings ReadSettings(const IniFile& ini) {
    auto read = [&](std::string_view key) { return ini.ReadInteger(kOptionsSection, key, 0); };
    Settings s;
    s.MismatchedUnread = ChoiceAt<OnMismatch>(read("MismatchedUnread"));
    s.MismatchedDeleted = ChoiceAt<OnMismatch>(read("MismatchedDeleted"));
    s.BackupFiles = ChoiceAt<OnBackupExists>(read("BackupFiles"));
    s.RunCheck = ChoiceAt<LockCheck>(read("RunCheck"));
    s.GetStats = ChoiceAt<CopyToSelf>(read("GetStats"));
    return s;
}

namespace {
template <typename Choice>
Choice Clamped(Choice choice, int itemCount) {
    return ChoiceAt<Choice>(ClampRadioIndex(ItemIndex(choice), itemCount));
}
}  // namespace

Settings ClampSettings(const Settings& settings) {
    Settings s;
    s.MismatchedUnread = Clamped(settings.MismatchedUnread, kMismatchItems);
    s.MismatchedDeleted = Clamped(settings.MismatchedDeleted, kMismatchItems);
    s.BackupFiles = Clamped(settings.BackupFiles, kBackupItems);
    s.RunCheck = Clamped(settings.RunCheck, kRunCheckItems);
    s.GetStats = Clamped(settings.GetStats, kStatsItems);
    return s;
}

std::optional<SettingsWriteError> WriteSettings(const IniFile& ini, const Settings& settings) {
    const std::pair<std::string_view, std::int32_t> keys[] = {
        {"MismatchedUnread", ItemIndex(settings.MismatchedUnread)},
        {"MismatchedDeleted", ItemIndex(settings.MismatchedDeleted)},
        {"BackupFiles", ItemIndex(settings.BackupFiles)},
        {"RunCheck", ItemIndex(settings.RunCheck)},
        {"GetStats", ItemIndex(settings.GetStats)},
    };
    for (const auto& [key, value] : keys) {
        if (auto error = ini.WriteInteger(kOptionsSection, key, value))
            return error;
    }
    return std::nullopt;
}

std::string ReadStartPath(const IniFile& ini) {
    return ini.ReadString(kStartupSection, "Path", kDefaultPath);
}

namespace {
std::string DriveKey(char letter) {
    return std::string("Drive") + letter;
}
}  // namespace

DriveChoices ReadDriveChoices(const IniFile& ini) {
    DriveChoices offered{};
    for (std::size_t i = 0; i < offered.size(); ++i)
        offered[i] =
            ini.ReadInteger(kStartupSection, DriveKey(static_cast<char>('A' + i)), -1) == 1;
    return offered;
}

std::optional<SettingsWriteError> WriteDriveChoices(const IniFile& ini,
                                                    const DriveChoices& offered) {
    for (std::size_t i = 0; i < offered.size(); ++i)
        if (auto error =
                ini.WriteBool(kStartupSection, DriveKey(static_cast<char>('A' + i)), offered[i]))
            return error;
    return std::nullopt;
}

std::vector<std::string> RebuildDriveList(const IniFile& ini, std::string_view fallback) {
    std::vector<std::string> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::int32_t offer = ini.ReadInteger(kStartupSection, DriveKey(letter), -1);
        if (offer != 1 && offer >= 0)
            continue;
        std::string root = std::string(1, letter) + ":\\";
        if (platform::DirectoryExists(root))
            drives.push_back(std::string(1, letter) + ":");
    }
    std::sort(drives.begin(), drives.end());
    if (drives.empty())
        drives.emplace_back(fallback);
    return drives;
}

}  // namespace kestrove
