// romtool.exe's start-up against the least a Win32 program does before it can say Ready.
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "bench_station.h"
#include "paired_runs.h"
#include "platform/paths.h"
#include "scratch_folder.h"
#include "win_bench.h"
#include "win_process.h"

namespace bench {

namespace {

constexpr std::size_t kImageBytes = 24576;  // the demo station's image, as on Linux
constexpr std::chrono::seconds kLimit{30};

}  // namespace

void StartupRows(int pairs) {
    const ScratchFolder folder("romtool-bench-startup");
    LayOutStation(folder.Path(), ROMTOOL_BENCH_STANDIN, kImageBytes);
    const std::string romtool = folder.Path() + "romtool.exe";
    std::filesystem::copy_file(std::filesystem::u8path(ROMTOOL_BENCH_ROMTOOL),
                               std::filesystem::u8path(romtool));
    const std::string logs = folder.Path() + "logs";
    // The probe query as the station runs it: the programmer in bin\, named by its full path.
    const std::string probe = os::QuoteArgument(folder.Path() + "bin\\nrfjprog.exe") + " -i";
    const std::string emptyWindow = os::QuoteArgument(ROMTOOL_BENCH_MINIMAL_WINDOW);
    const std::string minimalWindow = emptyWindow + " " + probe;
    const Side station{"startup_romtool", [&] {
                           RemoveLogs(logs);
                           const auto start = std::chrono::steady_clock::now();
                           const RunningProgram program(os::QuoteArgument(romtool), folder.Path());
                           const std::string log = WaitForFirstVerdict(logs, kLimit);
                           const std::chrono::duration<double> elapsed =
                               std::chrono::steady_clock::now() - start;
                           if (!SaidReady(log)) {
                               throw std::runtime_error("romtool.exe did not say Ready");
                           }
                           return elapsed.count();
                       }};
    const auto windowStart = [](const std::string& commandLine) {
        return Timed([commandLine] {
            if (RunAndWait(commandLine) != 0) {
                throw std::runtime_error("the minimal window failed");
            }
        });
    };
    RunPairs(station, {"startup_minimal_window", windowStart(minimalWindow)}, pairs, "p");
    RunPairs(station, {"startup_empty_window", windowStart(emptyWindow)}, pairs, "e");
}

}  // namespace bench
