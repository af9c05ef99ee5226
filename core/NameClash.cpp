#include "core/NameClash.h"

#include <string_view>

#include "core/CommandChecks.h"
#include "core/Format.h"
#include "core/Links.h"
#include "platform/File.h"
#include "platform/Paths.h"

namespace kestrove {

namespace {

// The name without its extension (from the last dot).
std::string_view BaseName(std::string_view name) {
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string Text(const std::string& path, const std::string& other) {
    const std::string otherPath = platform::JoinPath(platform::DirectoryPart(path), other);
    return Format("Name clash: %s and %s differ only in letter case - skipping file.", path.c_str(),
                  otherPath.c_str());
}

}  // namespace

std::optional<std::string> LetterCaseClash(const std::string& reference,
                                           const std::vector<std::string>& paths) {
    // The folder's base name as its file on disk spells it.
    const std::vector<std::string> own = platform::NamesAnswering(reference);
    const std::string base(
        BaseName(own.size() == 1 ? std::string_view(own[0]) : platform::FileNamePart(reference)));
    for (const std::string& path : paths) {
        const std::vector<std::string> names = platform::NamesAnswering(path);
        if (names.size() >= 2) {
            // Name the one that is not spelt as the command spells it.
            const std::string_view written = platform::FileNamePart(path);
            return Text(path, names[0] == written ? names[1] : names[0]);
        }
        if (names.size() == 1 && platform::CaseSensitiveNames() && BaseName(names[0]) != base)
            return Text(path, names[0]);
    }
    return std::nullopt;
}

bool NamesClear(AppState& state, WindowPort& port, const std::string& reference,
                const std::vector<std::string>& paths) {
    return NoLinks(state, port, paths) &&
           PassesCheck(state, port, LetterCaseClash(reference, paths), "File Name Error");
}

}  // namespace kestrove
