// What the window shows while the programmer works: the tool's newest output as it arrives, or a
// text of the station's own in its place, and the seconds since the display began. The verdict
// replaces the text afterwards; the seconds go when the display ends, on every way out.
#pragma once

#include <chrono>
#include <string>

#include "station/run/run_observer.h"
#include "tool/run_command.h"

namespace station {

class RunDisplay {
public:
    explicit RunDisplay(RunObserver& observer);
    ~RunDisplay();
    RunDisplay(const RunDisplay&) = delete;
    RunDisplay& operator=(const RunDisplay&) = delete;

    // Shows text now, and from then on in place of the tool's output (which is then not for the
    // operator's eyes, e.g. JSON lines).
    void ShowInstead(const std::string& text);
    // Called while a tool runs: its newest output when it came, and the elapsed seconds.
    void Update(const tool::RunProgress& progress);

private:
    RunObserver& observer_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    long long shownSeconds_ = -1;
    bool ownText_ = false;
};

}  // namespace station
