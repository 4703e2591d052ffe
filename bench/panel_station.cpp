#include "panel_station.h"

#include <fstream>
#include <stdexcept>

#include "platform/paths.h"

namespace bench {

namespace {

constexpr long kFirstProbe = 682000001;

}  // namespace

void RecordingBench::SetTileCount(int count) {
    tiles_.resize(static_cast<std::size_t>(count));
}

void RecordingBench::ShowTile(int index, const station::TileView& tile) {
    tiles_.at(static_cast<std::size_t>(index)) = tile;
}

void RecordingBench::PostBenchEvents() {
    const std::lock_guard<std::mutex> guard(mutex_);
    ++posts_;
    posted_.notify_all();
}

void RecordingBench::DrainUntilIdle(TRomForm& form, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        unsigned long seen = 0;
        {
            const std::lock_guard<std::mutex> guard(mutex_);
            seen = posts_;
        }
        form.DrainBench();
        if (toolButtons_) {
            return;  // enabled again: the last press has ended
        }
        std::unique_lock<std::mutex> lock(mutex_);
        if (!posted_.wait_until(lock, deadline, [&] { return posts_ != seen; })) {
            throw std::runtime_error("the panel's presses did not end in time");
        }
    }
}

std::size_t RecordingBench::Captions(const std::string& caption) const {
    std::size_t count = 0;
    for (const station::TileView& tile : tiles_) {
        count += tile.caption == caption ? 1 : 0;
    }
    return count;
}

std::string ProbeOf(int fixture) {
    return std::to_string(kFirstProbe + fixture);
}

void AddFixtures(const std::string& folder, int fixtures, std::chrono::milliseconds program) {
    std::ofstream config(folder + "config.ini", std::ios::app);
    std::string serials;
    for (int i = 0; i < fixtures; ++i) {
        config << "[fixture" << i + 1 << "]\r\nprobe=" << ProbeOf(i) << "\r\n";
        serials += (i == 0 ? "" : ",") + ProbeOf(i);
    }
    std::ofstream(folder + "bin/standin.ini")
        << "serial=" << serials << "\nprogram_ms=" << program.count() << "\n";
}

// Named so that its title is its own, as PressedStation's.
PanelStation::PanelStation(const std::string& folder, int fixtures)
    : logger_(folder, "bench-panel"), form_(view_, folder + "bench-panel" + os::kExecutableSuffix) {
    form_.AttachBench(bench_);
    form_.FormCreate();
    form_.Handle(&TRomForm::FormShow);
    if (bench_.Captions("Ready") != static_cast<std::size_t>(fixtures)) {
        throw std::runtime_error("not every fixture in " + folder + " said Ready");
    }
}

std::size_t PanelStation::Press() {
    form_.Handle(&TRomForm::Button_StartClick);
    bench_.DrainUntilIdle(form_, std::chrono::minutes(5));
    return bench_.Captions("PASS");
}

}  // namespace bench
