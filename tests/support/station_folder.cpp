#include "station_folder.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "integrity/checksum.h"
#include "intel_hex.h"
#include "log4me/log4me.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "tool/nrfutil_programmer.h"
#include "tool/programmer.h"

namespace fs = std::filesystem;

namespace test_support {

StationParts StationParts::Without(std::initializer_list<Part> missing) {
    StationParts parts;
    for (const Part part : missing) {
        switch (part) {
            case Part::kTool:
                parts.tool = false;
                break;
            case Part::kImage:
                parts.image = false;
                break;
            case Part::kChecksum:
                parts.checksum = false;
                break;
            case Part::kConfig:
                parts.config = false;
                break;
            case Part::kLogs:
                parts.logs = false;
                break;
        }
    }
    return parts;
}

StationFolder::StationFolder(StationParts parts) {
    MakeFolder("bin");
    if (parts.tool) {
        fs::copy_file(fs::u8path(ROMTOOL_STANDIN_PATH), fs::u8path(ToolPath()));
        fs::copy_file(fs::u8path(ROMTOOL_NRFUTIL_STANDIN_PATH), fs::u8path(NrfutilPath()));
    }
    if (parts.image) {
        WriteImage(ImagePath());
    }
    if (parts.checksum) {
        if (parts.image) {
            integrity::WriteChecksumFile(ChecksumPath(), integrity::FileChecksum(ImagePath()));
        } else {
            Write("merge.crc", std::string(32, '0'));
        }
    }
    if (parts.config) {
        Write("config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
    }
    if (parts.logs) {
        MakeFolder("logs");
    }
}

std::string StationFolder::BinFolder() const {
    return Path() + "bin" + os::kPathSeparator;
}
std::string StationFolder::ToolPath() const {
    return BinFolder() + tool::ProgrammerFileName();
}
std::string StationFolder::NrfutilPath() const {
    return BinFolder() + tool::NrfutilFileName();
}
std::string StationFolder::ImagePath() const {
    return Path() + "merge.hex";
}
std::string StationFolder::ChecksumPath() const {
    return Path() + "merge.crc";
}

void StationFolder::WriteImage(const std::string& path, std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    WriteFile(path, sim::MakeIntelHex(bytes, 0));
}

void StationFolder::PinProbe(const std::string& serial, const std::string& key) const {
    Write("config.ini", Read("config.ini") + "[station]\r\n" + key + "=" + serial + "\r\n");
}

void StationFolder::SetStandIn(const std::string& settings) const {
    WriteFile(BinFolder() + "standin.ini", settings);
}

std::string StationFolder::StandInCalls() const {
    return ReadFile(BinFolder() + "calls.log");
}

int StationFolder::StandInCallCount() const {
    std::string calls = StandInCalls();
    return static_cast<int>(std::count(calls.begin(), calls.end(), '\n'));
}

std::string StationFolder::TodaysLog() const {
    return ReadFile(Path() + "logs" + os::kPathSeparator + log4me::DailyFileName(os::LocalNow()));
}

}  // namespace test_support
