#include "station/form/bench_panel.h"

#include <stdexcept>
#include <utility>

#include "station/check/error_codes.h"
#include "station/run/station_log.h"

namespace station {

namespace {

// The last line of text that starts with "ERROR:"; "" when none does.
std::string LastErrorLine(const std::string& text) {
    std::string last;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.rfind("ERROR:", 0) == 0) {
            last = std::move(line);
        }
        start = end + 1;
    }
    return last;
}

void ShowCaption(TileView& tile, const std::string& caption, Rgb colour = kVerdictGreen) {
    tile.caption = caption;
    tile.colour = colour;
}

}  // namespace

BenchPanel::BenchPanel(StationView& view, BenchView& bench, const Station& station,
                       std::function<void()> databaseChanged)
    : view_(view),
      benchView_(bench),
      bench_(
          station.ExecutablePath(), std::move(databaseChanged),
          [&bench] { bench.PostBenchEvents(); }, station.Shared()) {}

void BenchPanel::Configure(const std::vector<FixtureSettings>& fixtures, bool first,
                           const std::string& chosenImage) {
    bench_.Configure(fixtures);
    bench_.Init(first, chosenImage);
    bench_.TakeEvents();  // what Init told is shown by the check that follows
    if (tiles_.size() != fixtures.size()) {
        tiles_.assign(fixtures.size(), Tile{});
        selected_ = 0;
        benchView_.SetTileCount(static_cast<int>(fixtures.size()));
    }
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
        tiles_[i].view.name = fixtures[i].name;
        tiles_[i].view.probe = fixtures[i].probe;
        tiles_[i].view.counts = bench_.At(i).FixtureCountsText();  // today's, from the record
    }
    PaintAll();
}

namespace {

// Holds the panel's drains back while it waits for its fixtures' jobs itself.
class Holding {
public:
    explicit Holding(bool& holding) : holding_(holding) { holding_ = true; }
    ~Holding() { holding_ = false; }
    Holding(const Holding&) = delete;
    Holding& operator=(const Holding&) = delete;

private:
    bool& holding_;
};

}  // namespace

void BenchPanel::Settle(const std::function<void()>& keepResponsive) {
    const Holding held(holding_);
    bench_.WaitAll(keepResponsive);
    bench_.TakeEvents();
}

void BenchPanel::Refresh(const std::function<void()>& keepResponsive) {
    std::string failure;
    {
        const Holding held(holding_);
        bench_.Check(keepResponsive);
        // The checks' own output is dropped: each tile shows its verdict instead.
        for (const BenchEvent& event : bench_.TakeEvents()) {
            if (event.kind == BenchEvent::Kind::kChecked && failure.empty()) {
                failure = event.text;
            }
        }
    }
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        TileView& view = tiles_[i].view;
        const Verdict verdict = bench_.At(i).CheckVerdict("Ready");
        ShowCaption(view, verdict.caption, verdict.colour);
        if (verdict.code == 0 && bench_.At(i).Watching()) {
            ShowCaption(view, "请放入电路板");
        }
        view.errorLine = LastErrorLine(verdict.text);
        view.counts = bench_.At(i).FixtureCountsText();  // a new day's, after midnight
        view.elapsed.clear();
        view.progress = -1;
        tiles_[i].boardSince.reset();
        SetOutput(i, verdict.text);
    }
    PaintAll();
    if (!failure.empty()) {
        throw std::runtime_error(failure);  // a file that exists but cannot be read, as alone
    }
}

bool BenchPanel::LabelsOn() const {
    return !tiles_.empty() && bench_.At(0).Settings().chip.label.on;
}

// Ready: idle, and its last check passed (a fixture whose probe went missing takes no label
// and no press of the panel until 刷新信息 finds it again).
bool BenchPanel::Startable(std::size_t index) const {
    return !bench_.Running(index) && bench_.At(index).LastCheck().Ready();
}

