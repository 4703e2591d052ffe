// The station's blocks of serial numbers as the database worker keeps them: read from the
// blocks file once the station folder is known, the next block taken from the pool when a fifth
// of a block is left (or none, and the station asks), the file rewritten before a new block is
// used. Only the worker's thread uses it; the station sees the blocks through the report.
// Private to the module.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "database/factory_database.h"
#include "database/serial_blocks.h"
#include "database/station_database_config.h"
#include "database/worker_report.h"

namespace database {

class BlockKeeper {
public:
    BlockKeeper(std::string title, WorkerReport& report, StationGate& gate);

    // Reads the blocks file of stationFolder (ending in the separator); lines get why it could
    // not be read.
    void Load(const std::string& stationFolder, std::vector<std::string>& lines);
    // Takes the next block of config's pool when few numbers are left, and answers with the
    // block to use or why there is none. database: none when it cannot be reached, and failure
    // says why; a failed call other than a refusal sets failure. lines get a blocks file that
    // could not be written.
    SerialBlockAnswer Refill(const StationDatabaseConfig& config, FactoryLink* database,
                             std::optional<std::string>& failure, std::vector<std::string>& lines);

private:
    SerialBlockAnswer TakeNext(const StationDatabaseConfig& config, FactoryLink* database,
                               std::optional<std::string>& failure,
                               const serial_numbers::SerialNumberStore& store,
                               std::vector<std::string>& lines);
    // Keeps range: on disk first, then in use; neither once the station has let go.
    void Keep(const StationDatabaseConfig& config, const serial_numbers::SerialNumberStore& store,
              serial_numbers::NumberRange range, std::vector<std::string>& lines);

    const std::string title_;
    WorkerReport& report_;
    StationGate& gate_;
    std::string folder_;               // the station folder blocks_ belong to
    std::vector<SerialBlock> blocks_;  // as in its blocks file
};

}  // namespace database
