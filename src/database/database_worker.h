// The database worker: one thread that owns the service's state (the settings, the blocks of
// serial numbers, the record's delivery, the connection) and takes the station's commands from
// the queue. Between commands it works in rounds: take a block of serial numbers when one is
// needed, then send the record's rows; right after a command, every Timing::retry while rows
// wait or the database fails, otherwise every Timing::idle. Private to the module.
#pragma once

#include <memory>
#include <string>

#include "database/command_queue.h"
#include "database/factory_database.h"
#include "database/station_database_config.h"
#include "database/worker_report.h"

namespace database {

// What the station and the worker share; held by both, so that a worker the station has let
// go of (inside a driver that never returns) still finds it.
struct WorkerLinks {
    std::shared_ptr<CommandQueue> queue;
    std::shared_ptr<WorkerReport> report;
    std::shared_ptr<StationGate> gate;
};

// The worker's life, until a stop command. title: the application title whose rows are sent
// and whose blocks are kept.
void RunWorker(const std::string& title, const Timing& timing, const OpenFactory& open,
               const WorkerLinks& links);

}  // namespace database
