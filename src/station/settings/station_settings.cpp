#include "station/settings/station_settings.h"

#include "tool/chip_family.h"
#include "tool/programmer_choice.h"

namespace station {

StationSettings ReadSettings(const StationPaths& paths, const std::string& title) {
    StationSettings settings;
    settings.station = ReadStationConfig(paths.Config_Path, title);
    settings.log = log4me::ReadLogConfig(paths.App_Path);
    settings.database = {database::ReadDatabaseSettings(paths.Config_Path, title),
                         database::ReadPoolSettings(paths.Config_Path, title), settings.log.folder,
                         paths.App_Path};
    // [serial] pool= is read once: the numbers come from the pool exactly when its service runs.
    settings.chip = ReadChipSettings(paths.Config_Path, title, settings.database.pool);
    if (!settings.chip.modem.empty()) {
        settings.chip.modemPath = paths.App_Path + settings.chip.modem;
        settings.chip.modemChecksumPath = settings.chip.modemPath + ".crc";
    }
    const auto& pool = settings.database.pool;
    if (settings.chip.problem.empty() && pool && !pool->problem.empty()) {
        settings.chip.problem = pool->problem;
    } else if (settings.chip.problem.empty() && pool && !settings.database.database) {
        settings.chip.problem = "config.ini的[serial]中有pool，[database]中却没有connection";
    }
    settings.mes = mes::ReadMesSettings(paths.Config_Path, title);
    if (settings.chip.problem.empty() && settings.mes) {
        settings.chip.problem = !settings.mes->problem.empty() ? settings.mes->problem
                                : !settings.chip.label.on
                                    ? "config.ini中有[mes]，[trace]中却没有label=yes"
                                    : "";
    }
    const std::string pinned = settings.station.PinnedSerial();
    settings.Prog_Path = paths.Bin_Path + tool::ToolFileName(settings.station.programmer);
    settings.commandTemplate =
        tool::ShownCommand(settings.station.programmer, settings.Prog_Path, pinned,
                           tool::FamilyOption(settings.station.programmer, settings.chip.family));
    return settings;
}

}  // namespace station
