// What this station's own records say of a board label or a chip: when it passed, or that a
// record file could not be read, so that nothing can be said (the file is read again next time).
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace station {

struct RecordedPass {
    RecordedPass(std::optional<std::string> passTime = std::nullopt)  // NOLINT: a time converts
        : time(std::move(passTime)) {}

    std::optional<std::string> time;  // of the first PASS row; none when there is none
    std::string unreadable;  // a record file that is there but could not be read; "" when none
};

}  // namespace station
