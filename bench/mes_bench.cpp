// What the factory's MES adds to a press, on the stand-in MES of this machine: the route check's
// call (the press waits for it) and the report's write to the spool (the press waits for that
// too; its sending does not), each the median of many; then an MES away for COUNT presses and a
// restart of the station, and the time from its return until the spool is empty.
//   mes_bench CHECK_URL REPORT_URL COUNT SPOOL_FOLDER
// Prints "check_ms <median>", "report_write_ms <median>" and "drain_ms <time>" lines.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "mes/station_mes.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

mes::Fields Press(int board) {
    return {{"label", "PCB-" + std::to_string(board)},
            {"verdict", "PASS"},
            {"time", "2024-03-05T08:00:00." + std::to_string(board)}};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: mes_bench CHECK_URL REPORT_URL COUNT SPOOL_FOLDER\n");
        return 2;
    }
    const int count = std::atoi(argv[3]);
    const std::string spool = argv[4];
    mes::MesSettings settings;
    settings.checkUrl = argv[1];
    settings.reportUrl = "http://127.0.0.1:9/away";  // nothing listens: the MES is away
    settings.station = "bench";
    std::vector<double> checks;
    std::vector<double> writes;
    {
        mes::StationMes service(spool, "bench", [] {});
        service.Configure(settings);
        for (int board = 0; board < count; ++board) {
            const auto start = Clock::now();
            if (service.Check(Press(board), {}).kind != mes::Answer::Kind::kOk) {
                std::fprintf(stderr, "the stand-in MES did not let board %d in\n", board);
                return 1;
            }
            const auto checked = Clock::now();
            service.Report(Press(board));
            writes.push_back(Ms(Clock::now() - checked));
            checks.push_back(Ms(checked - start));
        }
    }                              // the station restarts
    settings.reportUrl = argv[2];  // the MES is back
    mes::StationMes service(spool, "bench", [] {});
    const auto back = Clock::now();
    service.Configure(settings);
    while (service.Status().waiting > 0) {
        if (Clock::now() - back > std::chrono::minutes(5)) {
            std::fprintf(stderr, "the spool did not empty within 5 minutes\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("check_ms %.2f\nreport_write_ms %.2f\ndrain_ms %.0f\n", Median(checks),
                Median(writes), Ms(Clock::now() - back));
    return 0;
}
