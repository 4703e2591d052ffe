#include "tool/programmer.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "platform/paths.h"

namespace tool {

std::string ProgrammerFileName() {
    return std::string("nrfjprog") + os::kExecutableSuffix;
}

std::string ProbeQueryCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " -i ";
}

namespace {

// The tool's path, the chip's family and the probe it is to use, each when one is named.
std::string ToolFor(const std::string& progPath, const std::string& serial,
                    const std::string& family = "", const std::string& coprocessor = "") {
    return os::QuoteArgument(progPath) + (family.empty() ? "" : " -f " + family) +
           (coprocessor.empty() ? "" : " --coprocessor " + coprocessor) +
           (serial.empty() ? "" : " --snr " + serial);
}

// The output holds one of kVerifySuccessMarkers.
bool ConfirmsVerify(const std::string& output) {
    return std::any_of(
        std::begin(kVerifySuccessMarkers), std::end(kVerifySuccessMarkers),
        [&](const char* marker) { return output.find(marker) != std::string::npos; });
}

const char* ProgramWord(EraseMode erase) {
    switch (erase) {
        case EraseMode::kWholeChip:
            return " -e --program ";
        case EraseMode::kRecover:
            return " --recover --program ";
        case EraseMode::kNone:
            break;
    }
    return " --program ";
}

}  // namespace

std::string ProgrammingCommand(const std::string& progPath, const std::string& hexPath, bool erase,
                               const std::string& progPara, const std::string& serial) {
    return ProgrammingCommand(progPath, hexPath, erase ? EraseMode::kWholeChip : EraseMode::kNone,
                              progPara, serial, "");
}

std::string ProgrammingCommand(const std::string& progPath, const std::string& hexPath,
                               EraseMode erase, const std::string& progPara,
                               const std::string& serial, const std::string& family) {
    return ToolFor(progPath, serial, family) + ProgramWord(erase) + os::QuoteArgument(hexPath) +
           progPara;
}

std::string CoreProgrammingCommand(const std::string& progPath, const std::string& hexPath,
                                   EraseMode erase, const std::string& serial,
                                   const std::string& family, const std::string& coprocessor) {
    return ToolFor(progPath, serial, family, coprocessor) + ProgramWord(erase) +
           os::QuoteArgument(hexPath) + kVerifyOnlyPara;
}

std::string CoreRecoverCommand(const std::string& progPath, const std::string& serial,
                               const std::string& family, const std::string& coprocessor) {
    return ToolFor(progPath, serial, family, coprocessor) + " --recover";
}

std::string CoreProtectCommand(const std::string& progPath, const std::string& serial,
                               const std::string& family, const std::string& coprocessor) {
    return ToolFor(progPath, serial, family, coprocessor) + " --rbp ALL";
}

std::string ModemProgrammingCommand(const std::string& progPath, const std::string& zipPath,
                                    const std::string& serial, const std::string& family) {
    return ToolFor(progPath, serial, family) + " --program " + os::QuoteArgument(zipPath) +
           " --verify";
}

bool ModemProgrammingSucceeded(const std::string& output, int exitCode) {
    static constexpr std::string_view kSpurious = "ERROR: [ nRF91] -";
    for (std::size_t at = output.find("ERROR:"); at != std::string::npos;
         at = output.find("ERROR:", at + 1)) {
        const bool lineStart = at == 0 || output[at - 1] == '\n' || output[at - 1] == '\r';
        if (!lineStart || output.compare(at, kSpurious.size(), kSpurious) != 0) {
            return false;
        }
    }
    return exitCode == 0 && ConfirmsVerify(output);
}

std::string MemoryReadCommand(const std::string& progPath, std::uint32_t address,
                              std::uint32_t byteCount, const std::string& serial,
                              const std::string& family) {
    return ToolFor(progPath, serial, family) + " --memrd " + HexWord(address) + " --n " +
           std::to_string(byteCount);
}

std::string MemoryWriteCommand(const std::string& progPath, std::uint32_t address,
                               std::uint32_t value, const std::string& serial,
                               const std::string& family) {
    return ToolFor(progPath, serial, family) + " --memwr " + HexWord(address) + " --val " +
           HexWord(value);
}

std::string ProtectCommand(const std::string& progPath, const std::string& serial,
                           const std::string& family) {
    return ToolFor(progPath, serial, family) + " --rbp ALL";
}

std::string PinResetCommand(const std::string& progPath, const std::string& serial,
                            const std::string& family) {
    return ToolFor(progPath, serial, family) + " --pinreset";
}

std::string HexWord(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

bool StepSucceeded(const std::string& output, int exitCode) {
    return exitCode == 0 && output.find("ERROR:") == std::string::npos;
}

std::string HelpCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " -h ";
}

std::string CommandTemplate(const std::string& progPath, const std::string& progPara,
                            const std::string& serial, const std::string& family) {
    return ToolFor(progPath, serial, family) + " --programs @hex " + progPara;
}

bool ProgrammingSucceeded(const std::string& output) {
    if (output.find("ERROR:") != std::string::npos) {
        return false;
    }
    return ConfirmsVerify(output);
}

namespace {

std::optional<RefusedPath> Refused(const std::string& path, PathUse use) {
    // The working folder is no part of the command line, so nothing in it is expanded.
    const std::size_t at = use == PathUse::kWorkingFolder
                               ? std::string::npos
                               : path.find_first_of(os::kExpandedInQuotes);
    if (at != std::string::npos) {
        return RefusedPath{path, use, Refusal::kExpanded, path[at], 0};
    }
    // A working folder counts with the separator it ends in, as the system takes it.
    const bool addsSeparator =
        use == PathUse::kWorkingFolder && (path.empty() || path.back() != os::kPathSeparator);
    const std::size_t length = os::PathLength(path);
    if (length + (addsSeparator ? 1 : 0) > os::kLongestCommandPath) {
        return RefusedPath{path, use, Refusal::kTooLong, 0, length};
    }
    return std::nullopt;
}

}  // namespace

std::optional<RefusedPath> FindRefusedPath(const std::string& workingFolder,
                                           const std::string& toolPath,
                                           const std::string& imagePath) {
    if (auto refused = Refused(workingFolder, PathUse::kWorkingFolder)) {
        return refused;
    }
    if (auto refused = Refused(toolPath, PathUse::kTool)) {
        return refused;
    }
    if (!imagePath.empty()) {
        return Refused(imagePath, PathUse::kImage);
    }
    return std::nullopt;
}

}  // namespace tool
