// The contract with the chip maker's programmer tool: the three command lines the station runs
// and the two markers it reads from the tool's output, and the steps a run adds when it reads a
// chip's ID or writes its serial number. Nothing else of the tool is relied on.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tool {

// The programmer tool's file name: "nrfjprog" plus the platform's executable suffix.
std::string ProgrammerFileName();

// The fixed trailing options of a programming run (two blanks before and two after).
inline constexpr char kProgPara[] = "  --verify --rbp ALL --pinreset  ";

// How long each kind of run may take before it is ended.
inline constexpr std::chrono::seconds kProbeQueryLimit{30};
inline constexpr std::chrono::seconds kHelpLimit{30};
inline constexpr std::chrono::seconds kProgrammingLimit{300};

// Paths are quoted for the command interpreter, so blanks and special characters in them reach
// the tool as one argument and never run anything.

// progPath + " -i ": the probe query; any output counts as a present probe.
std::string ProbeQueryCommand(const std::string& progPath);
// progPath + " --program " + hexPath + progPara, or with " -e --program " when erase is set.
// With a serial, " --snr " + serial follows progPath, so the tool uses that probe and never asks
// which one to use; "" leaves the choice to the tool.
std::string ProgrammingCommand(const std::string& progPath, const std::string& hexPath, bool erase,
                               const std::string& progPara, const std::string& serial);

// What a programming run does to the chip before it writes the image.
enum class EraseMode {
    kNone,       // nothing: " --program "
    kWholeChip,  // erases flash and UICR: " -e --program "
    // recovers the chip (erasing all of it and opening its debug port, which a factory-protected
    // chip needs) and programs it in the same call (nrfjprog 10.15.1 and later): " --recover
    // --program "
    kRecover,
};

// Every command on the chip takes a family: nrfjprog's name for it ("NRF52"), or "" for none.
// With one, " -f " + family follows progPath (before --snr), and a chip of another family makes
// the tool exit with 18 before it touches anything.
std::string ProgrammingCommand(const std::string& progPath, const std::string& hexPath,
                               EraseMode erase, const std::string& progPara,
                               const std::string& serial, const std::string& family);
// Commands on one core of a two-core chip: " --coprocessor " + coprocessor ("CP_NETWORK")
// follows the family; "" for none, as the commands above.
std::string CoreProgrammingCommand(const std::string& progPath, const std::string& hexPath,
                                   EraseMode erase, const std::string& serial,
                                   const std::string& family, const std::string& coprocessor);
// ... " --recover": erases the core (on nRF5340's network core: both cores) and opens it.
std::string CoreRecoverCommand(const std::string& progPath, const std::string& serial,
                               const std::string& family, const std::string& coprocessor);
// ... " --rbp ALL": protects that core.
std::string CoreProtectCommand(const std::string& progPath, const std::string& serial,
                               const std::string& family, const std::string& coprocessor);
// The modem firmware (a zip of the chip maker's) programmed and verified:
// progPath + " --program " + zipPath + " --verify".
std::string ModemProgrammingCommand(const std::string& progPath, const std::string& zipPath,
                                    const std::string& serial, const std::string& family);
// A modem programming run succeeded when it exited with 0, confirmed its verify
// (kVerifySuccessMarkers) and printed no "ERROR:" line but the spurious "ERROR: [ nRF91] -"
// lines the chip maker confirms harmless.
bool ModemProgrammingSucceeded(const std::string& output, int exitCode);

// progPath + " -h ": the tool's option list.
std::string HelpCommand(const std::string& progPath);
// progPath + " --programs @hex " + progPara: the template shown to the operator; never run. A
// serial and a family go in as in ProgrammingCommand.
std::string CommandTemplate(const std::string& progPath, const std::string& progPara,
                            const std::string& serial, const std::string& family = "");

// The programming run's trailing options when protection and the pin reset are steps of their
// own, so that the chip can still be read and written after it is programmed: verify only.
inline constexpr char kVerifyOnlyPara[] = "  --verify  ";

// The steps after such a programming run. Each names the probe as ProgrammingCommand does.
// Addresses and values are "0x" and eight hexadecimal digits (HexWord): the tool takes a number
// without "0x" as decimal, without a warning.
// progPath + " --memrd <address> --n <byteCount>": prints the bytes at address as 32-bit words.
std::string MemoryReadCommand(const std::string& progPath, std::uint32_t address,
                              std::uint32_t byteCount, const std::string& serial,
                              const std::string& family = "");
// progPath + " --memwr <address> --val <value>": writes one 32-bit word, where it is erased.
std::string MemoryWriteCommand(const std::string& progPath, std::uint32_t address,
                               std::uint32_t value, const std::string& serial,
                               const std::string& family = "");
// progPath + " --rbp ALL": protects the chip; it takes effect at the next reset.
std::string ProtectCommand(const std::string& progPath, const std::string& serial,
                           const std::string& family = "");
// progPath + " --pinreset".
std::string PinResetCommand(const std::string& progPath, const std::string& serial,
                            const std::string& family = "");

// "0x" and eight upper-case hexadecimal digits: "0x000186A1".
std::string HexWord(std::uint32_t value);

// A step other than programming succeeded when it exited with 0 and its output holds no
// "ERROR:".
bool StepSucceeded(const std::string& output, int exitCode);

// The texts that confirm a good verify: "Verify OK", and those of the published programmer
// versions, "Verified OK." (9.x and early 10.x) and "Verify file - Done verifying" (later 10.x).
inline constexpr const char* kVerifySuccessMarkers[] = {"Verify OK", "Verified OK.",
                                                        "Verify file - Done verifying"};

// A programming run succeeded only when its output contains one of kVerifySuccessMarkers and
// does not contain "ERROR:" (all case-sensitive).
bool ProgrammingSucceeded(const std::string& output);

// What a run uses a path for.
enum class PathUse {
    kWorkingFolder,  // the tool's folder, where the interpreter and the tool run
    kTool,           // the tool the interpreter starts
    kImage,          // the image the tool is given to open
};

// Why no run may use a path.
enum class Refusal {
    // The command interpreter would change it although it is quoted (on Windows a path with
    // "%": cmd.exe expands %NAME% inside quotes, so the tool or the image could become another
    // file).
    kExpanded,
    // Longer than the interpreter and the tool can use (os::kLongestCommandPath): the run would
    // not start, or its tool would not be found, and the interpreter's complaint would pass for
    // a probe's answer.
    kTooLong,
};

// A path that no run may use, and why.
struct RefusedPath {
    std::string path;
    PathUse use = PathUse::kTool;
    Refusal reason = Refusal::kExpanded;
    char character = 0;      // kExpanded: the character the interpreter would act on
    std::size_t length = 0;  // kTooLong: the path's length in os::PathLength units
};

// The first of a run's paths that it may not use, in the order working folder, tool, image;
// nothing when the run may go ahead. image is "" for runs that are given none.
std::optional<RefusedPath> FindRefusedPath(const std::string& workingFolder,
                                           const std::string& toolPath,
                                           const std::string& imagePath = {});

}  // namespace tool
