#include "report/station_days.h"

#include <algorithm>
#include <bitset>

namespace report {

std::optional<std::uint32_t> NearestRank(std::vector<std::uint32_t>& values, unsigned percent) {
    if (values.empty()) {
        return std::nullopt;
    }
    // rank = ceil(percent / 100 * n), counted from 1.
    const std::size_t rank = (values.size() * percent + 99) / 100;
    const auto at =
        values.begin() + static_cast<std::ptrdiff_t>(std::max<std::size_t>(rank, 1) - 1);
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

void StationDays::Update(const StationPress& row) {
    if (day_ && *day_ != row.press.time.day) {
        Finish();
    }
    day_ = row.press.time.day;
    if (row.station >= days_.size()) {
        days_.resize(row.station + std::size_t{1});
    }
    days_[row.station].Add(row.press);
}

void StationDays::Finish() {
    if (!day_) {
        return;
    }
    for (std::uint32_t station = 0; station < days_.size(); ++station) {
        DayState& day = days_[station];
        if (day.touched) {
            rows_.push_back(day.Row(station, *day_));
            day.Clear();
        }
    }
    day_.reset();
}

std::vector<StationDayRow> StationDays::Rows(const std::vector<std::uint32_t>& order) const {
    std::vector<std::uint32_t> rank(days_.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        if (order[i] < rank.size()) {
            rank[order[i]] = i;
        }
    }
    std::vector<StationDayRow> rows = rows_;
    std::stable_sort(
        rows.begin(), rows.end(), [&rank](const StationDayRow& a, const StationDayRow& b) {
            return rank[a.station] != rank[b.station] ? rank[a.station] < rank[b.station]
                                                      : a.day < b.day;
        });
    return rows;
}

void StationDays::DayState::Add(const Press& press) {
    touched = true;
    ++presses;
    hourMask |= 1u << HourOf(press);
    if (press.pass) {
        ++pass;
        if (press.runMs) {
            runs.push_back(*press.runMs);
        }
    } else {
        ++fail;
    }
    AddBoard(press);
}

void StationDays::DayState::AddBoard(const Press& press) {
    const std::uint8_t passed = press.pass ? 1 : 0;
    if (!press.deviceId) {
        ++boardsWithoutId;
        passWithoutId += passed;
        return;
    }
    const auto board = boards.try_emplace(*press.deviceId, passed).first;
    board->second = static_cast<std::uint8_t>((board->second & 1) | passed << 1);
}

StationDayRow StationDays::DayState::Row(std::uint32_t station, Day day) {
    StationDayRow row;
    row.station = station;
    row.day = day;
    row.presses = presses;
    row.pass = pass;
    row.fail = fail;
    row.boardsWithId = boards.size();
    row.boards = boards.size() + boardsWithoutId;
    row.firstPassBoards = row.finalPassBoards = passWithoutId;
    for (const auto& [id, bits] : boards) {
        row.firstPassBoards += bits & 1;
        row.finalPassBoards += (bits >> 1) & 1;
    }
    row.medianMs = NearestRank(runs, 50);
    row.p95Ms = NearestRank(runs, 95);
    row.activeHours = static_cast<std::uint32_t>(std::bitset<24>(hourMask).count());
    return row;
}

void StationDays::DayState::Clear() {
    touched = false;
    presses = pass = fail = boardsWithoutId = passWithoutId = 0;
    hourMask = 0;
    runs.clear();
    boards.clear();
}

}  // namespace report
