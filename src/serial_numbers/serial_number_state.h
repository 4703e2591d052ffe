// What a station folder knows of its serial numbers: every number reserved in it by any
// application title (kept as runs of consecutive numbers), and each title's reservation that is
// not settled yet. A pure value with its text form; serial_number_store.h keeps it in a file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace serial_numbers {

// The numbers a station may issue: first to last, both included; first <= last.
struct NumberRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
};

class SerialNumberState {
public:
    // The number the next reservation in range gets: one above the largest number ever reserved
    // inside the range, or first when none was. Nothing when that largest number is last: the
    // range is used up, whatever gaps lie below it (a gap is a number another range's title
    // skipped, or never had; it is never filled, so no number can come twice).
    std::optional<std::uint32_t> NextIn(NumberRange range) const;

    // Records number as reserved, and as title's reservation not yet settled.
    void Reserve(const std::string& title, std::uint32_t number);
    // title's reservation not yet settled, if any.
    std::optional<std::uint32_t> Unsettled(const std::string& title) const;
    // Settles title's reservation of number: its run ended, with a PASS or a FAIL. The number
    // stays reserved for good. Nothing happens when title holds no such reservation.
    void Settle(const std::string& title, std::uint32_t number);

    // The text of the state file: a comment line, then a line per run of reserved numbers,
    // "used 100000-100042", then a line per unsettled reservation, "pending 100043 Line2", the
    // title last, with "%", CR and LF written as %25, %0D and %0A.
    std::string Text() const;
    // The state from such a text; lines may end in CR LF (os::ForEachLine), blank lines and
    // lines starting with "#" are skipped. Nothing when any other line is not understood; problem
    // then names it
    // ("line 3: ..."), so that a damaged file stops the station instead of numbers coming twice.
    static std::optional<SerialNumberState> FromText(std::string_view text, std::string& problem);

    friend bool operator==(const SerialNumberState& a, const SerialNumberState& b) {
        return a.used_ == b.used_ && a.unsettled_ == b.unsettled_;
    }

private:
    // Takes one line of the text into the state; false when it is not understood.
    bool TakeLine(std::string_view line);
    // Adds the numbers first to last to the reserved runs.
    void MarkUsed(std::uint32_t first, std::uint32_t last);

    // Runs of reserved numbers, first to last: sorted, apart from each other by at least one
    // number.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> used_;
    std::map<std::string, std::uint32_t> unsettled_;  // by application title
};

}  // namespace serial_numbers
