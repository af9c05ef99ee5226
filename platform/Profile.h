#pragma once
// Private-profile (INI) files, one key per call, with the behaviour of the
// Windows calls GetPrivateProfileStringA and WritePrivateProfileStringA. On
// Windows these are the real calls; elsewhere the portable implementation
// below, which has the same observable behaviour.

#include <string>
#include <string_view>

namespace kestrove::platform {

// At most this many characters are returned by a text read.
inline constexpr std::size_t kProfileValueMax = 2047;

// The value of `key` in `section` (both without regard to case), or
// `defaultValue` when the file, the section or the key is missing.
std::string ProfileReadString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, const std::string& file);
// Writes one key: replaces its value in place, or adds it at the end of its
// section, creating the section and the file on the first write. Comments and
// other keys are kept. False when the write was refused. The test fault
// Op::Write on the file's path refuses it.
bool ProfileWriteString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& file);

// The portable implementation, on file contents held in memory. Used by the
// POSIX build, and by the Windows build's tests to compare with the real calls.
namespace portable_profile {
std::string Read(std::string_view contents, std::string_view section, std::string_view key,
                 std::string_view defaultValue);
std::string Write(std::string_view contents, std::string_view section, std::string_view key,
                  std::string_view value);
}  // namespace portable_profile

}  // namespace kestrove::platform
