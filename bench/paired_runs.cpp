#include "paired_runs.h"

#include <chrono>
#include <cstdio>
#include <utility>

namespace bench {

std::function<double()> Timed(std::function<void()> run) {
    return [run = std::move(run)] {
        const auto start = std::chrono::steady_clock::now();
        run();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
}

PairedTimes RunPairs(const Side& ours, const Side& anchor, int count,
                     const std::string& samplePrefix) {
    PairedTimes times;
    for (int pair = 1; pair <= count; ++pair) {
        double oursSeconds = 0;
        double anchorSeconds = 0;
        if (pair % 2 == 1) {
            oursSeconds = ours.run();
            anchorSeconds = anchor.run();
        } else {
            anchorSeconds = anchor.run();
            oursSeconds = ours.run();
        }
        const std::string sample = samplePrefix + std::to_string(pair);
        PrintRecord(sample, ours.name, oursSeconds);
        PrintRecord(sample, anchor.name, anchorSeconds);
        times.ours.push_back(oursSeconds);
        times.anchor.push_back(anchorSeconds);
    }
    return times;
}

void PrintRecord(const std::string& sample, const std::string& name, double value) {
    std::printf("%s %s %.9g\n", sample.c_str(), name.c_str(), value);
    std::fflush(stdout);
}

}  // namespace bench
