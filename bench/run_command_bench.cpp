// RunCommand against the least a program can do to run the same command line: posix_spawn of
// /bin/sh -c and a wait. Started from a small program and from one holding 100 MiB of touched
// heap (the start must not cost more for a larger caller), and capturing 100 MB of output
// against the same command writing to /dev/null (and, to tell the pipe's cost from ours, through
// a pipe that cat reads).
//
// The capture keeps the newest 16 MiB of the 100 MB (the tool's verdict is at the end), so a run
// counts when its output was cut and ends in the command's last bytes.
//
// "run_command_bench --capture-peak" runs the capture once and prints how much the process's
// peak resident memory grew, beside the size of what the command printed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/text.h"
#include "tool/output_capture.h"
#include "tool/run_command.h"

namespace {

constexpr std::size_t kMiB = 1 << 20;
constexpr std::size_t kCaptureBytes = 100000000;
const std::string kCaptureCommand =
    "head -c " + std::to_string(kCaptureBytes) + " /dev/zero | tr '\\0' a";
constexpr std::chrono::seconds kLimit{60};

std::string WorkingFolder() {
    return std::filesystem::temp_directory_path().string();
}

// Memory the caller holds, every page touched, while the benchmark runs.
std::vector<char> Ballast(benchmark::State& state) {
    return std::vector<char>(static_cast<std::size_t>(state.range(0)) * kMiB, 1);
}

// A caller's note for a cut output, as the station hands it down.
tool::RunOptions WithCutNote() {
    tool::RunOptions options;
    options.cutNote = "(cut)";
    return options;
}

bool CapturedItsEnd(const tool::CommandResult& result) {
    const std::string note = WithCutNote().cutNote + os::kLineBreak;
    return result.output.compare(0, note.size(), note) == 0 && result.exitCode == 0 &&
           result.output.size() > kMiB && result.output.back() == 'a';
}

void BM_RunCommandTrue(benchmark::State& state) {
    const std::vector<char> ballast = Ballast(state);
    const std::string folder = WorkingFolder();
    for (auto _ : state) {
        benchmark::DoNotOptimize(tool::RunCommand("true", folder, kLimit));
    }
}
BENCHMARK(BM_RunCommandTrue)
    ->ArgName("heap_mib")
    ->Arg(0)
    ->Arg(100)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

void BM_SpawnShellTrue(benchmark::State& state) {
    const std::vector<char> ballast = Ballast(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench::SpawnAndWait({"/bin/sh", "-c", "true"}));
    }
}
BENCHMARK(BM_SpawnShellTrue)
    ->ArgName("heap_mib")
    ->Arg(0)
    ->Arg(100)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

void BM_RunCommandCapture(benchmark::State& state) {
    const std::string folder = WorkingFolder();
    for (auto _ : state) {
        const tool::CommandResult result =
            tool::RunCommand(kCaptureCommand, folder, kLimit, {}, WithCutNote());
        if (!CapturedItsEnd(result)) {
            state.SkipWithError("the output's end was not captured");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kCaptureBytes));
}
BENCHMARK(BM_RunCommandCapture)->UseRealTime()->Unit(benchmark::kMillisecond);

// The capture's command with its output sent on by redirection.
void BM_SpawnShellOutput(benchmark::State& state, const std::string& redirection) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            bench::SpawnAndWait({"/bin/sh", "-c", kCaptureCommand + redirection}));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kCaptureBytes));
}
BENCHMARK_CAPTURE(BM_SpawnShellOutput, to_dev_null, " >/dev/null")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
// What the pipe itself costs: through a pipe that cat reads to /dev/null.
BENCHMARK_CAPTURE(BM_SpawnShellOutput, through_pipe, " | cat >/dev/null")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

int PrintCapturePeak() {
    const long before = bench::PeakRssKib();
    const tool::CommandResult result =
        tool::RunCommand(kCaptureCommand, WorkingFolder(), kLimit, {}, WithCutNote());
    const long after = bench::PeakRssKib();
    std::printf("capture_output_bytes %zu\ncapture_peak_growth_bytes %ld\n", kCaptureBytes,
                (after - before) * 1024);
    return CapturedItsEnd(result) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--capture-peak") == 0) {
        return PrintCapturePeak();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
