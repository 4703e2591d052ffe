// A shift at the line, hands free against pressed by hand: one operator who needs SWAP_MS to take
// a board out of a fixture and put the next one in, and a stand-in programmer that programs a
// board in PROGRAM_MS. Pressed by hand, one fixture: swap, press 开始, wait for the verdict. Hands
// free (autostart), two and four fixtures at one PC, each copy of the station bound to a probe
// of its own: the operator moves round them, swapping a board as soon as its verdict is there,
// while the other fixtures program. Each way runs for SHIFT_S seconds and counts the boards
// whose rows were written.
//
// A panel: one window with 2, 4 and 8 fixtures ([fixtureN]), each with a probe of its own. The
// operator swaps the whole panel in SWAP_MS, presses 开始 once, and every fixture programs its
// board; the next swap begins once the last verdict is there.
//
// The parallel cost: the wall time of one panel, 开始 to the last fixture's end, with 8 fixtures
// against 1, the same stand-in time; PANELS panels of each, alternating, their medians.
//
//   shift_bench [PROGRAM_MS [SWAP_MS [SHIFT_S [PANELS]]]]        (defaults 5000 3000 60 5)
//
// Prints "<way> <boards per hour>" per way as it ends, the ratio of each other way to the
// pressed one, the looks at a fixture per minute of one idle copy, and the parallel cost. The
// ways pressed in cycles (by hand, panels) count their boards over the time up to the last
// cycle's verdict, so that a cycle that ends past SHIFT_S is not counted over SHIFT_S alone.
// Linux only: the copies run as forked processes, each with its own station and logger.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench_station.h"
#include "panel_station.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "record/production_record.h"
#include "scratch_folder.h"
#include "tool/run_command.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Shift {
    milliseconds program{5000};
    milliseconds swap{3000};
    std::chrono::seconds length{60};
    int panels = 5;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::size_t Lines(const std::string& path, const std::string& text) {
    std::ifstream file(path);
    std::size_t count = 0;
    for (std::string line; std::getline(file, line);) {
        count += line.find(text) != std::string::npos ? 1 : 0;
    }
    return count;
}

// A station folder whose stand-in programs in shift.program; with autostart when asked.
std::string Fixture(const bench::ScratchFolder& folder, const Shift& shift, bool autostart) {
    const std::string path = folder.Path();
    bench::LayOutStation(path, ROMTOOL_BENCH_STANDIN, 64 * 1024);
    std::ofstream(path + "bin/standin.ini") << "program_ms=" << shift.program.count() << "\n";
    if (autostart) {
        std::ofstream(path + "config.ini", std::ios::app) << "[station]\r\nautostart=yes\r\n";
    }
    return path;
}

void StandIn(const std::string& folder, const std::string& command) {
    tool::RunCommand(os::QuoteArgument(folder + "bin/nrfjprog") + " " + command, folder + "bin",
                     std::chrono::seconds(30));
}

// The operator's hands at one fixture: the board out, the next one in.
void SwapBoard(const std::string& folder, const Shift& shift) {
    StandIn(folder, "--board-out");
    std::this_thread::sleep_for(shift.swap);
    StandIn(folder, "--board-change");
}

std::size_t Rows(const std::string& folder) {
    const std::string record = folder + "logs/" + record::RecordFileName(os::LocalNow());
    const std::size_t lines = Lines(record, ",");
    return lines > 0 ? lines - 1 : 0;  // the header
}

// One copy of the station, hands free, until deadline: its own process, title and logger.
void RunCopy(const std::string& folder, const std::string& title, Clock::time_point deadline) {
    const log4me::Session logger(folder, title);
    bench::VerdictView view;
    TRomForm form(view, folder + title);
    form.FormCreate();
    form.Handle(&TRomForm::FormShow);
    for (auto next = Clock::now(); Clock::now() < deadline; next += kTickInterval) {
        form.Handle(&TRomForm::AutostartTick);
        std::this_thread::sleep_until(next + kTickInterval);
    }
}

double PressedByHand(const Shift& shift) {
    const bench::ScratchFolder folder("romtool-shift-hand");
    const std::string path = Fixture(folder, shift, false);
    bench::PressedStation station(path);
    const auto start = Clock::now();
    while (Clock::now() < start + shift.length) {
        SwapBoard(path, shift);
        station.Press();
    }
    return Rows(path) * 3600.0 / SecondsSince(start);
}

// Every fixture's next board in, each a new chip (a programmed one is read-back protected).
void NewBoards(const std::string& folder, int fixtures) {
    for (int i = 0; i < fixtures; ++i) {
        StandIn(folder, "--board-change --snr " + bench::ProbeOf(i));
    }
}

// The operator's hands at a panel: every board out, the next panel in.
void SwapPanel(const std::string& folder, int fixtures, const Shift& shift) {
    for (int i = 0; i < fixtures; ++i) {
        StandIn(folder, "--board-out --snr " + bench::ProbeOf(i));
    }
    std::this_thread::sleep_for(shift.swap);
    NewBoards(folder, fixtures);
}

