// The pre-flight check and the messages of its error codes.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "MainForm.h"
#include "checksum.h"
#include "error_codes.h"
#include "files.h"
#include "folder_check.h"
#include "nrfutil_output.h"
#include "nrfutil_programmer.h"
#include "paths.h"
#include "programmer.h"
#include "run_command.h"
#include "serials.h"
#include "text.h"

bool TRomForm::CheckReady() {
    view_.SetVerdictCaption("--");
    Error_Code = 0;
    lastCheck_ = {};
    ApplyStationConfig();
    if (!os::FileExists(Prog_Path)) {
        Error_Code = kToolMissing;
        return false;
    }
    // Nothing is run with a path the command interpreter would change or cannot use.
    lastCheck_.refusedPath = tool::FindRefusedPath(Bin_Path, Prog_Path, Hex_Path);
    if (lastCheck_.refusedPath) {
        Error_Code = kPathRefused;
        return false;
    }
    // The probe query runs on every check, before any other file is looked at.
    const std::optional<std::vector<std::string>> listed = QueryProbes();
    if (!listed) {
        Error_Code = kNoProbeAnswer;
        return false;
    }
    if (!BindProbe(*listed)) {
        return false;
    }
    if (!os::FileExists(Hex_Path)) {
        Error_Code = kImageMissing;
        return false;
    }
    if (!os::FileExists(CRC_Path)) {
        Error_Code = kChecksumFileMissing;
        return false;
    }
    if (!os::FileExists(Config_Path)) {
        Error_Code = kConfigMissing;
        return false;
    }
    if (!LogFolderTakesLines()) {
        return false;
    }
    const std::string stored = integrity::ReadChecksumFile(CRC_Path);
    lastCheck_.computedChecksum = integrity::FileChecksum(Hex_Path);
    if (stored != lastCheck_.computedChecksum) {
        Error_Code = kChecksumMismatch;
        return false;
    }
    Hex_Md5 = lastCheck_.computedChecksum;
    return true;
}

bool TRomForm::LogFolderTakesLines() {
    // Room for a day of rows and lines at least: a busy line writes about half of it.
    constexpr std::uint64_t kRoomForADay = std::uint64_t{1} << 20;
    // Rows that waited in memory go first, now that the folder may take them again.
    const std::size_t rowsWaiting = record_.Flush();
    const os::FolderCondition folder = os::CheckFolderTakes(logConfig_.folder, kRoomForADay);
    if (folder.problem == os::FolderProblem::kMissing && os::AsciiLower(logConfig_.path) == "logs") {
        Error_Code = kLogFolderMissing;  // the station folder's own logs
        return false;
    }
    switch (folder.problem) {
        case os::FolderProblem::kNone:
            if (rowsWaiting == 0) {
                return true;
            }
            lastCheck_.logFolderProblem =
                "还有" + std::to_string(rowsWaiting) + "条生产记录在内存中等待写入";
            break;
        case os::FolderProblem::kMissing:
            lastCheck_.logFolderProblem = "目录不存在";
            break;
        case os::FolderProblem::kNoPermission:
            lastCheck_.logFolderProblem = "没有写入权限";
            break;
        case os::FolderProblem::kFull:
            lastCheck_.logFolderProblem = "磁盘空间不足，剩余" +
                                          std::to_string(folder.freeBytes / 1024) +
                                          " KB，至少需要" + std::to_string(kRoomForADay / 1024) +
                                          " KB";
            break;
        case os::FolderProblem::kUnreachable:
            lastCheck_.logFolderProblem = "无法访问：" + os::SystemErrorText(folder.systemCode);
            break;
    }
    Error_Code = kLogFolderUnusable;
    return false;
}

