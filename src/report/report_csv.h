// The table as CSV (romtool-report --csv): one row per station and day, RFC 4180, CR LF.
#pragma once

#include <string>

#include "report/tally.h"

namespace report {

// The header row and every row of tally.Rows(). Columns: title, station_folder, day, presses,
// boards, pass, fail, first_pass_yield_pct, final_yield_pct, cycle_median_ms, cycle_p95_ms,
// boards_per_hour (empty where a number has nothing to count).
std::string TableCsv(const Tally& tally);

}  // namespace report
