#include "station/press/autostart_watch.h"

#include <utility>

namespace station {

void AutostartWatch::Restart(std::chrono::milliseconds settle) {
    settle_ = settle;
    emptySeen_ = false;
    boardSince_.reset();
}

AutostartWatch::Action AutostartWatch::Look(tool::Presence seen, Clock::time_point now) {
    switch (seen) {
        case tool::Presence::kNoProbe:
            Restart(settle_);
            return Action::kProbeGone;
        case tool::Presence::kNoBoard:
            boardSince_.reset();  // gone again during the settle time
            return std::exchange(emptySeen_, true) ? Action::kWait : Action::kEmptied;
        case tool::Presence::kBoard:
        case tool::Presence::kProtected:
            break;
    }
    if (!emptySeen_) {
        return Action::kWait;  // there since the waiting began
    }
    if (!boardSince_) {
        boardSince_ = now;
    }
    if (now - *boardSince_ < settle_) {
        return Action::kWait;
    }
    Restart(settle_);  // pressed once: the board must leave before the next press
    return Action::kFound;
}

}  // namespace station
