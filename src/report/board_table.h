// Every chip ID the report has seen, with its first press: an open-addressing hash table of
// 16-byte slots, so that a year of boards fits in a few tens of MB (a node-based map would take
// four times that).
#pragma once

#include <cstdint>
#include <vector>

namespace report {

struct BoardSlot {
    std::uint64_t id = 0;
    std::uint32_t firstMinute = 0;  // the first press: minutes since 1970-01-01, local time
    std::uint16_t station = 0;      // the first press's station; kManyStations past the limit
    std::uint8_t presses = 0;       // presses seen, stopping at 255; 0 marks an empty slot
    std::uint8_t firstPassed = 0;   // the first press passed
};
static_assert(sizeof(BoardSlot) == 16, "a slot stays small");

class BoardTable {
public:
    static constexpr std::uint16_t kManyStations = 0xFFFF;

    // The slot of id; a new one (presses 0) when id was not seen yet. The reference is valid until
    // the next call.
    BoardSlot& Find(std::uint64_t id) {
        if ((used_ + 1) * 4 > slots_.size() * 3) {
            Grow();
        }
        BoardSlot& slot = Probe(slots_, id);
        if (slot.presses == 0) {
            slot.id = id;
            ++used_;
        }
        return slot;
    }
    std::size_t Size() const { return used_; }

private:
    static BoardSlot& Probe(std::vector<BoardSlot>& slots, std::uint64_t id) {
        const std::size_t mask = slots.size() - 1;
        // Fibonacci hashing spreads IDs that differ only in a few bits.
        std::size_t at = static_cast<std::size_t>((id * 0x9E3779B97F4A7C15ull) >> 20) & mask;
        while (slots[at].presses != 0 && slots[at].id != id) {
            at = (at + 1) & mask;
        }
        return slots[at];
    }
    void Grow() {
        std::vector<BoardSlot> larger(slots_.empty() ? 1024 : slots_.size() * 2);
        for (const BoardSlot& slot : slots_) {
            if (slot.presses != 0) {
                Probe(larger, slot.id) = slot;
            }
        }
        slots_.swap(larger);
    }

    std::vector<BoardSlot> slots_;
    std::size_t used_ = 0;
};

}  // namespace report
