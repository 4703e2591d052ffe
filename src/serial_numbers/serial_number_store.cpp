#include "serial_numbers/serial_number_store.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <utility>

#include "platform/file_lock.h"
#include "platform/files.h"

namespace serial_numbers {

namespace {

// The threads of this program (a bench's fixtures) queue on this before the file's lock, which
// they would otherwise take by polling, where one can lose every round to the others.
std::timed_mutex& InProcessTurn() {
    static std::timed_mutex turn;
    return turn;
}

[[noreturn]] void StayedLocked(const std::string& path, std::chrono::milliseconds limit) {
    throw SerialNumberError("The serial numbers of this folder stayed locked for " +
                            std::to_string(limit.count()) + " ms (\"" + path +
                            "\"): another program holds them.");
}

// The folder's state, read with its lock held for as long as this object lives.
class LockedState {
public:
    LockedState(const std::string& folder, std::chrono::milliseconds limit)
        : path_(folder + kStateFileName),
          turn_(InProcessTurn(), std::defer_lock),
          lock_(Lock(folder + kLockFileName, limit, turn_)) {
        if (!os::FileExists(path_)) {
            return;  // no number was ever reserved here
        }
        // Every file written here holds at least its comment line: an empty one lost its content.
        const std::string text = os::ReadWholeFile(path_, os::Share::kRead);
        std::string problem = "it is empty";
        auto state = text.empty() ? std::nullopt : SerialNumberState::FromText(text, problem);
        if (!state) {
            throw SerialNumberError("The serial number file \"" + path_ + "\" is damaged (" +
                                    problem + "); no number is issued until it is mended.");
        }
        state_ = std::move(*state);
    }

    SerialNumberState& State() { return state_; }
    void Write() const { os::ReplaceFileContent(path_, state_.Text()); }

private:
    static os::FileLock Lock(const std::string& path, std::chrono::milliseconds limit,
                             std::unique_lock<std::timed_mutex>& turn) {
        const auto start = std::chrono::steady_clock::now();
        if (!turn.try_lock_for(limit)) {
            StayedLocked(path, limit);
        }
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        auto lock =
            os::FileLock::Take(path, std::max(limit - waited, std::chrono::milliseconds(0)));
        if (!lock) {
            StayedLocked(path, limit);
        }
        return std::move(*lock);
    }

    std::string path_;
    std::unique_lock<std::timed_mutex> turn_;  // before lock_: released after it
    os::FileLock lock_;
    SerialNumberState state_;
};

void CheckTitle(const std::string& title) {
    if (title.empty()) {
        throw std::invalid_argument("a serial number needs an application title");
    }
}

void CheckRange(NumberRange range) {
    if (range.first > range.last) {
        throw std::invalid_argument("a number range's first number is above its last");
    }
}

}  // namespace

SerialNumberStore::SerialNumberStore(std::string folder, std::chrono::milliseconds lockLimit)
    : folder_(std::move(folder)), lockLimit_(lockLimit) {}

Reservation SerialNumberStore::Reserve(const std::string& title, NumberRange range) const {
    CheckTitle(title);
    CheckRange(range);
    LockedState locked(folder_, lockLimit_);
    SerialNumberState& state = locked.State();
    Reservation reservation;
    reservation.voided = state.Unsettled(title);
    if (reservation.voided) {
        state.Settle(title, *reservation.voided);
    }
    reservation.number = state.NextIn(range);
    if (reservation.number) {
        state.Reserve(title, *reservation.number);
    }
    if (reservation.number || reservation.voided) {
        locked.Write();
    }
    return reservation;
}

void SerialNumberStore::Settle(const std::string& title, std::uint32_t number) const {
    CheckTitle(title);
    LockedState locked(folder_, lockLimit_);
    if (locked.State().Unsettled(title) == number) {
        locked.State().Settle(title, number);
        locked.Write();
    }
}

std::optional<std::uint32_t> SerialNumberStore::Unsettled(const std::string& title) const {
    return LockedState(folder_, lockLimit_).State().Unsettled(title);
}

std::optional<std::uint32_t> SerialNumberStore::Next(NumberRange range) const {
    CheckRange(range);
    return LockedState(folder_, lockLimit_).State().NextIn(range);
}

}  // namespace serial_numbers
