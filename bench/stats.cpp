// Sender statistics over an index whose every record has its own sender:
// the time for 35,000 records, and the ratio against half as many, which
// stays near 2 when finding a sender does not depend on how many there are.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/BenchPort.h"
#include "reports/Stats.h"
#include "tests/support/FolderBuilder.h"
#include "tests/support/TempDir.h"

using namespace kestrove;

namespace {

std::vector<std::uint8_t> MakeIndex(int records) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(records) * kRecordSize, 0);
    for (int i = 0; i < records; ++i) {
        std::uint8_t* r = &bytes[static_cast<std::size_t>(i) * kRecordSize];
        const std::string from = "Sender Number " + std::to_string(i) + "@example.com";
        std::memcpy(r + rec::kFrom, from.data(), std::min(from.size(), rec::kFromWidth));
        PutI32(r + rec::kFsize, 1000 + i % 5000);
    }
    return bytes;
}

// The median time of a Get Stats over `records` records, in milliseconds.
double Median(const testing::TempDir& dir, int records) {
    std::string name = std::to_string(records);
    name += ".PMI";
    const std::string index = dir / name;
    if (!testing::WriteFileBytes(index, MakeIndex(records)))
        return -1;
    AppState state;
    state.ListBox1.Add(index);
    bench::NullPort port;
    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
        StatsView view;
        auto start = std::chrono::steady_clock::now();
        bool shown = BtnGetStatsClick(state, port, view, {});
        auto end = std::chrono::steady_clock::now();
        if (!shown || view.RowCount() != records + 1)
            return -1;
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    testing::TempDir dir('D');
    const double full = Median(dir, MAXMSG);
    const double half = Median(dir, MAXMSG / 2);
    if (full < 0 || half <= 0) {
        std::fprintf(stderr, "the statistics did not run\n");
        return 1;
    }
    std::printf("BENCH stats_35000_distinct %.1f ms\n", full);
    std::printf("BENCH stats_17500_distinct %.1f ms\n", half);
    std::printf("BENCH stats_scaling_ratio %.2f x\n", full / half);
    return 0;
}
