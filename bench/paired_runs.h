// Paired runs, for benchmarks whose anchor is another program: our side and the anchor timed back
// to back, the order swapped from pair to pair, so that other work on a shared machine slows both
// alike. scripts/bench reads the records they print and sets each pair's two times side by side.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bench {

// One side of a pair: the name its records carry and one run of it, which returns the run's
// figure in seconds (most often how long it took: see Timed) and throws std::runtime_error when
// the run went wrong.
struct Side {
    std::string name;
    std::function<double()> run;
};

// A run whose figure is how long it takes.
std::function<double()> Timed(std::function<void()> run);

// The figures of count pairs, each side's pair by pair.
struct PairedTimes {
    std::vector<double> ours;
    std::vector<double> anchor;
};

// Runs count pairs, the first with ours first, and prints every run's figure as a record
// "<samplePrefix><pair number> <side's name> <seconds>" on standard output.
PairedTimes RunPairs(const Side& ours, const Side& anchor, int count,
                     const std::string& samplePrefix);

// Prints one record "<sample> <name> <value>".
void PrintRecord(const std::string& sample, const std::string& name, double value);

}  // namespace bench
