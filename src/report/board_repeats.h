// The aggregate of boards programmed more than once: every chip ID across stations and days, in
// one 16-byte slot each (BoardTable), and the first kListLimit chip IDs pressed again, listed
// with their presses, passes, first and last press and stations.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "report/aggregate.h"
#include "report/board_table.h"

namespace report {

struct RepeatedBoard {
    std::uint64_t id = 0;
    std::uint32_t presses = 0, passes = 0;
    std::uint32_t firstMinute = 0, lastMinute = 0;
    std::vector<std::uint32_t> stations;  // in the order first met
};

class BoardRepeats : public Aggregate {
public:
    void Update(const StationPress& row) override;

    // The listed boards, by chip ID.
    const std::map<std::uint64_t, RepeatedBoard>& Listed() const { return listed_; }
    // All boards pressed more than once, listed or not.
    std::uint64_t Count() const { return count_; }
    // Distinct chip IDs seen.
    std::uint64_t ChipIds() const { return table_.Size(); }

private:
    void StartListing(std::uint64_t id, const BoardSlot& slot);

    BoardTable table_;
    std::map<std::uint64_t, RepeatedBoard> listed_;
    std::uint64_t count_ = 0;
};

}  // namespace report
