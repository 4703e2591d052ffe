// A bench: the fixtures config.ini names ([fixture1] ... [fixture8]), each a Station of its own
// bound to its own probe, sharing one StationShared. Each fixture's press (and its autostart
// look) runs on a thread of its own, so the fixtures program side by side and the window's
// thread never waits for a run: what a fixture's station tells while it works is queued as
// events, the window is asked to take them (post), and takes them on its own thread.
//
// Why threads: the press is synchronous code around RunCommand (check, reserve, run, record,
// settle); a thread per fixture keeps it exactly as the one-fixture station runs it. One loop
// over every child's pipe would rewrite the runner and the press around it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "station/press/autostart_watch.h"
#include "station/press/press_outcome.h"
#include "station/press/station.h"
#include "station/settings/fixture_settings.h"

namespace station {

// What a fixture's station told, for the window's thread.
struct BenchEvent {
    enum class Kind {
        kOutput,         // text: the running tool's newest output
        kElapsed,        // text: how long the run has lasted ("12 s"; "" once ended); percent
        kCheckStarting,  // its press's check begins
        kRunStarting,    // its programmer starts now
        kVerdict,        // verdict reached
        kFinished,       // the press ended: outcome; text: the error that ended it, if one did
        kLooked,         // an autostart look ended: action
        kChecked,        // a check ended; text: the error that ended it, if one did
    };
    BenchEvent(std::size_t fixture, Kind kind) : fixture(fixture), kind(kind) {}
    std::size_t fixture = 0;
    Kind kind = Kind::kOutput;
    std::string text;
    Verdict verdict;
    PressOutcome outcome;
    AutostartWatch::Action action = AutostartWatch::Action::kWait;
    int percent = -1;  // the tool's progress while it runs; -1: none reported
};

class Bench {
public:
    // post: called on a fixture's thread after it queued events; it must only ask the window's
    // thread to call TakeEvents soon. databaseChanged: as Station's.
    // shared: what the fixtures share with the one-fixture station of the same folder (one
    // record appender, one database worker).
    Bench(std::string executablePath, std::function<void()> databaseChanged,
          std::function<void()> post, std::shared_ptr<StationShared> shared);
    // Waits for every fixture's run to end.
    ~Bench();
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    // The fixtures config.ini names now; a fixture whose settings did not change keeps its
    // station. Only while none runs (WaitAll first).
    void Configure(const std::vector<FixtureSettings>& fixtures);
    std::size_t Count() const { return fixtures_.size(); }
    // Fixture i's station; on the window's thread only while it does not run.
    Station& At(std::size_t i);
    const Station& At(std::size_t i) const;

    // Init of every fixture in turn, on the calling thread, with its log lines naming it. Only
    // while none runs.
    void Init(bool first, const std::string& chosenImage);
    // The check of every fixture, each on its own thread and probe, all at once; returns when
    // every one has ended, keepResponsive called meanwhile. Only while none runs.
    void Check(const std::function<void()>& keepResponsive);
    // At start: each fixture's number a crash or power cut left reserved gets its FAIL row.
    void VoidNumbersCutOff();
    void SetRunLimits(const RunLimits& limits);

    // Starts fixture i's press (label as scanned) on its thread; false, and nothing started,
    // while it runs already: a press is never started twice for one board.
    bool Press(std::size_t i, bool erase, std::string label);
    // One autostart look at fixture i on its thread; false while it runs.
    bool Look(std::size_t i);
    // Running until its job's last event is queued.
    bool Running(std::size_t i) const;
    bool AnyRunning() const;
    // Running a press or a check (not an autostart look).
    bool Pressing(std::size_t i) const;
    bool AnyPressing() const;
    // Blocks until no fixture runs (退出 closes after the last).
    void WaitAll();
    // The same, calling keepResponsive again and again while it waits.
    void WaitAll(const std::function<void()>& keepResponsive);

    // The events queued since the last call, in the order they came.
    std::vector<BenchEvent> TakeEvents();

private:
    class Sink;
    struct Fixture;
    bool Start(std::size_t i, bool press, std::function<void(Fixture&)> job);
    // Queues event; with endsRun, the job's last, clears the fixture's running mark with it.
    void Queue(BenchEvent event, std::atomic<bool>* endsRun = nullptr);

    const std::string executablePath_;
    std::function<void()> databaseChanged_;
    std::function<void()> post_;
    std::shared_ptr<StationShared> shared_;
    std::mutex eventsMutex_;
    std::condition_variable jobEnded_;
    std::vector<BenchEvent> events_;
    std::vector<std::unique_ptr<Fixture>> fixtures_;
};

}  // namespace station
