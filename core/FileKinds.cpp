#include "core/FileKinds.h"

#include "core/Format.h"
#include "platform/Paths.h"

namespace kestrove {

namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
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

}  // namespace

FileKind KindOfName(std::string_view path) {
    const std::string_view name = platform::FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return FileKind::Other;
    const std::string_view extension = name.substr(dot);
    if (SameNoCase(extension, ".PMI"))
        return FileKind::Index;
    if (SameNoCase(extension, ".PMM"))
        return FileKind::Message;
    if (SameNoCase(extension, ".BKI"))
        return FileKind::BackupIndex;
    if (SameNoCase(extension, ".BKM"))
        return FileKind::BackupMessage;
    return FileKind::Other;
}

bool IsFolderFile(std::string_view path) {
    return KindOfName(path) != FileKind::Other;
}

bool RunTakes(std::string_view path) {
    return KindOfName(path) == FileKind::Index;
}

bool BackupTakes(std::string_view path) {
    return KindOfName(path) == FileKind::BackupIndex;
}

bool ReportTakes(std::string_view path) {
    const FileKind kind = KindOfName(path);
    return kind == FileKind::Index || kind == FileKind::BackupIndex;
}

std::string NotAnIndexText(std::string_view path) {
    return Format("%s is not an index file (.PMI) - skipping file.", std::string(path).c_str());
}

std::string NotABackupIndexText(std::string_view path) {
    return Format("%s is not a backup index file (.BKI) - skipping file.",
                  std::string(path).c_str());
}

std::string NotAnyIndexText(std::string_view path) {
    return Format("%s is not an index file (.PMI or .BKI).", std::string(path).c_str());
}

}  // namespace kestrove
