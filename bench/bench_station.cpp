#include "bench_station.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <vector>

#include "integrity/checksum.h"
#include "intel_hex.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tool/programmer.h"

namespace bench {

namespace fs = std::filesystem;

namespace {

// Bytes that look like a firmware image to nobody but vary enough to hash and program.
std::vector<std::uint8_t> ImageBytes(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = 2654435761u;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    os::CreateForWriting(path, os::Share::kRead).Write(bytes);
}

// Everything the daily logs (*.log) in logsFolder hold, file after file. The station also makes
// and removes files of its own there (the check that the folder takes a line writes one): a file
// gone before it could be read is passed over.
std::string LogsContent(const std::string& logsFolder) {
    std::string content;
    std::error_code error;
    for (fs::directory_iterator entry(fs::u8path(logsFolder), error), end; !error && entry != end;
         entry.increment(error)) {
        if (entry->path().extension() != ".log") {
            continue;
        }
        try {
            content += os::ReadWholeFile(entry->path().u8string(), os::Share::kReadWrite);
        } catch (const os::FileError&) {
        }
    }
    return content;
}

// The first refresh's verdict is in log once a whole line follows the self-check line: a line
// still being written may be the start of a verdict whose error line is yet to come.
bool HasFirstVerdict(const std::string& log) {
    const std::string selfCheck = "[info ]" + os::ToAnsi("程序启动自检").bytes() + "\r\n";
    const std::size_t at = log.find(selfCheck);
    if (at == std::string::npos) {
        return false;
    }
    const std::size_t next = log.find("[info ]", at + selfCheck.size());
    return next != std::string::npos && log.find('\n', next) != std::string::npos;
}

}  // namespace

void LayOutStation(const std::string& folder, const std::string& standinPath,
                   std::size_t imageBytes) {
    fs::create_directories(fs::u8path(folder + "bin"));
    fs::create_directories(fs::u8path(folder + "logs"));
    fs::copy_file(fs::u8path(standinPath),
                  fs::u8path(folder + "bin" + os::kPathSeparator + tool::ProgrammerFileName()));
    WriteWholeFile(folder + "merge.hex", sim::MakeIntelHex(ImageBytes(imageBytes), 0));
    integrity::WriteChecksumFile(folder + "merge.crc",
                                 integrity::FileChecksum(folder + "merge.hex"));
    WriteWholeFile(folder + "config.ini", "[log4me]\r\npath=logs\r\nlevel=info\r\n");
}

// Named so that its title is its own: a station program started on this machine meanwhile must
// not take it for a first copy under the same title and end.
PressedStation::PressedStation(const std::string& folder)
    : logger_(folder, "bench-station"),
      form_(view_, folder + "bench-station" + os::kExecutableSuffix) {
    form_.FormCreate();
    form_.Handle(&TRomForm::FormShow);
    if (view_.Verdict() != "Ready") {
        throw std::runtime_error("the station in " + folder + " did not say Ready");
    }
}

bool PressedStation::Press() {
    form_.Handle(&TRomForm::Button_StartClick);
    return view_.Verdict() == "PASS";
}

void RemoveLogs(const std::string& logsFolder) {
    for (const auto& entry : fs::directory_iterator(fs::u8path(logsFolder))) {
        std::error_code error;
        fs::remove(entry.path(), error);
        // A daily log left behind would hold a verdict before the next start; a file of the folder
        // check that an ended station still holds (Windows deletes it on close) does not count.
        if (error && entry.path().extension() == ".log") {
            throw fs::filesystem_error("cannot remove the daily log", entry.path(), error);
        }
    }
}

std::string WaitForFirstVerdict(const std::string& logsFolder, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::string log = LogsContent(logsFolder);
        if (HasFirstVerdict(log) || std::chrono::steady_clock::now() >= deadline) {
            return log;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

bool SaidReady(const std::string& log) {
    return HasFirstVerdict(log) && log.find("[error]") == std::string::npos;
}

}  // namespace bench
