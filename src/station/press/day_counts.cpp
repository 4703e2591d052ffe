#include "station/press/day_counts.h"

#include <algorithm>
#include <cstdint>

#include "platform/text.h"
#include "record/day_record.h"

namespace station {

void DayCounts::Follow(const std::string& recordPath, const std::string& title) {
    if (recordPath == counted_) {
        return;
    }
    counted_ = recordPath;
    pass_ = fail_ = 0;
    passTimesMs_.clear();
    record::ForEachRowOf(recordPath, title, [this](const record::DayRow& row) {
        if (fixture_ && row.fixture != *fixture_) {
            return;  // another fixture's press
        }
        const std::optional<std::uint64_t> ms = os::DecimalNumber(row.runMs);
        Add(row.verdict == "PASS",
            ms ? std::optional(std::chrono::milliseconds(*ms)) : std::nullopt);
    });
}

void DayCounts::Add(bool pass, std::optional<std::chrono::milliseconds> runTime) {
    if (!pass) {
        ++fail_;
        return;
    }
    ++pass_;
    if (runTime) {
        passTimesMs_.push_back(runTime->count());
    }
}

namespace {

// Tenths as "96.9"; integer arithmetic, so every platform prints the same.
std::string Tenths(long long tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace

std::string DayCounts::YieldText() const {
    const long long presses = pass_ + fail_;
    return presses == 0 ? std::string("--") : Tenths((pass_ * 1000 + presses / 2) / presses) + "%";
}

std::string DayCounts::TileText() const {
    return "PASS " + std::to_string(pass_) + "  FAIL " + std::to_string(fail_) + "  " + YieldText();
}

std::string DayCounts::Text() const {
    std::string text = "今日 PASS " + std::to_string(pass_) + "  FAIL " + std::to_string(fail_) +
                       "  良率 " + YieldText();
    if (!passTimesMs_.empty()) {
        std::vector<long long> times = passTimesMs_;
        const auto middle = times.begin() + static_cast<std::ptrdiff_t>((times.size() - 1) / 2);
        std::nth_element(times.begin(), middle, times.end());
        text += "  周期中位 " + Tenths((*middle + 50) / 100) + " 秒";
    }
    return text;
}

}  // namespace station
