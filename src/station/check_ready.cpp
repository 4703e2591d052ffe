// The pre-flight check and the messages of its error codes.
#include "MainForm.h"
#include "checksum.h"
#include "error_codes.h"
#include "files.h"
#include "paths.h"
#include "programmer.h"
#include "run_command.h"

bool TRomForm::CheckReady() {
    view_.SetVerdictCaption("--");
    Error_Code = 0;
    lastCheck_ = {};
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
    const tool::CommandResult query =
        RunTool(tool::ProbeQueryCommand(Prog_Path), limits_.probeQuery);
    Prog_Sn = query.output;
    lastCheck_.probeQueried = true;
    // A query ended at its limit is no answer from a probe, whatever it printed before.
    if (Prog_Sn.empty() || query.timedOut) {
        Error_Code = kNoProbeAnswer;
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
    if (!os::FolderExists(Log_Path)) {
        Error_Code = kLogFolderMissing;
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
        default:
            break;
    }
    return "ERROR:未知错误";
}
