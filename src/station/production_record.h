// The production record: one row per press of the start button, in "yyyy-mm-dd.csv" beside the
// daily log, so that a spreadsheet or a factory system can trace every programmed board without
// parsing the log's free text.
//
// The file is UTF-8 with a byte-order mark (a spreadsheet on a Chinese Windows then reads it as
// UTF-8), starts with a header row, and has one row per press, fields quoted as RFC 4180 asks
// and rows ended by CR LF.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "clock.h"

// What one press of the start button did. Text is UTF-8.
struct ProductionRecord {
    // The programming run, when the press got that far.
    struct Run {
        std::chrono::milliseconds duration{0};
        bool timedOut = false;  // its limit ended it
        int exitCode = -1;      // the programmer's exit code, recorded as it came, never judged
    };

    os::LocalTime time;         // when the row was written; AppendProductionRecord stamps it
    std::string title;          // the application title
    std::string stationFolder;  // the folder of the station program
    std::string probeOutput;    // the probe query's whole output; "" when it did not run
    std::string imagePath;
    std::string checksum;  // the image's checksum that the check compared; "" when it did not
    bool erase = false;
    bool pass = false;
    std::optional<int> errorCode;  // 0 or 101-109; none when an error ended the press
    std::optional<Run> run;
};

// The header row, CR LF included.
std::string CsvHeader();
// One row, CR LF included.
std::string CsvRow(const ProductionRecord& record);
// One field quoted when it holds a comma, a double quote, CR or LF; quotes inside are doubled.
std::string CsvField(std::string_view text);
// The probe's output for one field: each line trimmed, empty lines left out, joined by ";".
std::string JoinedLines(std::string_view text);
// The record file's name for a date: "yyyy-mm-dd.csv".
std::string RecordFileName(const os::LocalTime& date);

// Appends the record, stamped with the logger's clock, to that day's file in the daily log's
// folder, when the logger writes info lines. The file is created with its byte-order mark and
// header in one step, so that of two copies starting the same day's file exactly one header is
// written; the row is handed to the OS in one append, so rows of two copies never mix. A failure
// goes to "log4me_err.log"; nothing is thrown.
void AppendProductionRecord(ProductionRecord record) noexcept;
