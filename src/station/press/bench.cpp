#include "station/press/bench.h"

#include <chrono>
#include <exception>
#include <utility>

#include "station/run/station_log.h"

namespace station {

// What a fixture's station tells while it works, queued for the window's thread.
class Bench::Sink : public StationEvents {
public:
    Sink(Bench& bench, std::size_t fixture) : bench_(bench), fixture_(fixture) {}

    void ShowRunOutput(const std::string& text) override { Tell(Kind::kOutput, text); }
    // The tile shows the numbers (SetRunProgress); the text's end is the run's.
    void SetElapsedText(const std::string& text) override {
        if (text.empty()) {
            Tell(Kind::kElapsed, text);
        }
    }
    void SetRunProgress(long long seconds, int percent) override {
        BenchEvent event(fixture_, Kind::kElapsed);
        event.text = std::to_string(seconds) + " s";
        event.percent = percent;
        bench_.Queue(std::move(event));
    }
    void KeepResponsive() override {}  // the window's thread paints on its own
    void SettingsRead(const std::string&) override {}
    void DatabaseStateRead(const std::string&) override {}  // the window's own post shows it
    void CheckStarting() override { Tell(Kind::kCheckStarting, {}); }
    void RunStarting() override { Tell(Kind::kRunStarting, {}); }
    void VerdictReached(const Verdict& verdict) override {
        BenchEvent event(fixture_, Kind::kVerdict);
        event.verdict = verdict;
        bench_.Queue(std::move(event));
    }
    // Kept for the press's end: an error that ended the press leaves no outcome returned.
    void PressFinished(const PressOutcome& outcome) override { finished = outcome; }

    PressOutcome finished;

private:
    using Kind = BenchEvent::Kind;
    void Tell(Kind kind, const std::string& text) {
        BenchEvent event(fixture_, kind);
        event.text = text;
        bench_.Queue(std::move(event));
    }

    Bench& bench_;
    const std::size_t fixture_;
};

struct Bench::Fixture {
    FixtureSettings settings;
    std::unique_ptr<Station> station;
    std::unique_ptr<Sink> sink;
    std::atomic<bool> running{false};
    std::atomic<bool> pressing{false};  // the running job is a press, not a look
    std::thread thread;                 // the last job's; joined before the next, and at the end
};

Bench::Bench(std::string executablePath, std::function<void()> databaseChanged,
             std::function<void()> post, std::shared_ptr<StationShared> shared)
    : executablePath_(std::move(executablePath)),
      databaseChanged_(std::move(databaseChanged)),
      post_(std::move(post)),
      shared_(std::move(shared)) {}

Bench::~Bench() {
    WaitAll();
}

void Bench::Configure(const std::vector<FixtureSettings>& fixtures) {
    WaitAll();
    std::vector<std::unique_ptr<Fixture>> kept;
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
        const FixtureSettings& wanted = fixtures[i];
        const bool same = i < fixtures_.size() && fixtures_[i]->settings.name == wanted.name &&
                          fixtures_[i]->settings.probe == wanted.probe &&
                          fixtures_[i]->settings.problem == wanted.problem;
        if (same) {
            kept.push_back(std::move(fixtures_[i]));
            continue;
        }
        auto fixture = std::make_unique<Fixture>();
        fixture->settings = wanted;
        fixture->station =
            std::make_unique<Station>(executablePath_, databaseChanged_, shared_, wanted);
        fixture->sink = std::make_unique<Sink>(*this, i);
        kept.push_back(std::move(fixture));
    }
    fixtures_ = std::move(kept);
}

void Bench::Init(bool first, const std::string& chosenImage) {
    for (const std::unique_ptr<Fixture>& fixture : fixtures_) {
        const LogFixture log(fixture->settings.name);
        fixture->station->ChooseImage(chosenImage);
        fixture->station->Init(first, *fixture->sink);
    }
}

void Bench::Check(const std::function<void()>& keepResponsive) {
    for (std::size_t i = 0; i < fixtures_.size(); ++i) {
        Start(i, true, [this, i](Fixture& fixture) {
            BenchEvent event(i, BenchEvent::Kind::kChecked);
            try {
                fixture.station->Check(*fixture.sink);
            } catch (const std::exception& error) {
                event.text = error.what();
            }
            Queue(std::move(event), &fixture.running);
        });
    }
    WaitAll(keepResponsive);
}

