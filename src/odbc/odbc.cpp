#include "odbc/odbc.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <utility>

#include "odbc/text16.h"
#include "odbc/text_piece.h"
#include "odbc_api.h"

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC's wide text is UTF-16");
static_assert(odbc::kNoTotal == SQL_NO_TOTAL, "the length a driver does not know");

namespace odbc {

namespace {

// An ODBC handle, freed when it goes.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) {
            handle_ = SQL_NULL_HANDLE;
        }
    }
    ~Handle() {
        if (handle_ != SQL_NULL_HANDLE) {
            SQLFreeHandle(type_, handle_);
        }
    }
    Handle(Handle&& other) noexcept
        : type_(other.type_), handle_(std::exchange(other.handle_, SQLHANDLE{})) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle& operator=(Handle&&) = delete;

    SQLSMALLINT Type() const { return type_; }
    SQLHANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

SQLWCHAR* Wide(std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

// The diagnostics of the handle's last call, as an error; what names the call when the driver
// left none.
OdbcError ErrorOf(const Handle& handle, const Secrets& secrets, const char* what) {
    std::string state;
    std::int32_t firstNative = 0;
    std::string message;
    SQLWCHAR code[6] = {};
    SQLWCHAR text[1024];
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1;
         i <= 8 && SQL_SUCCEEDED(SQLGetDiagRecW(handle.Type(), handle.Get(), i, code, &native, text,
                                                1024, &length));
         ++i) {
        const std::u16string_view codeText(reinterpret_cast<const char16_t*>(code), 5);
        if (i == 1) {
            state = Utf8Of(codeText);
            firstNative = static_cast<std::int32_t>(native);
        }
        const auto shown = static_cast<std::size_t>(std::min<SQLSMALLINT>(length, 1023));
        message += (message.empty() ? "" : "\n") +
                   Utf8Of(std::u16string_view(reinterpret_cast<const char16_t*>(text), shown));
    }
    if (message.empty()) {
        message = std::string(what) + " failed without a diagnostic";
    }
    return OdbcError(state, secrets.Masked(message), firstNative);
}

void Check(SQLRETURN result, const Handle& handle, const Secrets& secrets, const char* what) {
    if (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA) {
        throw ErrorOf(handle, secrets, what);
    }
}

Handle Allocate(SQLSMALLINT type, SQLHANDLE parent, const char* what) {
    Handle handle(type, parent);
    if (!handle) {
        throw OdbcError("HY001", std::string("cannot allocate an ODBC ") + what + " handle");
    }
    return handle;
}

// The values of a statement's parameters, alive while it runs.
struct BoundParameters {
    std::vector<std::u16string> texts;
    std::vector<SQLINTEGER> numbers;
    std::vector<SQLLEN> lengths;
};

void Bind(const Handle& statement, const std::vector<Parameter>& parameters, BoundParameters& bound,
          const Secrets& secrets) {
    bound.texts.reserve(parameters.size());
    bound.numbers.reserve(parameters.size());
    bound.lengths.reserve(parameters.size());
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const auto number = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN result = SQL_SUCCESS;
        if (const auto* text = std::get_if<std::string>(&parameters[i])) {
            std::u16string& wide = bound.texts.emplace_back(Utf16Of(*text));
            bound.lengths.push_back(static_cast<SQLLEN>(wide.size() * sizeof(char16_t)));
            // Long text as such, so that drivers with a limit on plain text (4000 characters
            // for SQL Server) take it whole.
            const SQLSMALLINT type = wide.size() > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
            result = SQLBindParameter(statement.Get(), number, SQL_PARAM_INPUT, SQL_C_WCHAR, type,
                                      std::max<SQLULEN>(wide.size(), 1), 0, Wide(wide),
                                      bound.lengths.back(), &bound.lengths.back());
        } else {
            bound.numbers.push_back(std::get<std::int32_t>(parameters[i]));
            bound.lengths.push_back(0);
            result =
                SQLBindParameter(statement.Get(), number, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER,
                                 0, 0, &bound.numbers.back(), 0, &bound.lengths.back());
        }
        Check(result, statement, secrets, "SQLBindParameter");
    }
}

std::string TimestampText(const SQL_TIMESTAMP_STRUCT& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02u:%02u:%02u.%03lu", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, static_cast<unsigned long>(t.fraction / 1000000));
    return text;
}

// One column of the fetched row: timestamps as the record writes them, the rest as text.
std::optional<std::string> ColumnOf(const Handle& statement, SQLUSMALLINT column, bool timestamp,
                                    const Secrets& secrets) {
    SQLLEN length = 0;
    if (timestamp) {
        SQL_TIMESTAMP_STRUCT value{};
        Check(SQLGetData(statement.Get(), column, SQL_C_TYPE_TIMESTAMP, &value, sizeof value,
                         &length),
              statement, secrets, "SQLGetData");
        return length == SQL_NULL_DATA ? std::nullopt : std::optional(TimestampText(value));
    }
    std::u16string text;
    char16_t piece[2048];
    for (;;) {
        const SQLRETURN result =
            SQLGetData(statement.Get(), column, SQL_C_WCHAR, piece, sizeof piece, &length);
        if (result == SQL_NO_DATA) {
            break;
        }
        Check(result, statement, secrets, "SQLGetData");
        if (length == SQL_NULL_DATA) {
            return std::nullopt;
        }
        // A piece that did not fit says so with SQL_SUCCESS_WITH_INFO and fills the buffer; some
        // drivers give no length at all (SQL_NO_TOTAL).
        const TextPiece taken = TextPieceOf(std::u16string_view(piece, std::size(piece)), length);
        text.append(piece, taken.units);
        if (taken.last) {
            break;
        }
    }
    return Utf8Of(text);
}

