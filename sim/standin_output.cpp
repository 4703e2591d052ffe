#include "standin_output.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/text.h"

namespace sim {

namespace {

// Long enough for a reader blocked on the pipe to take what came before as a read of its own.
constexpr std::chrono::milliseconds kReadPause{200};

void Write(std::FILE* stream, std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

void WriteErrorLine(std::string line) {
    std::fflush(stdout);
    line += '\n';
    Write(stderr, line);
}

void WriteTagged(std::string_view tag, std::string_view text) {
    WriteErrorLine(std::string(tag) + os::ToAnsi(text).bytes());
}

}  // namespace

namespace {

unsigned long linePauseMs = 0;  // the program prints from one thread

}  // namespace

void SetLinePause(unsigned long milliseconds) {
    linePauseMs = milliseconds;
}

void PrintLine(std::string_view text) {
    std::string line = os::ToAnsi(text).bytes();
    line += '\n';
    Write(stdout, line);
    std::this_thread::sleep_for(std::chrono::milliseconds(linePauseMs));
}

void PrintRawLine(std::string_view bytes) {
    std::string line(bytes);
    line += '\n';
    Write(stdout, line);
}

void PrintRawErrorLine(std::string_view bytes) {
    WriteErrorLine(std::string(bytes));
}

void PrintError(std::string_view text) {
    WriteTagged("ERROR: ", text);
}

void PrintWarning(std::string_view text) {
    WriteTagged("WARNING: ", text);
}

void PrintLongOutput(std::size_t count) {
    constexpr std::size_t kLineLength = 64;  // line end included
    constexpr std::size_t kChunk = 64 * 1024;
    std::string chunk;
    chunk.reserve(kChunk + kLineLength);
    for (std::size_t written = 0, number = 1; written < count; ++number) {
        char text[kLineLength + 1];
        std::snprintf(text, sizeof text, "Reading back flash block %08llu: 0123456789ABCDEF",
                      static_cast<unsigned long long>(number));
        std::string line(text);
        line.resize(kLineLength - 1, '.');
        line += '\n';
        const std::size_t take = std::min(kLineLength, count - written);
        chunk.append(line, 0, take);
        if (take < kLineLength) {
            chunk.back() = '\n';
        }
        written += take;
        if (chunk.size() >= kChunk || written == count) {
            Write(stdout, chunk);
            chunk.clear();
        }
    }
}

void PrintZeroByteLine() {
    static constexpr char kLine[] = "Device status:\0 this half follows a zero byte.\n";
    Write(stdout, std::string_view(kLine, sizeof kLine - 1));
    std::this_thread::sleep_for(kReadPause);
}

void PrintSplitCharacterLine() {
    const std::string character = os::ToAnsi("已").bytes();
    Write(stdout, "Device state: " + character.substr(0, 1));
    std::this_thread::sleep_for(kReadPause);
    Write(stdout, character.substr(1) + " (one character in two writes)\n");
}

void PrintRehearsalOutput(const Settings& settings) {
    if (settings.longOutput > 0) {
        PrintLongOutput(settings.longOutput);
    }
    if (settings.zeroBytes) {
        PrintZeroByteLine();
    }
    if (settings.splitChar) {
        PrintSplitCharacterLine();
    }
}

}  // namespace sim
