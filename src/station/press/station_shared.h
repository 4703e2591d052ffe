// What every fixture of a bench shares, one of each: the record's appender, the day's counts, the
// passed-chip and passed-label indexes, the factory database's service and the MES's. A
// one-fixture station has its own. The mutex guards them and the serial numbers' store; it is
// held for a row's append, a number's reservation or settling, an index's look, never across a
// tool run.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "station/press/day_counts.h"
#include "station/press/passed_chips.h"
#include "station/press/passed_labels.h"
#include "station/press/record_appender.h"

namespace database {
class StationDatabase;
}
namespace mes {
class StationMes;
}  // namespace mes

namespace station {

struct StationShared {
    explicit StationShared(const std::string& title);
    ~StationShared();
    StationShared(const StationShared&) = delete;
    StationShared& operator=(const StationShared&) = delete;

    // Recursive: a reservation that voids a number cut off writes that number's row.
    std::recursive_mutex mutex;
    ProductionRecordFile record;
    PassedChips passedChips;
    PassedLabels passedLabels;
    DayCounts dayCounts;
    std::unique_ptr<mes::StationMes> mes;  // with [mes]
    // Last, so that it is gone, with its worker, before anything it tells the station of.
    std::unique_ptr<database::StationDatabase> database;
};

}  // namespace station
