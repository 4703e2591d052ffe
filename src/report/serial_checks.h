// The aggregates of the serial numbers the rows record: those voided (the number a FAIL row
// records: reserved for the board, not issued) and those out of order (a number not above the
// highest its station recorded before).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/aggregate.h"

namespace report {

struct VoidedSerial {
    std::uint64_t serial = 0;
    std::uint32_t station = 0;
    std::string time;
    int errorCode = -1;
};

struct SerialOutOfOrder {
    std::uint64_t serial = 0, previous = 0;
    std::uint32_t station = 0;
    std::string time;
};

class VoidedSerials : public Aggregate {
public:
    void Update(const StationPress& row) override;
    const LimitedList<VoidedSerial>& List() const { return voided_; }

private:
    LimitedList<VoidedSerial> voided_;
};

class SerialOrder : public Aggregate {
public:
    void Update(const StationPress& row) override;
    const LimitedList<SerialOutOfOrder>& List() const { return outOfOrder_; }

private:
    std::vector<std::optional<std::uint64_t>> highest_;  // by station
    LimitedList<SerialOutOfOrder> outOfOrder_;
};

}  // namespace report
