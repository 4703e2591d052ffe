#include "station/press/autostart_watch.h"

namespace station {

void AutostartWatch::Restart(std::chrono::milliseconds settle, std::chrono::milliseconds absent) {
    settle_ = settle;
    absent_ = absent;
    away_ = false;
    emptySince_.reset();
    boardSince_.reset();
}

AutostartWatch::Action AutostartWatch::Look(tool::Presence seen, Clock::time_point now) {
    switch (seen) {
        case tool::Presence::kNoProbe:
            Restart(settle_, absent_);
            return Action::kProbeGone;
        case tool::Presence::kNoBoard:
            boardSince_.reset();  // gone again during the settle time
            emptySince_ = emptySince_.value_or(now);
            if (away_ || now - *emptySince_ < absent_) {
                return Action::kWait;
            }
            away_ = true;
            return Action::kEmptied;
        case tool::Presence::kBoard:
        case tool::Presence::kProtected:
            break;
    }
    emptySince_.reset();
    if (!away_) {
        return Action::kWait;  // there since the waiting began, or away for too short a time
    }
    if (!boardSince_) {
        boardSince_ = now;
    }
    if (now - *boardSince_ < settle_) {
        return Action::kWait;
    }
    Restart(settle_, absent_);  // pressed once: the board must leave before the next press
    return Action::kFound;
}

}  // namespace station
