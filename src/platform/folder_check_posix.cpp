// The folder check on Linux: stat, a probe file, statvfs.
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/folder_check.h"
#include "platform/unique_fd.h"

namespace os {

namespace {

FolderCondition Failed(int error) {
    FolderCondition condition;
    condition.systemCode = static_cast<std::uint32_t>(error);
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            condition.problem = FolderProblem::kMissing;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
            condition.problem = FolderProblem::kNoPermission;
            break;
        case ENOSPC:
        case EDQUOT:
            condition.problem = FolderProblem::kFull;
            break;
        default:
            condition.problem = FolderProblem::kUnreachable;
            break;
    }
    return condition;
}

// Creates, writes one byte into and removes a file of this process's own in folder; the
// error that stopped it, 0 when all went well.
int ProbeWrite(const std::string& folder) {
    static std::atomic<unsigned> count{0};
    const std::string probe = folder + ".romtool-" + std::to_string(::getpid()) + "-" +
                              std::to_string(count++) + ".probe";
    UniqueFd fd(
        OpenRetrying(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
    if (!fd) {
        return errno;
    }
    int error = 0;
    const char byte = '\n';
    while (::write(fd.Get(), &byte, 1) != 1) {
        if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    ::unlink(probe.c_str());
    return error;
}

}  // namespace

FolderCondition CheckFolderTakes(const std::string& folder, std::uint64_t neededBytes) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        return Failed(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return Failed(ENOTDIR);
    }
    if (const int error = ProbeWrite(folder)) {
        return Failed(error);
    }
    struct statvfs space {};
    if (::statvfs(folder.c_str(), &space) != 0) {
        return Failed(errno);
    }
    FolderCondition condition;
    condition.freeBytes = static_cast<std::uint64_t>(space.f_bavail) * space.f_frsize;
    if (condition.freeBytes < neededBytes) {
        condition.problem = FolderProblem::kFull;
    }
    return condition;
}

}  // namespace os
