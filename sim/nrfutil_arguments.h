// The nrfutil stand-in's command line:
//   nrfutil [--json] device list
//   nrfutil [--json] device program --firmware <image> --serial-number <sn> [--options <list>]
//   nrfutil [--json] device protection-set All --serial-number <sn>
//   nrfutil [--json] device reset [--reset-kind <kind>] --serial-number <sn>
//   nrfutil [--json] device recover --serial-number <sn>
//   nrfutil [--json] device read --address <a> --bytes <n> [--width 8|16|32] --serial-number <sn>
//   nrfutil [--json] device write --address <a> --value <v> --serial-number <sn>
//   nrfutil [--json] device board-change --serial-number <sn>   (the stand-in's own)
//   nrfutil [device [<command>]] --help, nrfutil device --version
//   nrfutil [--json] device batch-execute --batch-file <file> --serial-number <sn>
//     (also x-execute-batch --batch-path <file>, the older spelling)
// program, protection-set, reset, recover, read and write also take --append-batch <file> (or
// --x-append-batch): nothing runs, the operation is appended to a batch file; or --generate:
// the operation is printed instead. Neither needs --serial-number (nrfutil_batch.h).
// <list> is key=value pairs separated by commas: chip_erase_mode, verify and reset. Numbers are
// decimal or "0x" hexadecimal. Every command but list also takes --family <family> (or the older
// --x-family): nrf51, nrf52, nrf53, nrf54l, nrf54h, nrf91 or nrf92, and --core Application or
// Network: the core of a two-core chip. program takes a .zip on an nRF91: the modem's firmware.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim::nrfutil {

enum class Command {
    kNone,
    kList,
    kProgram,
    kProtectionSet,
    kReset,
    kRecover,
    kRead,
    kWrite,
    kBoardChange,
    kDeviceInfo,  // device-info: the chip's family and version, the cheapest look at the fixture
    kBoardOut,    // board-out: the stand-in's own, takes the board out of the fixture
    kBatchExecute,
};

enum class EraseMode {
    kAll,            // ERASE_ALL, the default: the whole chip, its protection included
    kNone,           // ERASE_NONE
    kRangesTouched,  // ERASE_RANGES_TOUCHED_BY_FIRMWARE: the pages the image writes to
    kControlAccess,  // ERASE_CTRL_AP: the whole chip through its control access port
};

struct Request {
    bool json = false;
    bool help = false;     // print the option list of command (or of the whole tool)
    bool version = false;  // device --version
    Command command = Command::kNone;
    std::string serialNumber;
    std::string family;  // --family, "" when not given
    std::string core;    // --core Application | Network, "" when not given
    std::string firmware;
    EraseMode erase = EraseMode::kAll;
    bool verify = false;
    std::string resetAfterProgram;  // --options reset=, "" for RESET_NONE
    std::string resetKind = "RESET_SYSTEM";
    std::uint32_t address = 0;    // read, write
    std::uint32_t byteCount = 0;  // read
    unsigned widthBits = 32;      // read
    std::uint32_t value = 0;      // write
    std::string appendBatch;      // --append-batch: the batch file to append the operation to
    bool generate = false;        // --generate: print the operation instead of running it
    std::string batchFile;        // batch-execute
};

struct ParsedArguments {
    Request request;
    std::string error;  // empty when the arguments make one valid request
};

// --json goes before "device"; options after the command, in any order. Anything not
// understood, a missing or repeated value, or an option of another command is an error, and so is
// a read or write that is not aligned to its width. Every command on the device needs
// --serial-number: the stand-in never picks a probe by itself.
ParsedArguments ParseArguments(const std::vector<std::string>& arguments);

}  // namespace sim::nrfutil
