// A lock that processes take on a file, so that they pass one at a time through a short
// critical section (reading, changing and writing a file they share). The lock file is created
// when missing and never removed: only its lock means something, and the system releases that
// when the holder ends in any way (a crash, a kill, a power cut), so no lock is left behind.
//   Windows: the file opened with CreateFileW without sharing; another opener is refused with a
//            sharing violation and tries again after a short pause.
//   Linux:   flock(LOCK_EX | LOCK_NB) on the open file, tried again likewise. Advisory: it holds
//            only against other takers of this lock.
// Every wait is bounded: a taker never hangs on a holder that does not let go.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/files.h"

namespace os {

class FileLock {
public:
    // Takes the lock of the file at path, waiting at most limit while another holds it. Nothing
    // when it is still held after limit. Throws FileError (kOpen, or kCreate when there is no
    // file) when the file can neither be opened nor created, or cannot be locked.
    static std::optional<FileLock> Take(const std::string& path, std::chrono::milliseconds limit);

    // Move-only; the lock is released when the object is destroyed.
    FileLock(FileLock&&) noexcept = default;
    FileLock& operator=(FileLock&&) noexcept = default;

private:
    explicit FileLock(File file) : file_(std::move(file)) {}

    File file_;  // holding it open holds the lock
};

}  // namespace os
