// The station's production record on disk: one file per day in the daily log's folder, which the
// station gives with every row. A row is written whatever the log's level says: the record is the
// line's evidence, not a log level. A row that cannot be written waits (in the pending file, else
// in memory) and goes first once the file takes rows again; see log4me::DatedFileAppender.
#pragma once

#include <cstddef>
#include <string>

#include "log4me/dated_file.h"
#include "log4me/log4me.h"
#include "record/production_record.h"

namespace station {

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
    log4me::AppendResult Append(const std::string& folder,
                                record::ProductionRecord& record) noexcept;
    // Tries again to write the rows that wait; returns how many still wait in memory.
    std::size_t Flush() noexcept { return file_.Flush(); }

private:
    log4me::DatedFileAppender file_;
    log4me::Clock clock_;
};

}  // namespace station
