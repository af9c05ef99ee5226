// Private-profile files on contents held in memory, behaving as the Windows
// calls do: a line "[name]" begins a section, a line "key=value" is a key,
// everything else (comments, blank lines, stray text) is kept as it stands.
// Only the first section of a name is looked at, and in it the first key.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/Profile.h"
#include "platform/Text.h"

namespace kestrove::platform::portable_profile {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToUpper1252(static_cast<std::uint8_t>(a[i])) !=
            ToUpper1252(static_cast<std::uint8_t>(b[i])))
            return false;
    }
    return true;
}

struct Line {
    std::size_t begin;  // offset of the first byte
    std::size_t end;    // offset after the text, before the line break
    std::size_t next;   // offset after the line break
    std::string_view text;
};

std::vector<Line> SplitLines(std::string_view contents) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < contents.size()) {
        std::size_t nl = contents.find('\n', pos);
        std::size_t next = nl == std::string_view::npos ? contents.size() : nl + 1;
        std::size_t end = nl == std::string_view::npos ? contents.size() : nl;
        if (end > pos && contents[end - 1] == '\r')
            --end;
        lines.push_back({pos, end, next, contents.substr(pos, end - pos)});
        pos = next;
    }
    return lines;
}

// The section name of a line "[name]", or nothing.
bool SectionName(std::string_view line, std::string_view& name) {
    line = Trim(line);
    if (line.empty() || line.front() != '[')
        return false;
    std::size_t close = line.rfind(']');
    if (close == std::string_view::npos || close == 0)
        return false;
    name = Trim(line.substr(1, close - 1));
    return true;
}

// The name and value of a line "key=value", both trimmed.
bool KeyValue(std::string_view line, std::string_view& name, std::string_view& value) {
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    name = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    return true;
}

std::string Limited(std::string_view text) {
    return std::string(text.substr(0, std::min(text.size(), kProfileValueMax)));
}

// Where a section's lines lie: its header line and the line after its last.
struct SectionSpan {
    std::size_t header;
    std::size_t endLine;
};

bool FindSection(const std::vector<Line>& lines, std::string_view section, SectionSpan& span) {
    std::string_view name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!SectionName(lines[i].text, name) || !SameName(name, section))
            continue;
        std::size_t j = i + 1;
        while (j < lines.size() && !SectionName(lines[j].text, name))
            ++j;
        span = {i, j};
        return true;
    }
    return false;
}

}  // namespace

std::string Read(std::string_view contents, std::string_view section, std::string_view key,
                 std::string_view defaultValue) {
    section = Trim(section);
    key = Trim(key);
    auto lines = SplitLines(contents);
    SectionSpan span{};
    if (FindSection(lines, section, span)) {
        std::string_view name, value;
        for (std::size_t i = span.header + 1; i < span.endLine; ++i) {
            if (!KeyValue(lines[i].text, name, value) || !SameName(name, key))
                continue;
            // A value in matching quotes is read without them.
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            return Limited(value);
        }
    }
    // Trailing blanks of the default are dropped, as the Windows call does.
    while (!defaultValue.empty() && defaultValue.back() == ' ')
        defaultValue.remove_suffix(1);
    return Limited(defaultValue);
}

std::string Write(std::string_view contents, std::string_view section, std::string_view key,
                  std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    while (!value.empty() && IsBlank(value.front()))
        value.remove_prefix(1);
    auto lines = SplitLines(contents);
    std::string out;
    out.reserve(contents.size() + section.size() + key.size() + value.size() + 8);

    SectionSpan span{};
    if (!FindSection(lines, section, span)) {
        // A new section goes at the end, but before an old end-of-file
        // Ctrl-Z, which some readers stop at.
        std::size_t end = contents.size();
        while (end > 0 && contents[end - 1] == '\x1a')
            --end;
        out.append(contents.substr(0, end));
        if (!out.empty() && out.back() != '\n')
            out.append("\r\n");
        out.append("[").append(section).append("]\r\n");
        out.append(key).append("=").append(value).append("\r\n");
        out.append(contents.substr(end));
        return out;
    }

    std::size_t lastNonBlank = span.header;
    std::string_view name, oldValue;
    for (std::size_t i = span.header + 1; i < span.endLine; ++i) {
        const Line& line = lines[i];
        if (KeyValue(line.text, name, oldValue) && SameName(name, key)) {
            // Replaced in place; the key keeps its spelling in the file.
            out.append(contents.substr(0, line.begin));
            out.append(name).append("=").append(value);
            out.append(contents.substr(line.end));
            return out;
        }
        if (!Trim(line.text).empty())
            lastNonBlank = i;
    }

    const Line& after = lines[lastNonBlank];
    out.append(contents.substr(0, after.next));
    if (contents[after.next - 1] != '\n')  // the file ends without a line break
        out.append("\r\n");
    out.append(key).append("=").append(value).append("\r\n");
    out.append(contents.substr(after.next));
    return out;
}

}  // namespace kestrove::platform::portable_profile
