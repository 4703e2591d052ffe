// One press of the start button through the toolkit-free station against the script a line
// engineer would write instead (press.sh for /bin/sh, press.cmd for cmd.exe beside this file),
// each side in a station folder of its own with the stand-in programmer (no delay) and a
// full-flash image: the probe query, the checksum against the checksum file, the programming run
// with erase, the verdict, the log lines and the record line.
//
//   press_bench [PAIRS [GROUPS]]
//
// Runs PAIRS pairs (default 200), one press of each side per pair, and prints every press as a
// record "p<pair> press_station|press_script <seconds>" (paired_runs.h). For presses per minute
// it then splits the pairs into GROUPS runs of consecutive pairs (default 8) and prints each
// group's mean seconds per press as "g<group> press_station_group|press_script_group <seconds>".
// Exits 1, after saying why, when a press did not PASS.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_platform.h"
#include "bench_station.h"
#include "paired_runs.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}

// The script and the helper programs it calls, copied into its station folder; returns the
// script's path there.
std::string CopyScriptInto(const std::string& folder) {
    const auto copyInto = [&folder](const std::string& file) {
        const std::string copy = folder + fs::u8path(file).filename().u8string();
        fs::copy_file(fs::u8path(file), fs::u8path(copy));
        return copy;
    };
    if (!std::string(ROMTOOL_BENCH_SCRIPT_HELPER).empty()) {
        copyInto(ROMTOOL_BENCH_SCRIPT_HELPER);
    }
    return copyInto(ROMTOOL_BENCH_PRESS_SCRIPT);
}

void PrintGroups(const std::string& name, const std::vector<double>& seconds, int groups) {
    const std::size_t size = seconds.size() / static_cast<std::size_t>(groups);
    for (int group = 0; group < groups && size > 0; ++group) {
        const auto begin = seconds.begin() + static_cast<std::ptrdiff_t>(group * size);
        const double total = std::accumulate(begin, begin + static_cast<std::ptrdiff_t>(size), 0.0);
        bench::PrintRecord("g" + std::to_string(group + 1), name, total / size);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int pairs = Argument(argc, argv, 1, 200);
    const int groups = std::min(pairs, Argument(argc, argv, 2, 8));
    bench::RunAsWindowProgram();
    try {
        const bench::ScratchFolder stationFolder("romtool-press-station");
        const bench::ScratchFolder scriptFolder("romtool-press-script");
        bench::LayOutStation(stationFolder.Path(), ROMTOOL_BENCH_STANDIN);
        bench::LayOutStation(scriptFolder.Path(), ROMTOOL_BENCH_STANDIN);
        const std::string script = CopyScriptInto(scriptFolder.Path());

        bench::PressedStation station(stationFolder.Path());
        const bench::Side ours{"press_station", bench::Timed([&station] {
                                   if (!station.Press()) {
                                       throw std::runtime_error("the station's press did not PASS");
                                   }
                               })};
        const bench::Side anchor{
            "press_script", bench::Timed([&script] {
                if (bench::RunScript(script) != 0) {
                    throw std::runtime_error("the script's press did not PASS");
                }
            })};
        const bench::PairedTimes times = bench::RunPairs(ours, anchor, pairs, "p");
        PrintGroups(ours.name + "_group", times.ours, groups);
        PrintGroups(anchor.name + "_group", times.anchor, groups);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "press_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
