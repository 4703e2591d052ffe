// Today's counts of this station, as the window shows them: "今日 PASS 123  FAIL 4  良率 96.9%"
// and the median time of today's passing runs. Counted from the day's record of this title when
// the program starts (so a restart keeps them) and kept as presses go; a new day starts again
// from its own record. A bench fixture's counts are of its own rows only, for its tile.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace station {

class DayCounts {
public:
    // fixture: count only the rows whose fixture column names it; none: every row of the title.
    explicit DayCounts(std::optional<std::string> fixture = std::nullopt)
        : fixture_(std::move(fixture)) {}

    // Counts the rows of title in the day's record at recordPath, when it is another record than
    // the one counted so far (the first call, a new day, another log folder).
    void Follow(const std::string& recordPath, const std::string& title);
    // A press whose row was just written: PASS with its run's time, or FAIL.
    void Add(bool pass, std::optional<std::chrono::milliseconds> runTime);
    // What the window shows.
    std::string Text() const;
    // What a fixture's tile shows, short enough for its line: "PASS 12  FAIL 1  92.3%".
    std::string TileText() const;

private:
    std::string YieldText() const;  // "92.3%", or "--" before the day's first press

    std::optional<std::string> fixture_;
    std::string counted_;  // the record the counts are of
    long long pass_ = 0;
    long long fail_ = 0;
    std::vector<long long> passTimesMs_;  // the runs of today's passes
};

}  // namespace station
