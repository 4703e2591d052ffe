// Today's counts of this station, as the window shows them: "今日 PASS 123  FAIL 4  良率 96.9%"
// and the median time of today's passing runs. Counted from the day's record of this title when
// the program starts (so a restart keeps them) and kept as presses go; a new day starts again
// from its own record.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace station {

class DayCounts {
public:
    // Counts the rows of title in the day's record at recordPath, when it is another record than
    // the one counted so far (the first call, a new day, another log folder).
    void Follow(const std::string& recordPath, const std::string& title);
    // A press whose row was just written: PASS with its run's time, or FAIL.
    void Add(bool pass, std::optional<std::chrono::milliseconds> runTime);
    // What the window shows.
    std::string Text() const;

private:
    std::string counted_;  // the record the counts are of
    long long pass_ = 0;
    long long fail_ = 0;
    std::vector<long long> passTimesMs_;  // the runs of today's passes
};

}  // namespace station
