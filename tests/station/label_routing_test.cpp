// One scanner, several fixtures: where each scanned label goes.
#include <gtest/gtest.h>

#include "station/press/label_routing.h"

using namespace station;

namespace {

// A seat from a letter: R Ready, r Ready with a board that settled at its digit's time ("r2"),
// W running; ":label" after it for a label in flight.
std::vector<LabelSeat> Seats(const std::vector<std::string>& codes) {
    std::vector<LabelSeat> seats;
    for (const std::string& code : codes) {
        LabelSeat seat;
        seat.ready = code[0] != 'W';
        if (code[0] == 'r') {
            seat.boardSince = static_cast<std::uint64_t>(code[1] - '0');
        }
        const std::size_t colon = code.find(':');
        if (colon != std::string::npos) {
            seat.label = code.substr(colon + 1);
        }
        seats.push_back(seat);
    }
    return seats;
}

TEST(LabelRouting, SendsTheLabelToTheFixtureThatWaitsForIt) {
    struct Case {
        const char* name;
        std::vector<std::string> seats;
        std::string label;
        int fixture;  // -1: none
        int holder;   // -1: none
    };
    const Case cases[] = {
        {"scan then place: the first Ready", {"R", "R", "R"}, "L1", 0, -1},
        {"scan then place: the next without a label", {"R:L1", "R", "R"}, "L2", 1, -1},
        {"place then scan", {"R", "r5", "R"}, "L1", 1, -1},
        {"two boards waiting: the first placed", {"r7", "R", "r3", "r4"}, "L1", 2, -1},
        {"a board with its label waits no more", {"r7", "r3:L0", "R"}, "L1", 0, -1},
        {"a running fixture takes none", {"W", "W", "R"}, "L1", 2, -1},
        {"every fixture busy", {"W", "R:L0", "W:L9"}, "L1", -1, -1},
        {"in flight at a running fixture", {"W:L1", "R"}, "L1", -1, 0},
        {"in flight at a waiting fixture", {"R", "r2:L1", "R"}, "L1", -1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LabelRoute route = RouteLabel(Seats(c.seats), c.label);
        EXPECT_EQ(route.fixture ? static_cast<int>(*route.fixture) : -1, c.fixture);
        EXPECT_EQ(route.holder ? static_cast<int>(*route.holder) : -1, c.holder);
    }
}

}  // namespace