std::string PanelFolder(const bench::ScratchFolder& folder, const Shift& shift, int fixtures) {
    const std::string path = Fixture(folder, shift, false);
    bench::AddFixtures(path, fixtures, shift.program);
    return path;
}

double Panel(const Shift& shift, int fixtures) {
    const bench::ScratchFolder folder("romtool-shift-panel");
    const std::string path = PanelFolder(folder, shift, fixtures);
    bench::PanelStation station(path, fixtures);
    const auto start = Clock::now();
    while (Clock::now() < start + shift.length) {
        SwapPanel(path, fixtures, shift);
        if (station.Press() != static_cast<std::size_t>(fixtures)) {
            throw std::runtime_error("a fixture of the panel did not pass");
        }
    }
    return Rows(path) * 3600.0 / SecondsSince(start);
}

double HandsFree(const Shift& shift, int fixtures, double* looksPerMinute) {
    std::vector<std::unique_ptr<bench::ScratchFolder>> folders;
    std::vector<std::string> paths;
    for (int i = 0; i < fixtures; ++i) {
        folders.push_back(std::make_unique<bench::ScratchFolder>("romtool-shift-free"));
        paths.push_back(Fixture(*folders.back(), shift, true));
    }
    const auto deadline = Clock::now() + shift.length;
    std::vector<pid_t> copies;
    for (int i = 0; i < fixtures; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            try {
                RunCopy(paths[i], "bench-shift-" + std::to_string(i + 1), deadline);
            } catch (...) {
                _exit(1);
            }
            _exit(0);
        }
        copies.push_back(pid);
    }
    std::vector<std::size_t> placed(fixtures, 0);
    for (int i = 0; Clock::now() < deadline; i = (i + 1) % fixtures) {
        // The operator comes to the fixture and waits for its verdict, then swaps the board.
        while (Rows(paths[i]) < placed[i] && Clock::now() < deadline) {
            std::this_thread::sleep_for(milliseconds(20));
        }
        SwapBoard(paths[i], shift);
        ++placed[i];
    }
    std::size_t boards = 0;
    for (int i = 0; i < fixtures; ++i) {
        int status = 0;
        waitpid(copies[i], &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            throw std::runtime_error("a copy of the station failed");
        }
        boards += Rows(paths[i]);
    }
    if (looksPerMinute) {
        *looksPerMinute =
            Lines(paths[0] + "bin/calls.log", "--deviceversion") * 60.0 / shift.length.count();
    }
    return boards * 3600.0 / shift.length.count();
}

// The seconds from 开始 to the last fixture's end of one panel of new boards, the station
// shown anew.
double PanelSeconds(const std::string& path, int fixtures) {
    NewBoards(path, fixtures);
    bench::PanelStation station(path, fixtures);
    const auto start = Clock::now();
    if (station.Press() != static_cast<std::size_t>(fixtures)) {
        throw std::runtime_error("a fixture of the panel did not pass");
    }
    return SecondsSince(start);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void ParallelCost(const Shift& shift) {
    const bench::ScratchFolder oneFolder("romtool-parallel-1");
    const bench::ScratchFolder eightFolder("romtool-parallel-8");
    const std::string one = PanelFolder(oneFolder, shift, 1);
    const std::string eight = PanelFolder(eightFolder, shift, 8);
    std::vector<double> ones;
    std::vector<double> eights;
    for (int panel = 0; panel < shift.panels; ++panel) {
        ones.push_back(PanelSeconds(one, 1));
        eights.push_back(PanelSeconds(eight, 8));
    }
    const double m1 = Median(ones);
    const double m8 = Median(eights);
    std::printf("panel_seconds_1 %.3f panel_seconds_8 %.3f ratio %.3f (%d panels each)\n", m1, m8,
                m8 / m1, shift.panels);
}

long Argument(int argc, char** argv, int index, long fallback) {
    return argc > index ? std::max(1L, std::atol(argv[index])) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    Shift shift;
    shift.program = milliseconds(Argument(argc, argv, 1, 5000));
    shift.swap = milliseconds(Argument(argc, argv, 2, 3000));
    shift.length = std::chrono::seconds(Argument(argc, argv, 3, 60));
    shift.panels = static_cast<int>(Argument(argc, argv, 4, 5));
    try {
        const double byHand = PressedByHand(shift);
        std::printf("pressed_by_hand_1 %.0f\n", byHand);
        std::fflush(stdout);
        double looks = 0;
        for (const int fixtures : {2, 4}) {
            const double free = HandsFree(shift, fixtures, &looks);
            std::printf("hands_free_%d %.0f ratio %.2f\n", fixtures, free, free / byHand);
            std::fflush(stdout);
        }
        std::printf("looks_per_minute_of_one_copy %.0f\n", looks);
        for (const int fixtures : {2, 4, 8}) {
            const double panel = Panel(shift, fixtures);
            std::printf("panel_%d %.0f ratio %.2f\n", fixtures, panel, panel / byHand);
            std::fflush(stdout);
        }
        ParallelCost(shift);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "shift_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
