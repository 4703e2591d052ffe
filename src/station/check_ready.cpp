// The pre-flight check and the messages of its error codes.
#include "MainForm.h"
#include "checksum.h"
#include "error_codes.h"
#include "os.h"
#include "programmer.h"
#include "run_command.h"

bool TRomForm::CheckReady() {
    view_.SetVerdictCaption("--");
    Error_Code = 0;
    if (!os::FileExists(Prog_Path)) {
        Error_Code = kToolMissing;
        return false;
    }
    // Nothing is run with a path the command interpreter would change.
    if (!tool::PathRefusal({Prog_Path, Hex_Path}).empty()) {
        Error_Code = kPathRefused;
        return false;
    }
    // The probe query runs on every check, before any other file is looked at.
    const tool::CommandResult query =
        RunTool(tool::ProbeQueryCommand(Prog_Path), limits_.probeQuery);
    Prog_Sn = query.output;
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
    const std::string computed = integrity::FileChecksum(Hex_Path);
    if (stored != computed) {
        Error_Code = kChecksumMismatch;
        return false;
    }
    Hex_Md5 = computed;
    return true;
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
            return tool::PathRefusal({Prog_Path, Hex_Path});
        default:
            return "ERROR:未知错误";
    }
}
