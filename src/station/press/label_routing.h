// One scanner for a bench of fixtures: which fixture a scanned label goes to. The fixture that
// waits for one is the one whose board arrived first among those with a board and no label;
// with no board waiting, the first Ready fixture without a label (scan, then place the board).
// A label in flight at one fixture is refused at every other: one board is never in two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace station {

// One fixture as the scanner sees it.
struct LabelSeat {
    bool ready = false;  // its check passed and no press of it runs
    // When a new board settled in it (any increasing count); none without a board waiting.
    std::optional<std::uint64_t> boardSince;
    std::string label;  // the label in flight at it (scanned, or in its running press); "" none
};

struct LabelRoute {
    std::optional<std::size_t> fixture;  // where the label goes; none when no fixture waits
    std::optional<std::size_t> holder;   // the fixture the label is in flight at already
};

// The fixture that waits for the next label (the highlighted tile); none when none does.
std::optional<std::size_t> LabelWaiter(const std::vector<LabelSeat>& seats);
// Where a scanned label goes: refused (holder set, no fixture) when it is in flight already.
LabelRoute RouteLabel(const std::vector<LabelSeat>& seats, const std::string& label);

}  // namespace station
