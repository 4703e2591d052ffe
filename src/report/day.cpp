#include "report/day.h"

namespace report {

namespace {

bool Digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return true;
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

}  // namespace

std::optional<Day> DayOf(int year, int month, int day) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0)) {
        return std::nullopt;
    }
    // Days from civil (H. Hinnant's algorithm).
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return Day{era * 146097 + doe - 719468};
}

std::optional<Day> ParseDay(std::string_view text) {
    int year = 0, month = 0, day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !Digits(text, 0, 4, year) ||
        !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day)) {
        return std::nullopt;
    }
    return DayOf(year, month, day);
}

std::string DayText(Day day) {
    // Civil from days (H. Hinnant's algorithm).
    const int z = day.number + 719468;
    const int era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    const int y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    const auto two = [](int value) {
        return std::string(1, static_cast<char>('0' + value / 10)) +
               static_cast<char>('0' + value % 10);
    };
    const int year = ((y % 10000) + 10000) % 10000;
    return two(year / 100) + two(year % 100) + "-" + two(m) + "-" + two(d);
}

std::optional<PressTime> ParseRecordTime(std::string_view text) {
    int hour = 0, minute = 0, second = 0;
    if (text.size() < 19 || text[10] != 'T' || text[13] != ':' || text[16] != ':' ||
        !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute) ||
        !Digits(text, 17, 2, second) || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    int millisecond = 0;
    if (text.size() > 19) {
        const std::size_t digits = text.size() - 20;
        if (text[19] != '.' || digits < 1 || digits > 9 || !Digits(text, 20, digits, millisecond)) {
            return std::nullopt;
        }
        for (std::size_t i = digits; i < 3; ++i) {
            millisecond *= 10;
        }
        for (std::size_t i = 3; i < digits; ++i) {
            millisecond /= 10;
        }
    }
    const auto day = ParseDay(text.substr(0, 10));
    if (!day) {
        return std::nullopt;
    }
    return PressTime{*day, static_cast<std::uint32_t>(((hour * 60 + minute) * 60 + second) * 1000 +
                                                      millisecond)};
}

}  // namespace report
