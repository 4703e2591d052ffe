// The command lines the station runs with the chip maker's current programmer, `nrfutil device`.
// Every command asks for JSON lines (--json), which nrfutil_output.h reads; the tool's path is
// quoted as for nrfjprog, so blanks and special characters never run anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

// The tool's file name: "nrfutil" plus the platform's executable suffix.
std::string NrfutilFileName();
// The folder beside the tool that, when it exists, is the tool's own offline installation
// (NRFUTIL_HOME), so a station folder carries everything it runs.
inline constexpr char kNrfutilHomeFolder[] = "nrfutil-home";

// progPath + " --json device list": the probe query.
std::string NrfutilListCommand(const std::string& progPath);
// Every command on the chip takes a family, nrfutil's name for it ("nrf52"), or "" for none: with
// one, " --family " + family ends the command, and the command fails on a chip of another
// family before it touches anything.

// The programming run, in order, each step to run only when the one before succeeded: program
// (erasing the whole chip first when erase is set, else nothing; verified by reading back; no
// reset), protect, pin reset, each for the probe with the given serial.
std::vector<std::string> NrfutilProgrammingCommands(const std::string& progPath,
                                                    const std::string& hexPath,
                                                    const std::string& serial, bool erase,
                                                    const std::string& family = "");
// progPath + " --json device recover --serial-number <serial>": erases the whole chip and opens
// its debug port, which a factory-protected chip needs before anything can be programmed (program
// does not recover by itself).
std::string NrfutilRecoverCommand(const std::string& progPath, const std::string& serial,
                                  const std::string& family);
// The steps that read a chip's memory and write one word of it, for the probe with the given
// serial; addresses and values as HexWord (programmer.h) writes them.
// progPath + " --json device read --address <address> --bytes <byteCount> --serial-number <serial>"
std::string NrfutilReadCommand(const std::string& progPath, std::uint32_t address,
                               std::uint32_t byteCount, const std::string& serial,
                               const std::string& family = "");
// progPath + " --json device write --address <address> --value <value> --serial-number <serial>"
std::string NrfutilWriteCommand(const std::string& progPath, std::uint32_t address,
                                std::uint32_t value, const std::string& serial,
                                const std::string& family = "");
// The last two steps of the programming run, each a command of its own.
// progPath + " --json device protection-set All --serial-number <serial>"
std::string NrfutilProtectCommand(const std::string& progPath, const std::string& serial,
                                  const std::string& family = "");
// progPath + " --json device reset --reset-kind RESET_PIN --serial-number <serial>"
std::string NrfutilPinResetCommand(const std::string& progPath, const std::string& serial,
                                   const std::string& family = "");

// Commands on one core of a two-core chip: " --core " + core ("Network") before the family.
// The core's program step, as NrfutilProgrammingCommands' first.
std::string NrfutilCoreProgramCommand(const std::string& progPath, const std::string& hexPath,
                                      const std::string& serial, bool erase,
                                      const std::string& family, const std::string& core);
std::string NrfutilCoreRecoverCommand(const std::string& progPath, const std::string& serial,
                                      const std::string& family, const std::string& core);
std::string NrfutilCoreProtectCommand(const std::string& progPath, const std::string& serial,
                                      const std::string& family, const std::string& core);
// progPath + " --json device program --firmware <zip> --serial-number <serial>": the modem's
// firmware (a zip of the chip maker's).
std::string NrfutilModemCommand(const std::string& progPath, const std::string& zipPath,
                                const std::string& serial, const std::string& family);

// progPath + " device program --help": the option list, shown as it comes.
std::string NrfutilHelpCommand(const std::string& progPath);
// The programming step as the operator's template shows it: "@hex" for the image, and the
// serial, or "@sn" when the check picks it; never run.
std::string NrfutilCommandTemplate(const std::string& progPath, const std::string& serial,
                                   const std::string& family = "");

}  // namespace tool
