// Records written for the report's tests: a header of the first n known columns, and rows built
// field by field.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "record/csv.h"
#include "record/record_columns.h"

namespace report_test {

inline const std::string kBom = "\xEF\xBB\xBF";

// One row of the record from its fields: time, title, folder, verdict, code, run_ms, then
// optional device_id, serial_number and fixture; the others filled as the station would.
struct Row {
    std::string time;
    std::string verdict = "PASS";
    std::string code = "0";
    std::string runMs = "4000";
    std::string title = "Line1";
    std::string folder = "C:\\Station\\";
    std::string deviceId;
    std::string serial;
    std::string fixture;
};

// A row of Line1 at time: the verdict, the error code and run_ms as given.
inline Row R(std::string time, std::string verdict = "PASS", std::string code = "0",
             std::string runMs = "4000") {
    Row row;
    row.time = std::move(time);
    row.verdict = std::move(verdict);
    row.code = std::move(code);
    row.runMs = std::move(runMs);
    return row;
}

// The row as the station of a layout of columns columns writes it.
inline std::string RowText(const Row& row, std::size_t columns) {
    std::vector<std::string> fields = {row.time,
                                       row.title,
                                       row.folder,
                                       "682123456",
                                       row.folder + "merge.hex",
                                       "9F1C",
                                       "yes",
                                       row.verdict,
                                       row.code,
                                       row.runMs,
                                       row.runMs.empty() ? "" : "no",
                                       row.runMs.empty() ? "" : "0",
                                       "682123456",
                                       row.deviceId,
                                       row.serial};
    fields.resize(record::kKnownColumns);
    fields[record::IndexOf(record::Column::kFixture)] = row.fixture;
    fields.resize(columns);
    return record::RowText(fields);
}

// A whole file: the byte-order mark, the header of headerColumns, rows of rowColumns each.
inline std::string RecordText(std::size_t headerColumns, const std::vector<Row>& rows,
                              std::size_t rowColumns = 0, bool bom = true) {
    std::string text = (bom ? kBom : "") + record::HeaderRow(headerColumns);
    for (const Row& row : rows) {
        text += RowText(row, rowColumns ? rowColumns : headerColumns);
    }
    return text;
}

}  // namespace report_test
