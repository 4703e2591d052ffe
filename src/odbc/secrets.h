// Passwords in an ODBC connection string ("...;Uid=line3;Pwd=secret"), kept out of every text
// that may reach a log, the window or the record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace odbc {

// The connection string with the value of every PWD and PASSWORD key (any letter case, blanks
// around the name allowed) replaced by "***". A value in braces ("Pwd={a;b}}c}") is masked
// whole, up to its closing brace.
std::string MaskedConnectionString(std::string_view connectionString);

// The passwords of one connection string, to mask wherever they turn up, e.g. in a driver's
// message that quotes what it was given.
class Secrets {
public:
    Secrets() = default;
    explicit Secrets(std::string_view connectionString);

    // text with every occurrence of a password replaced by "***".
    std::string Masked(std::string text) const;

private:
    std::vector<std::string> passwords_;  // the values as written, and without their braces
};

}  // namespace odbc
