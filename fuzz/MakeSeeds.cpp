// Writes the seed corpora of the fuzz targets: folders made by the folder
// builder, and the real folder files of the workplace when it has them.
// Usage: fuzz_seeds DIRECTORY  (one subdirectory per target is filled)

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/MessageFlag.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/FolderBuilder.h"

using namespace kestrove;
using namespace kestrove::fuzz;
using kestrove::testing::CtrlZ;
using kestrove::testing::FolderBuilder;
using kestrove::testing::FolderBytes;
using kestrove::testing::Msg;
namespace fs = std::filesystem;

namespace {

fs::path g_root;
int g_count = 0;

void Seed(const std::string& target, const Bytes& bytes) {
    fs::create_directories(g_root / target);
    std::ofstream out(g_root / target / ("seed-" + std::to_string(++g_count)), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadNative(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<FolderBytes> BuiltFolders() {
    std::vector<FolderBytes> folders;
    // A folder as the mail client writes it, with a duplicate and a deleted
    // message.
    FolderBuilder a;
    a.Add(Msg("Alice Smith", "Quarterly figures", "12 Mar 24 09:14", 1710234840, "Hello\r\n"));
    a.Add(Msg("Alice Smith", "Quarterly figures", "12 Mar 24 09:14", 1710234840, "Hello\r\n"));
    a.Add(Msg("Bob Jones", "Lunch", "13 Mar 24 12:00", 1710331200, "Noon?\r\n", kReadBit));
    a.Add(Msg("Carol White", "Old newsletter", "01 Feb 24 08:00", 1706774400, "News\r\n",
              kDeletedBit));
    a.Add(Msg("alice smith", "Copy", "14 Mar 24 10:00", 1710410400, "Self\r\n", kCopySelfBit));
    folders.push_back(a.Build());

    // The awkward texts: Ctrl-Z inside, none at all, fsize 0, a text past
    // the end of the file, a short header.
    FolderBuilder b;
    auto inside = Msg("X", "inside", "d", 5,
                      "abc\x1a"
                      "def");
    inside.ending = CtrlZ::Inside;
    b.Add(inside);
    auto none = Msg("X", "none", "d", 6, "no ending here");
    none.ending = CtrlZ::None;
    b.Add(none);
    auto zero = Msg("X", "zero", "d", 7, "z");
    zero.fsize = 0;
    b.Add(zero);
    auto dup = Msg("X", "zero", "d", 7, "z");
    dup.fsize = 0;
    b.Add(dup);
    auto far = Msg("Y", "far", "d", 8, "lost", kReadBit);
    far.fpos = 100000;
    far.writeText = false;
    b.Add(far);
    auto big = Msg("Y", "big", "d", 9, "short");
    big.fsize = 0x7FFFFFFF;
    b.Add(big);
    folders.push_back(b.Build());

    // Look-alikes: the fields of the message above, another text; the same
    // texts but for the byte after a size ending in a Ctrl-Z; one without
    // its Ctrl-Z.
    FolderBuilder alike;
    alike.Add(Msg("monitor", "ALERT", "6 Aug 18 0:20", 60, "Host: alpha"));
    alike.Add(Msg("monitor", "ALERT", "6 Aug 18 0:20", 60, "Host: gamma"));
    alike.Add(Msg("monitor", "ALERT", "6 Aug 18 0:20", 60, "Host: gamma"));
    auto ends = Msg("m", "s", "d", 61, "abc");
    ends.ending = CtrlZ::Inside;
    alike.Add(ends).Add(ends);
    auto open = Msg("m", "s", "d", 61, "abcd");
    open.ending = CtrlZ::None;
    alike.Add(open);
    folders.push_back(alike.Build());

    FolderBuilder c;
    c.header().unread = 9;
    c.header().deleted = -1;
    c.Add(Msg("Q", "s", "d", -48255840, "text", kDeletedBit));
    c.Add(Msg("Q", "s", "d", -48255840, "text"));
    c.Add(Msg("Q", "s", "d", -48255840, "text"));
    c.MessageFileLength(60);
    folders.push_back(c.Build());
    return folders;
}

// The sample folders: each index file with the message file beside it.
std::vector<FolderBytes> SampleFolders() {
    std::vector<FolderBytes> folders;
    std::error_code error;
    const fs::path samples = KESTROVE_SAMPLES;
    for (auto it = fs::recursive_directory_iterator(samples, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        fs::path p = it->path();
        std::string ext = p.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (ext != ".pmi")
            continue;
        for (const char* pmmExt : {".PMM", ".pmm"}) {
            fs::path pmm = p;
            pmm.replace_extension(pmmExt);
            if (fs::exists(pmm)) {
                folders.push_back({ReadNative(p), ReadNative(pmm)});
                break;
            }
        }
    }
    return folders;
}

const char* const kInis[] = {
    ("[Startup]\r\nPath=c:\\mail\r\n[Options]\r\nMismatchedUnread=1\r\nMismatchedDeleted=2\r\n"
     "BackupFiles=0\r\nRunCheck=0\r\nGetStats=1\r\nDriveC=1\r\nDriveZ=-1\r\n"),
    "; comment\n[options]\nbackupfiles = 0x2\n\n[Other]\nkey=\"quoted\"\n\x1a",
    "[Options]\r\nGetStats=$10\r\n[Options]\r\nGetStats=1\r\nbroken line\r\n=empty\r\n",
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIRECTORY\n");
        return 2;
    }
    g_root = argv[1];
    std::vector<FolderBytes> folders = BuiltFolders();
    for (FolderBytes& f : SampleFolders())
        folders.push_back(std::move(f));

    for (const FolderBytes& f : folders) {
        for (std::uint8_t options : {0, 1, 3})
            Seed("fuzz_load_scan", Output().U8(options).File(f.pmi).Raw(f.pmm).bytes());
        Seed("fuzz_header", f.pmm);
        for (std::uint8_t csv : {0, 1})
            Seed("fuzz_export", Output().U8(csv).Raw(f.pmi).bytes());
        for (std::uint8_t getStats : {0, 1, 2})
            Seed("fuzz_stats",
                 Output().U8(getStats).U8(0).U8(0).U8(1).U8(1).File(f.pmi).File(f.pmi).bytes());
        // Sorted or not, with a log; settings to ask, to accept, to skip;
        // without a failure, and with one of each operation.
        for (std::uint8_t options : {0x01, 0x00, 0x03, 0x1B, 0x7D})
            for (std::uint8_t setting : {0, 1, 2})
                for (std::uint8_t failure = 0; failure <= (options == 0 ? 12 : 0); ++failure)
                    Seed("fuzz_rewrite", Output()
                                             .U8(options)
                                             .U8(setting)
                                             .U8(setting)
                                             .U8(setting)
                                             .U32(0)
                                             .U8(failure)
                                             .U16(static_cast<std::uint16_t>(failure * 3))
                                             .File(f.pmi)
                                             .Raw(f.pmm)
                                             .bytes());
    }
    for (std::uint8_t mode : {0, 1, 4}) {
        Output names;
        names.U8(mode).U8(0x05).U8(0x21);
        for (const FolderBytes& f : folders)
            names.File(
                Bytes(f.pmm.begin(), f.pmm.begin() + std::min<std::size_t>(f.pmm.size(), 160)));
        Seed("fuzz_folder_names", names.bytes());
    }
    for (const char* ini : kInis)
        Seed("fuzz_profile", Output()
                                 .U8(7)
                                 .Raw("Options")
                                 .U8(11)
                                 .Raw("BackupFiles")
                                 .U8(1)
                                 .Raw("2")
                                 .U8(7)
                                 .Raw("Startup")
                                 .U8(4)
                                 .Raw("Path")
                                 .U32(12345)
                                 .Raw(ini)
                                 .bytes());
    std::printf("%d seeds in %s\n", g_count, argv[1]);
    return 0;
}
