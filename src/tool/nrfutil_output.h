// Reading what `nrfutil --json device ...` prints: one JSON object per line, of which the
// task_end lines carry each task's result. Pure functions over the captured text; they never
// throw. Lines that are not JSON objects (warnings, error texts, broken or cut lines) are kept
// apart as text; unknown fields and message types are ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tool {

// The J-Link probes an `nrfutil --json device list` run listed.
struct JLinkListing {
    // True when a task_end line carried a device list (data.data.devices), even an empty one.
    // False when the output holds no device list at all (an error text, a broken run): the
    // station then shows the output as it came.
    bool hasDeviceList = false;
    // The serial numbers of the listed devices whose traits.jlink is true, leading zeros dropped
    // ("001051810810" gives "1051810810"), in the order listed, each once. A serial number that
    // is not a string of decimal digits is left out, so no text can pose as a listed probe.
    std::vector<std::string> serials;
};

// The J-Link serials of a device list run's output. Only task_end lines are read: the info line
// that follows repeats the same devices.
JLinkListing ReadJLinkSerials(std::string_view output);

// True when one nrfutil step succeeded: its exit code is 0, at least one task_end line exists,
// every task_end says "result":"success", and no line holds "ERROR:" or "Error:". A task_end
// with any other result (fail, a value not known, none) fails the step, and so does a run that
// printed no task_end at all: what nrfutil prints while programming is not fully known, so
// anything but a clear success counts as failure.
bool NrfutilStepPassed(std::string_view output, int exitCode);

// The operator's account of one step, lines separated by "\n":
//   the command as run;
//   for each task that ended, "  <description>: <message>" on success, or
//   "  <description>: failed: <error description> (code <n>)" otherwise;
//   "  <description>: did not end" for each task that began and never ended;
//   "  no task reported its end" when no task_end came at all;
//   "  exit code <n>" when the exit code is not 0;
//   then every non-blank line that was not a JSON message, as it came.
// Progress lines and messages of other types are left out.
std::string NrfutilStepAccount(std::string_view command, std::string_view output, int exitCode);

}  // namespace tool
