#include "report/fixture_yields.h"

#include <algorithm>

namespace report {

std::uint32_t FixtureYields::IndexOf(std::uint32_t station, std::string_view fixture) {
    if (haveLast_ && last_.first == station && last_.second == fixture) {
        return lastIndex_;
    }
    last_ = {station, std::string(fixture)};
    lastIndex_ = index_.try_emplace(last_, static_cast<std::uint32_t>(index_.size())).first->second;
    haveLast_ = true;
    return lastIndex_;
}

void FixtureYields::Update(const StationPress& row) {
    days_.Update({row.press, IndexOf(row.station, row.press.fixture)});
}

std::vector<FixtureYield> FixtureYields::Rows(
    const std::vector<std::uint32_t>& stationOrder) const {
    // The map holds the fixtures by station index, then by name.
    std::vector<FixtureYield> rows;
    std::vector<std::size_t> rowOf(index_.size());
    for (const auto& [key, index] : index_) {
        rowOf[index] = rows.size();
        rows.push_back({key.first, key.second});
    }
    for (const StationDayRow& day : days_.Rows({})) {  // every fixture's days, in any order
        FixtureYield& row = rows[rowOf[day.station]];
        row.presses += day.presses;
        row.boards += day.boards;
        row.firstPassBoards += day.firstPassBoards;
    }
    std::vector<std::uint32_t> rank(stationOrder.size());
    for (std::uint32_t i = 0; i < stationOrder.size(); ++i) {
        rank[stationOrder[i]] = i;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [&rank](const FixtureYield& a, const FixtureYield& b) {
                         return rank[a.station] < rank[b.station];
                     });
    return rows;
}

}  // namespace report
