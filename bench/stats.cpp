// Sender statistics over an index whose every record has its own sender:
// the time for 35,000 records, and the ratio against half as many, which
// stays near 2 when finding a sender does not depend on how many there are
// (a little above 2 with the final sort, which is n log n).

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

// One Get Stats over the index at `path`, in milliseconds; -1 when it failed.
double TimeOnce(const std::string& path, int records, int sortOn) {
    AppState state;
    state.ListBox1.Add(path);
    bench::NullPort port;
    StatsView view;
    view.sortOn = sortOn;
    auto start = std::chrono::steady_clock::now();
    bool shown = BtnGetStatsClick(state, port, view, {});
    auto end = std::chrono::steady_clock::now();
    if (!shown || view.RowCount() != records + 1)
        return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

std::string WriteIndex(const testing::TempDir& dir, int records) {
    std::string name = std::to_string(records);
    name += ".PMI";
    const std::string path = dir / name;
    return testing::WriteFileBytes(path, MakeIndex(records)) ? path : std::string();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    testing::TempDir dir('D');
    const int full = MAXMSG, half = MAXMSG / 2;
    const std::string fullPath = WriteIndex(dir, full), halfPath = WriteIndex(dir, half);
    // The two sizes take turns; the ratios are of the fastest runs, which a
    // busy machine disturbs least. Sort choice 0 is the window's default
    // ("From"); 9 leaves the table unsorted, which times the counting alone.
    std::vector<double> fullTimes, halfTimes, fullCounts, halfCounts;
    for (int run = 0; run < 15; ++run) {
        const double h = TimeOnce(halfPath, half, 0);
        const double f = TimeOnce(fullPath, full, 0);
        const double hc = TimeOnce(halfPath, half, 9);
        const double fc = TimeOnce(fullPath, full, 9);
        if (h <= 0 || f < 0 || hc <= 0 || fc < 0) {
            std::fprintf(stderr, "the statistics did not run\n");
            return 1;
        }
        halfTimes.push_back(h);
        fullTimes.push_back(f);
        halfCounts.push_back(hc);
        fullCounts.push_back(fc);
    }
    auto fastest = [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    };
    std::printf("BENCH stats_35000_distinct %.1f ms\n", Median(fullTimes));
    std::printf("BENCH stats_17500_distinct %.1f ms\n", Median(halfTimes));
    std::printf("BENCH stats_scaling_ratio %.2f x\n", fastest(fullTimes) / fastest(halfTimes));
    std::printf("BENCH stats_unsorted_scaling_ratio %.2f x\n",
                fastest(fullCounts) / fastest(halfCounts));
    return 0;
}