// Runs the probe query and keeps what the operator sees of it in Prog_Sn: nrfjprog's output as it
// came; the serials nrfutil listed, one per line as nrfjprog prints them (its output as it came
// when it holds no device list). Returns the listed serials; nothing when no probe answered.
std::optional<std::vector<std::string>> TRomForm::QueryProbes() {
    const bool nrfutil = config_.programmer == Programmer::kNrfutil;
    const tool::CommandResult query =
        RunTool(nrfutil ? tool::NrfutilListCommand(Prog_Path) : tool::ProbeQueryCommand(Prog_Path),
                limits_.probeQuery);
    lastCheck_.probeQueried = true;
    Prog_Sn = query.output;
    // A query ended at its limit is no answer from a probe, whatever it printed before.
    if (query.timedOut) {
        return std::nullopt;
    }
    if (!nrfutil) {
        // Only a serial line is a probe: a text without one (a missing J-Link library, a damaged
        // tool, the interpreter's "not recognized") is no answer, whatever else it says.
        std::vector<std::string> serials = tool::ListedSerials(Prog_Sn);
        return serials.empty() ? std::nullopt : std::optional(std::move(serials));
    }
    const tool::JLinkListing listing = tool::ReadJLinkSerials(query.output);
    if (listing.hasDeviceList) {
        Prog_Sn.clear();
        for (const std::string& serial : listing.serials) {
            Prog_Sn += serial + os::kLineBreak;
        }
    }
    // Only a J-Link probe can program the chip.
    return listing.serials.empty() ? std::nullopt : std::optional(listing.serials);
}

// The station uses the probe config.ini pins, which must be listed; without a pin, the only one
// listed. Several listed and none pinned would leave the choice to the tool, which asks.
bool TRomForm::BindProbe(const std::vector<std::string>& listed) {
    if (config_.pin) {
        const std::optional<std::string>& pinned = config_.pin->serial;
        if (!pinned || std::find(listed.begin(), listed.end(), *pinned) == listed.end()) {
            Error_Code = kProbeNotFound;
            return false;
        }
        lastCheck_.probeSerial = *pinned;
    } else if (listed.size() > 1) {
        Error_Code = kSeveralProbes;
        return false;
    } else if (listed.size() == 1) {
        lastCheck_.probeSerial = listed.front();
    }
    return true;
}

std::string RefusalMessage(const tool::RefusedPath& refused) {
    if (refused.reason == tool::Refusal::kExpanded) {
        return "ERROR:" + refused.path + "中含有“" + refused.character +
               "”，为免命令解释器改动路径，不运行烧写工具。";
    }
    const bool image = refused.use == tool::PathUse::kImage;
    return "ERROR:" + refused.path + "的路径过长（" + std::to_string(refused.length) +
           "个字符），命令解释器最多只能使用" + std::to_string(os::kLongestCommandPath) +
           "个字符，不运行烧写工具。请把" + (image ? "hex文件" : "工作站文件夹") +
           "移到较短的路径下。";
}

std::string TRomForm::ErrorText(int code) const {
    switch (code) {
        case kToolMissing:
            return "ERROR:" + Prog_Path + "文件不存在。";
        case kNoProbeAnswer:
            return "ERROR:请检查Jink是否已经正确安装。";
        case kImageMissing:
            return "ERROR:" + Hex_Path + "文件不存在。";
        case kChecksumFileMissing:
            // Names the image in use, also when it was chosen from another folder.
            return "ERROR:" + Hex_Path + "的crc文件不存在，请先生成校验文件。";
        case kChecksumMismatch:
            return "ERROR:hex文件CRC校验不通过，请确定hex文件版本。";
        case kEraseFailed:
            return "ERROR:擦除Flash失败。";
        case kProgrammingFailed:
            return "ERROR:写入hex文件失败。";
        case kConfigMissing:
            return "ERROR:config.ini文件不存在。";
        case kLogFolderMissing:
            return "ERROR:logs目录不存在。";
        case kPathRefused:
            if (lastCheck_.refusedPath) {
                return RefusalMessage(*lastCheck_.refusedPath);
            }
            break;
        case kProbeNotFound:
            if (config_.pin) {
                const ProbePin& pin = *config_.pin;
                return "ERROR:未找到序列号为" + pin.serial.value_or(pin.written) +
                       "的Jlink，请检查连接。";
            }
            break;
        case kLogFolderUnusable:
            return "ERROR:日志目录" + logConfig_.shownFolder + "不能写入（" +
                   lastCheck_.logFolderProblem + "），日志和生产记录无处可写，不能烧写。";
        case kSeveralProbes:
            return "ERROR:连接了多个Jlink，请在config.ini的[station]中用probe指定本工位的序列号。";
        default:
            break;
    }
    return "ERROR:未知错误";
}
