// The charts' data, as one JSON object for the page's script: presses per hour of the day (PASS
// and FAIL), failures by code with their meanings and cumulative share (Pareto), the cycle-time
// histogram, the yield per station and the first-pass yield per fixture.
#pragma once

#include <string>
#include <vector>

#include "report/tally.h"

namespace report {

// The histogram as shown: bars of one width, chosen so that the populated range takes at most
// kMostBars bars, each labelled with its lower bound.
inline constexpr std::size_t kMostBars = 40;
struct ShownHistogram {
    std::vector<std::string> labels;
    std::vector<std::uint64_t> counts;
    std::uint32_t barMs = 0;
};
ShownHistogram ShowHistogram(const std::vector<std::uint64_t>& buckets);

// The JSON object, safe inside a <script> element.
std::string ChartDataJson(const Tally& tally);

// "title — folder" for a station's label.
std::string StationLabel(const Station& station);

}  // namespace report
