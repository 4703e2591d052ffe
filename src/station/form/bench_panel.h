// The bench's side of the form: the tiles, the selected tile's output, 开始 for the panel, the
// one scanner's labels and the autostart looks, over a Bench whose fixtures press on threads of
// their own. Everything here runs on the window's thread; the fixtures' threads only queue
// events and post (BenchView::PostBenchEvents), and Drain takes them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "station/form/bench_view.h"
#include "station/form/station_view.h"
#include "station/press/bench.h"
#include "station/press/label_routing.h"

namespace station {

// How long a tile the operator clicked stays selected when another fixture ends in FAIL.
inline constexpr std::chrono::seconds kSelectionHold{5};

class BenchPanel {
public:
    // station: the one-fixture station of the folder, whose shared parts the fixtures share.
    BenchPanel(StationView& view, BenchView& bench, const Station& station,
               std::function<void()> databaseChanged);

    // The fixtures config.ini names now (only while none runs), and their stations' Init.
    void Configure(const std::vector<FixtureSettings>& fixtures, bool first,
                   const std::string& chosenImage);
    // The tool buttons' start: the autostart looks under way end (within the probe's limit),
    // keepResponsive painting the window meanwhile; what they found is dropped, as the check
    // that follows looks afresh. Only while no press runs.
    void Settle(const std::function<void()>& keepResponsive);
    // 刷新信息: every fixture's check, each on its own thread and probe, all at once, the window
    // painting meanwhile; the tiles show the outcome. Only while none runs.
    void Refresh(const std::function<void()>& keepResponsive);
    void VoidNumbersCutOff() { bench_.VoidNumbersCutOff(); }
    void SetRunLimits(const RunLimits& limits) { bench_.SetRunLimits(limits); }

    // 开始: every Ready fixture that has a board (with autostart, the ones whose board waits;
    // with labels, the ones whose label was scanned).
    void StartPanel(bool erase);
    // Enter in the label field: the label goes to the fixture that waits for one.
    void Scanned(const std::string& label, bool erase);
    // At every tick: one autostart look at each idle fixture, on its thread.
    void Tick();
    bool Watching() const;
    void TileClicked(std::size_t index);
    // The fixtures' events: tiles painted, the selected output shown, finished presses logged.
    void Drain(bool erase);

    bool AnyRunning() const { return bench_.AnyRunning(); }
    bool AnyPressing() const { return bench_.AnyPressing(); }
    std::size_t Count() const { return tiles_.size(); }
    const TileView& TileAt(std::size_t index) const { return tiles_[index].view; }
    const Station& At(std::size_t index) const { return bench_.At(index); }
    const std::string& SelectedOutput() const { return tiles_[selected_].output; }

private:
    struct Tile {
        TileView view;
        std::string output;  // the text area's text while this tile is selected
        std::optional<std::uint64_t> boardSince;
        std::string label;  // the label in flight: scanned for this board, or in its press
    };
    void Press(std::size_t index, bool erase);
    void Take(const BenchEvent& event, bool erase);
    void Finished(std::size_t index, const BenchEvent& event);
    void Looked(std::size_t index, AutostartWatch::Action action, bool erase);
    void Select(std::size_t index);
    void SetOutput(std::size_t index, const std::string& text);
    std::vector<LabelSeat> Seats() const;
    bool LabelsOn() const;
    bool Startable(std::size_t index) const;
    void PaintAll();

    StationView& view_;
    BenchView& benchView_;
    Bench bench_;
    std::vector<Tile> tiles_;
    std::size_t selected_ = 0;
    std::chrono::steady_clock::time_point selectedAt_{};
    std::uint64_t arrivals_ = 0;  // counts the boards that settled, for their order
    bool holding_ = false;        // Settle or Refresh waits: their events are theirs
};

}  // namespace station
