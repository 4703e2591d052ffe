// Reading back the day's production record of one station: the rows one copy of the program
// wrote, for what the window shows of the day.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace record {

// What the window needs of a row.
struct DayRow {
    std::string_view time;
    std::string_view verdict;
    std::string_view runMs;
    std::string_view deviceId;    // "" in a record without the column
    std::string_view boardLabel;  // as RecordedLabel wrote it; "" in a record without the column
    std::string_view fixture;     // "" at a one-fixture station or in a record without the column
};

// Calls take with every row of title in the record at path, as the file is now; nothing when
// there is no such file. Returns false (after calling take for nothing) when a file is there but
// cannot be read now: it is no record without rows. Rows are found by the header's column names,
// so every layout the station has written reads.
bool ForEachRowOf(const std::string& path, const std::string& title,
                  const std::function<void(const DayRow&)>& take);

}  // namespace record
