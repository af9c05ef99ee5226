#include "core/MessageFile.h"

#include "platform/File.h"
#include "platform/Paths.h"

namespace kestrove {

MessageFileHeader ReadHeader(platform::File& file, std::size_t* bytesRead) {
    MessageFileHeader header;  // zero bytes where a short file ends
    std::size_t got = 0;
    if (file.Seek(0))
        got = file.Read(header.bytes.data(), header.bytes.size());
    if (bytesRead)
        *bytesRead = got;
    return header;
}

std::optional<MessageFileHeader> ReadHeaderOf(const std::string& path) {
    auto file = platform::File::Open(path, platform::OpenMode::ReadBinary);
    if (!file)
        return std::nullopt;
    MessageFileHeader header = ReadHeader(*file);
    file->Close();
    return header;
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
    std::string_view name = platform::FileNamePart(path);
    std::size_t dot = name.rfind('.');
    std::size_t keep =
        dot == std::string_view::npos ? path.size() : path.size() - name.size() + dot;
    std::string result(path.substr(0, keep));
    result.append(extension);
    return result;
}

std::string MessageFileName(std::string_view indexPath) {
    return ReplaceExtension(indexPath, ".PMM");
}

std::string BackupIndexFileName(std::string_view indexPath) {
    return ReplaceExtension(indexPath, ".BKI");
}

std::string BackupMessageFileName(std::string_view indexPath) {
    return ReplaceExtension(MessageFileName(indexPath), ".BKM");
}

bool MailboxInUse(std::string_view directory) {
    return !platform::FindFiles(platform::JoinPath(directory, "*.lck")).empty();
}

}  // namespace kestrove
