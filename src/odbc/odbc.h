// ODBC as the programs reach a factory database: one connection, statements whose values are
// always bound as parameters (never glued into the SQL text), a login and a query timeout on
// every call, and failures that carry the SQLSTATE and the driver's text with the connection
// string's passwords masked. Windows reaches the database through odbc32.dll, Linux through
// unixODBC; both are called with UTF-16 text, so any character reaches the database.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "odbc/secrets.h"

namespace odbc {

// A failed ODBC call. The message is the driver's diagnostics, one per line, with the passwords
// of the connection string masked; it never holds the connection string itself.
class OdbcError : public std::runtime_error {
public:
    OdbcError(std::string sqlState, const std::string& message, std::int32_t nativeError = 0)
        : std::runtime_error(message), sqlState_(std::move(sqlState)), nativeError_(nativeError) {}

    // The five-character SQLSTATE of the first diagnostic ("" when the driver gave none).
    const std::string& SqlState() const { return sqlState_; }
    // The database's own code of the first diagnostic (SQL Server's message number, e.g. 2812);
    // 0 when the driver gave none.
    std::int32_t NativeError() const { return nativeError_; }
    // The database refused the values themselves: one that is not what its column holds or is
    // too long for it (class 22), or one that breaks a constraint (class 23). Sending the same
    // values again would be refused again. Anything else (the connection, a timeout, a missing
    // right or procedure) may pass later.
    bool ValuesRefused() const;

private:
    std::string sqlState_;
    std::int32_t nativeError_;
};

// A statement's parameter: text (UTF-8) or a 32-bit whole number.
using Parameter = std::variant<std::string, std::int32_t>;
// A result row: each column as text (UTF-8), none for NULL. Timestamps read as the record
// writes them, yyyy-mm-ddThh:mm:ss.zzz.
using ResultRow = std::vector<std::optional<std::string>>;

struct Timeouts {
    std::chrono::seconds login{5};  // to connect, log in and get the first answer
    std::chrono::seconds query{5};  // for each statement
};

// One open connection. Move-only; closing it (the destructor) disconnects and frees every
// handle it holds, on every path. Use from one thread at a time.
class OdbcConnection {
public:
    // Connects without prompting. Throws OdbcError (its message masked).
    static OdbcConnection Open(const std::string& connectionString, const Timeouts& timeouts);

    OdbcConnection(OdbcConnection&&) noexcept;
    OdbcConnection& operator=(OdbcConnection&&) noexcept;
    ~OdbcConnection();

    // Runs sql (with ? for each parameter, in order) in its own transaction and returns the
    // rows of its first result set, if it has one. Throws OdbcError.
    std::vector<ResultRow> Execute(const std::string& sql,
                                   const std::vector<Parameter>& parameters);
    // The same, handing each row to take as it is fetched, so that a large result is never
    // held whole. The row is valid only during the call.
    void ForEachRow(const std::string& sql, const std::vector<Parameter>& parameters,
                    const std::function<void(const ResultRow&)>& take);

    struct Handles;

private:
    explicit OdbcConnection(std::unique_ptr<Handles> handles);
    std::unique_ptr<Handles> handles_;
};

}  // namespace odbc
