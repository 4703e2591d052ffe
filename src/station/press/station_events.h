// What the station tells whoever presents it while it works, on the calling thread: the points of
// a check and a press at which the window changes. The station runs without any window; the form
// implements these by painting its own.
#pragma once

#include <string>

#include "station/press/press_outcome.h"
#include "station/run/run_observer.h"
#include "station/run/verdict.h"

namespace station {

class StationEvents : public RunObserver {
public:
    // config.ini was read again: the command template Edit_Para shows.
    virtual void SettingsRead(const std::string& commandTemplate) = 0;
    // The factory database's state, for Label_Database; called only once config.ini has named
    // a database or a pool.
    virtual void DatabaseStateRead(const std::string& text) = 0;
    // A check begins: the verdict of the one before is cleared.
    virtual void CheckStarting() = 0;
    // The check passed and the board's number is reserved: the programmer starts now.
    virtual void RunStarting() = 0;
    // A verdict was reached: it is painted, shown and logged now, before the press's row.
    virtual void VerdictReached(const Verdict& verdict) = 0;
    // A press ended, also when an error ended it: its row is written and its number settled.
    virtual void PressFinished(const PressOutcome& outcome) = 0;
};

}  // namespace station