bool BenchPanel::Watching() const {
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        if (!bench_.Running(i) && bench_.At(i).Watching()) {
            return true;
        }
    }
    return false;
}

void BenchPanel::StartPanel(bool erase) {
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        const Tile& tile = tiles_[i];
        const bool hasBoard = !bench_.At(i).Watching() || tile.boardSince;
        if (Startable(i) && hasBoard && (!LabelsOn() || !tile.label.empty())) {
            Press(i, erase);
        }
    }
    PaintAll();
}

void BenchPanel::Press(std::size_t index, bool erase) {
    Tile& tile = tiles_[index];
    if (!bench_.Press(index, erase, tile.label)) {
        return;  // it runs already: a board is never pressed twice
    }
    ShowCaption(tile.view, "Working");
    tile.view.errorLine.clear();
    tile.view.elapsed.clear();
    tile.view.progress = -1;
    tile.boardSince.reset();
    SetOutput(index, "");
    benchView_.SetToolButtonsEnabled(false);
}

void BenchPanel::Scanned(const std::string& label, bool erase) {
    const LabelRoute route = RouteLabel(Seats(), label);
    if (route.holder) {
        view_.SetMemoText("ERROR:条码" + label + "已在工位" + tiles_[*route.holder].view.name +
                          "上，不能再用于另一块电路板。");
        view_.SelectLabelText();
        return;
    }
    if (!route.fixture) {
        view_.SetMemoText("ERROR:没有等待条码的工位，条码" + label + "未被使用。");
        view_.SelectLabelText();
        return;
    }
    const std::size_t index = *route.fixture;
    Tile& tile = tiles_[index];
    tile.label = label;
    tile.view.label = label;
    view_.SetLabelText("");
    view_.FocusLabel();
    if (!bench_.At(index).Watching() || tile.boardSince) {
        Press(index, erase);  // the board is there: without autostart, every Ready one is
    } else {
        ShowCaption(tile.view, "请放入电路板");
    }
    PaintAll();
}

void BenchPanel::Tick() {
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        if (!bench_.Running(i) && bench_.At(i).Watching()) {
            bench_.Look(i);
        }
    }
}

void BenchPanel::TileClicked(std::size_t index) {
    if (index >= tiles_.size()) {
        return;
    }
    selectedAt_ = std::chrono::steady_clock::now();
    Select(index);
    PaintAll();
}

void BenchPanel::Drain(bool erase) {
    if (holding_) {
        return;
    }
    const bool idle = !bench_.AnyPressing();  // then every press's last event is queued
    for (const BenchEvent& event : bench_.TakeEvents()) {
        Take(event, erase);
    }
    if (idle && !bench_.AnyPressing()) {  // (a press the events started runs now)
        benchView_.SetToolButtonsEnabled(true);
    }
    PaintAll();
}

void BenchPanel::Take(const BenchEvent& event, bool erase) {
    const std::size_t i = event.fixture;
    TileView& view = tiles_[i].view;
    using Kind = BenchEvent::Kind;
    switch (event.kind) {
        case Kind::kOutput:
            SetOutput(i, event.text);
            return;
        case Kind::kElapsed:
            view.elapsed = event.text;
            view.progress = event.percent;
            return;
        case Kind::kCheckStarting:
        case Kind::kRunStarting:
        case Kind::kChecked:  // Refresh takes its checks' ends itself
            return;
        case Kind::kVerdict: {
            const LogFixture log(view.name);
            if (event.verdict.code != 0) {
                LogErrorText(event.verdict.text);
            }
            LogInfoText(event.verdict.text);  // as the one-fixture window logs its verdict
            ShowCaption(view, event.verdict.caption, event.verdict.colour);
            view.errorLine = event.verdict.code != 0 ? LastErrorLine(event.verdict.text) : "";
            SetOutput(i, event.verdict.text);
            const bool held = std::chrono::steady_clock::now() - selectedAt_ < kSelectionHold;
            if (event.verdict.code != 0 && !held) {
                Select(i);
            }
            return;
        }
        case Kind::kFinished:
            Finished(i, event);
            return;
        case Kind::kLooked:
            Looked(i, event.action, erase);
            return;
    }
}

