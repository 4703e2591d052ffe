#include "nrfutil_commands.h"

#include <exception>
#include <optional>
#include <vector>

#include "nrfutil_tasks.h"
#include "platform/files.h"
#include "platform/text.h"
#include "simulated_chip.h"
#include "simulated_probes.h"
#include "standin_call.h"
#include "standin_image.h"
#include "standin_output.h"

namespace sim::nrfutil {

namespace {

const char kVersion[] = "nrfutil-device stand-in 1.0.0 (simulated probes and chips, no hardware)";

const char kUsage[] =
    "Usage: nrfutil [--json] device <command> [options]\n"
    "A stand-in for the chip maker's nrfutil device: it simulates the probes and their chips.\n"
    "\n"
    "Commands:\n"
    "  list                       Print every connected probe.\n"
    "  program                    Program an Intel HEX image into the chip of one probe.\n"
    "  protection-set All         Protect the chip against reading and debugging.\n"
    "  reset                      Reset the chip.\n"
    "  recover                    Erase the whole chip and remove its protection.\n"
    "  read                       Print memory of the chip: FICR, flash or UICR.\n"
    "  write                      Write one 32-bit word into the flash or UICR.\n"
    "  board-change               The stand-in's own: put the next board on the probe, a new,\n"
    "                             erased chip with a DEVICEID of its own.\n"
    "  board-out                  The stand-in's own: take the board out of the fixture, until\n"
    "                             the next board-change.\n"
    "  device-info                The chip's family and version.\n"
    "\n"
    "Options:\n"
    "  --json                     One JSON message per line (before 'device').\n"
    "  -h, --help                 Print this option list, or a command's (after it).\n"
    "  --version                  Print the version (after 'device').\n"
    "  --serial-number <serial>   The probe of a command (leading zeros ignored); every\n"
    "                             command but list needs it.\n"
    "  --family <family>          The chip's family (nrf51, nrf52, nrf53, nrf54l, nrf91):\n"
    "                             a command on a chip of another family fails.\n"
    "  --core <core>              Application (the default) or Network: the core of an\n"
    "                             nRF5340 a command reaches.\n"
    "\n";

const char kProgramUsage[] =
    "Usage: nrfutil device program --firmware <image> --serial-number <serial>\n"
    "                              [--options <key=value,...>]\n"
    "Programs an Intel HEX image into the chip of one probe.\n"
    "\n"
    "Options:\n"
    "  --firmware <image>         The Intel HEX image; on an nRF91, a .zip is the modem's\n"
    "                             firmware package.\n"
    "  --serial-number <serial>   The probe (leading zeros ignored).\n"
    "  --options <key=value,...>  Separated by commas:\n"
    "      chip_erase_mode=ERASE_ALL (default), ERASE_NONE, ERASE_RANGES_TOUCHED_BY_FIRMWARE or\n"
    "                      ERASE_CTRL_AP; ERASE_ALL and ERASE_CTRL_AP also remove protection\n"
    "      verify=VERIFY_NONE (default) or VERIFY_READ\n"
    "      reset=RESET_NONE (default), RESET_SYSTEM, RESET_HARD, RESET_PIN or RESET_DEBUG\n"
    "  -h, --help                 Print this option list.\n"
    "\n";

const char kOtherUsage[] =
    "Usage: nrfutil device protection-set All --serial-number <serial>\n"
    "       nrfutil device reset [--reset-kind <kind>] --serial-number <serial>\n"
    "       nrfutil device recover --serial-number <serial>\n"
    "       nrfutil device read --address <address> --bytes <count> [--width <8|16|32>]\n"
    "                           --serial-number <serial>\n"
    "       nrfutil device write --address <address> --value <value> --serial-number <serial>\n"
    "       nrfutil device board-change --serial-number <serial>\n"
    "  --reset-kind <kind>        RESET_SYSTEM (default), RESET_HARD, RESET_PIN or RESET_DEBUG.\n"
    "  --address, --bytes, --value  Decimal or 0x hexadecimal; a read prints --bytes bytes in\n"
    "                             units of --width bits (default 32); a write needs an erased\n"
    "                             word.\n"
    "\n";

const char kNoDevice[] = "No devices with requested serial number(s) or trait(s) found.";

int PrintHelp(const Request& request, const Settings& settings) {
    PrintRehearsalOutput(settings);
    const char* text = kOtherUsage;
    if (request.command == Command::kProgram) {
        text = kProgramUsage;
    } else if (request.command == Command::kNone || request.command == Command::kList) {
        text = kUsage;
    }
    PrintRawLine(std::string(text) + StandInFilesHelp());
    return kExitOk;
}

int List(const Request& request, const Settings& settings) {
    PrintRehearsalOutput(settings);
    PrintDeviceList(request.json,
                    settings.probeAbsent ? std::vector<std::string>{} : settings.serials);
    return kExitOk;
}

const char kProtected[] =
    "The chip is protected: its flash can only be erased as a whole (chip_erase_mode=ERASE_ALL) "
    "or recovered.";
// What nrfutil says of a chip that came protected, which no erase of a program run opens.
const char kReadbackProtected[] =
    "[jlink] The operation is unavailable due to readback protection. The device can be unlocked "
    "using the recover subcommand.";

// Opens the chip for a program run that erases it, as far as its erase mode can: an erase through
// the control access port opens any chip, a plain erase of everything only one that did not come
// protected. False, the task failed, when the chip stays closed.
bool OpenForProgram(const Request& request, const Task& task, SimulatedChip& chip) {
    if (!chip.Protected()) {
        return true;
    }
    if (request.erase == EraseMode::kControlAccess) {
        chip.Recover();
        return true;
    }
    if (request.erase == EraseMode::kAll && chip.EraseOpens()) {
        return true;
    }
    task.Fail(kErrorProtected, chip.EraseOpens() ? kProtected : kReadbackProtected);
    return false;
}

// The modem's firmware, a package only an nRF91 takes: recorded beside the flash.
int ProgramModem(const Request& request, const Settings& settings, const Task& task,
                 SimulatedChip& chip) {
    if (settings.family != Family::kNrf91) {
        task.Fail(kErrorGeneric, "A modem firmware package can only be programmed into an nRF91.");
        return kExitFailed;
    }
    if (chip.Protected()) {
        task.Fail(kErrorProtected, kReadbackProtected);
        return kExitFailed;
    }
    task.Progress(10, "Programming modem firmware", 1, 1);
    chip.RecordModem(request.firmware, os::ReadWholeFile(request.firmware, os::Share::kRead));
    PrintRehearsalOutput(settings);
    task.Succeed("Programmed");
    return kExitOk;
}

bool EndsWithZip(const std::string& path) {
    return path.size() >= 4 && os::AsciiLower(path.substr(path.size() - 4)) == ".zip";
}

// The steps a program reports, numbered as nrfutil numbers them: the erase, the write, the
// verify and the reset it was asked for.
int ProgramSteps(const Request& request) {
    return (request.erase == EraseMode::kNone ? 0 : 1) + 1 + (request.verify ? 1 : 0) +
           (request.resetAfterProgram.empty() ? 0 : 1);
}

int Program(const Request& request, const Settings& settings, const Task& task,
            SimulatedChip& chip) {
    if (EndsWithZip(request.firmware)) {
        return ProgramModem(request, settings, task, chip);
    }
    SimulatedFlash& flash = chip.Flash();
    const LoadedImage image = LoadImage(request.firmware, flash.Layout());
    if (!image.Ok()) {
        task.Fail(kErrorGeneric, image.error);
        return kExitFailed;
    }
    const bool eraseAll =
        request.erase == EraseMode::kAll || request.erase == EraseMode::kControlAccess;
    if (!OpenForProgram(request, task, chip)) {
        return kExitFailed;
    }
    const int steps = ProgramSteps(request);
    int step = 0;
    if (eraseAll) {
        task.Progress(10, "Erasing the whole chip", ++step, steps);
        flash.EraseAll();
    } else if (request.erase == EraseMode::kRangesTouched) {
        task.Progress(10, "Erasing the pages the image writes to", ++step, steps);
        flash.ErasePages(image.segments);
    } else if (auto unerased = flash.FirstUnerased(image.segments)) {
        task.Fail(kErrorGeneric, "The flash at " + Hex32(*unerased) +
                                     " is not erased: program it with an erase mode.");
        return kExitFailed;
    }
    task.Progress(40, "Programming", ++step, steps);
    flash.Write(image.segments);
    if (settings.verifyFails) {
        flash.Damage(image.segments.front().address);
    }
    chip.Save();
    if (eraseAll) {
        chip.SetProtected(false);
    }
    PrintRehearsalOutput(settings);
    if (request.verify) {
        task.Progress(80, "Verifying", ++step, steps);
        if (auto mismatch = flash.Compare(image.segments)) {
            task.Fail(kErrorVerify, "Verify failed at address " + Hex32(mismatch->address) +
                                        ": expected " + Hex8(mismatch->expected) + ", read back " +
                                        Hex8(mismatch->found) + ".");
            return kExitFailed;
        }
    }
    if (!request.resetAfterProgram.empty()) {
        task.Progress(100, "Applying " + request.resetAfterProgram, ++step, steps);
    }
    if (settings.marker != Marker::kOmitted) {
        task.Succeed("Programmed");
    }
    return kExitOk;
}

int Read(const Request& request, const Task& task, const SimulatedChip& chip) {
    if (chip.Protected()) {
        task.Fail(kErrorProtected, kProtected);
        return kExitFailed;
    }
    const auto bytes = chip.Read(request.address, request.byteCount);
    if (!bytes) {
        task.Fail(kErrorGeneric, "The " + std::to_string(request.byteCount) + " bytes at " +
                                     Hex32(request.address) +
                                     " are not in one memory of the chip.");
        return kExitFailed;
    }
    task.SucceedWithMemory(request.address, *bytes, request.widthBits);
    return kExitOk;
}

int Write(const Request& request, const Task& task, SimulatedChip& chip) {
    if (chip.Protected()) {
        task.Fail(kErrorProtected, kProtected);
        return kExitFailed;
    }
    switch (chip.WriteWord(request.address, request.value)) {
        case SimulatedChip::WordWrite::kNotWritable:
            task.Fail(kErrorGeneric, "The address " + Hex32(request.address) +
                                         " is not in the chip's flash or UICR.");
            return kExitFailed;
        case SimulatedChip::WordWrite::kNotErased:
            task.Fail(kErrorGeneric, "The word at " + Hex32(request.address) +
                                         " is not erased: erase the chip before writing it.");
            return kExitFailed;
        case SimulatedChip::WordWrite::kWritten:
            break;
    }
    chip.Save();
    task.Succeed("Wrote " + Hex32(request.value) + " to " + Hex32(request.address));
    return kExitOk;
}

// Runs a command on the chip of the probe the request names.
int RunOnDevice(const Request& request, const Settings& settings, std::size_t probe,
                const std::string& folder) {
    const std::string& serial = request.serialNumber;
    if (request.command == Command::kBoardChange) {
        const Task task(request.json, "board-change", "Change board", serial);
        const std::uint64_t deviceId = SimulatedChip::ChangeBoard(folder, settings, probe);
        task.Succeed("A new, erased chip with the DEVICEID " + DeviceIdText(deviceId));
        return kExitOk;
    }
    if (!request.family.empty() && !NamesFamily(request.family, settings.family)) {
        const Task task(request.json, "device-family", "Check the device's family", serial);
        task.Fail(kErrorGeneric, std::string("The device is of the family ") +
                                     FamilyName(settings.family) + ", not of the family " +
                                     request.family + " given with --family.");
        return kExitFailed;
    }
    if (request.command == Command::kReset) {
        const Task task(request.json, "reset", "Reset", serial);
        PrintRehearsalOutput(settings);
        task.Succeed("Applied " + request.resetKind);
        return kExitOk;
    }
    if (request.command == Command::kBoardOut) {
        const Task task(request.json, "board-out", "Take board out", serial);
        SimulatedChip::TakeBoardOut(folder, settings, probe);
        task.Succeed("Board taken out of the fixture");
        return kExitOk;
    }
    if (!SimulatedChip::BoardIn(folder, settings, probe)) {
        const Task task(request.json, "connect", "Connect", serial);
        task.Fail(kErrorGeneric, "[jlink] JLINKARM_DLL_ERROR: no device is connected");
        return kExitFailed;
    }
    const std::optional<Core> core = CoreNamed(request.core);
    if (!core || (*core == Core::kNetwork && settings.family != Family::kNrf53)) {
        const Task task(request.json, "core", "Select the core", serial);
        task.Fail(kErrorGeneric, "The device has no core " + request.core + ".");
        return kExitFailed;
    }
    SimulatedChip chip = SimulatedChip::Load(folder, settings, probe, *core);
    switch (request.command) {
        case Command::kDeviceInfo: {
            const Task task(request.json, "device-info", "Device info", serial);
            if (chip.Protected()) {
                task.Fail(kErrorProtected, kProtected);
                return kExitFailed;
            }
            task.Succeed(chip.VersionText());
            return kExitOk;
        }
        case Command::kProgram:
            return Program(request, settings, Task(request.json, "program", "Program", serial),
                           chip);
        case Command::kProtectionSet: {
            const Task task(request.json, "protection-set", "Set protection", serial);
            chip.SetProtected(true);
            PrintRehearsalOutput(settings);
            task.Succeed("Protection set to All");
            return kExitOk;
        }
        case Command::kRecover: {
            const Task task(request.json, "recover", "Recover", serial);
            chip.Recover();
            PrintRehearsalOutput(settings);
            task.Succeed("Recovered");
            return kExitOk;
        }
        case Command::kRead:
            PrintRehearsalOutput(settings);
            return Read(request, Task(request.json, "read", "Read", serial), chip);
        case Command::kWrite:
            PrintRehearsalOutput(settings);
            return Write(request, Task(request.json, "write", "Write", serial), chip);
        case Command::kNone:
        case Command::kList:
        case Command::kReset:
        case Command::kBoardChange:
        case Command::kBoardOut:
            break;
    }
    return kExitBadArguments;
}

}  // namespace

int RunRequest(const Request& request, const Settings& settings, const std::string& folder) {
    if (request.help) {
        return PrintHelp(request, settings);
    }
    if (request.version) {
        PrintRawLine(kVersion);
        return kExitOk;
    }
    if (request.command == Command::kList) {
        return List(request, settings);
    }
    const std::optional<std::size_t> probe =
        settings.probeAbsent ? std::nullopt : FindProbe(settings.serials, request.serialNumber);
    if (!probe) {
        PrintErrorLine(kNoDevice);
        return kExitFailed;
    }
    try {
        return RunOnDevice(request, settings, *probe, folder);
    } catch (const std::exception& e) {  // os::FileError or FlashFileError
        PrintErrorLine(e.what());
        return kExitFailed;
    }
}

}  // namespace sim::nrfutil
