// The production record's format, defined once for the station that writes it, the report that
// reads it and the database sender: its columns, in order. The order only ever grows at its end:
// a station that is updated appends the new columns after the ones it wrote before, so a reader
// can take a field it has no header name for by its position in this list.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace record {

// Every column the record knows, in the station's order.
enum class Column : std::size_t {
    kTime,           // local time of the verdict, yyyy-mm-ddThh:mm:ss.zzz
    kTitle,          // the application title
    kStationFolder,  // the folder of the station program
    kProbe,          // the probe query's output, lines joined by ";"
    kImage,          // the image's path
    kChecksum,       // the checksum the check compared
    kErase,          // yes / no
    kVerdict,        // PASS / FAIL
    kErrorCode,      // 0 or the error code; empty when an error box ended the press
    kRunMs,          // the programming run's length in ms; empty when it did not run
    kTimedOut,       // yes / no; empty when it did not run
    kExitCode,       // the programmer's exit code
    kProbeSerial,    // the probe the press used (since the 13-column layout)
    kDeviceId,       // the chip's 64-bit ID, 16 upper-case hexadecimal digits
    kSerialNumber,   // the board's serial number, decimal; on a FAIL row the voided one
    kSameChipAs,     // the time of the day's earlier PASS row of the same chip, at this station
    kBoardLabel,     // the board's scanned label, as RecordedLabel writes it
    kFamily,         // the chip's family config.ini names ([chip] family=); empty when none
    kSessions,       // the programmer calls the press's run made; empty when it did not run
    kMesCheck,       // the MES's route check: ok, unreachable (went on without it); empty: none
    kFixture,        // the fixture's name at a station of several; empty at a one-fixture station
};

inline constexpr std::array<std::string_view, 21> kColumnNames = {
    "time",         "title",     "station_folder", "probe",        "image",       "checksum",
    "erase",        "verdict",   "error_code",     "run_ms",       "timed_out",   "exit_code",
    "probe_serial", "device_id", "serial_number",  "same_chip_as", "board_label", "family",
    "sessions",     "mes_check", "fixture",
};
// How many columns the record knows (kColumnNames).
inline constexpr std::size_t kKnownColumns = kColumnNames.size();
// How many of them the station writes: all. Earlier layouts had the first 12 (before
// probe_serial), the first 13 (before the chip's ID and number), the first 16 (before
// board_label), the first 17 (before family and sessions), the first 19 (before mes_check)
// and the first 20 (before fixture).
inline constexpr std::size_t kStationColumns = kKnownColumns;
// The first layout, before probe_serial.
inline constexpr std::size_t kFirstLayoutColumns = 12;
// The layout before board_label, the one the factory database's delivery keys were first made of.
inline constexpr std::size_t kColumnsBeforeBoardLabel = 16;

constexpr std::size_t IndexOf(Column column) {
    return static_cast<std::size_t>(column);
}
constexpr std::string_view NameOf(Column column) {
    return kColumnNames[IndexOf(column)];
}
// The known column of that header name; none for a name the record does not know.
std::optional<Column> ColumnNamed(std::string_view name);

// The header row of the first count columns, CR LF included.
std::string HeaderRow(std::size_t count = kStationColumns);

}  // namespace record
