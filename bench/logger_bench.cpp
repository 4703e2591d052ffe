// log4me against the least a logger can do: one write(2) per line to a file opened with
// O_APPEND, of a line as long as the logger's.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "log4me/log4me.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "scratch_folder.h"

namespace {

constexpr int kLines = 100000;
const std::string kMessage = "Programming device. Verifying programming. Verify OK";

// A folder with the logger's config.ini and logs/, removed afterwards.
class LoggerFolder {
public:
    LoggerFolder() : folder_("romtool-bench-logger") {
        std::filesystem::create_directory(std::filesystem::u8path(File("logs")));
        std::ofstream(File("config.ini")) << "[log4me]\r\npath=logs\r\nlevel=info\r\n";
    }

    std::string AppFolder() const { return folder_.Path(); }
    std::string File(const std::string& name) const { return folder_.Path() + name; }

private:
    bench::ScratchFolder folder_;
};

// Each round starts on an empty file: a file grown by every round before it would measure the
// kernel's write-back of earlier rounds, not the lines.
void RemoveUntimed(benchmark::State& state, const std::string& file) {
    state.PauseTiming();
    std::filesystem::remove(file);
    state.ResumeTiming();
}

void SetLines(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kLines);
}

void BM_LogInfo(benchmark::State& state) {
    const LoggerFolder folder;
    const log4me::Session session(folder.AppFolder(), "bench");
    const os::AnsiString message(kMessage);
    const std::string daily = folder.File("logs/" + log4me::DailyFileName(os::LocalNow()));
    for (auto _ : state) {
        for (int i = 0; i < kLines; ++i) {
            log4me::LogInfo(message);
        }
        RemoveUntimed(state, daily);
    }
    SetLines(state);
}
BENCHMARK(BM_LogInfo)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_WriteAppend(benchmark::State& state) {
    const LoggerFolder folder;
    const std::string file = folder.File("lines.log");
    // A line as the logger writes it: its time, a blank, the tagged message, CR LF.
    const std::string line = os::TimeText(os::LocalNow()) + " [info ]" + kMessage + "\r\n";
    for (auto _ : state) {
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0) {
            state.SkipWithError("cannot open the file");
            break;
        }
        for (int i = 0; i < kLines; ++i) {
            benchmark::DoNotOptimize(::write(fd, line.data(), line.size()));
        }
        ::close(fd);
        RemoveUntimed(state, file);
    }
    SetLines(state);
}
BENCHMARK(BM_WriteAppend)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
