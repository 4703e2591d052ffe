// The stand-in programmer's command line: one command and the options that go with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class Command {
    kProbeQuery,  // -i, --ids
    kHelp,        // -h, --help
    kVersion,     // -v, --version
    kProgram,  // --program <hexfile> [-e | --sectorerase] [--verify] [--rbp <level>] [--pinreset]
    kErase,    // -e [--pinreset] without --program
    kReset,    // --pinreset alone
    kProtect,  // --rbp <level> alone
    kRecover,  // --recover alone; with --program, it recovers before programming
    kMemoryRead,     // --memrd <address> [--n <bytes>] [--w <8|16|32>]
    kMemoryWrite,    // --memwr <address> --val <value>
    kBoardChange,    // --board-change: the stand-in's own, see simulated_chip.h
    kDeviceVersion,  // --deviceversion: the chip's version, the cheapest look at the fixture
    kBoardOut,       // --board-out: the stand-in's own, takes the board out of the fixture
};
// --snr <serial> goes with every command on the device (kProgram and the ones after it): the
// probe to use, decimal digits. So does -f / --family <family>: the family the chip must be of,
// and --coprocessor <CP_APPLICATION | CP_NETWORK>: the core of a two-core chip.

struct Request {
    Command command = Command::kHelp;
    std::string hexPath;
    bool chipErase = false;
    bool sectorErase = false;
    bool verify = false;
    bool pinReset = false;
    std::string readbackProtection;  // "ALL", "CR0" or "" for none
    std::string probeSerial;         // --snr, "" when not given
    std::string family;              // -f, "" when not given
    std::string coprocessor;         // --coprocessor CP_NETWORK | CP_APPLICATION, "" when not
    bool recover = false;            // --recover (alone, or with --program)
    std::uint32_t address = 0;       // --memrd, --memwr
    std::uint32_t byteCount = 4;     // --n
    unsigned widthBits = 32;         // --w
    std::uint32_t value = 0;         // --val
};

struct ParsedArguments {
    Request request;
    std::string error;  // empty when the arguments make one valid request
};

// Options may come in any order. Numbers are decimal or "0x" hexadecimal, as the chip maker's
// tool takes them. Anything not understood, a missing or repeated value, two commands, an option
// that does not go with the command, or a read or write that is not aligned to its width is an
// error.
ParsedArguments ParseArguments(const std::vector<std::string>& arguments);

}  // namespace sim
