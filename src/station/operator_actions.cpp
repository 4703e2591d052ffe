// The operator's other actions: refresh, image selection, checksum writing, the tool's option
// list, exit; and the refresh the window runs when it is first shown.
#include "MainForm.h"
#include "checksum.h"
#include "error_text.h"
#include "nrfutil_programmer.h"
#include "programmer.h"
#include "run_display.h"
#include "serial_number_store.h"
#include "station_log.h"

void TRomForm::FormShow() {
    LogInfoText("程序启动自检");
    // A run cut off by a crash or a power cut left its serial number reserved: its FAIL row
    // comes first.
    if (settings_.chip.serial) {
        const std::optional<std::uint32_t> cutOff =
            serial_numbers::SerialNumberStore(paths_.App_Path).Unsettled(title_);
        if (cutOff) {
            RecordVoidedNumber(*cutOff);
        }
    }
    Button_GetJlinkClick();
}

void TRomForm::Button_GetJlinkClick() {
    Init(false);
    CheckReady();
    ShowResult(CheckVerdict("Ready"));
    ShowNextSerial();
    ShowCounts();
}

void TRomForm::Button_SelectClick() {
    const std::string chosen = view_.ChooseImage(paths_.App_Path);
    if (!chosen.empty()) {
        hexPath_ = chosen;
        Init(false);
    }
    Button_GetJlinkClick();
}

void TRomForm::Button_CRCClick() {
    LogInfoText("写入文件校验");
    const std::string checksum = integrity::FileChecksum(paths_.Hex_Path);
    const std::string report =
        paths_.Hex_Name + " 的校验值：" + checksum + "，信息已经保存到crc文件中。";
    SetMemoText(report);
    LogInfoText(report);
    integrity::WriteChecksumFile(paths_.CRC_Path, checksum);
    ShowResult(Passed("CRC OK", "", lastCheck_.probeOutput));
    view_.ShowChecksumBox(title_, paths_.Hex_Name + "的校验信息写入成功");
    Button_GetJlinkClick();
}

void TRomForm::Button_HelpClick() {
    const std::optional<tool::RefusedPath> refused =
        tool::FindRefusedPath(paths_.Bin_Path, settings_.Prog_Path);
    if (refused) {
        SetMemoText(RefusalMessage(*refused));
        return;
    }
    const std::string command = settings_.station.programmer == Programmer::kNrfutil
                                    ? tool::NrfutilHelpCommand(settings_.Prog_Path)
                                    : tool::HelpCommand(settings_.Prog_Path);
    RunDisplay display(view_);
    SetMemoText(Runner().Run(command, limits_.help, &display).output);
}

void TRomForm::Button_ExitClick() {
    view_.CloseWindow();
}
