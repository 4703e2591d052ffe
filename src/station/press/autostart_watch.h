// When a press starts by itself: the station looks at its fixture again and again while it is
// Ready and idle, and a board that appears (no board at earlier looks for at least the absent
// time, a board now) starts the press once it has stayed there for the settle time. A board that
// was there when the waiting began, or that stays after its verdict, is never pressed: the next
// press needs it gone first, for the absent time, so that a contact that bounces (a pogo pin, a
// board pushed by a hand: "no board" for a look or two) never presses the same board again.
// A board swapped for another between two looks (0.5 s apart) is not seen as new either: the
// cheapest look tells that a chip answers, not which one.
#pragma once

#include <chrono>
#include <optional>

#include "tool/board_presence.h"

namespace station {

class AutostartWatch {
public:
    using Clock = std::chrono::steady_clock;

    enum class Action {
        kWait,     // look again later
        kEmptied,  // the fixture has been empty for the absent time, first since the waiting began
        kFound,    // a new board has settled: press now
        kProbeGone,  // the probe stopped answering: the waiting ends until a check passes
    };

    // The waiting starts (again): whatever is in the fixture now is not new. The fixture must be
    // empty at every look for absent, then a new board stay for settle, before it is pressed.
    void Restart(std::chrono::milliseconds settle, std::chrono::milliseconds absent);
    // The answer of one look at the fixture, taken at now.
    Action Look(tool::Presence seen, Clock::time_point now);
    // True from the look that saw a new board until it settles or leaves.
    bool Settling() const { return boardSince_.has_value(); }

private:
    std::chrono::milliseconds settle_{0};
    std::chrono::milliseconds absent_{0};
    bool away_ = false;  // no board at the looks of an absent time since the waiting began
    std::optional<Clock::time_point> emptySince_;  // the first look of no board, in a row
    std::optional<Clock::time_point> boardSince_;  // when the new board was first seen
};

}  // namespace station
