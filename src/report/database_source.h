// The production records as the factory's database holds them (db/postgresql.sql,
// db/sqlserver.sql): the same presses as the stations' files gave, read through ODBC.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "odbc/odbc.h"
#include "report/day.h"
#include "report/record_reader.h"

namespace report {

// The name a bad row of the database goes by, in place of a file's path.
inline constexpr char kDatabaseSource[] = "database";

// Reads the rows of romtool.production_record within [from, to] (either bound may be absent) and
// hands each press and each bad row (named "database:<id>") to sink: by day, then by station
// folder and title, each station's rows in the order they arrived, which is its record's order.
// Returns how many rows it read. Throws odbc::OdbcError (its message masked) when the
// database cannot be read.
std::uint64_t ReadDatabaseRecords(const std::string& connectionString, std::optional<Day> from,
                                  std::optional<Day> to, RecordSink& sink);

// What reads the database for the report: ReadDatabaseRecords, or a stand-in in the tests.
using DatabaseReader = std::function<std::uint64_t(const std::string&, std::optional<Day>,
                                                   std::optional<Day>, RecordSink&)>;

// One row of the query (the record's time, title, station_folder, verdict, error_code, run_ms,
// device_id, serial_number, then the row's id) handed to sink as a press, or as a bad row when a
// field is not what its column holds, as a file's row would be. A row whose id is missing or not
// a number is bad too, named without a row number. Never throws for the row's content.
void TakeDatabaseRow(const odbc::ResultRow& row, RecordSink& sink);

}  // namespace report