void FetchEach(const Handle& statement, const Secrets& secrets,
               const std::function<void(const ResultRow&)>& take) {
    SQLSMALLINT columns = 0;
    Check(SQLNumResultCols(statement.Get(), &columns), statement, secrets, "SQLNumResultCols");
    std::vector<bool> timestamps;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLLEN type = 0;
        Check(
            SQLColAttributeW(statement.Get(), c, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &type),
            statement, secrets, "SQLColAttribute");
        timestamps.push_back(type == SQL_TYPE_TIMESTAMP || type == SQL_TIMESTAMP);
    }
    ResultRow row(static_cast<std::size_t>(columns));
    while (columns > 0) {
        const SQLRETURN result = SQLFetch(statement.Get());
        if (result == SQL_NO_DATA) {
            break;
        }
        Check(result, statement, secrets, "SQLFetch");
        for (SQLUSMALLINT c = 1; c <= columns; ++c) {
            row[c - 1] = ColumnOf(statement, c, timestamps[c - 1], secrets);
        }
        take(row);
    }
}

// An environment for ODBC 3 behaviour (SQLSTATEs, timestamps).
Handle Environment() {
    Handle environment = Allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE, "environment");
    Check(SQLSetEnvAttr(environment.Get(), SQL_ATTR_ODBC_VERSION,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_OV_ODBC3)), 0),
          environment, Secrets(), "SQLSetEnvAttr");
    return environment;
}

void SetSeconds(const Handle& connection, SQLINTEGER attribute, std::chrono::seconds seconds,
                const Secrets& secrets) {
    const auto value = static_cast<SQLULEN>(seconds.count());
    Check(SQLSetConnectAttrW(connection.Get(), attribute, reinterpret_cast<SQLPOINTER>(value), 0),
          connection, secrets, "SQLSetConnectAttr");
}

}  // namespace

bool OdbcError::ValuesRefused() const {
    return sqlState_.rfind("22", 0) == 0 || sqlState_.rfind("23", 0) == 0;
}

// Members are freed in reverse order: the connection before its environment.
struct OdbcConnection::Handles {
    Handles(const std::string& connectionString, const Timeouts& limits)
        : secrets(connectionString), timeouts(limits) {}
    ~Handles() {
        if (connected) {
            SQLDisconnect(connection.Get());
        }
    }
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;

    Secrets secrets;
    Timeouts timeouts;
    Handle environment = Environment();
    Handle connection = Allocate(SQL_HANDLE_DBC, environment.Get(), "connection");
    bool connected = false;
};

OdbcConnection OdbcConnection::Open(const std::string& connectionString, const Timeouts& timeouts) {
    auto handles = std::make_unique<Handles>(connectionString, timeouts);
    const Handle& connection = handles->connection;
    SetSeconds(connection, SQL_ATTR_LOGIN_TIMEOUT, timeouts.login, handles->secrets);
    SetSeconds(connection, SQL_ATTR_CONNECTION_TIMEOUT, timeouts.query, handles->secrets);
    std::u16string text = Utf16Of(connectionString);
    Check(SQLDriverConnectW(connection.Get(), nullptr, Wide(text), SQL_NTS, nullptr, 0, nullptr,
                            SQL_DRIVER_NOPROMPT),
          connection, handles->secrets, "SQLDriverConnect");
    handles->connected = true;
    return OdbcConnection(std::move(handles));
}

OdbcConnection::OdbcConnection(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}
OdbcConnection::OdbcConnection(OdbcConnection&&) noexcept = default;
OdbcConnection& OdbcConnection::operator=(OdbcConnection&&) noexcept = default;
OdbcConnection::~OdbcConnection() = default;

std::vector<ResultRow> OdbcConnection::Execute(const std::string& sql,
                                               const std::vector<Parameter>& parameters) {
    std::vector<ResultRow> rows;
    ForEachRow(sql, parameters, [&](const ResultRow& row) { rows.push_back(row); });
    return rows;
}

void OdbcConnection::ForEachRow(const std::string& sql, const std::vector<Parameter>& parameters,
                                const std::function<void(const ResultRow&)>& take) {
    const Secrets& secrets = handles_->secrets;
    const Handle statement = Allocate(SQL_HANDLE_STMT, handles_->connection.Get(), "statement");
    const auto seconds = static_cast<SQLULEN>(handles_->timeouts.query.count());
    Check(SQLSetStmtAttrW(statement.Get(), SQL_ATTR_QUERY_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(seconds), 0),
          statement, secrets, "SQLSetStmtAttr");
    BoundParameters bound;
    Bind(statement, parameters, bound, secrets);
    std::u16string text = Utf16Of(sql);
    Check(SQLExecDirectW(statement.Get(), Wide(text), SQL_NTS), statement, secrets,
          "SQLExecDirect");
    FetchEach(statement, secrets, take);
}

}  // namespace odbc
