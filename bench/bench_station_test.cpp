// The watch for a starting station's first verdict (scripts/bench's start-up rows) reads the
// logs folder while the station writes it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "bench_station.h"
#include "platform/text.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kStart =
    "00:00:00.000 [info ]log4me:application starting....\r\n"
    "00:00:00.001 [info ]" +
    os::ToAnsi("程序启动自检").bytes() + "\r\n";

struct Case {
    const char* what;
    std::string log;
    bool withProbeFile;  // the station's folder check has a file of its own there, unreadable
    bool ready;
};

TEST(FirstVerdictWatch, ReadsOnlyWholeVerdictsOfTheDailyLogs) {
    const Case cases[] = {
        {"a verdict", kStart + "00:00:00.002 [info ]682123456\r\n", false, true},
        {"beside the folder check's file", kStart + "00:00:00.002 [info ]682123456\r\n", true,
         true},
        {"a verdict line still being written", kStart + "00:00:00.002 [info ]6821", false, false},
        {"no verdict yet", kStart, true, false},
    };
    for (const Case& c : cases) {
        const bench::ScratchFolder folder("romtool-first-verdict");
        const fs::path logs = fs::u8path(folder.Path()) / "logs";
        fs::create_directories(logs);
        std::ofstream(logs / "2026-12-10.log", std::ios::binary) << c.log;
        if (c.withProbeFile) {
            fs::create_symlink(logs / "gone", logs / ".romtool-1-0.probe");
        }
        std::string log;
        ASSERT_NO_THROW(log = bench::WaitForFirstVerdict(logs.u8string(), std::chrono::seconds(0)))
            << c.what;
        EXPECT_EQ(bench::SaidReady(log), c.ready) << c.what;
    }
}

}  // namespace
