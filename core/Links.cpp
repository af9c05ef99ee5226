#include "core/Links.h"

#include "core/CommandChecks.h"
#include "core/Format.h"
#include "platform/File.h"

namespace kestrove {

std::string IsALinkText(std::string_view path) {
    return Format("%s is a link - skipping file.", std::string(path).c_str());
}

std::optional<std::string> LinkAmong(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (platform::IsLink(path))
            return IsALinkText(path);
    }
    return std::nullopt;
}

bool NoLinks(AppState& state, WindowPort& port, const std::vector<std::string>& paths) {
    return PassesCheck(state, port, LinkAmong(paths), "File Link Error");
}

}  // namespace kestrove
