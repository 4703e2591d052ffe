// The serial numbers of a station folder, kept so that no number is ever issued twice: across
// restarts, by two copies of the program in one folder (under different application titles,
// with the same or overlapping ranges), and whenever the power fails.
//
// Two files in the folder:
//   "serial-numbers.txt"   the folder's SerialNumberState (serial_number_state.h): every number
//                          reserved by any title, and each title's unsettled reservation;
//                          replaced in one step (written beside it, flushed, renamed over it)
//   "serial-numbers.lock"  the folder's lock (os::FileLock): every call holds it from reading
//                          the state to writing it, so two copies never choose the same number
// One file for all titles rather than one per title: titles need no encoding into file names
// (Windows would take "Line2" and "line2" for one file), and a title whose range is changed and
// changed back still finds every number it reserved before.
//
// A run's number is reserved, and on disk, before the run starts, and settled when it ends. No
// number is ever given back: a failed run voids its number, and so does a run cut off by a crash
// or a power cut. That one leaves its reservation unsettled; Unsettled reports it at the next
// start, so that the station can write a FAIL row naming it, and the next Reserve voids it at
// the latest.
//
// Where a range comes from is the caller's choice: the station's configured range, or a block of
// a pool kept elsewhere (a factory database): when Reserve finds a block used up, the caller can
// take the next block and reserve again. Numbers reserved in earlier blocks are never reissued.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "serial_numbers/serial_number_state.h"

namespace serial_numbers {

inline constexpr char kStateFileName[] = "serial-numbers.txt";
inline constexpr char kLockFileName[] = "serial-numbers.lock";
// How long a call waits for another copy to let go of the folder's lock: far beyond the few
// milliseconds any call holds it.
inline constexpr std::chrono::milliseconds kLockLimit{5000};

// The numbers cannot be used: the lock stayed taken past its limit, or the state file is not
// understood (it is left as it is). The message says which, naming the file.
class SerialNumberError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Reservation {
    // The number reserved for the run; nothing when the range is used up.
    std::optional<std::uint32_t> number;
    // The title's earlier reservation that was never settled (its run was cut off), voided now.
    std::optional<std::uint32_t> voided;
};

// Every call takes the folder's lock, reads the state file and, when it changes something,
// replaces the file before it returns. Each throws os::FileError when a file cannot be read or
// written, and SerialNumberError as said above; a title is never empty, and a range's first is
// never above its last (std::invalid_argument).
class SerialNumberStore {
public:
    // folder ends in the platform's separator.
    explicit SerialNumberStore(std::string folder,
                               std::chrono::milliseconds lockLimit = kLockLimit);

    // Reserves the next number of range for a run of title (SerialNumberState::NextIn), voiding
    // the title's unsettled reservation first.
    Reservation Reserve(const std::string& title, NumberRange range) const;
    // The run of title that had number has ended, with a PASS or a FAIL.
    void Settle(const std::string& title, std::uint32_t number) const;
    // The title's reservation whose run never ended, if any.
    std::optional<std::uint32_t> Unsettled(const std::string& title) const;
    // The number the next Reserve in range would get; nothing when the range is used up.
    std::optional<std::uint32_t> Next(NumberRange range) const;

private:
    std::string folder_;
    std::chrono::milliseconds lockLimit_;
};

}  // namespace serial_numbers
