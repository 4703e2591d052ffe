#include "report/board_repeats.h"

#include <algorithm>

namespace report {

namespace {

std::uint32_t MinuteOf(const PressTime& time) {
    return static_cast<std::uint32_t>(time.day.number) * 1440u + time.millisecond / 60000u;
}

void AddPress(RepeatedBoard& board, std::uint32_t station, std::uint8_t passed,
              std::uint32_t minute) {
    ++board.presses;
    board.passes += passed;
    board.lastMinute = minute;
    if (std::find(board.stations.begin(), board.stations.end(), station) == board.stations.end()) {
        board.stations.push_back(station);
    }
}

}  // namespace

void BoardRepeats::Update(const StationPress& row) {
    const Press& press = row.press;
    if (!press.deviceId) {
        return;
    }
    const std::uint8_t passed = press.pass ? 1 : 0;
    const std::uint32_t minute = MinuteOf(press.time);
    BoardSlot& slot = table_.Find(*press.deviceId);
    if (slot.presses == 0) {
        slot.firstMinute = minute;
        slot.station = row.station < BoardTable::kManyStations
                           ? static_cast<std::uint16_t>(row.station)
                           : BoardTable::kManyStations;
        slot.firstPassed = passed;
        slot.presses = 1;
        return;
    }
    if (slot.presses == 1) {
        ++count_;
        if (listed_.size() < kListLimit) {
            StartListing(*press.deviceId, slot);
        }
    }
    if (slot.presses < 255) {
        ++slot.presses;
    }
    const auto found = listed_.find(*press.deviceId);
    if (found != listed_.end()) {
        AddPress(found->second, row.station, passed, minute);
    }
}

// The board's first press, as its slot remembers it.
void BoardRepeats::StartListing(std::uint64_t id, const BoardSlot& slot) {
    RepeatedBoard& board = listed_[id];
    board.id = id;
    board.presses = 1;
    board.passes = slot.firstPassed;
    board.firstMinute = board.lastMinute = slot.firstMinute;
    if (slot.station != BoardTable::kManyStations) {
        board.stations.push_back(slot.station);
    }
}

}  // namespace report
