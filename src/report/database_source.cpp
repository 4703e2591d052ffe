#include "report/database_source.h"

#include <array>
#include <vector>

#include "platform/text.h"
#include "record/record_columns.h"

namespace report {

namespace {

using record::Column;

// The columns a press is read from, in this order, then the row's id.
constexpr std::array<Column, 9> kRead = {
    Column::kTime,  Column::kTitle,    Column::kStationFolder, Column::kVerdict, Column::kErrorCode,
    Column::kRunMs, Column::kDeviceId, Column::kSerialNumber,  Column::kFixture,
};

std::string Query(std::optional<Day> from, std::optional<Day> to) {
    std::string sql = "SELECT ";
    for (const Column column : kRead) {
        sql += "\"" + std::string(record::NameOf(column)) + "\", ";
    }
    sql += "id FROM romtool.production_record WHERE 1 = 1";
    if (from) {
        sql += " AND \"time\" >= CAST(? AS TIMESTAMP)";
    }
    if (to) {
        sql += " AND \"time\" < CAST(? AS TIMESTAMP)";
    }
    return sql + " ORDER BY CAST(\"time\" AS DATE), station_folder, title, id";
}

}  // namespace

void TakeDatabaseRow(const odbc::ResultRow& row, RecordSink& sink) {
    if (row.size() != kRead.size() + 1) {
        sink.OnBadRow({kDatabaseSource, 0,
                       "the query gave " + std::to_string(row.size()) + " columns, not " +
                           std::to_string(kRead.size() + 1)});
        return;
    }
    RowFields fields;
    for (std::size_t i = 0; i < kRead.size(); ++i) {
        fields[record::IndexOf(kRead[i])] = row[i] ? std::string_view(*row[i]) : "";
    }
    Press press;
    std::string reason = PressOf(fields, press);
    // The id only names the row; one that is not a number leaves the row unnamed, and unread
    // like a file's row with a field that is not what its column holds.
    const std::optional<std::uint64_t> id =
        row.back() ? os::DecimalNumber(*row.back()) : std::nullopt;
    if (reason.empty() && !id) {
        reason = "id is not a number";
    }
    if (reason.empty()) {
        sink.OnPress(press);
    } else {
        sink.OnBadRow({kDatabaseSource, id.value_or(0), std::move(reason)});
    }
}

std::uint64_t ReadDatabaseRecords(const std::string& connectionString, std::optional<Day> from,
                                  std::optional<Day> to, RecordSink& sink) {
    std::vector<odbc::Parameter> bounds;
    if (from) {
        bounds.emplace_back(DayText(*from) + " 00:00:00");
    }
    if (to) {
        bounds.emplace_back(DayText(Day{to->number + 1}) + " 00:00:00");
    }
    odbc::Timeouts timeouts;
    timeouts.query = std::chrono::seconds(0);  // a year of a line's rows takes its time
    odbc::OdbcConnection connection = odbc::OdbcConnection::Open(connectionString, timeouts);
    std::uint64_t rows = 0;
    connection.ForEachRow(Query(from, to), bounds, [&](const odbc::ResultRow& row) {
        ++rows;
        TakeDatabaseRow(row, sink);
    });
    return rows;
}

}  // namespace report
