// The operator's other actions: refresh, image selection, checksum writing, the tool's option
// list, exit; and the refresh the window runs when it is first shown.
#include <QDir>
#include <QFileDialog>

#include "MainForm.h"
#include "checksum.h"
#include "core_text.h"
#include "programmer.h"

void TRomForm::FormShow() {
    LogInfoText(QStringLiteral("程序启动自检"));
    Button_GetJlinkClick();
}

void TRomForm::Button_GetJlinkClick() {
    Init(false);
    CheckReady();  // a failed check shows through Error_Code
    ShowResult(QStringLiteral("Ready"), Prog_Sn);
}

void TRomForm::Button_SelectClick() {
    OpenDialogHex->setDirectory(App_Path);
    const QString chosen = dialogs_->ChooseImage(*OpenDialogHex);
    if (!chosen.isEmpty()) {
        Hex_Path = QDir::toNativeSeparators(chosen);
        Init(false);
    }
    Button_GetJlinkClick();
}

void TRomForm::Button_CRCClick() {
    LogInfoText(QStringLiteral("写入文件校验"));
    const QString checksum = FromUtf8(integrity::FileChecksum(Utf8(Hex_Path)));
    const QString report = Hex_Name + QStringLiteral(" 的校验值：") + checksum +
                           QStringLiteral("，信息已经保存到crc文件中。");
    SetMemoText(report);
    LogInfoText(report);
    integrity::WriteChecksumFile(Utf8(CRC_Path), Utf8(checksum));
    Error_Code = 0;
    ShowResult(QStringLiteral("CRC OK"), QString());
    dialogs_->Inform(this, title_, Hex_Name + QStringLiteral("的校验信息写入成功"));
    Button_GetJlinkClick();
}

void TRomForm::Button_HelpClick() {
    const std::string refusal = tool::PathRefusal({Utf8(Prog_Path)});
    SetMemoText(FromUtf8(refusal.empty()
                             ? RunTool(tool::HelpCommand(Utf8(Prog_Path)), limits_.help).output
                             : refusal));
}

void TRomForm::Button_ExitClick() {
    close();
}
