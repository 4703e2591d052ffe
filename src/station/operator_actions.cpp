// The operator's other actions: refresh, image selection, checksum writing, the tool's option
// list, exit; and the refresh the window runs when it is first shown.
#include "MainForm.h"
#include "checksum.h"
#include "error_codes.h"
#include "nrfutil_programmer.h"
#include "programmer.h"
#include "run_display.h"
#include "station_log.h"

void TRomForm::FormShow() {
    LogInfoText("程序启动自检");
    Button_GetJlinkClick();
}

void TRomForm::Button_GetJlinkClick() {
    Init(false);
    CheckReady();  // a failed check shows through Error_Code
    ShowResult("Ready", Prog_Sn);
}

void TRomForm::Button_SelectClick() {
    const std::string chosen = view_.ChooseImage(App_Path);
    if (!chosen.empty()) {
        Hex_Path = chosen;
        Init(false);
    }
    Button_GetJlinkClick();
}

void TRomForm::Button_CRCClick() {
    LogInfoText("写入文件校验");
    const std::string checksum = integrity::FileChecksum(Hex_Path);
    const std::string report = Hex_Name + " 的校验值：" + checksum + "，信息已经保存到crc文件中。";
    SetMemoText(report);
    LogInfoText(report);
    integrity::WriteChecksumFile(CRC_Path, checksum);
    Error_Code = 0;
    ShowResult("CRC OK", "");
    view_.ShowChecksumBox(title_, Hex_Name + "的校验信息写入成功");
    Button_GetJlinkClick();
}

void TRomForm::Button_HelpClick() {
    const std::optional<tool::RefusedPath> refused = tool::FindRefusedPath(Bin_Path, Prog_Path);
    if (refused) {
        SetMemoText(RefusalMessage(*refused));
        return;
    }
    const std::string command = config_.programmer == Programmer::kNrfutil
                                    ? tool::NrfutilHelpCommand(Prog_Path)
                                    : tool::HelpCommand(Prog_Path);
    RunDisplay display(view_);
    SetMemoText(RunTool(command, limits_.help, &display).output);
}

void TRomForm::Button_ExitClick() {
    view_.CloseWindow();
}

void TRomForm::SetMemoText(const std::string& text) {
    memoText_ = text;
    view_.SetMemoText(text);
}