void BenchPanel::Looked(std::size_t index, AutostartWatch::Action action, bool erase) {
    Tile& tile = tiles_[index];
    switch (action) {
        case AutostartWatch::Action::kWait:
            if (tile.boardSince && !tile.label.empty()) {
                Press(index, erase);  // its label came while the look ran
            }
            return;
        case AutostartWatch::Action::kEmptied:
            tile.boardSince.reset();
            ShowCaption(tile.view, "请放入电路板");
            return;
        case AutostartWatch::Action::kFound:
            if (LabelsOn() && tile.label.empty()) {
                tile.boardSince = ++arrivals_;
                ShowCaption(tile.view, "请扫描条码");
                return;
            }
            Press(index, erase);
            return;
        case AutostartWatch::Action::kProbeGone:
            tile.boardSince.reset();
            ShowCaption(tile.view, "FAIL", kVerdictRed);
            tile.view.errorLine = LastErrorLine(bench_.At(index).ErrorText(kProbeNotFound));
            return;
    }
}

void BenchPanel::Finished(std::size_t index, const BenchEvent& event) {
    Tile& tile = tiles_[index];
    const PressOutcome& outcome = event.outcome;
    if (outcome.LabelRefused()) {  // nothing ran: the label is gone, the reason shown
        tile.label.clear();
        tile.view.label.clear();
        tile.view.errorLine = outcome.labelRefusal;
        ShowCaption(tile.view, tile.boardSince ? "请扫描条码" : "Ready");
        SetOutput(index, outcome.labelRefusal);
        Select(index);
        return;
    }
    std::string text = tile.output;
    for (const std::string& note : outcome.notes) {
        text = WithLastLine(text, note);
    }
    if (!event.text.empty()) {  // an error ended the press; its row is written all the same
        const std::string line = "ERROR:" + event.text;
        const LogFixture log(tile.view.name);
        LogErrorText(line);
        text = WithLastLine(text, line);
        tile.view.errorLine = line;
        ShowCaption(tile.view, "FAIL", kVerdictRed);
    }
    SetOutput(index, text);
    if (!outcome.fixtureCountsText.empty()) {
        tile.view.counts = outcome.fixtureCountsText;
    }
    tile.label.clear();  // every press that ran used its board's label; the tile shows it
    tile.view.elapsed.clear();
    tile.view.progress = -1;
    view_.SetNextSerialText(outcome.nextSerialText);
    view_.SetCountsText(outcome.countsText);
}

std::vector<LabelSeat> BenchPanel::Seats() const {
    std::vector<LabelSeat> seats(tiles_.size());
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        // A look under way leaves a fixture Ready: its label waits for the look's end.
        seats[i].ready = !bench_.Pressing(i) && bench_.At(i).LastCheck().Ready();
        seats[i].boardSince = tiles_[i].boardSince;
        seats[i].label = tiles_[i].label;
    }
    return seats;
}

void BenchPanel::Select(std::size_t index) {
    selected_ = index;
    view_.SetMemoText(tiles_[index].output);
}

void BenchPanel::SetOutput(std::size_t index, const std::string& text) {
    tiles_[index].output = text;
    if (index == selected_) {
        view_.SetMemoText(text);
    }
}

void BenchPanel::PaintAll() {
    const std::optional<std::size_t> waiter =
        LabelsOn() ? LabelWaiter(Seats()) : std::optional<std::size_t>();
    for (std::size_t i = 0; i < tiles_.size(); ++i) {
        TileView& view = tiles_[i].view;
        view.awaitsLabel = waiter == i;
        view.selected = selected_ == i;
        benchView_.ShowTile(static_cast<int>(i), view);
    }
}

}  // namespace station
