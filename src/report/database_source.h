// The production records as the factory's database holds them (db/postgresql.sql,
// db/sqlserver.sql): the same presses as the stations' files gave, read through ODBC.
#pragma once

#include <optional>
#include <string>

#include "day.h"
#include "record_reader.h"

namespace report {

// Reads the rows of romtool.production_record within [from, to] (either bound may be absent) and
// hands each press and each bad row (named "database, row <id>") to sink: by day, then by station
// folder and title, each station's rows in the order they arrived, which is its record's order.
// Returns how many rows it read. Throws database::OdbcError (its message masked) when the
// database cannot be read.
std::uint64_t ReadDatabaseRecords(const std::string& connectionString, std::optional<Day> from,
                                  std::optional<Day> to, RecordSink& sink);

}  // namespace report
