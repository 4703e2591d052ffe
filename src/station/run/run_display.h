// What the window shows while the programmer works: the tool's newest output as it arrives, or a
// text of the station's own in its place, and the seconds since the display began, followed by
// the step and percentage of the tool's newest progress where the tool reports it ("已运行 12 秒
// 步骤 2/3 45%"). The verdict replaces the text afterwards; the seconds and the progress go when
// the display ends, on every way out.
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
    // Called as each tool run starts: the progress of the one before is gone, and the new run's
    // output is read for progress only when it is nrfutil's JSON (nrfjprog reports none).
    void BeginToolRun(bool readsNrfutilProgress);
    // Called while a tool runs: its newest output when it came, and the elapsed seconds.
    void Update(const tool::RunProgress& progress);

private:
    void ShowElapsed();

    RunObserver& observer_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::string shownElapsed_;
    std::string progressText_;  // "" while the tool has reported none
    int percent_ = -1;          // the tool's newest percentage; -1 while it reported none
    bool ownText_ = false;
    bool readsProgress_ = false;
};

}  // namespace station
