// The pre-flight check and the messages of its error codes.
#include <QLabel>

#include "MainForm.h"
#include "checksum.h"
#include "core_text.h"
#include "error_codes.h"
#include "os.h"
#include "programmer.h"
#include "run_command.h"

bool TRomForm::CheckReady() {
    Panel_Result->setText(QStringLiteral("--"));
    Error_Code = 0;
    if (!os::FileExists(Utf8(Prog_Path))) {
        Error_Code = kToolMissing;
        return false;
    }
    // Nothing is run with a path the command interpreter would change.
    if (!tool::PathRefusal({Utf8(Prog_Path), Utf8(Hex_Path)}).empty()) {
        Error_Code = kPathRefused;
        return false;
    }
    // The probe query runs on every check, before any other file is looked at.
    const tool::CommandResult query =
        RunTool(tool::ProbeQueryCommand(Utf8(Prog_Path)), limits_.probeQuery);
    Prog_Sn = FromUtf8(query.output);
    // A query ended at its limit is no answer from a probe, whatever it printed before.
    if (Prog_Sn.isEmpty() || query.timedOut) {
        Error_Code = kNoProbeAnswer;
        return false;
    }
    if (!os::FileExists(Utf8(Hex_Path))) {
        Error_Code = kImageMissing;
        return false;
    }
    if (!os::FileExists(Utf8(CRC_Path))) {
        Error_Code = kChecksumFileMissing;
        return false;
    }
    if (!os::FileExists(Utf8(Config_Path))) {
        Error_Code = kConfigMissing;
        return false;
    }
    if (!os::FolderExists(Utf8(Log_Path))) {
        Error_Code = kLogFolderMissing;
        return false;
    }
    const QString stored = FromUtf8(integrity::ReadChecksumFile(Utf8(CRC_Path)));
    const QString computed = FromUtf8(integrity::FileChecksum(Utf8(Hex_Path)));
    if (stored != computed) {
        Error_Code = kChecksumMismatch;
        return false;
    }
    Hex_Md5 = computed;
    return true;
}

QString TRomForm::ErrorText(int code) const {
    switch (code) {
        case kToolMissing:
            return QStringLiteral("ERROR:") + Prog_Path + QStringLiteral("文件不存在。");
        case kNoProbeAnswer:
            return QStringLiteral("ERROR:请检查Jink是否已经正确安装。");
        case kImageMissing:
            return QStringLiteral("ERROR:") + Hex_Path + QStringLiteral("文件不存在。");
        case kChecksumFileMissing:
            // Names the image in use, also when it was chosen from another folder.
            return QStringLiteral("ERROR:") + Hex_Path +
                   QStringLiteral("的crc文件不存在，请先生成校验文件。");
        case kChecksumMismatch:
            return QStringLiteral("ERROR:hex文件CRC校验不通过，请确定hex文件版本。");
        case kEraseFailed:
            return QStringLiteral("ERROR:擦除Flash失败。");
        case kProgrammingFailed:
            return QStringLiteral("ERROR:写入hex文件失败。");
        case kConfigMissing:
            return QStringLiteral("ERROR:config.ini文件不存在。");
        case kLogFolderMissing:
            return QStringLiteral("ERROR:logs目录不存在。");
        case kPathRefused:
            return FromUtf8(tool::PathRefusal({Utf8(Prog_Path), Utf8(Hex_Path)}));
        default:
            return QStringLiteral("ERROR:未知错误");
    }
}
