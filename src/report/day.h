// Calendar days and times of day as the record writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace report {

// A calendar day, as a count of days since 1970-01-01 (proleptic Gregorian), so that days
// compare and subtract as numbers.
struct Day {
    std::int32_t number = 0;

    friend bool operator==(Day a, Day b) { return a.number == b.number; }
    friend bool operator!=(Day a, Day b) { return a.number != b.number; }
    friend bool operator<(Day a, Day b) { return a.number < b.number; }
    friend bool operator<=(Day a, Day b) { return a.number <= b.number; }
};

// The day of a valid date; none when month or day is out of range.
std::optional<Day> DayOf(int year, int month, int day);
// "yyyy-mm-dd" read strictly; none for anything else.
std::optional<Day> ParseDay(std::string_view text);
// "yyyy-mm-dd".
std::string DayText(Day day);

// When a press was recorded, read from the record's time "yyyy-mm-ddThh:mm:ss" with an optional
// fraction ".zzz": its day and the milliseconds since its midnight. None when it is anything else.
struct PressTime {
    Day day;
    std::uint32_t millisecond = 0;  // of the day
};
std::optional<PressTime> ParseRecordTime(std::string_view text);

}  // namespace report
