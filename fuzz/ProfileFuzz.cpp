// The private-profile reader and writer on fuzzed file contents, and the
// settings read through a real file.
// Input: a section, a key and a value (each a byte count and bytes; made
// plain, see Plain), a second section and key, a 32-bit number, then the
// file's contents.

#include <cstdio>
#include <string>

#include "core/Settings.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Profile.h"
#include "platform/Text.h"

using namespace kestrove;
using namespace kestrove::fuzz;
namespace profile = kestrove::platform::portable_profile;

namespace {

// A name or value that a profile line can hold and give back: no line
// break, no '[', ']', '=' or quotes, no blanks at its ends, not empty.
std::string Plain(const Bytes& raw, bool allowInnerSpace) {
    std::string out;
    for (std::uint8_t b : raw) {
        const bool special = b < 0x21 || b == '[' || b == ']' || b == '=' || b == '"' ||
                             b == '\'' || b == ';' || b == 0x7F;
        if (b == ' ' && allowInnerSpace && !out.empty())
            out.push_back(' ');
        else
            out.push_back(special ? static_cast<char>('a' + b % 26) : static_cast<char>(b));
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (out.empty())
        out = "k";
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    return platform::ToLower1252(a) == platform::ToLower1252(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::string section = Plain(in.Take(in.U8() % 24), true);
    const std::string key = Plain(in.Take(in.U8() % 24), true);
    const std::string value = Plain(in.Take(in.U8()), true);
    const std::string otherSection = Plain(in.Take(in.U8() % 24), true);
    const std::string otherKey = Plain(in.Take(in.U8() % 24), true);
    const auto number = static_cast<std::int32_t>(in.U32());
    const Bytes raw = in.Rest();
    const std::string contents(raw.begin(), raw.end());

    // Reading never gives more than the limit, also from fuzzed names.
    const std::string rawName(contents.substr(0, 40));
    Check(profile::Read(contents, rawName, rawName, "").size() <= platform::kProfileValueMax,
          "a value over the limit");
    const std::string before = profile::Read(contents, otherSection, otherKey, "\x01");

    // What is written is read back, and nothing else changes.
    const std::string written = profile::Write(contents, section, key, value);
    Check(profile::Read(written, section, key, "\x01") == value,
          "a written value is not read back");
    if (!(SameName(section, otherSection) && SameName(key, otherKey)))
        Check(profile::Read(written, otherSection, otherKey, "\x01") == before,
              "a write changed another key");
    // Writing the same value again changes nothing more.
    Check(profile::Write(written, section, key, value) == written,
          "a second equal write changed the file");

    // The settings through a real file: integers as the radio groups read them.
    Scratch& scratch = TheScratch();
    scratch.Clear();
    scratch.Put("KESTROVE.INI", raw);
    const IniFile ini(scratch.folder / "KESTROVE.INI");
    const Settings read = ReadSettings(ini);
    const Settings clamped = ClampSettings(read);
    const std::int32_t backup = ItemIndex(clamped.BackupFiles), stats = ItemIndex(clamped.GetStats);
    Check(backup >= -1 && backup < kBackupItems && stats >= -1 && stats < kStatsItems,
          "a clamped setting out of its group");
    Check(ini.ReadString("Options", "BackupFiles", "") ==
              profile::Read(contents, "Options", "BackupFiles", ""),
          "the file and the contents read differently");

    // Integers: decimal and hexadecimal texts read back as the number.
    Check(ParseIniInteger(std::to_string(number)) == number, "a decimal integer misread");
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(number));
    if (number >= 0)
        Check(ParseIniInteger(hex) == number, "a hexadecimal integer misread");
    (void)ParseIniInteger(contents.substr(0, 24));
    return 0;
}
