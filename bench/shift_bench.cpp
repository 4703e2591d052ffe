// A shift at the line, hands free against pressed by hand: one operator who needs SWAP_MS to take
// a board out of a fixture and put the next one in, and a stand-in programmer that programs a
// board in PROGRAM_MS. Pressed by hand, one fixture: swap, press 开始, wait for the verdict. Hands
// free (autostart), two and four fixtures at one PC, each copy of the station bound to a probe
// of its own: the operator moves round them, swapping a board as soon as its verdict is there,
// while the other fixtures program. Each way runs for SHIFT_S seconds and counts the boards
// whose rows were written.
//
//   shift_bench [PROGRAM_MS [SWAP_MS [SHIFT_S]]]        (defaults 5000 3000 60)
//
// Prints "<way> <boards per hour>" per way, the ratio of each hands-free way to the pressed
// one, and the looks at a fixture per minute of one idle copy. Linux only: the copies run as
// forked processes, each with its own station and logger.
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
};

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

void StandIn(const std::string& folder, const char* command) {
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
    const auto deadline = Clock::now() + shift.length;
    while (Clock::now() < deadline) {
        SwapBoard(path, shift);
        station.Press();
    }
    return Rows(path) * 3600.0 / shift.length.count();
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

long Argument(int argc, char** argv, int index, long fallback) {
    return argc > index ? std::max(1L, std::atol(argv[index])) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    Shift shift;
    shift.program = milliseconds(Argument(argc, argv, 1, 5000));
    shift.swap = milliseconds(Argument(argc, argv, 2, 3000));
    shift.length = std::chrono::seconds(Argument(argc, argv, 3, 60));
    try {
        const double byHand = PressedByHand(shift);
        std::printf("pressed_by_hand_1 %.0f\n", byHand);
        double looks = 0;
        for (const int fixtures : {2, 4}) {
            const double free = HandsFree(shift, fixtures, &looks);
            std::printf("hands_free_%d %.0f ratio %.2f\n", fixtures, free, free / byHand);
        }
        std::printf("looks_per_minute_of_one_copy %.0f\n", looks);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "shift_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
