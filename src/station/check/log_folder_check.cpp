// The check's step for the folder of the daily log and the production record.
#include <cstdint>
#include <string>

#include "platform/folder_check.h"
#include "platform/text.h"
#include "station/check/check_steps.h"
#include "station/check/error_codes.h"

namespace station {

namespace {

// Room for a day of rows and lines at least: a busy line writes about half of it.
constexpr std::uint64_t kRoomForADay = std::uint64_t{1} << 20;

// What message 113 says of a folder that cannot take a line.
std::string ProblemText(const os::FolderCondition& folder) {
    switch (folder.problem) {
        case os::FolderProblem::kNone:
            break;
        case os::FolderProblem::kMissing:
            return "目录不存在";
        case os::FolderProblem::kNoPermission:
            return "没有写入权限";
        case os::FolderProblem::kFull:
            return "磁盘空间不足，剩余" + std::to_string(folder.freeBytes / 1024) +
                   " KB，至少需要" + std::to_string(kRoomForADay / 1024) + " KB";
        case os::FolderProblem::kUnreachable:
            return "无法访问：" + os::SystemErrorText(folder.systemCode);
    }
    return {};
}

}  // namespace

// The folder config.ini names must be there, take a file and have room for a day's rows, and
// no row of an earlier press may wait in memory for it. The station's own logs folder keeps
// its message (109) when it is the one named and is missing.
bool LogFolderTakesLines(const CheckInputs& in, CheckResult& result) {
    const log4me::LogConfig& log = in.settings.log;
    // Rows that waited in memory go first, now that the folder may take them again.
    const std::size_t rowsWaiting = in.flushWaitingRows();
    const os::FolderCondition folder = os::CheckFolderTakes(log.folder, kRoomForADay);
    if (folder.problem == os::FolderProblem::kMissing && os::AsciiLower(log.path) == "logs") {
        result.code = kLogFolderMissing;
        return false;
    }
    if (folder.problem != os::FolderProblem::kNone) {
        result.logFolderProblem = ProblemText(folder);
    } else if (rowsWaiting > 0) {
        result.logFolderProblem =
            "还有" + std::to_string(rowsWaiting) + "条生产记录在内存中等待写入";
    } else {
        return true;
    }
    result.code = kLogFolderUnusable;
    return false;
}

}  // namespace station
