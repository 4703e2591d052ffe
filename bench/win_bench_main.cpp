// The Windows rows of scripts/bench, run under Wine, where absolute times say nothing about
// Windows: only the ratio of each pair counts (see win_bench.h for the rows).
//
//   win_bench spawn|capture|pipe-delay|startup PAIRS
//
// The commands the rows run are this program's own helpers:
//   win_bench --print N    writes N bytes of "a" to standard output, 64 KiB at a time
//   win_bench --stamp      writes the performance counter's value, then ends: the value was
//                          taken just before the last byte went into the pipe
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "bench_platform.h"
#include "platform/internal/win32.h"
#include "win_bench.h"

namespace {

void Write(const char* bytes, std::size_t size) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, static_cast<DWORD>(size), &written, nullptr);
}

int Print(unsigned long long count) {
    const std::vector<char> block(64 * 1024, 'a');
    for (unsigned long long left = count; left > 0;) {
        const std::size_t size =
            static_cast<std::size_t>(std::min<unsigned long long>(left, block.size()));
        Write(block.data(), size);
        left -= size;
    }
    return 0;
}

int Stamp() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const std::string text = std::to_string(now.QuadPart);
    Write(text.data(), text.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--print") == 0) {
        return Print(std::strtoull(argv[2], nullptr, 10));
    }
    if (argc == 2 && std::strcmp(argv[1], "--stamp") == 0) {
        return Stamp();
    }
    bench::RunAsWindowProgram();
    const std::string row = argc == 3 ? argv[1] : "";
    const int pairs = argc == 3 ? std::max(1, std::atoi(argv[2])) : 0;
    try {
        if (row == "spawn") {
            bench::RunCommandRows(pairs);
        } else if (row == "capture") {
            bench::CaptureRows(pairs);
        } else if (row == "pipe-delay") {
            bench::PipeDelayRows(pairs);
        } else if (row == "startup") {
            bench::StartupRows(pairs);
        } else {
            std::fprintf(stderr, "usage: win_bench spawn|capture|pipe-delay|startup PAIRS\n");
            return 2;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "win_bench %s: %s\n", row.c_str(), error.what());
        return 1;
    }
    return 0;
}
