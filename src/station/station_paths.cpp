// Init: every station path derived again from the station folder and the image in use.
#include "MainForm.h"
#include "files.h"
#include "nrfutil_programmer.h"
#include "paths.h"
#include "programmer.h"
#include "text.h"

namespace {

// The text without its last count characters (UTF-8); "" when it has no more than count.
std::string WithoutLastCharacters(const std::string& text, int count) {
    std::size_t end = text.size();
    for (; count > 0 && end > 0; --count) {
        end = os::Utf8CharacterStart(text, end - 1);
    }
    return text.substr(0, end);
}

}  // namespace

void TRomForm::Init(bool first) {
    App_Path = os::FolderPart(executablePath_);
    if (first) {
        Hex_Path = App_Path + "merge.hex";
    }
    Hex_Name = os::NamePart(Hex_Path);
    // The last four characters are cut whatever they are: "fw.ihex" gives "fw..crc".
    CRC_Path = os::FolderPart(Hex_Path) + WithoutLastCharacters(Hex_Name, 4) + ".crc";
    Bin_Path = App_Path + "bin" + os::kPathSeparator;
    view_.SetHexPathText(Hex_Path);
    Prog_Para = tool::kProgPara;
    Config_Path = App_Path + "config.ini";
    ApplyStationConfig();
    Prog_Sn.clear();
    Log_Path = App_Path + "logs";
    // A checksum file is written once, for an image that exists.
    view_.SetChecksumEnabled(!os::FileExists(CRC_Path) && os::FileExists(Hex_Path));
    Error_Code = 0;
}

void TRomForm::ApplyStationConfig() {
    config_ = ReadStationConfig(Config_Path, title_);
    logConfig_ = log4me::ReadLogConfig(App_Path);
    // The template names the probe config.ini binds the station to, as the run will.
    const std::string pinned = config_.PinnedSerial();
    if (config_.programmer == Programmer::kNrfutil) {
        Prog_Path = Bin_Path + tool::NrfutilFileName();
        view_.SetCommandText(tool::NrfutilCommandTemplate(Prog_Path, pinned));
    } else {
        Prog_Path = Bin_Path + tool::ProgrammerFileName();
        view_.SetCommandText(tool::CommandTemplate(Prog_Path, Prog_Para, pinned));
    }
}
