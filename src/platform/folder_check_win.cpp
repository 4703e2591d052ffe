// The folder check on Windows: its attributes, a probe file deleted on close, and the room left
// for this user (quotas included).
#include <atomic>
#include <string>

#include "platform/folder_check.h"
#include "platform/internal/win32.h"

namespace os {

using win32::FileCallPath;

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, missing from mingw's headers.
constexpr DWORD kDiskQuotaExceeded = 1295;

FolderCondition Failed(DWORD error) {
    FolderCondition condition;
    condition.systemCode = error;
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_NAME:
            condition.problem = FolderProblem::kMissing;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            condition.problem = FolderProblem::kNoPermission;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
        case kDiskQuotaExceeded:
            condition.problem = FolderProblem::kFull;
            break;
        default:  // a share that went away (53, 64, 67, 1231, ...) or a failing disk
            condition.problem = FolderProblem::kUnreachable;
            break;
    }
    return condition;
}

// Creates and writes one byte into a file of this process's own in folder, deleted when it
// closes; the error that stopped it, 0 when all went well.
DWORD ProbeWrite(const std::string& folder) {
    static std::atomic<unsigned> count{0};
    const std::string probe = folder + ".romtool-" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(count++) + ".probe";
    win32::Handle file(CreateFileW(
        FileCallPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file.IsValid()) {
        return GetLastError();
    }
    const char byte = '\n';
    DWORD written = 0;
    if (!WriteFile(file.Get(), &byte, 1, &written, nullptr)) {
        return GetLastError();
    }
    return written == 1 ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

}  // namespace

FolderCondition CheckFolderTakes(const std::string& folder, std::uint64_t neededBytes) {
    try {
        const DWORD attributes = GetFileAttributesW(FileCallPath(folder).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return Failed(GetLastError());
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return Failed(ERROR_DIRECTORY);
        }
        if (const DWORD error = ProbeWrite(folder)) {
            return Failed(error);
        }
        ULARGE_INTEGER available{};
        if (!GetDiskFreeSpaceExW(FileCallPath(folder).c_str(), &available, nullptr, nullptr)) {
            return Failed(GetLastError());
        }
        FolderCondition condition;
        condition.freeBytes = available.QuadPart;
        if (condition.freeBytes < neededBytes) {
            condition.problem = FolderProblem::kFull;
        }
        return condition;
    } catch (...) {
        return Failed(ERROR_FILENAME_EXCED_RANGE);  // a path too long to convert
    }
}

}  // namespace os
