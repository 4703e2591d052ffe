// Every run of the programmer tool: in Bin_Path, as the programmer in use wants it, with the
// observer kept responsive while it runs and, with a display, showing the run's progress.
#pragma once

#include <chrono>
#include <string>

#include "station/run/run_observer.h"
#include "station/settings/station_config.h"
#include "tool/run_command.h"

namespace station {

class RunDisplay;

class ToolRunner {
public:
    // observer outlives the runner.
    ToolRunner(RunObserver& observer, std::string binPath, Programmer programmer);

    // Runs commandLine, ended after limit. nrfutil's output is read as UTF-8, and nrfutil gets
    // NRFUTIL_HOME when the station carries its own installation in bin. A display shows the
    // run's output, its seconds and, with nrfutil, the progress it reports.
    tool::CommandResult Run(const std::string& commandLine, std::chrono::milliseconds limit,
                            RunDisplay* display = nullptr) const;
    // Runs a step of the check or the programming as Run does, and logs how it ended as one info
    // line that names the step ("查询Jlink：退出码=0", see tool::RunEndText).
    tool::CommandResult RunStep(const std::string& step, const std::string& commandLine,
                                std::chrono::milliseconds limit,
                                RunDisplay* display = nullptr) const;

private:
    RunObserver& observer_;
    std::string binPath_;
    Programmer programmer_;
};

}  // namespace station
