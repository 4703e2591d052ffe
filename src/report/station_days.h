// The table's aggregate: each station's day, counted while its presses stream past and closed
// into a row when the day ends (the files come in day order). A day's cycle times and chip IDs
// are kept per station only until then.
//
// Definitions (also in the README, "The line at a glance"):
// - A board is a chip ID where the row records one; a press without one (a record from before
//   chip IDs, or a press that failed before the chip was read) is a board of its own.
// - Within a station's day: first-pass yield is the share of its boards whose first press that
//   day passed; final yield the share whose last press that day passed.
// - Cycle time: run_ms of the passing presses. Median and 95th percentile by nearest rank: the
//   smallest time that at least half (95 %) of them do not exceed.
// - Boards per hour: boards divided by the clock hours of the day in which the station pressed.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "report/aggregate.h"
#include "report/day.h"

namespace report {

// One row of the table: a station's day.
struct StationDayRow {
    std::uint32_t station = 0;  // index into Stations()
    Day day;
    std::uint64_t presses = 0, pass = 0, fail = 0;
    std::uint64_t boards = 0, firstPassBoards = 0, finalPassBoards = 0;
    std::uint64_t boardsWithId = 0;  // of boards, those known by chip ID
    std::optional<std::uint32_t> medianMs, p95Ms;
    std::uint32_t activeHours = 0;  // clock hours with a press
};

class StationDays : public Aggregate {
public:
    // A press of a later day than the last ends that day first.
    void Update(const StationPress& row) override;
    // Ends the day being counted.
    void Finish() override;
    // The rows of the days ended: by station in order (indices), then by day.
    std::vector<StationDayRow> Rows(const std::vector<std::uint32_t>& order) const;

private:
    // A station's counts for the day being read.
    struct DayState {
        bool touched = false;
        std::uint64_t presses = 0, pass = 0, fail = 0;
        std::uint64_t boardsWithoutId = 0, passWithoutId = 0;
        std::uint32_t hourMask = 0;
        std::vector<std::uint32_t> runs;  // run_ms of passing presses
        // Chip ID -> bit 0: its first press passed, bit 1: its last press passed.
        std::unordered_map<std::uint64_t, std::uint8_t> boards;

        void Add(const Press& press);
        void AddBoard(const Press& press);
        StationDayRow Row(std::uint32_t station, Day day);  // reorders runs
        void Clear();  // ready for another day, keeping the room
    };

    std::optional<Day> day_;
    std::vector<DayState> days_;       // by station, for day_
    std::vector<StationDayRow> rows_;  // of the days ended, in the order they ended
};

// The smallest value that at least percent % of values do not exceed (nearest rank); none for
// no values. Reorders values.
std::optional<std::uint32_t> NearestRank(std::vector<std::uint32_t>& values, unsigned percent);

}  // namespace report
