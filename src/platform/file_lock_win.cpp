// The file lock on Windows: the file opened without sharing, tried again while another holds it,
// so every wait is bounded.
#include <algorithm>

#include "platform/file_lock.h"
#include "platform/internal/win32.h"

namespace os {

namespace {

constexpr DWORD kPauseMs = 10;

}  // namespace

std::optional<FileLock> FileLock::Take(const std::string& path, std::chrono::milliseconds limit) {
    const std::wstring wide = win32::FileCallPath(path);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const bool existed = FileExists(path);
        HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            return FileLock(File(reinterpret_cast<std::intptr_t>(handle), path));
        }
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) {
            throw FileError(existed ? FileVerb::kOpen : FileVerb::kCreate, path, error);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        Sleep(std::min<DWORD>(kPauseMs, static_cast<DWORD>(left.count())));
    }
}

}  // namespace os
