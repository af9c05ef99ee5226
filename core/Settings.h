#pragma once
// The settings file, the five integer settings and the rule that fills the
// drive list.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrove {

// The executable's path with its extension replaced by ".INI".
std::string SettingsFileName(std::string_view executablePath);

// "Unable to write to %s" with the settings file's name.
struct SettingsWriteError {
    std::string message;
};

// The settings file's name where it is not beside the executable.
inline constexpr std::string_view kSettingsFileName = "Kestrove.INI";

// Where the program at `executablePath` keeps its settings. On Windows
// beside it (SettingsFileName), so a copy in any folder carries its own.
// Elsewhere an installed program cannot write beside itself: Kestrove.INI in
// the user's configuration directory (~/.config/kestrove/), in the same
// format, so a file copied from Windows reads the same.
std::string ProgramSettingsFile(std::string_view executablePath);

// Makes the settings file's directory when it is missing (at start-up, so
// that the first write finds it); "Unable to write to %s" when it cannot.
std::optional<SettingsWriteError> PrepareSettingsDirectory(const std::string& settingsFile);

// The settings file as the user finds it on this machine: the native path.
std::string SettingsFileShownName(const std::string& settingsFile);

// One key per call, through the platform's private-profile operations.
class IniFile {
  public:
    explicit IniFile(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // The default when the key is missing or its value is not an integer;
    // "0x"/"0X" (and "$") prefixes read as hexadecimal.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;

    std::optional<SettingsWriteError> WriteString(std::string_view section, std::string_view key,
                                                  std::string_view value) const;
    std::optional<SettingsWriteError> WriteInteger(std::string_view section, std::string_view key,
                                                   std::int32_t value) const;
    std::optional<SettingsWriteError> WriteBool(std::string_view section, std::string_view key,
                                                bool value) const;

  private:
    std::string path_;
};

// Parses an integer value as the settings file's reads do; empty when it is
// not one.
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

// The values of the five settings. Each is stored as its item's index in
// the Other Options window's radio group, so a value read from a file may
// name no item (-1 when none is chosen, or one written by hand); what such a
// value does is said where the setting is used.
//
// MismatchedUnread, MismatchedDeleted: index and header disagree on a count.
enum class OnMismatch : std::int32_t { Ask = 0, Ignore = 1, Skip = 2 };
// BackupFiles: a backup file of the folder exists.
enum class OnBackupExists : std::int32_t { Ask = 0, Overwrite = 1, Never = 2 };
// RunCheck: look for the mail client's lock files before touching a mailbox.
enum class LockCheck : std::int32_t { Always = 0, Never = 1 };
// GetStats: how the statistics count a copy-to-self message.
enum class CopyToSelf : std::int32_t { AsSelf = 0, AsTo = 1, Exclude = 2 };

// A value as the settings file and the radio groups hold it, and back.
template <typename Choice>
constexpr std::int32_t ItemIndex(Choice choice) {
    return static_cast<std::int32_t>(choice);
}
template <typename Choice>
constexpr Choice ChoiceAt(std::int32_t itemIndex) {
    return static_cast<Choice>(itemIndex);
}

struct Settings {
    OnMismatch MismatchedUnread = OnMismatch::Ask;
    OnMismatch MismatchedDeleted = OnMismatch::Ask;
    OnBackupExists BackupFiles = OnBackupExists::Ask;
    LockCheck RunCheck = LockCheck::Always;
    CopyToSelf GetStats = CopyToSelf::AsSelf;
    bool operator==(const Settings&) const = default;
};

inline constexpr std::string_view kStartupSection = "Startup";
inline constexpr std::string_view kOptionsSection = "Options";
inline constexpr std::string_view kDefaultPath = "c:\\";

// Item counts of the Other Options radio groups.
inline constexpr int kMismatchItems = 3, kBackupItems = 3, kRunCheckItems = 2, kStatsItems = 3;

// A radio group's clamping: below -1 becomes -1, at or above the item count
// becomes the last item.
std::int32_t ClampRadioIndex(std::int32_t value, int itemCount);

// The five [Options] keys, default 0, as read (not clamped).
Settings ReadSettings(const IniFile& ini);
// The same, clamped as the Other Options window's radio groups do.
Settings ClampSettings(const Settings& settings);
// Writes the five keys in order; stops at the first refused write.
std::optional<SettingsWriteError> WriteSettings(const IniFile& ini, const Settings& settings);

// [Startup] Path, default "c:\".
std::string ReadStartPath(const IniFile& ini);

// The Set Drives window's 26 boxes, A to Z: checked exactly when DriveX
// reads 1 (default -1).
using DriveChoices = std::array<bool, 26>;
DriveChoices ReadDriveChoices(const IniFile& ini);
// Its OK: DriveA to DriveZ in order, "1" or "0"; stops at the first refused
// write.
std::optional<SettingsWriteError> WriteDriveChoices(const IniFile& ini,
                                                    const DriveChoices& offered);

// The drive list: "X:" for each letter whose key DriveX reads 1 or negative
// (default -1) and whose root "X:\" exists, sorted; the single entry
// `fallback` ("C" or "c") when none qualifies.
std::vector<std::string> RebuildDriveList(const IniFile& ini, std::string_view fallback);

}  // namespace kestrove
