#include "station/check/error_text.h"

#include "platform/paths.h"
#include "station/check/error_codes.h"

namespace station {

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

namespace {

// The file 103 and 104 are about: the image, or the modem firmware.
std::string NamedFile(const ErrorContext& context) {
    return context.check.namedFile.empty() ? context.paths.Hex_Path : context.check.namedFile;
}

// The messages that name something of the station, or nothing when code has none of those.
std::string NamingMessage(int code, const ErrorContext& context) {
    const CheckResult& check = context.check;
    const std::optional<ProbePin>& pin = context.settings.station.pin;
    switch (code) {
        case kToolMissing:
            return "ERROR:" + context.settings.Prog_Path + "文件不存在。";
        case kImageMissing:
            return "ERROR:" + NamedFile(context) + "文件不存在。";
        case kChecksumFileMissing:
            // Names the image in use, also when it was chosen from another folder.
            return "ERROR:" + NamedFile(context) + "的crc文件不存在，请先生成校验文件。";
        case kChecksumMismatch:
            return check.namedFile.empty()
                       ? "ERROR:hex文件CRC校验不通过，请确定hex文件版本。"
                       : "ERROR:" + check.namedFile + "文件CRC校验不通过，请确定" +
                             check.namedFile + "文件版本。";
        case kPathRefused:
            return check.refusedPath ? RefusalMessage(*check.refusedPath) : "";
        case kProbeNotFound:
            return pin ? "ERROR:未找到序列号为" + pin->serial.value_or(pin->written) +
                             "的Jlink，请检查连接。"
                       : "";
        case kSerialNumbers:
            return check.serialMessage;
        case kImageRefused:
            return check.imageMessage;
        case kLogFolderUnusable:
            return "ERROR:日志目录" + context.settings.log.shownFolder + "不能写入（" +
                   check.logFolderProblem + "），日志和生产记录无处可写，不能烧写。";
        default:
            return {};
    }
}

}  // namespace

std::string ErrorText(int code, const ErrorContext& context) {
    switch (code) {
        case kNoProbeAnswer:
            // A query that never started or crashed says so first: no probe was asked at all.
            return (context.check.probeRunFailure.empty()
                        ? std::string()
                        : context.check.probeRunFailure + "\r\n") +
                   "ERROR:请检查Jink是否已经正确安装。";
        case 106:  // reserved: no step sets it
            return "ERROR:擦除Flash失败。";
        case kProgrammingFailed:
            return "ERROR:写入hex文件失败。";
        case kConfigMissing:
            return "ERROR:config.ini文件不存在。";
        case kLogFolderMissing:
            return "ERROR:logs目录不存在。";
        case kSeveralProbes:
            return "ERROR:连接了多个Jlink，请在config.ini的[station]中用probe指定本工位的序列号。";
        default:
            break;
    }
    const std::string naming = NamingMessage(code, context);
    return naming.empty() ? "ERROR:未知错误" : naming;
}

}  // namespace station
