// Reading a message file's header, and the texts made from it.
// Input: the message file.

#include <algorithm>
#include <cstring>

#include "core/Format.h"
#include "core/MessageFile.h"
#include "fuzz/FuzzSupport.h"
#include "platform/File.h"
#include "platform/Text.h"

using namespace kestrove;
using namespace kestrove::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scratch& scratch = TheScratch();
    scratch.Clear();
    const Bytes pmm(data, data + size);
    scratch.Put("INBOX.PMM", pmm);
    const std::string path = scratch.folder / "INBOX.PMM";

    auto file = platform::File::Open(path, platform::OpenMode::ReadBinary);
    Check(file != nullptr, "the message file cannot be opened");
    std::size_t got = 0;
    MessageFileHeader header = ReadHeader(*file, &got);
    Check(got == std::min(size, kHeaderSize), "the header's byte count is wrong");
    for (std::size_t i = 0; i < kHeaderSize; ++i)
        Check(header.bytes[i] == (i < size ? data[i] : 0), "the header is not the file's bytes");
    // Read again after the position moved: the header is always offset 0.
    std::uint8_t skip[7];
    file->Read(skip, sizeof skip);
    MessageFileHeader again = ReadHeader(*file);
    Check(again.bytes == header.bytes, "a second read gives another header");
    file.reset();
    auto viaPath = ReadHeaderOf(path);
    Check(viaPath && viaPath->bytes == header.bytes, "ReadHeaderOf disagrees");

    Check(header.name().size() <= 50 && header.id().size() <= 22, "a field runs past its width");
    Check(header.name().find('\0') == std::string_view::npos, "a NUL inside the name");
    // The texts the run shows and logs with the header's fields.
    const std::string status =
        Format("File:%3d %s [%s]", 0, path.c_str(), std::string(header.name()).c_str());
    Check(status.size() == 12 + path.size() + header.name().size(), "the status line is cut");
    const std::string line = Format(" PMM: Unread:%d deleted:%d delsize:%ld\n", header.unread(),
                                    header.deleted(), static_cast<long>(header.delsize()));
    Check(!line.empty() && line.back() == '\n', "the log line is cut");

    // The windows show the 8-bit name decoded; the decoding always gives
    // UTF-8, and the check of arbitrary bytes never reads past them.
    const std::string shown = platform::Cp1252ToUtf8(header.name());
    Check(platform::IsValidUtf8(shown) && shown.size() >= header.name().size() &&
              shown.size() <= 3 * header.name().size(),
          "a decoded name is not UTF-8");
    (void)platform::IsValidUtf8(std::string_view(reinterpret_cast<const char*>(data), size));

    // The header a rewrite writes: the old bytes but the deleted count and space.
    MessageFileHeader written = header;
    written.set_deleted(0);
    written.set_delsize(0);
    Check(written.unread() == header.unread() && written.name() == header.name() &&
              written.id() == header.id() && written.deleted() == 0 && written.delsize() == 0,
          "clearing the deleted count touched other fields");
    Check(
        std::memcmp(written.bytes.data(), header.bytes.data(), 58) == 0 &&
            std::memcmp(written.bytes.data() + 64, header.bytes.data() + 64, kHeaderSize - 64) == 0,
        "clearing the deleted count touched other bytes");
    return 0;
}
