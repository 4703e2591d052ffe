// The file lock on Linux: flock(2) on a descriptor of our own, polled so every wait is bounded.
#include <sys/file.h>

#include <algorithm>
#include <thread>

#include "platform/file_lock.h"
#include "platform/unique_fd.h"

namespace os {

namespace {

constexpr std::chrono::milliseconds kPause{10};

}  // namespace

std::optional<FileLock> FileLock::Take(const std::string& path, std::chrono::milliseconds limit) {
    const bool existed = FileExists(path);
    const int fd = OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        throw FileError(existed ? FileVerb::kOpen : FileVerb::kCreate, path,
                        static_cast<std::uint32_t>(errno));
    }
    File file(fd, path);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return FileLock(std::move(file));
        }
        const int error = errno;
        if (error != EWOULDBLOCK && error != EINTR) {
            throw FileError(FileVerb::kOpen, path, static_cast<std::uint32_t>(error));
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kPause, deadline - now));
    }
}

}  // namespace os
