#include "station/press/label_routing.h"

namespace station {

std::optional<std::size_t> LabelWaiter(const std::vector<LabelSeat>& seats) {
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < seats.size(); ++i) {
        const LabelSeat& seat = seats[i];
        if (seat.ready && seat.label.empty() && seat.boardSince &&
            (!first || *seat.boardSince < *seats[*first].boardSince)) {
            first = i;
        }
    }
    if (first) {
        return first;
    }
    for (std::size_t i = 0; i < seats.size(); ++i) {
        if (seats[i].ready && seats[i].label.empty()) {
            return i;
        }
    }
    return std::nullopt;
}

LabelRoute RouteLabel(const std::vector<LabelSeat>& seats, const std::string& label) {
    LabelRoute route;
    for (std::size_t i = 0; i < seats.size(); ++i) {
        if (!label.empty() && seats[i].label == label) {
            route.holder = i;
            return route;
        }
    }
    route.fixture = LabelWaiter(seats);
    return route;
}

}  // namespace station
