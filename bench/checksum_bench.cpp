// The image checksum against the system's own MD5 programs: FileChecksum over files of 16 and
// 256 MiB (the per-byte cost must not grow with the size) beside md5sum and openssl md5 over the
// same file, and MD5 over 1 MiB in memory (scripts/bench sets openssl speed beside it).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "integrity/checksum.h"
#include "integrity/md5.h"

namespace {

constexpr std::int64_t kMiB = 1 << 20;

void SetBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_FileChecksum(benchmark::State& state) {
    const std::string path = bench::DataFile(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(integrity::FileChecksum(path));
    }
    SetBytes(state);
}
BENCHMARK(BM_FileChecksum)->Arg(16 * kMiB)->Arg(256 * kMiB)->Unit(benchmark::kMillisecond);

// A program that prints the MD5 of the file, started directly and waited for. Its processor
// time goes to the counter cpu_s, to set beside ours on a busy machine.
void RunOverFile(benchmark::State& state, const std::vector<std::string>& program) {
    std::vector<std::string> argv = program;
    argv.push_back(bench::DataFile(static_cast<std::size_t>(state.range(0))));
    std::chrono::nanoseconds cpu{};
    for (auto _ : state) {
        cpu += bench::SpawnAndWait(argv).cpu;
    }
    SetBytes(state);
    state.counters["cpu_s"] = benchmark::Counter(std::chrono::duration<double>(cpu).count(),
                                                 benchmark::Counter::kAvgIterations);
}

void BM_Md5sum(benchmark::State& state) {
    RunOverFile(state, {"md5sum"});
}
BENCHMARK(BM_Md5sum)->Arg(256 * kMiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpensslMd5(benchmark::State& state) {
    RunOverFile(state, {"openssl", "md5"});
}
BENCHMARK(BM_OpensslMd5)->Arg(256 * kMiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Md5(benchmark::State& state) {
    std::string bytes(static_cast<std::size_t>(state.range(0)), '\0');
    std::mt19937 random(1);
    for (char& b : bytes) {
        b = static_cast<char>(random());
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(integrity::Md5Hex(bytes));
    }
    SetBytes(state);
}
BENCHMARK(BM_Md5)->Arg(kMiB)->Unit(benchmark::kMicrosecond);

}  // namespace
