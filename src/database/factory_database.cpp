#include "database/factory_database.h"

#include <utility>

#include "record/record_columns.h"

namespace database {

namespace {

constexpr char kTakeBlock[] = "{CALL romtool.take_serial_block(?, ?)}";
constexpr char kLabelPassed[] = "{CALL romtool.label_passed(?)}";

// add_record_row's call: the station's name, the row's key, then every column of the record.
std::string AddRowCall() {
    std::string call = "{CALL romtool.add_record_row(?, ?";
    for (std::size_t i = 0; i < record::kKnownColumns; ++i) {
        call += ", ?";
    }
    return call + ")}";
}

std::optional<std::uint32_t> Number(const std::optional<std::string>& text) {
    if (!text || text->empty() || text->size() > 10) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : *text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value <= UINT32_MAX ? std::optional(static_cast<std::uint32_t>(value)) : std::nullopt;
}

}  // namespace

bool NoSuchProcedure(const odbc::OdbcError& error) {
    return error.SqlState() == "42883" ||
           (error.SqlState() == "42000" && error.NativeError() == kSqlServerNoProcedure);
}

std::unique_ptr<FactoryLink> OpenFactoryDatabase(const std::string& connection,
                                                 odbc::Timeouts timeouts) {
    return std::make_unique<FactoryDatabase>(connection, timeouts);
}

FactoryDatabase::FactoryDatabase(std::string connectionString, odbc::Timeouts timeouts)
    : connectionString_(std::move(connectionString)), timeouts_(timeouts) {}

void FactoryDatabase::Connect() {
    if (!connection_) {
        connection_.emplace(odbc::OdbcConnection::Open(connectionString_, timeouts_));
    }
}

std::vector<odbc::ResultRow> FactoryDatabase::Call(const std::string& sql,
                                                   const std::vector<odbc::Parameter>& parameters) {
    Connect();
    try {
        return connection_->Execute(sql, parameters);
    } catch (const odbc::OdbcError& error) {
        if (!error.ValuesRefused()) {
            connection_.reset();
        }
        throw;
    }
}

void FactoryDatabase::AddRow(const std::string& key, const std::string& station,
                             const RecordFields& fields) {
    std::vector<odbc::Parameter> parameters{station, key};
    parameters.insert(parameters.end(), fields.begin(), fields.end());
    Call(AddRowCall(), parameters);
}

std::optional<serial_numbers::NumberRange> FactoryDatabase::TakeBlock(const std::string& pool,
                                                                      std::uint32_t count) {
    const std::int32_t asked = static_cast<std::int32_t>(std::min<std::uint32_t>(count, INT32_MAX));
    const std::vector<odbc::ResultRow> rows = Call(kTakeBlock, {pool, asked});
    if (rows.empty()) {
        return std::nullopt;
    }
    const auto first = rows[0].size() == 2 ? Number(rows[0][0]) : std::nullopt;
    const auto last = rows[0].size() == 2 ? Number(rows[0][1]) : std::nullopt;
    if (!first || !last || *last < *first || *last - *first >= count) {
        throw odbc::OdbcError("HY000", "the serial number pool \"" + pool +
                                           "\" gave a block that is not one of at most " +
                                           std::to_string(count) + " numbers below 2^32");
    }
    return serial_numbers::NumberRange{*first, *last};
}

LabelAnswer FactoryDatabase::LabelPassed(const std::string& recordedLabel) {
    std::vector<odbc::ResultRow> rows;
    try {
        rows = Call(kLabelPassed, {recordedLabel});
    } catch (const odbc::OdbcError& error) {
        if (!NoSuchProcedure(error)) {
            throw;
        }
        LabelAnswer answer;
        answer.kind = LabelAnswer::Kind::kNoProcedure;
        return answer;
    }
    LabelAnswer answer;
    answer.kind = LabelAnswer::Kind::kNotPassed;
    if (!rows.empty() && rows[0].size() == 2) {
        answer.kind = LabelAnswer::Kind::kPassed;
        answer.station = rows[0][0].value_or("");
        answer.time = rows[0][1].value_or("");
    }
    return answer;
}

}  // namespace database
