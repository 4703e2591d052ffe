// A bench of fixtures in one station folder, pressed as the operator presses a panel: the whole
// panel swapped, 开始 once, every fixture's verdict waited for. Driven through the form the
// windows drive (TRomForm with a BenchView), its fixtures pressing on their own threads, the
// drains made here on the calling thread as the window's thread makes them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "bench_station.h"
#include "station/form/bench_view.h"

namespace bench {

// The tiles as the form left them, and the fixtures' posts counted to wait on.
class RecordingBench : public station::BenchView {
public:
    void SetTileCount(int count) override;
    void ShowTile(int index, const station::TileView& tile) override;
    void SetToolButtonsEnabled(bool enabled) override { toolButtons_ = enabled; }
    void PostBenchEvents() override;

    // Until the tool buttons are enabled again (the last press ended), draining every post as
    // the window does; throws std::runtime_error past limit.
    void DrainUntilIdle(TRomForm& form, std::chrono::seconds limit);
    std::size_t Captions(const std::string& caption) const;

private:
    std::vector<station::TileView> tiles_;
    bool toolButtons_ = true;
    std::mutex mutex_;
    std::condition_variable posted_;
    unsigned long posts_ = 0;
};

// A laid-out station folder (LayOutStation) given `fixtures` [fixtureN] sections, probes
// kFirstProbe and on, and a stand-in that lists them all and programs in `program`.
void AddFixtures(const std::string& folder, int fixtures, std::chrono::milliseconds program);

// Fixture i's probe serial (0-based).
std::string ProbeOf(int fixture);

// The station of such a folder, shown as the window shows it: every fixture must say Ready.
class PanelStation {
public:
    PanelStation(const std::string& folder, int fixtures);
    PanelStation(const PanelStation&) = delete;
    PanelStation& operator=(const PanelStation&) = delete;

    // 开始 once, erase checked; returns when every fixture's press has ended, with how many
    // ended in PASS.
    std::size_t Press();

private:
    VerdictView view_;
    RecordingBench bench_;
    log4me::Session logger_;
    TRomForm form_;
};

}  // namespace bench