void Bench::VoidNumbersCutOff() {
    for (const std::unique_ptr<Fixture>& fixture : fixtures_) {
        const LogFixture log(fixture->settings.name);
        fixture->station->VoidNumberCutOff();
    }
}

void Bench::SetRunLimits(const RunLimits& limits) {
    for (const std::unique_ptr<Fixture>& fixture : fixtures_) {
        fixture->station->SetRunLimits(limits);
    }
}

bool Bench::Press(std::size_t i, bool erase, std::string label) {
    return Start(i, true, [this, i, erase, label = std::move(label)](Fixture& fixture) {
        BenchEvent event(i, BenchEvent::Kind::kFinished);
        fixture.sink->finished = {};
        try {
            event.outcome = fixture.station->Press(erase, *fixture.sink, label);
        } catch (const std::exception& error) {
            event.outcome = fixture.sink->finished;
            event.text = error.what();
        }
        Queue(std::move(event), &fixture.running);
    });
}

bool Bench::Look(std::size_t i) {
    return Start(i, false, [this, i](Fixture& fixture) {
        BenchEvent event(i, BenchEvent::Kind::kLooked);
        try {
            event.action = fixture.station->LookAtFixture(*fixture.sink);
        } catch (const std::exception& error) {
            event.text = error.what();
        }
        Queue(std::move(event), &fixture.running);
    });
}

bool Bench::Start(std::size_t i, bool press, std::function<void(Fixture&)> job) {
    Fixture& fixture = *fixtures_[i];
    if (fixture.running) {
        return false;
    }
    if (fixture.thread.joinable()) {
        fixture.thread.join();  // the last job's thread, which has ended or is ending now
    }
    fixture.running = true;
    fixture.pressing = press;
    fixture.thread = std::thread([&fixture, job = std::move(job)] {
        const LogFixture log(fixture.settings.name);
        job(fixture);
    });
    return true;
}

Station& Bench::At(std::size_t i) {
    return *fixtures_[i]->station;
}

const Station& Bench::At(std::size_t i) const {
    return *fixtures_[i]->station;
}

bool Bench::Running(std::size_t i) const {
    return fixtures_[i]->running;
}

bool Bench::Pressing(std::size_t i) const {
    return fixtures_[i]->running && fixtures_[i]->pressing;
}

bool Bench::AnyPressing() const {
    for (std::size_t i = 0; i < fixtures_.size(); ++i) {
        if (Pressing(i)) {
            return true;
        }
    }
    return false;
}

bool Bench::AnyRunning() const {
    for (const std::unique_ptr<Fixture>& fixture : fixtures_) {
        if (fixture->running) {
            return true;
        }
    }
    return false;
}

void Bench::WaitAll() {
    for (const std::unique_ptr<Fixture>& fixture : fixtures_) {
        if (fixture->thread.joinable()) {
            fixture->thread.join();
        }
    }
}

void Bench::WaitAll(const std::function<void()>& keepResponsive) {
    for (;;) {
        keepResponsive();
        std::unique_lock<std::mutex> lock(eventsMutex_);
        if (!AnyRunning()) {
            break;
        }
        // Woken by a job's end; the timeout only paces the window's painting meanwhile.
        jobEnded_.wait_for(lock, std::chrono::milliseconds(20));
    }
    WaitAll();  // every job has queued its last event: its thread is ending
}

void Bench::Queue(BenchEvent event, std::atomic<bool>* endsRun) {
    {
        const std::lock_guard<std::mutex> guard(eventsMutex_);
        events_.push_back(std::move(event));
        if (endsRun) {  // a fixture that runs no more has its last event queued already
            *endsRun = false;
            jobEnded_.notify_all();
        }
    }
    if (post_) {
        post_();
    }
}

std::vector<BenchEvent> Bench::TakeEvents() {
    const std::lock_guard<std::mutex> guard(eventsMutex_);
    return std::exchange(events_, {});
}

}  // namespace station
