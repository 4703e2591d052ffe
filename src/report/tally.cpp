#include "tally.h"

#include <algorithm>
#include <bitset>

#include "text.h"

namespace report {

namespace {

std::uint32_t MinuteOf(const RecordTime& time) {
    return static_cast<std::uint32_t>(time.day.number) * 1440u + time.millisecond / 60000u;
}

}  // namespace

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

std::uint32_t Tally::StationOf(std::string_view title, std::string_view folder) {
    if (haveLast_ && title == lastTitle_ && folder == lastFolder_) {
        return lastStation_;
    }
    lastTitle_.assign(title);
    lastFolder_.assign(folder);
    haveLast_ = true;
    const auto [it, added] = stationIndex_.try_emplace(
        {lastTitle_, lastFolder_}, static_cast<std::uint32_t>(stations_.size()));
    if (added) {
        stations_.push_back({os::RepairedUtf8(title, os::kReplacementCharacter),
                             os::RepairedUtf8(folder, os::kReplacementCharacter)});
        days_.emplace_back();
        states_.emplace_back();
    }
    lastStation_ = it->second;
    return lastStation_;
}

void Tally::OnPress(const Press& press) {
    if (day_ && *day_ != press.time.day) {
        EndDay();
    }
    day_ = press.time.day;
    const std::uint32_t station = StationOf(press.title, press.stationFolder);
    DayState& day = days_[station];
    day.touched = true;
    ++day.presses;
    ++presses_;
    const std::uint32_t hour = press.time.millisecond / 3600000u;
    day.hourMask |= 1u << hour;
    if (press.pass) {
        ++day.pass;
        ++passByHour_[hour];
        if (press.runMs) {
            day.runs.push_back(*press.runMs);
            ++histogram_[std::min<std::size_t>(*press.runMs / kBucketMs, kBuckets - 1)];
        }
    } else {
        ++day.fail;
        ++failByHour_[hour];
        ++failuresByCode_[press.errorCode];
    }
    CountBoard(press, station);
    CountSerial(press, station);
}

void Tally::CountBoard(const Press& press, std::uint32_t station) {
    DayState& day = days_[station];
    if (!press.deviceId) {
        ++day.boardsWithoutId;
        day.passWithoutId += press.pass ? 1 : 0;
        return;
    }
    const std::uint8_t passed = press.pass ? 1 : 0;
    const auto [board, first] = day.boards.try_emplace(*press.deviceId, passed);
    board->second = static_cast<std::uint8_t>((board->second & 1) | passed << 1);
    (void)first;

    // Across the whole report: boards programmed more than once.
    const std::uint32_t minute = MinuteOf(press.time);
    BoardSlot& slot = boardTable_.Find(*press.deviceId);
    if (slot.presses == 0) {
        slot.firstMinute = minute;
        slot.station = station < BoardTable::kManyStations ? static_cast<std::uint16_t>(station)
                                                           : BoardTable::kManyStations;
        slot.firstPassed = passed;
        slot.presses = 1;
        return;
    }
    if (slot.presses == 1) {
        ++repeatedCount_;
        if (repeated_.size() < kListLimit) {
            RepeatedBoard& repeated = repeated_[*press.deviceId];
            repeated.id = *press.deviceId;
            repeated.presses = 1;
            repeated.passes = slot.firstPassed;
            repeated.firstMinute = repeated.lastMinute = slot.firstMinute;
            if (slot.station != BoardTable::kManyStations) {
                repeated.stations.push_back(slot.station);
            }
        }
    }
    if (slot.presses < 255) {
        ++slot.presses;
    }
    const auto found = repeated_.find(*press.deviceId);
    if (found != repeated_.end()) {
        RepeatedBoard& repeated = found->second;
        ++repeated.presses;
        repeated.passes += passed;
        repeated.lastMinute = minute;
        if (std::find(repeated.stations.begin(), repeated.stations.end(), station) ==
            repeated.stations.end()) {
            repeated.stations.push_back(station);
        }
    }
}

void Tally::CountSerial(const Press& press, std::uint32_t station) {
    if (!press.serialNumber) {
        return;
    }
    const std::uint64_t serial = *press.serialNumber;
    if (!press.pass) {
        voided_.Add({serial, station, std::string(press.timeText), press.errorCode});
    }
    std::optional<std::uint64_t>& last = states_[station].lastSerial;
    if (last && serial <= *last) {
        outOfOrder_.Add({serial, *last, station, std::string(press.timeText)});
    }
    if (!last || serial > *last) {
        last = serial;
    }
}

void Tally::OnBadRow(BadRow bad) {
    badRows_.Add(std::move(bad));
}

void Tally::EndDay() {
    if (!day_) {
        return;
    }
    for (std::uint32_t station = 0; station < days_.size(); ++station) {
        DayState& day = days_[station];
        if (!day.touched) {
            continue;
        }
        DayRow row;
        row.station = station;
        row.day = *day_;
        row.presses = day.presses;
        row.pass = day.pass;
        row.fail = day.fail;
        row.boardsWithId = day.boards.size();
        row.boards = day.boards.size() + day.boardsWithoutId;
        row.firstPassBoards = row.finalPassBoards = day.passWithoutId;
        for (const auto& [id, bits] : day.boards) {
            row.firstPassBoards += bits & 1;
            row.finalPassBoards += (bits >> 1) & 1;
        }
        row.medianMs = NearestRank(day.runs, 50);
        row.p95Ms = NearestRank(day.runs, 95);
        row.activeHours = static_cast<std::uint32_t>(std::bitset<24>(day.hourMask).count());
        rows_.push_back(row);

        // Ready for another day; the containers keep their room.
        day.touched = false;
        day.presses = day.pass = day.fail = day.boardsWithoutId = day.passWithoutId = 0;
        day.hourMask = 0;
        day.runs.clear();
        day.boards.clear();
    }
    day_.reset();
}

std::vector<std::uint32_t> Tally::StationOrder() const {
    std::vector<std::uint32_t> order;
    for (const auto& [key, index] : stationIndex_) {
        order.push_back(index);
    }
    return order;  // the map is ordered by title, then folder
}

std::vector<DayRow> Tally::Rows() const {
    std::vector<std::uint32_t> rank(stations_.size());
    const std::vector<std::uint32_t> order = StationOrder();
    for (std::uint32_t i = 0; i < order.size(); ++i) {
        rank[order[i]] = i;
    }
    std::vector<DayRow> rows = rows_;
    std::stable_sort(rows.begin(), rows.end(), [&rank](const DayRow& a, const DayRow& b) {
        return rank[a.station] != rank[b.station] ? rank[a.station] < rank[b.station]
                                                  : a.day < b.day;
    });
    return rows;
}

}  // namespace report
