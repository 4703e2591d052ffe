// The probe sessions of a press, before ([chip] sessions=each) and after (sessions=fewest): a
// traced and numbered press with [chip] recover=yes and the erase box, of a factory-protected
// board, for each programmer and family, against a stand-in whose every call on the chip costs
// what a probe connection costs (CONNECT_MS, default 300 ms for nrfjprog and 1000 ms for nrfutil,
// the tool's own start on Windows). The probe query of each press's check is not priced: it is
// the same before and after.
//
//   session_bench [PRESSES [IMAGE_KIB]]        (defaults 3 and 64: IMAGE_KIB per core)
//
// Prints per programmer and family the seconds and programmer calls per press, before and after,
// their ratios, and beside them the physical floor: the image's erase, write and verify at the
// flash's rate (nRF52840's NVMC: a 32-bit word in 41 us, the whole chip erased in 200 ms; the
// verify read over SWD at an assumed 1 MB/s). Exits 1, after saying why, when a press did not
// PASS.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_station.h"
#include "integrity/checksum.h"
#include "intel_hex.h"
#include "platform/files.h"
#include "scratch_folder.h"
#include "tool/nrfutil_programmer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Board {
    const char* programmer;
    const char* family;
    bool twoCores;
    long connectMs;
};

const Board kBoards[] = {{"nrfjprog", "nrf52", false, 300},
                         {"nrfjprog", "nrf53", true, 300},
                         {"nrfutil", "nrf52", false, 1000},
                         {"nrfutil", "nrf53", true, 1000},
                         {"nrfutil", "nrf54l", false, 1000}};

struct Figures {
    double seconds = 0;  // per press
    double calls = 0;    // per press, on the chip
};

std::vector<std::uint8_t> Bytes(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    return bytes;
}

// The image without its end-of-file record, so another part can follow it.
std::string WithoutEnd(const std::string& hex) {
    return hex.substr(0, hex.rfind(":00000001FF"));
}

// merge.hex of the board: bytes for the application core at 0 and, on a two-core chip, as many
// for the network core at 0x01000000; merge.crc written again.
void WriteImage(const std::string& folder, const Board& board, std::size_t bytes) {
    std::string hex = sim::MakeIntelHex(Bytes(bytes, 1), 0);
    if (board.twoCores) {
        hex = WithoutEnd(hex) + sim::MakeIntelHex(Bytes(bytes, 2), 0x01000000);
    }
    os::CreateForWriting(folder + "merge.hex", os::Share::kRead).Write(hex);
    integrity::WriteChecksumFile(folder + "merge.crc",
                                 integrity::FileChecksum(folder + "merge.hex"));
}

std::string Station(const bench::ScratchFolder& scratch, const Board& board, bool fewest,
                    std::size_t bytes) {
    const std::string folder = scratch.Path();
    bench::LayOutStation(folder, ROMTOOL_BENCH_STANDIN, bytes);
    const bool nrfutil = std::string(board.programmer) == "nrfutil";
    if (nrfutil) {
        fs::copy_file(fs::u8path(ROMTOOL_BENCH_NRFUTIL_STANDIN),
                      fs::u8path(folder + "bin/" + tool::NrfutilFileName()));
    }
    WriteImage(folder, board, bytes);
    std::ofstream(folder + "config.ini", std::ios::app)
        << (nrfutil ? "[station]\r\nprogrammer=nrfutil\r\n" : "")
        << "[chip]\r\nfamily=" << board.family
        << "\r\nrecover=yes\r\nsessions=" << (fewest ? "fewest" : "each")
        << "\r\n[trace]\r\ndeviceid=yes\r\n[serial]\r\nfirst=1\r\nlast=1000000\r\n";
    std::ofstream(folder + "bin/standin.ini")
        << "family=" << board.family << "\nprotection=factory\nconnect_ms=" << board.connectMs
        << "\n";
    return folder;
}

// The calls on the chip that calls.log holds: every call but the probe queries.
std::size_t ChipCalls(const std::string& folder) {
    std::ifstream log(folder + "bin/calls.log");
    std::size_t calls = 0;
    for (std::string line; std::getline(log, line);) {
        const bool query =
            line.find("\t-i") != std::string::npos || line.find("\tlist") != std::string::npos;
        calls += query ? 0 : 1;
    }
    return calls;
}

Figures Measure(const Board& board, bool fewest, int presses, std::size_t bytes) {
    const bench::ScratchFolder scratch("romtool-sessions");
    const std::string folder = Station(scratch, board, fewest, bytes);
    bench::PressedStation station(folder);
    const std::size_t before = ChipCalls(folder);
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < presses; ++i) {
        if (!station.Press()) {
            throw std::runtime_error(std::string(board.programmer) + " " + board.family +
                                     " did not PASS; its station: " + folder);
        }
    }
    const std::chrono::duration<double> took = Clock::now() - start;
    return {took.count() / presses, double(ChipCalls(folder) - before) / presses};
}

// The flash's own time for the image: the whole chip erased, each word written, all read back.
double FloorSeconds(std::size_t bytes) {
    constexpr double kEraseAll = 0.200;
    constexpr double kWordWrite = 41e-6;
    constexpr double kReadBytesPerSecond = 1e6;
    return kEraseAll + bytes / 4.0 * kWordWrite + bytes / kReadBytesPerSecond;
}

int Argument(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const int presses = Argument(argc, argv, 1, 3);
    const std::size_t bytes = std::size_t(Argument(argc, argv, 2, 64)) * 1024;
    try {
        std::printf("%-9s %-7s %9s %9s %6s %7s %7s %6s %8s\n", "tool", "family", "before_s",
                    "after_s", "ratio", "calls_b", "calls_a", "ratio", "floor_s");
        for (const Board& board : kBoards) {
            const Figures before = Measure(board, false, presses, bytes);
            const Figures after = Measure(board, true, presses, bytes);
            const double floor = FloorSeconds(bytes * (board.twoCores ? 2 : 1));
            std::printf("%-9s %-7s %9.2f %9.2f %6.2f %7.1f %7.1f %6.2f %8.2f\n", board.programmer,
                        board.family, before.seconds, after.seconds, before.seconds / after.seconds,
                        before.calls, after.calls, before.calls / after.calls, floor);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "session_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
