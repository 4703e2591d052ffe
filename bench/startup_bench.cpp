// Start-up of the station window to its first verdict against a minimal Qt Widgets window that
// runs the probe query through the shell, shows its output in a label and quits once painted
// (minimal_window.cpp; also without the query, and with a line of Chinese instead), all on the
// offscreen platform, in time and in peak memory.
//
// The station runs from the station folder named by ROMTOOL_BENCH_STATION (laid out as
// scripts/bench does: romtool, bin/ with the stand-in programmer, merge.hex with its checksum
// file, config.ini, logs/). Its first verdict is there when the daily log holds the line after
// the self-check line, and it must be Ready: no error line.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_station.h"
#include "bench_support.h"

namespace {

const std::string kOffscreen = "QT_QPA_PLATFORM=offscreen";

// The station folder named by ROMTOOL_BENCH_STATION; "" (and the benchmark skipped) when none is.
std::string StationFolder(benchmark::State& state) {
    const char* station = std::getenv("ROMTOOL_BENCH_STATION");
    if (station == nullptr) {
        state.SkipWithError("ROMTOOL_BENCH_STATION names no station folder");
        return {};
    }
    return station;
}

// The station program of the folder under a title of its own: a copy started under the title of
// one already running on this machine (a test's, a demo's) ends by itself, and says nothing.
std::string BenchCopy(const std::string& station) {
    const std::string copy = station + "/bench-station";
    std::filesystem::copy_file(station + "/romtool", copy,
                               std::filesystem::copy_options::overwrite_existing);
    return copy;
}

void BM_StationFirstVerdict(benchmark::State& state) {
    const std::string station = StationFolder(state);
    if (station.empty()) {
        return;
    }
    const std::string program = BenchCopy(station);
    const std::string logs = station + "/logs";
    long peakKib = 0;
    for (auto _ : state) {
        bench::RemoveLogs(logs);
        const auto start = std::chrono::steady_clock::now();
        bench::Child romtool({program}, {kOffscreen});
        const std::string log = bench::WaitForFirstVerdict(logs, std::chrono::seconds(30));
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        peakKib += romtool.KillAndWait();
        if (!bench::SaidReady(log)) {
            state.SkipWithError(log.find("[error]") == std::string::npos
                                    ? "the station showed no verdict within 30 s"
                                    : "the station's first verdict was not Ready");
            break;
        }
    }
    state.counters["peak_rss_kib"] =
        benchmark::Counter(static_cast<double>(peakKib), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StationFirstVerdict)->UseManualTime()->Unit(benchmark::kMillisecond);

// option: "", "--chinese" or "--probe" (with the station's probe query).
void BM_MinimalQtWindow(benchmark::State& state, const std::string& option) {
    std::vector<std::string> command{ROMTOOL_MINIMAL_WINDOW};
    if (option == "--probe") {
        const std::string station = StationFolder(state);
        if (station.empty()) {
            return;
        }
        // As the station runs it: the programmer in bin/, named by its full path.
        command.insert(command.end(), {option, "'" + station + "/bin/nrfjprog' -i"});
    } else if (!option.empty()) {
        command.push_back(option);
    }
    long peakKib = 0;
    for (auto _ : state) {
        const bench::ChildRun run = bench::SpawnAndWait(command, {kOffscreen});
        if (run.status != 0) {
            state.SkipWithError("the minimal window failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(run.elapsed).count());
        peakKib += run.maxRssKib;
    }
    state.counters["peak_rss_kib"] =
        benchmark::Counter(static_cast<double>(peakKib), benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(BM_MinimalQtWindow, probe, "--probe")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MinimalQtWindow, plain, "")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MinimalQtWindow, chinese, "--chinese")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
