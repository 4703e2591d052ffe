// The report's numbers, counted while the records stream past: the table of every station's
// days, the yield per fixture, the charts' series and the lists. Each statistic is its own
// aggregate (station_days.h, fixture_yields.h, press_counts.h, board_repeats.h, serial_checks.h);
// Tally numbers the stations, feeds every press to all of them and keeps the rows it could not
// read. Memory holds the table, not the rows: a day's cycle times and chip IDs are kept per
// station (and fixture) until the day ends, and beyond that only one 16-byte slot per distinct
// chip ID and the lists, each kept up to kListLimit entries and counted beyond.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "report/aggregate.h"
#include "report/board_repeats.h"
#include "report/fixture_yields.h"
#include "report/press_counts.h"
#include "report/record_reader.h"
#include "report/serial_checks.h"
#include "report/station_days.h"
#include "report/station_index.h"

namespace report {

class Tally : public RecordSink {
public:
    void OnPress(const Press& press) override;
    void OnBadRow(BadRow bad) override;
    // Ends the day being counted (also done by the first press of a later day).
    void EndDay();

    const std::vector<Station>& Stations() const { return stations_.Stations(); }
    // Station indices by title, then folder (byte order).
    std::vector<std::uint32_t> StationOrder() const { return stations_.Order(); }
    // The table: by station (StationOrder), then by day. Call EndDay first.
    std::vector<StationDayRow> Rows() const { return days_.Rows(stations_.Order()); }
    // Every station's fixtures over all days, by station (StationOrder). Call EndDay first.
    std::vector<FixtureYield> FixtureRows() const { return fixtures_.Rows(stations_.Order()); }

    std::uint64_t Presses() const { return presses_.Presses(); }
    const std::array<std::uint64_t, 24>& PassByHour() const { return hours_.Pass(); }
    const std::array<std::uint64_t, 24>& FailByHour() const { return hours_.Fail(); }
    // FAIL presses by error code (kNoCode for none).
    const std::map<int, std::uint64_t>& FailuresByCode() const { return failures_.ByCode(); }
    const std::vector<std::uint64_t>& CycleHistogram() const { return cycles_.Buckets(); }
    const std::map<std::uint64_t, RepeatedBoard>& RepeatedBoards() const {
        return repeats_.Listed();
    }
    std::uint64_t RepeatedBoardCount() const { return repeats_.Count(); }
    std::uint64_t ChipIds() const { return repeats_.ChipIds(); }
    const LimitedList<VoidedSerial>& Voided() const { return voided_.List(); }
    const LimitedList<SerialOutOfOrder>& OutOfOrder() const { return order_.List(); }
    const LimitedList<BadRow>& BadRows() const { return badRows_; }

private:
    std::array<Aggregate*, 9> Aggregates();

    StationIndex stations_;
    StationDays days_;
    FixtureYields fixtures_;
    PressCount presses_;
    HourlyPresses hours_;
    FailureCodes failures_;
    CycleTimes cycles_;
    BoardRepeats repeats_;
    VoidedSerials voided_;
    SerialOrder order_;
    LimitedList<BadRow> badRows_;
};

}  // namespace report
