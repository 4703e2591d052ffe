// The form with a bench of fixtures: config.ini's [fixtureN] sections turn the verdict panel into
// tiles (BenchPanel); without them nothing here does anything and the form is the one-fixture
// form.
#include "station/form/MainForm.h"
#include "station/settings/fixture_settings.h"

namespace station {

void TRomForm::ConfigureBench(bool first) {
    if (!bench_ || BenchRunning()) {
        return;  // a window without tiles, or fixtures at work: config.ini is read after them
    }
    const std::vector<FixtureSettings> fixtures =
        ReadFixtures(station_.Paths().Config_Path, station_.Title());
    if (fixtures.empty()) {
        if (benchPanel_) {
            benchPanel_.reset();
            bench_->SetTileCount(0);
        }
        return;
    }
    if (!benchPanel_) {
        benchPanel_ = std::make_unique<BenchPanel>(view_, *bench_, station_,
                                                   [this] { view_.PostDatabaseChange(); });
    }
    benchPanel_->SetRunLimits(station_.Limits());
    benchPanel_->Configure(fixtures, first, station_.ChosenImage());
}

void TRomForm::SetRunLimits(const RunLimits& limits) {
    station_.SetRunLimits(limits);
    if (benchPanel_) {
        benchPanel_->SetRunLimits(limits);
    }
}

bool TRomForm::Watching() const {
    return benchPanel_ ? benchPanel_->Watching() : station_.Watching();
}

bool TRomForm::BenchToolsFree() {
    if (!benchPanel_) {
        return true;
    }
    if (benchPanel_->AnyPressing()) {
        return false;
    }
    benchPanel_->Settle([this] { view_.RepaintKeepingInput(); });
    return true;
}

void TRomForm::BenchRefresh() {
    benchPanel_->Refresh([this] { view_.RepaintKeepingInput(); });
    view_.SetNextSerialText(station_.NextSerialText());
    view_.SetCountsText(station_.CountsText());
    view_.SetTicking(benchPanel_->Watching());
    view_.FocusLabel();
}

void TRomForm::TileClicked(int index) {
    if (benchPanel_ && index >= 0) {
        benchPanel_->TileClicked(static_cast<std::size_t>(index));
    }
}

void TRomForm::DrainBench() {
    if (!benchPanel_) {
        return;
    }
    const bool idle = !BenchRunning();  // then the last run's events are all drained now
    benchPanel_->Drain(view_.EraseChecked());
    view_.SetTicking(benchPanel_->Watching());
    if (closeRequested_ && idle && !BenchRunning() && !actions_.Busy()) {
        closeRequested_ = false;
        view_.CloseWindow();  // 退出 waited for the last fixture
    }
}

}  // namespace station
