// The report's numbers, counted while the records stream past: the table of every station's
// days, the charts' series and the lists. Memory holds the table, not the rows: a day's cycle
// times and chip IDs are kept per station until the day ends (the files come in day order), and
// beyond that only one 16-byte slot per distinct chip ID (to find boards programmed more than
// once) and the lists, each kept up to kListLimit entries and counted beyond.
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

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "board_table.h"
#include "day.h"
#include "record_reader.h"

namespace report {

inline constexpr std::size_t kListLimit = 1000;
// The cycle-time histogram's buckets: 10 ms each up to 300 s (the programming run's limit);
// longer runs fall in the last.
inline constexpr std::uint32_t kBucketMs = 10;
inline constexpr std::size_t kBuckets = 30000 + 1;

struct Station {
    std::string title;  // UTF-8, repaired
    std::string folder;
};

// One row of the table: a station's day.
struct DayRow {
    std::uint32_t station = 0;  // index into Stations()
    Day day;
    std::uint64_t presses = 0, pass = 0, fail = 0;
    std::uint64_t boards = 0, firstPassBoards = 0, finalPassBoards = 0;
    std::uint64_t boardsWithId = 0;  // of boards, those known by chip ID
    std::optional<std::uint32_t> medianMs, p95Ms;
    std::uint32_t activeHours = 0;  // clock hours with a press
};

struct RepeatedBoard {
    std::uint64_t id = 0;
    std::uint32_t presses = 0, passes = 0;
    std::uint32_t firstMinute = 0, lastMinute = 0;
    std::vector<std::uint32_t> stations;  // in the order first met
};

struct VoidedSerial {
    std::uint64_t serial = 0;
    std::uint32_t station = 0;
    std::string time;
    int errorCode = -1;
};

struct SerialOutOfOrder {
    std::uint64_t serial = 0, previous = 0;
    std::uint32_t station = 0;
    std::string time;
};

// A list kept up to kListLimit entries, counting all.
template <typename T>
struct LimitedList {
    std::vector<T> items;
    std::uint64_t total = 0;
    void Add(T item) {
        ++total;
        if (items.size() < kListLimit) {
            items.push_back(std::move(item));
        }
    }
};

class Tally : public RecordSink {
public:
    void OnPress(const Press& press) override;
    void OnBadRow(BadRow bad) override;
    // Ends the day being counted (also done by the first press of a later day).
    void EndDay();

    const std::vector<Station>& Stations() const { return stations_; }
    // Station indices by title, then folder (byte order).
    std::vector<std::uint32_t> StationOrder() const;
    // The table: by station (StationOrder), then by day. Call EndDay first.
    std::vector<DayRow> Rows() const;

    std::uint64_t Presses() const { return presses_; }
    const std::array<std::uint64_t, 24>& PassByHour() const { return passByHour_; }
    const std::array<std::uint64_t, 24>& FailByHour() const { return failByHour_; }
    // FAIL presses by error code (kNoCode for none).
    const std::map<int, std::uint64_t>& FailuresByCode() const { return failuresByCode_; }
    const std::vector<std::uint64_t>& CycleHistogram() const { return histogram_; }
    const std::map<std::uint64_t, RepeatedBoard>& RepeatedBoards() const { return repeated_; }
    std::uint64_t RepeatedBoardCount() const { return repeatedCount_; }
    std::uint64_t ChipIds() const { return boardTable_.Size(); }
    const LimitedList<VoidedSerial>& Voided() const { return voided_; }
    const LimitedList<SerialOutOfOrder>& OutOfOrder() const { return outOfOrder_; }
    const LimitedList<BadRow>& BadRows() const { return badRows_; }

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
    };
    struct StationState {
        std::optional<std::uint64_t> lastSerial;
    };

    std::uint32_t StationOf(std::string_view title, std::string_view folder);
    void CountBoard(const Press& press, std::uint32_t station);
    void CountSerial(const Press& press, std::uint32_t station);

    std::vector<Station> stations_;
    std::map<std::pair<std::string, std::string>, std::uint32_t> stationIndex_;
    std::string lastTitle_, lastFolder_;  // the last press's station, looked up without the map
    std::uint32_t lastStation_ = 0;
    bool haveLast_ = false;

    std::optional<Day> day_;
    std::vector<DayState> days_;  // by station, for day_
    std::vector<StationState> states_;
    std::vector<DayRow> rows_;

    std::uint64_t presses_ = 0;
    std::array<std::uint64_t, 24> passByHour_{}, failByHour_{};
    std::map<int, std::uint64_t> failuresByCode_;
    std::vector<std::uint64_t> histogram_ = std::vector<std::uint64_t>(kBuckets);
    BoardTable boardTable_;
    std::map<std::uint64_t, RepeatedBoard> repeated_;
    std::uint64_t repeatedCount_ = 0;
    LimitedList<VoidedSerial> voided_;
    LimitedList<SerialOutOfOrder> outOfOrder_;
    LimitedList<BadRow> badRows_;
};

// The smallest value that at least percent % of values do not exceed (nearest rank); none for
// no values. Reorders values.
std::optional<std::uint32_t> NearestRank(std::vector<std::uint32_t>& values, unsigned percent);

}  // namespace report
