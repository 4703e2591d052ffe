// The factory's database as the station uses it: the procedures the scripts in db/ create,
// called through ODBC's {CALL ...} escape so that every database the scripts cover takes the
// same calls. One connection, opened when first needed and dropped after any failure other than
// refused values, so the next call connects anew.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "database/database_status.h"
#include "database/record_delivery.h"
#include "odbc/odbc.h"
#include "serial_numbers/serial_number_state.h"

namespace database {

// What the station's worker needs of the factory's database; a test puts a stand-in in its
// place (a database that holds a call, refuses, or is away).
class FactoryLink : public RowDestination {
public:
    // Opens the connection unless one is open. Throws odbc::OdbcError.
    virtual void Connect() = 0;
    // The next block of at most count numbers of pool; none when the pool is used up. Throws
    // odbc::OdbcError.
    virtual std::optional<serial_numbers::NumberRange> TakeBlock(const std::string& pool,
                                                                 std::uint32_t count) = 0;
    // Whether a station has a PASS row of the board label (as the record's field holds it), and
    // which. kNotPassed, kPassed or kNoProcedure; throws odbc::OdbcError for any other failure.
    virtual LabelAnswer LabelPassed(const std::string& recordedLabel) = 0;
};

// Makes the link for a connection string; nothing is called until its first use.
using OpenFactory = std::function<std::unique_ptr<FactoryLink>(const std::string& connection,
                                                               odbc::Timeouts timeouts)>;
// The factory's database itself (FactoryDatabase below).
// SQL Server's "Could not find stored procedure" (SQLSTATE 42000, a class it shares with syntax
// errors and missing rights: its message number tells them apart).
inline constexpr std::int32_t kSqlServerNoProcedure = 2812;

// True when the call failed because the database has no such procedure or function, told by
// codes alone: PostgreSQL's undefined function (SQLSTATE 42883), SQL Server's 42000 with
// kSqlServerNoProcedure.
bool NoSuchProcedure(const odbc::OdbcError& error);

std::unique_ptr<FactoryLink> OpenFactoryDatabase(const std::string& connection,
                                                 odbc::Timeouts timeouts);

class FactoryDatabase : public FactoryLink {
public:
    explicit FactoryDatabase(std::string connectionString, odbc::Timeouts timeouts = {});

    const std::string& ConnectionString() const { return connectionString_; }
    void Connect() override;

    // romtool.add_record_row: the row under its key, ignored when the key is there already.
    void AddRow(const std::string& key, const std::string& station,
                const RecordFields& fields) override;
    // romtool.take_serial_block: the next block of at most count numbers of pool, taken in one
    // transaction; none when the pool is used up. Throws odbc::OdbcError, also for an unknown pool
    // (with the database's reason) and for a block that is not one (SQLSTATE HY000).
    std::optional<serial_numbers::NumberRange> TakeBlock(const std::string& pool,
                                                         std::uint32_t count) override;
    // romtool.label_passed: the station and time of the label's first PASS row; kNoProcedure
    // for a database made before the procedure (NoSuchProcedure).
    LabelAnswer LabelPassed(const std::string& recordedLabel) override;

private:
    std::vector<odbc::ResultRow> Call(const std::string& sql,
                                      const std::vector<odbc::Parameter>& parameters);

    std::string connectionString_;
    odbc::Timeouts timeouts_;
    std::optional<odbc::OdbcConnection> connection_;
};

}  // namespace database
