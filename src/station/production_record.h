// The production record: one row per press of the start button, in "yyyy-mm-dd.csv" beside the
// daily log, so that a spreadsheet or a factory system can trace every programmed board without
// parsing the log's free text.
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

#include "clock.h"
#include "dated_file.h"
#include "log4me.h"

// What one press of the start button did. Text is UTF-8.
struct ProductionRecord {
    // The programming run, when the press got that far.
    struct Run {
        std::chrono::milliseconds duration{0};
        bool timedOut = false;  // its limit ended it
        int exitCode = -1;      // the programmer's exit code, recorded as it came, never judged
    };

    os::LocalTime time;         // when the row was written; ProductionRecordFile stamps it
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
    std::string sameChipAs;  // the time of the day's earlier PASS row of the same chip, if any
};

// The header row, CR LF included.
std::string CsvHeader();
// One row, CR LF included.
std::string CsvRow(const ProductionRecord& record);
// One field quoted when it holds a comma, a double quote, CR or LF; quotes inside are doubled.
std::string CsvField(std::string_view text);
// The probe's output for one field: each line trimmed, empty lines left out, joined by ";".
std::string JoinedLines(std::string_view text);
// A row's time: ISO 8601 local time with milliseconds, 2024-02-29T12:34:56.789.
std::string RecordTime(const os::LocalTime& time);
// The record file's name for a date: "yyyy-mm-dd.csv".
std::string RecordFileName(const os::LocalTime& date);

// The station's production record: one file per day in the daily log's folder, which the
// station gives with every row. A row is written whatever the log's level says: the record is the
// line's evidence, not a log level. A row that cannot be written waits (in the pending file, else
// in memory) and goes first once the file takes rows again; see log4me::DatedFileAppender.
class ProductionRecordFile {
public:
    // owner: the application title, which names this copy's pending files. clock stamps the
    // rows: the program's logger's, so that a row and the log lines of its press agree.
    explicit ProductionRecordFile(const std::string& owner, log4me::Clock clock = log4me::Now);

    // Appends the record, stamped with the clock, to that day's file in folder (ending
    // in the separator). The file is created with its byte-order mark and header in one step, so
    // that of two copies starting the same day's file exactly one header is written; the row is
    // handed to the OS in one append, so rows of two copies never mix. A row that waits in memory
    // or is lost is reported in "log4me_err.log" too. Never throws.
    // The record's time is stamped in place.
    log4me::AppendResult Append(const std::string& folder, ProductionRecord& record) noexcept;
    // Tries again to write the rows that wait; returns how many still wait in memory.
    std::size_t Flush() noexcept { return file_.Flush(); }

private:
    log4me::DatedFileAppender file_;
    log4me::Clock clock_;
};
