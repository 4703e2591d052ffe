// The report's tables as CSV, RFC 4180, CR LF: the stations' days (romtool-report --csv) and the
// yield per fixture (--fixture-csv).
#pragma once

#include <string>

#include "report/tally.h"

namespace report {

// The header row and every row of tally.Rows(). Columns: title, station_folder, day, presses,
// boards, pass, fail, first_pass_yield_pct, final_yield_pct, cycle_median_ms, cycle_p95_ms,
// boards_per_hour (empty where a number has nothing to count).
std::string TableCsv(const Tally& tally);
// The yield per fixture (romtool-report --fixture-csv): the header row and every row of
// tally.FixtureRows(). Columns: title, station_folder, fixture (empty at a one-fixture station),
// presses, boards, first_pass_yield_pct.
std::string FixtureCsv(const Tally& tally);

}  // namespace report
