// Start-up of the station window to its first verdict against a minimal Qt Widgets window that
// quits once painted, both on the offscreen platform, in time and in peak memory.
//
// The station runs from the station folder named by ROMTOOL_BENCH_STATION (laid out as
// scripts/bench does: romtool, bin/ with the stand-in programmer, merge.hex with its checksum
// file, config.ini, logs/). Its first verdict is there when the daily log holds the line after
// the self-check line, and it must be Ready: no error line.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kOffscreen = "QT_QPA_PLATFORM=offscreen";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The logs folder's content; the station writes one daily file.
std::string Logs(const fs::path& folder) {
    std::string text;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        text += ReadAll(entry.path());
    }
    return text;
}

bool HasFirstVerdict(const std::string& log) {
    const std::string selfCheck = "[info ]程序启动自检\r\n";
    const std::size_t at = log.find(selfCheck);
    return at != std::string::npos &&
           log.find("[info ]", at + selfCheck.size()) != std::string::npos;
}

void BM_StationFirstVerdict(benchmark::State& state) {
    const char* station = std::getenv("ROMTOOL_BENCH_STATION");
    if (station == nullptr) {
        state.SkipWithError("ROMTOOL_BENCH_STATION names no station folder");
        return;
    }
    const fs::path logs = fs::path(station) / "logs";
    long peakKib = 0;
    for (auto _ : state) {
        for (const auto& entry : fs::directory_iterator(logs)) {
            fs::remove(entry.path());
        }
        const auto start = std::chrono::steady_clock::now();
        bench::Child romtool({(fs::path(station) / "romtool").string()}, {kOffscreen});
        const auto deadline = start + std::chrono::seconds(30);
        std::string log;
        while (!HasFirstVerdict(log = Logs(logs)) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        peakKib += romtool.KillAndWait();
        if (!HasFirstVerdict(log) || log.find("[error]") != std::string::npos) {
            state.SkipWithError("the station did not say Ready");
            break;
        }
    }
    state.counters["peak_rss_kib"] =
        benchmark::Counter(static_cast<double>(peakKib), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StationFirstVerdict)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MinimalQtWindow(benchmark::State& state) {
    std::vector<std::string> command{ROMTOOL_MINIMAL_WINDOW};
    if (state.range(0) != 0) {
        command.push_back("--chinese");
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
BENCHMARK(BM_MinimalQtWindow)
    ->ArgName("chinese")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
