// The pre-flight check: whether the station may program a board now. It tests, in a fixed order,
// the programmer tool, the paths a run would use, an answering probe (and the one this station
// is bound to), the image, its checksum file, config.ini, the modem firmware and its checksum
// file (when configured), the folder of the log and the record, the image against its checksum
// file, the modem firmware against its own, and a two-core chip's image split by its cores (or,
// when each board's number goes into the image, that the image leaves the number's word free).
// It paints nothing.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "database/database_status.h"
#include "station/settings/station_paths.h"
#include "station/settings/station_settings.h"
#include "tool/core_split.h"
#include "tool/programmer.h"
#include "tool/run_command.h"

namespace station {

// What a check found: its code, and everything the run, the verdict and the record need of it.
struct CheckResult {
    int code = 0;               // 0 when the station is ready, else the first failing step's code
    std::string probeOutput;    // Prog_Sn: the probe query's output (nrfutil: its J-Link serials)
    bool probeQueried = false;  // the probe query ran, so probeOutput is its output
    // Why the probe query itself went wrong (never started, ended abnormally), for the operator:
    // its tool::RunFailureLine, "" when it ended normally.
    std::string probeRunFailure;
    std::string probeSerial;   // the probe the station uses: the pinned one or the only one
    bool probePinned = false;  // probeSerial is the one config.ini pins
    std::string checksum;      // the image's checksum as computed (also on a mismatch)
    // The file that 103, 104 and 105 are about when it is not the image: the modem's firmware.
    std::string namedFile;
    std::string modemChecksum;  // the modem firmware's checksum, when one is configured
    // A two-core chip's image split by its cores (tool::CoresOf), from the very bytes checked.
    std::vector<tool::CorePart> coreParts;
    // The image as checked, when each board's number goes into a copy of it (run_plan.h's
    // PressRecipe::numberInImage); "" otherwise.
    std::string checkedImage;
    std::optional<tool::RefusedPath> refusedPath;  // the path no run may use (110)
    std::string logFolderProblem;                  // why the log folder cannot take a line (113)
    std::string serialMessage;  // what is wrong with the chips' settings or numbers (114)
    std::string imageMessage;   // what is wrong with the image's records (115)
    // The number the next board gets, when config.ini gives the station a range.
    std::optional<std::uint32_t> nextSerial;
    // The message of a file that exists but could not be read: the check ended there, and the
    // form raises it as the error it is.
    std::optional<std::string> failure;

    bool Ready() const { return code == 0 && !failure; }
};

struct CheckInputs {
    const StationPaths& paths;
    const StationSettings& settings;
    // Runs a step of the check with the programmer tool, as the run's ToolRunner::RunStep does
    // (the check's floor stays below the run's: it is handed the runner, never includes it).
    std::function<tool::CommandResult(const std::string& step, const std::string& commandLine,
                                      std::chrono::milliseconds limit)>
        runStep;
    // Writes the record's rows that wait in memory (they go first, or the check fails) and
    // tells how many still wait.
    std::function<std::size_t()> flushWaitingRows;
    std::chrono::milliseconds probeQueryLimit;
    // Where the next board's number comes from when the station numbers its boards: the
    // configured range, or the pool's block (waiting a while for a new one when it is used up).
    std::function<database::SerialBlockAnswer()> serialRange;
    // The copy's title, which names the files a press writes for the tool (press_recipe.h).
    std::string title;
    // A fixture of a bench: its pinned probe alone is asked whether it is there (one call on
    // that probe, never the query of every probe, which could disturb another fixture's run).
    bool ownProbeOnly = false;
};

CheckResult CheckStation(const CheckInputs& inputs);

}  // namespace station
