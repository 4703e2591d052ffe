// Reading one production record file, row by row, in any column layout the station has written:
// the columns by their header names; a row with more fields than its file's header (a station
// updated during the day) takes its extra fields by the station's own column order.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "record/production_record.h"
#include "record/record_columns.h"
#include "report/day.h"
#include "report/record_search.h"

namespace report {

// One press as a row records it. The texts point into the reader's row and stay valid only
// during OnPress.
struct Press {
    PressTime time;
    std::string_view timeText;
    std::string_view title;
    std::string_view stationFolder;
    bool pass = false;
    int errorCode = -1;  // kNoCode (-1) when the row has none
    std::optional<std::uint32_t> runMs;
    std::optional<std::uint64_t> deviceId;      // the chip's ID, when recorded
    std::optional<std::uint64_t> serialNumber;  // the board's (on a FAIL row: voided) number
    std::string_view fixture;                   // "" at a one-fixture station, or before the column
};

// A row that could not be read: its file, its line (0: the whole file) and why.
struct BadRow {
    std::string path;
    std::uint64_t line = 0;
    std::string reason;
};

class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void OnPress(const Press& press) = 0;
    virtual void OnBadRow(BadRow bad) = 0;
};

// Reads the file, in pieces, and hands each press and each bad row to sink. A row is bad when
// its quoting is broken, it has fewer fields than the header, or a field is not what its column
// holds (time, verdict, error_code, run_ms, device_id, serial_number); a row whose time is not of
// the file's day is bad too. Blank lines are skipped. A file without a header naming the time and
// verdict columns is reported as one bad row and skipped; a file that cannot be read as one bad
// row with line 0 (rows read before the failure count). Never throws for the file's content.
void ReadRecordFile(const RecordFile& file, RecordSink& sink);

// A row's fields by the station's column order ("" for a column the row does not have).
using RowFields = std::array<std::string_view, record::kKnownColumns>;
// Reads the fields into press (its texts point into them); returns why the row is bad, or "" when
// it is not: a field that is not what its column holds (time, verdict, error_code, run_ms,
// device_id, serial_number). Used for the rows of files and of the database alike.
std::string PressOf(const RowFields& fields, Press& press);

// Field readers, exposed for the tests. None for anything that is not what the column holds.
std::optional<std::uint64_t> ParseDecimal(std::string_view text, std::size_t maxDigits);
std::optional<std::uint64_t> ParseDeviceId(std::string_view text);  // 16 hex digits
using record::DeviceIdText;  // the record's own text of a chip ID

}  // namespace report
