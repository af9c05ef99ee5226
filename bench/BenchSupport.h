#pragma once
// What the window benchmarks share: a large folder of realistic texts and
// the statistics of repeated timings.

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
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

// The fastest times of a reference and of the thing measured against it.
struct Comparison {
    double reference = 0;
    double measured = 0;
};

// Times `reference` and `measured` `rounds` times each, alternating which goes
// first so that the disk's moods fall on both alike. `prepare` runs untimed
// before each; `check` after each round, and false ends the comparison.
inline std::optional<Comparison> CompareAlternately(int rounds,
                                                    const std::function<void()>& prepare,
                                                    const std::function<void()>& reference,
                                                    const std::function<void()>& measured,
                                                    const std::function<bool()>& check) {
    std::vector<double> referenceTimes, measuredTimes;
    auto timed = [&](const std::function<void()>& work, std::vector<double>& times) {
        prepare();
        const auto t0 = Clock::now();
        work();
        times.push_back(Seconds(Clock::now() - t0));
    };
    for (int round = 0; round < rounds; ++round) {
        if (round % 2 == 0) {
            timed(reference, referenceTimes);
            timed(measured, measuredTimes);
        } else {
            timed(measured, measuredTimes);
            timed(reference, referenceTimes);
        }
        if (!check())
            return std::nullopt;
    }
    return Comparison{Fastest(referenceTimes), Fastest(measuredTimes)};
}

}  // namespace kestrove::bench
