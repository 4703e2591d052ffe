// What config.ini says about the factory's database, read again at every check like the other
// sections, so that an edit takes effect at the next refresh. A title's key wins over the plain
// one ("connection.Line2" over "connection"), as everywhere in config.ini:
//
//     [database]
//     connection=DSN=romtool   ; an ODBC connection string; the credentials live in the DSN
//     station=L3-S07           ; this station's name in the database
//                              ; (default: the computer's name and the title, "PC07/romtool")
//     [serial]
//     pool=nrf52-board         ; take the serial numbers from this pool of the database
//     block=100                ; so many at a time (default 100)
//
// Without these keys nothing is sent and no pool is used: the station is as it always was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace database {

struct DatabaseSettings {
    std::string connection;  // as written; may hold a password: show odbc::MaskedConnectionString
    std::string station;     // never empty

    friend bool operator==(const DatabaseSettings& a, const DatabaseSettings& b) {
        return a.connection == b.connection && a.station == b.station;
    }
};

// [database] of the copy titled title, read now from the file at configPath; none when it
// names no connection.
std::optional<DatabaseSettings> ReadDatabaseSettings(const std::string& configPath,
                                                     const std::string& title);

inline constexpr std::uint32_t kDefaultBlock = 100;
inline constexpr std::uint32_t kLargestBlock = 1000000;

struct PoolSettings {
    std::string pool;                     // the pool's name in the database
    std::uint32_t block = kDefaultBlock;  // how many numbers one block takes
    // A key set wrongly, as the operator's 114 message says it ("" when all is well).
    std::string problem;

    friend bool operator==(const PoolSettings& a, const PoolSettings& b) {
        return a.pool == b.pool && a.block == b.block && a.problem == b.problem;
    }
};

// The pool keys of [serial] for the copy titled title; none when no pool is named.
std::optional<PoolSettings> ReadPoolSettings(const std::string& configPath,
                                             const std::string& title);

}  // namespace database
