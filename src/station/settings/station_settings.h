// What config.ini says about this copy of the station, read again at every check so that an
// edit takes effect at the next refresh, and what the station derives from it.
#pragma once

#include <optional>
#include <string>

#include "database/station_database.h"
#include "log4me/log4me.h"
#include "mes/mes_settings.h"
#include "station/settings/chip_settings.h"
#include "station/settings/station_config.h"
#include "station/settings/station_paths.h"

namespace station {

struct StationSettings {
    StationConfig station;  // [station]
    ChipSettings chip;      // [trace] and [serial]
    log4me::LogConfig log;  // [log4me]: where the log and the record go
    // [database] and [serial] pool=: where the record's rows and the pool's numbers come from.
    database::StationDatabaseConfig database;
    std::optional<mes::MesSettings> mes;  // [mes]: the factory's MES; none without it
    std::string Prog_Path;                // Bin_Path + the programmer's file name
    // The command template shown in Edit_Para: for the operator only, never run. It names the
    // probe config.ini binds the station to, and the chips' family, as the run will.
    std::string commandTemplate;
};

// The settings of the copy titled title, read now from the station's config.ini.
StationSettings ReadSettings(const StationPaths& paths, const std::string& title);

}  // namespace station
