// Writes a year of a busy line's production records for the report's benchmark:
//   record_gen FOLDER ROWS [STATIONS]
// FOLDER/StationN/logs/yyyy-mm-dd.csv for STATIONS stations (default 8) over the 365 days of
// 2024-01-01 on, ROWS rows in all, in every layout the station has written: 12 columns for the
// first 30 days, 13 until the middle of the year, a day whose station was updated at noon (13
// columns in its header, 15 in its afternoon rows), then 15 (chip IDs and serial numbers). About
// 8 % of the presses fail (codes 107, 102, 105, 111); a board that failed programming is pressed
// again at once with the same chip. Deterministic: the same arguments write the same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "platform/files.h"
#include "platform/paths.h"
#include "record/csv.h"
#include "record/production_record.h"
#include "record/record_columns.h"

namespace {

std::string Two(int value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}

// yyyy-mm-dd of 2024's day of the year (0-based; 2024 is a leap year).
std::string DateOf(int dayOfYear) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 0;
    while (dayOfYear >= kDays[month]) {
        dayOfYear -= kDays[month++];
    }
    return "2024-" + Two(month + 1) + "-" + Two(dayOfYear + 1);
}

std::string Hex16(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: record_gen FOLDER ROWS [STATIONS]\n");
        return 2;
    }
    const std::string root = argv[1];
    const long rows = std::atol(argv[2]);
    const int stations = argc > 3 ? std::atoi(argv[3]) : 8;
    constexpr int kDaysInYear = 365;
    const long perDay = rows / (stations * kDaysInYear);
    long extra = rows - perDay * stations * kDaysInYear;  // spread over the first files
    std::mt19937_64 random(20240101);
    const std::string sep(1, os::kPathSeparator);
    for (int s = 1; s <= stations; ++s) {
        const std::string title = "Line" + std::to_string(s);
        const std::string folder = "D:\\Stations\\" + title + "\\";
        const std::string probe = std::to_string(682000000 + s);
        std::uint64_t chip = static_cast<std::uint64_t>(s) << 40;
        std::uint64_t serial = static_cast<std::uint64_t>(s) * 100000000ull;
        std::filesystem::create_directories(root + sep + title + sep + "logs");
        for (int day = 0; day < kDaysInYear; ++day) {
            const std::string date = DateOf(day);
            const std::size_t headerColumns = day < 30 ? 12 : day <= 182 ? 13 : 15;
            long count = perDay + (extra > 0 ? 1 : 0);
            extra -= extra > 0 ? 1 : 0;
            std::string text =
                std::string(record::kByteOrderMark) + record::HeaderRow(headerColumns);
            bool retry = false;
            for (long i = 0; i < count; ++i) {
                const std::size_t columns = day == 182 && i >= count / 2 ? 15 : headerColumns;
                // 08:00 to 20:00, in order.
                const long ms =
                    8 * 3600000L + i * (12 * 3600000L) / count + static_cast<long>(random() % 1000);
                const std::string time = date + "T" + Two(static_cast<int>(ms / 3600000)) + ":" +
                                         Two(static_cast<int>(ms / 60000 % 60)) + ":" +
                                         Two(static_cast<int>(ms / 1000 % 60)) + "." +
                                         std::to_string(1000 + ms % 1000).substr(1);
                const unsigned roll = static_cast<unsigned>(random() % 1000);
                int code = 0;
                if (!retry) {
                    code = roll < 50   ? 107
                           : roll < 65 ? 102
                           : roll < 75 ? 105
                           : roll < 80 ? 111
                                       : 0;
                    ++chip;
                }
                const bool ran = code == 0 || code == 107;
                const bool chipRead = code == 0 || code == 107;
                const std::string runMs =
                    ran ? std::to_string(code ? 1500 + random() % 2500 : 3500 + random() % 3000)
                        : "";
                const std::string fields[] = {time,
                                              title,
                                              folder,
                                              probe,
                                              folder + "merge.hex",
                                              code == 105 ? "0123456789ABCDEF0123456789ABCDEF"
                                                          : "9F1C0A7E5B3D2C41A8E6F0B7D9C3E215",
                                              "yes",
                                              code ? "FAIL" : "PASS",
                                              std::to_string(code),
                                              runMs,
                                              ran ? "no" : "",
                                              ran ? (code ? "1" : "0") : "",
                                              probe,
                                              chipRead ? Hex16(chip) : "",
                                              std::to_string(++serial)};
                std::string row;
                for (std::size_t c = 0; c < columns; ++c) {
                    if (c > 0) {
                        row += ',';
                    }
                    record::AppendCsvField(row, fields[c]);
                }
                text += row + "\r\n";
                retry = code == 107;
            }
            os::ReplaceFileContent(root + sep + title + sep + "logs" + sep + date + ".csv", text);
        }
    }
    return 0;
}
