#include "station_settings.h"

#include "nrfutil_programmer.h"
#include "programmer.h"

StationSettings ReadSettings(const StationPaths& paths, const std::string& title) {
    StationSettings settings;
    settings.station = ReadStationConfig(paths.Config_Path, title);
    settings.log = log4me::ReadLogConfig(paths.App_Path);
    settings.chip = ReadChipSettings(paths.Config_Path, title);
    const std::string pinned = settings.station.PinnedSerial();
    if (settings.station.programmer == Programmer::kNrfutil) {
        settings.Prog_Path = paths.Bin_Path + tool::NrfutilFileName();
        settings.commandTemplate = tool::NrfutilCommandTemplate(settings.Prog_Path, pinned);
    } else {
        settings.Prog_Path = paths.Bin_Path + tool::ProgrammerFileName();
        settings.commandTemplate =
            tool::CommandTemplate(settings.Prog_Path, tool::kProgPara, pinned);
    }
    return settings;
}
