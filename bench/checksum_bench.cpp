// Throughput of the image checksum: MD5 over memory, and FileChecksum over an image file of
// several MiB, the size of a large station image.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "checksum.h"
#include "md5.h"

namespace {

constexpr std::size_t kImageSize = 8 * 1024 * 1024;

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(1);
    std::string bytes(size, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(random() & 0xff);
    }
    return bytes;
}

// An image file that lives as long as the benchmark.
class ImageFile {
public:
    explicit ImageFile(const std::string& bytes)
        : path_(std::filesystem::temp_directory_path() /
                ("romtool-bench-" + std::to_string(std::random_device()()) + ".hex")) {
        std::ofstream out(path_, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    ~ImageFile() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    std::string Path() const { return path_.u8string(); }

private:
    std::filesystem::path path_;
};

void BM_Md5(benchmark::State& state) {
    const std::string bytes = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(integrity::Md5Hex(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Md5)->Arg(64)->Arg(4096)->Arg(kImageSize);

void BM_FileChecksum(benchmark::State& state) {
    const ImageFile image(RandomBytes(kImageSize));
    for (auto _ : state) {
        benchmark::DoNotOptimize(integrity::FileChecksum(image.Path()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kImageSize));
}
BENCHMARK(BM_FileChecksum)->Unit(benchmark::kMillisecond);

}  // namespace
