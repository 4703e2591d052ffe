// The operator's messages of the error codes, each a line that begins "ERROR:".
#pragma once

#include <string>

#include "station/check/check.h"
#include "station/settings/station_paths.h"
#include "station/settings/station_settings.h"
#include "tool/programmer.h"

namespace station {

// What the messages name besides the code: the paths and settings in use, and what the last
// check found (the refused path, the probe, the log folder's problem).
struct ErrorContext {
    const StationPaths& paths;
    const StationSettings& settings;
    const CheckResult& check;
};

// The message of code; "ERROR:未知错误" for a code without one (0 included). The message of 102
// has the probe query's run failure (CheckResult::probeRunFailure) as a line above it.
std::string ErrorText(int code, const ErrorContext& context);

// The message for a path no run may use (110): the check's and the option list's.
std::string RefusalMessage(const tool::RefusedPath& refused);

}  // namespace station
