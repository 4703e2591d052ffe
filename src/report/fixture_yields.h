// The aggregate of the yield per fixture: every station's fixtures (the record's fixture column,
// empty at a one-fixture station) counted as the table counts a station, over all days. A board's
// first press at a fixture that day is its first pass there, so a fixture with a worn probe shows
// as the one with the low yield; a station's rows without a fixture give the station's own numbers.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/aggregate.h"
#include "report/station_days.h"

namespace report {

// One station's fixture over every day read.
struct FixtureYield {
    std::uint32_t station = 0;  // index into the stations
    std::string fixture;        // "" for the rows without one
    std::uint64_t presses = 0, boards = 0, firstPassBoards = 0;
};

class FixtureYields : public Aggregate {
public:
    void Update(const StationPress& row) override;
    void Finish() override { days_.Finish(); }
    // The fixtures by station (in the order of stationOrder, indices), then by name (byte order).
    std::vector<FixtureYield> Rows(const std::vector<std::uint32_t>& stationOrder) const;

private:
    using Key = std::pair<std::uint32_t, std::string>;  // station, fixture
    std::uint32_t IndexOf(std::uint32_t station, std::string_view fixture);

    std::map<Key, std::uint32_t> index_;  // a fixture's index in days_
    Key last_;                            // the last press's fixture, looked up without the map
    std::uint32_t lastIndex_ = 0;
    bool haveLast_ = false;
    StationDays days_;  // by the fixture's index, as if each fixture were a station
};

}  // namespace report
