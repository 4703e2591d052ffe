#include "temp_folder.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/paths.h"

namespace fs = std::filesystem;

namespace test_support {

TempFolder::TempFolder() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            fs::temp_directory_path() / ("romtool-test-" + std::to_string(random()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = candidate.u8string() + os::kPathSeparator;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(fs::u8path(path_), ignored);
}

void TempFolder::Write(const std::string& name, const std::string& bytes) const {
    WriteFile(path_ + name, bytes);
}

std::string TempFolder::Read(const std::string& name) const {
    return ReadFile(path_ + name);
}

bool TempFolder::Exists(const std::string& name) const {
    return fs::exists(fs::u8path(path_ + name));
}

void TempFolder::MakeFolder(const std::string& name) const {
    fs::create_directories(fs::u8path(path_ + name));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string DataFolder() {
    return fs::u8path(ROMTOOL_TEST_DATA_DIR).make_preferred().u8string() + os::kPathSeparator;
}

}  // namespace test_support
