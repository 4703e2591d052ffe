// The production record's row of one press of the start button.
#pragma once

#include <optional>
#include <string>

#include "record/production_record.h"
#include "station/check/check.h"
#include "station/run/programming_run.h"
#include "station/settings/station_paths.h"

namespace station {

// The row from what the press found: its check and, when it got that far, its run; without a
// run, its verdict's code (the check's, or the press's own refusal). raised: an error ended the
// press, so its row says FAIL without a code. The time is stamped when the row is written.
record::ProductionRecord RecordOfPress(const std::string& title, const StationPaths& paths,
                                       const CheckResult& check, bool erase,
                                       const std::optional<RunResult>& run, int verdictCode,
                                       bool raised);

}  // namespace station
