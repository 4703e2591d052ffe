#include "report/serial_checks.h"

namespace report {

void VoidedSerials::Update(const StationPress& row) {
    const Press& press = row.press;
    if (press.serialNumber && !press.pass) {
        voided_.Add(
            {*press.serialNumber, row.station, std::string(press.timeText), press.errorCode});
    }
}

void SerialOrder::Update(const StationPress& row) {
    const Press& press = row.press;
    if (!press.serialNumber) {
        return;
    }
    if (row.station >= highest_.size()) {
        highest_.resize(row.station + std::size_t{1});
    }
    const std::uint64_t serial = *press.serialNumber;
    std::optional<std::uint64_t>& highest = highest_[row.station];
    if (highest && serial <= *highest) {
        outOfOrder_.Add({serial, *highest, row.station, std::string(press.timeText)});
    }
    if (!highest || serial > *highest) {
        highest = serial;
    }
}

}  // namespace report
