#pragma once
// What the window benchmarks share: a large folder of realistic texts and
// the statistics of repeated timings.

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "core/MessageFlag.h"
#include "tests/support/FolderBuilder.h"

namespace kestrove::bench {

using Clock = std::chrono::steady_clock;

// `records` messages of 2 to 10 KB from 500 senders; every nth repeats the
// one before.
inline testing::FolderBytes BigFolder(int records, int everyNthRepeats) {
    testing::FolderBuilder folder;
    for (int i = 0; i < records; ++i) {
        const int n =
            (everyNthRepeats > 0 && i % everyNthRepeats == everyNthRepeats - 1) ? i - 1 : i;
        std::string text = "From: sender" + std::to_string(n % 500) +
                           "@example.org\r\nSubject: Message " + std::to_string(n) + "\r\n\r\n" +
                           std::string(static_cast<std::size_t>(2000 + (n * 7919) % 8000), 'x') +
                           "\r\n";
        folder.Add(testing::Msg("sender" + std::to_string(n % 500) + "@example.org",
                                "Message " + std::to_string(n), "01 Mar 2024 10:00", 100000 + n,
                                std::move(text), kReadBit));
    }
    return folder.Build();
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The mean of the fastest third: what the work costs when nothing else on
// the machine gets in its way (other work only ever adds time).
inline double Fastest(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = std::max<std::size_t>(1, v.size() / 3);
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += v[i];
    return sum / static_cast<double>(n);
}

inline double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace kestrove::bench
