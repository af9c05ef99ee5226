#include "core/FileKinds.h"

#include "core/Format.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace kestrove {

FileKind KindOfName(std::string_view path) {
    const std::string_view name = platform::FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return FileKind::Other;
    const std::string extension = platform::ToLower1252(name.substr(dot));
    if (extension == ".pmi")
        return FileKind::Index;
    if (extension == ".pmm")
        return FileKind::Message;
    if (extension == ".bki")
        return FileKind::BackupIndex;
    if (extension == ".bkm")
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
