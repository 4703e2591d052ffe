// The report's statistics are aggregates, as a database engine builds them: each keeps its own
// state, takes every press in the order the records give them (Update) and settles what is still
// open when the records end (Finish). Tally feeds one press to all of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "report/record_reader.h"

namespace report {

// A press and the index of its station (Tally's StationIndex).
struct StationPress {
    const Press& press;
    std::uint32_t station = 0;
};

class Aggregate {
public:
    virtual ~Aggregate() = default;
    virtual void Update(const StationPress& row) = 0;
    // The records have ended (or the day: presses of a later day may follow). Nothing by default.
    virtual void Finish() {}
};

// The clock hour of the day a press was made in, 0 to 23.
inline std::uint32_t HourOf(const Press& press) {
    return press.time.millisecond / 3600000u;
}

// The lists show their first kListLimit entries and count the rest.
inline constexpr std::size_t kListLimit = 1000;

// A list kept up to kListLimit entries, counting all.
template <typename T>
struct LimitedList {
    std::vector<T> items;
    std::uint64_t total = 0;
    void Add(T item) {
        ++total;
        if (items.size() < kListLimit) {
            items.push_back(std::move(item));
        }
    }
};

}  // namespace report
