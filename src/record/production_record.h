// The production record's row as the station writes it: one row per press of the start button,
// in "yyyy-mm-dd.csv" beside the daily log, so that a spreadsheet or a factory system can trace
// every programmed board without parsing the log's free text.
//
// The file is UTF-8 with a byte-order mark (a spreadsheet on a Chinese Windows then reads it as
// UTF-8), starts with a header row, and has one row per press, fields quoted as RFC 4180 asks
// and rows ended by CR LF.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"

namespace record {

// Every record file starts with it.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A record file's extension.
inline constexpr char kRecordExtension[] = ".csv";

// What one press of the start button did. Text is UTF-8.
struct ProductionRecord {
    // The programming run, when the press got that far.
    struct Run {
        std::chrono::milliseconds duration{0};
        bool timedOut = false;  // its limit ended it
        int exitCode = -1;      // the programmer's exit code, recorded as it came, never judged
    };

    os::LocalTime time;         // when the row was written; the appender stamps it
    std::string title;          // the application title
    std::string stationFolder;  // the folder of the station program
    std::string probeOutput;    // the probe query's whole output; "" when it did not run
    std::string imagePath;
    std::string checksum;  // the image's checksum that the check compared; "" when it did not
    bool erase = false;
    bool pass = false;
    std::optional<int> errorCode;  // 0 or a code of the check or run; none when an error ended it
    std::optional<Run> run;
    std::string probeSerial;  // the serial of the probe the press used; "" when none was bound
    std::string deviceId;     // the chip's DEVICEID, when it was read
    std::optional<std::uint32_t> serialNumber;  // the number reserved for the board: written on
                                                // a PASS, voided on a FAIL
    std::string sameChipAs;       // the time of the day's earlier PASS row of the same chip, if any
    std::string boardLabel;       // the board's scanned label as the operator gave it; "" for none
    std::string family;           // the chip's family as config.ini names it; "" for none
    std::optional<int> sessions;  // the programmer calls the run made; none when it did not run
    std::string mesCheck;         // the MES's route check: "ok", "unreachable"; "" without [mes]
    std::string fixture;  // the fixture's name; "" for a one-fixture station
};

// The header row, CR LF included.
std::string CsvHeader();
// One row, CR LF included.
std::string CsvRow(const ProductionRecord& record);
// The probe's output for one field: each line trimmed, empty lines left out, joined by ";".
std::string JoinedLines(std::string_view text);
// A row's time: ISO 8601 local time with milliseconds, 2024-02-29T12:34:56.789.
std::string RecordTime(const os::LocalTime& time);
// The record file's name for a date: "yyyy-mm-dd.csv".
std::string RecordFileName(const os::LocalTime& date);
// The board's label as its field holds it: a label starting with "=", "+", "-" or "@" (which a
// spreadsheet would run as a formula) or with the quote itself gets a leading "'", so a
// spreadsheet shows it as text and two labels never share a field.
std::string RecordedLabel(std::string_view label);
// True for the name of a day's record file, "yyyy-mm-dd.csv".
bool IsRecordFileName(std::string_view name);
// The chip's ID as the record holds it: 16 upper-case hexadecimal digits.
std::string DeviceIdText(std::uint64_t id);
// A file's text without its byte-order mark, when it has one.
std::string_view WithoutByteOrderMark(std::string_view text);

}  // namespace record
