// The rewrite of a large folder against a plain block copy of the same
// message file, measured in the same run; and the load and scan of the
// largest index the run accepts.
//
//   BENCH rewrite_vs_copy <ratio> x              34,999 records, ~100 MB of texts
//   BENCH rewrite_vs_copy_512mib <ratio> x       20,000 texts, ~512 MiB, 10 % repeats
//                                                right after their twins
//   BENCH rewrite_vs_copy_512mib_scattered <ratio> x
//                                                the same with 30 % repeats anywhere
//                                                earlier in the file (the sort brings
//                                                them together)
//   BENCH rewrite_vs_copy_512mib_lookalikes <ratio> x
//                                                30 % look-alikes scattered the same
//                                                way, each another text only in its
//                                                last byte: every one read whole twice
//   BENCH ..._seconds <s> s                      the medians behind them
//   BENCH load_scan_34999 <ms> ms
//
// The rewrite side is the whole work of a folder: load, scan with the texts
// of the candidates compared, and the rewrite. Both sides read the old
// message file from the page cache (it was just written) and sync what they
// write, as the rewrite does. Each ratio is the median of the per-round
// ratios; the rounds alternate which side goes first.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/AppState.h"
#include "core/MessageFile.h"
#include "core/MessageFlag.h"
#include "duplicates/Duplicates.h"
#include "platform/File.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/NullPort.h"
#include "tests/support/TempDir.h"

using namespace kestrove;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// A text of about `size` bytes in lines of 78, of one letter.
std::string Text(std::size_t size, char letter) {
    std::string text(size, letter);
    for (std::size_t at = 76; at < size; at += 78) {
        text[at] = '\r';
        text[at + 1 < size ? at + 1 : at] = '\n';
    }
    return text;
}

enum class Repeats {
    Adjacent,    // every tenth repeats the one before it
    Scattered,   // three in ten repeat a message anywhere before them
    LookAlikes,  // three in ten have the fields of one before, another last byte
};

// `messages` texts of about `totalBytes` together, the repeats as given.
testing::FolderBuilder MakeFolder(int messages, std::int64_t totalBytes,
                                  Repeats repeats = Repeats::Adjacent) {
    testing::FolderBuilder f;
    const std::int64_t average = totalBytes / messages;
    std::vector<std::size_t> originals;
    for (int i = 0; i < messages; ++i) {
        if (repeats == Repeats::Adjacent && i % 10 == 9) {
            f.Add(f.messages().back());
            continue;
        }
        // 3, 6, 9 of every ten: one of the originals before them.
        if (repeats != Repeats::Adjacent && i % 10 != 0 && i % 3 == 0) {
            const std::size_t pick =
                static_cast<std::size_t>(std::int64_t{i} * 7919 + 12345) % originals.size();
            testing::MessageSpec m = f.messages()[originals[pick]];
            if (repeats == Repeats::LookAlikes)
                m.text.back() = static_cast<char>('!' + i % 60);  // no small letter
            f.Add(std::move(m));
            continue;
        }
        originals.push_back(f.messages().size());
        const auto size = static_cast<std::size_t>(average / 2 + (i * 7919) % average);
        f.Add(testing::Msg("Sender " + std::to_string(i), "Subject " + std::to_string(i % 97),
                           "1 Jan 24", i, Text(size, static_cast<char>('a' + i % 26)),
                           i % 3 == 0 ? kReadBit : 0));
    }
    return f;
}

double PlainCopy(const std::string& from, const std::string& to) {
    const auto start = Clock::now();
    auto in = platform::File::Open(from, platform::OpenMode::ReadBinary);
    auto out = platform::File::Open(to, platform::OpenMode::WriteBinary);
    std::vector<std::uint8_t> buffer(64 * 1024);
    while (std::size_t got = in->Read(buffer.data(), buffer.size()))
        out->Write(buffer.data(), got);
    out->Sync();
    out->Close();
    const double s = Seconds(start);
    platform::RemoveFile(to);
    return s;
}

// Puts the old pair back after a rewrite, for the next round.
void Restore(const std::string& index) {
    platform::RemoveFile(index);
    platform::RemoveFile(MessageFileName(index));
    platform::RenameNoReplace(BackupIndexFileName(index), index);
    platform::RenameNoReplace(BackupMessageFileName(index), MessageFileName(index));
}

void Compare(const char* name, const testing::FolderBuilder& folder, bool sortOn, int rounds) {
    testing::TempDir dir('B');
    const std::string index = dir / "BENCH.PMI";
    if (!folder.Write(index)) {
        std::fprintf(stderr, "cannot write the folder\n");
        return;
    }
    AppState state;
    testing::NullPort port;
    port.answer = [](const std::string& text, const std::string& title, Buttons) {
        std::fprintf(stderr, "unexpected box %s: %s\n", title.c_str(), text.c_str());
        return Answer::Cancel;
    };
    state.sortOn = sortOn;
    std::vector<double> ratios, rewrites, copies;
    for (int round = 0; round < rounds; ++round) {
        double copy = 0, rewrite = 0;
        for (int side = 0; side < 2; ++side) {
            if ((side == 0) == (round % 2 == 0)) {
                copy = PlainCopy(MessageFileName(index), dir / "COPY.PMM");
            } else {
                const auto start = Clock::now();
                LoadIndex(state, port, index, 0);
                FindDuplicates(state, port, index);
                if (RewriteFolder(state, port, index, 0) != FolderOutcome::Rewritten)
                    std::fprintf(stderr, "the rewrite did not complete\n");
                rewrite = Seconds(start);
                Restore(index);
            }
        }
        ratios.push_back(rewrite / copy);
        rewrites.push_back(rewrite);
        copies.push_back(copy);
    }
    std::printf("BENCH %s %.3f x\n", name, Median(ratios));
    std::printf("BENCH %s_rewrite_seconds %.3f s\n", name, Median(rewrites));
    std::printf("BENCH %s_copy_seconds %.3f s\n", name, Median(copies));
    std::fprintf(stderr, "%s: %d duplicates, %d look-alikes of %d\n", name, state.counts.dupes,
                 state.counts.lookalikes, state.counts.messages);
}

void LoadAndScan() {
    testing::TempDir dir('B');
    const std::string index = dir / "BIG.PMI";
    MakeFolder(MAXMSG - 1, 4 * 1024 * 1024).Write(index);
    AppState state;
    testing::NullPort port;
    std::vector<double> times;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        LoadIndex(state, port, index, 0);
        FindDuplicates(state, port, index);
        times.push_back(Seconds(start));
    }
    std::printf("BENCH load_scan_34999 %.1f ms\n", Median(times) * 1000);
}

}  // namespace

int main() {
    LoadAndScan();
    constexpr std::int64_t k512MiB = std::int64_t{512} * 1024 * 1024;
    Compare("rewrite_vs_copy", MakeFolder(MAXMSG - 1, 100'000'000), false, 5);
    Compare("rewrite_vs_copy_512mib", MakeFolder(20000, k512MiB), false, 5);
    Compare("rewrite_vs_copy_512mib_scattered", MakeFolder(20000, k512MiB, Repeats::Scattered),
            true, 5);
    // Look-alikes alone leave a folder as it is: one deleted message makes
    // the run rewrite it.
    testing::FolderBuilder lookAlikes = MakeFolder(20000, k512MiB, Repeats::LookAlikes);
    lookAlikes.messages().front().flags |= kDeletedBit;
    Compare("rewrite_vs_copy_512mib_lookalikes", lookAlikes, true, 5);
    return 0;
}
