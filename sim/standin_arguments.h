// The stand-in programmer's command line: one command and the options that go with it.
#pragma once

#include <string>
#include <vector>

namespace sim {

enum class Command {
    kProbeQuery,  // -i, --ids
    kHelp,        // -h, --help
    kVersion,     // -v, --version
    kProgram,  // --program <hexfile> [-e | --sectorerase] [--verify] [--rbp ALL|CR0] [--pinreset]
    kErase,    // -e [--pinreset] without --program
    kReset,    // --pinreset alone
};
// --snr <serial> goes with the last three: the probe to use, decimal digits.

struct Request {
    Command command = Command::kHelp;
    std::string hexPath;
    bool chipErase = false;
    bool sectorErase = false;
    bool verify = false;
    bool pinReset = false;
    std::string readbackProtection;  // "ALL", "CR0" or "" for none
    std::string probeSerial;         // --snr, "" when not given
};

struct ParsedArguments {
    Request request;
    std::string error;  // empty when the arguments make one valid request
};

// Options may come in any order. Anything not understood, a missing value, two commands or an
// option that does not go with the command is an error.
ParsedArguments ParseArguments(const std::vector<std::string>& arguments);

}  // namespace sim
