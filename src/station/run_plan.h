// How a press programs its board, decided once per press, before anything runs, from the
// check's result, the erase choice and the configuration: the commands in order (each runs
// only when the one before succeeded) and the limit they share.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "check.h"
#include "station_config.h"
#include "station_paths.h"
#include "station_settings.h"

struct RunPlan {
    Programmer programmer = Programmer::kNrfjprog;
    std::vector<std::string> commands;
    std::chrono::milliseconds limit{0};  // for all the commands together

    // Every command, in order, as a batch file would chain them: what the "Para=" line shows.
    std::string Para() const;
};

// nrfjprog programs, verifies, protects and resets in one command, naming the probe only when
// config.ini pins one; nrfutil does it in three steps, always naming the probe.
RunPlan PlanRun(const StationPaths& paths, const StationSettings& settings,
                const CheckResult& check, bool erase, std::chrono::milliseconds limit);
