#include "standin_commands.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "platform/files.h"
#include "platform/text.h"

#include "intel_hex.h"
#include "simulated_chip.h"
#include "simulated_probes.h"
#include "standin_call.h"
#include "standin_chip_commands.h"
#include "standin_image.h"
#include "standin_output.h"

namespace sim {

namespace {

const char* VerifyMarker(Marker marker) {
    switch (marker) {
        case Marker::kVerifiedOk:
            return "Verified OK.";
        case Marker::kDoneVerifying:
            return "Verify file - Done verifying";
        case Marker::kOmitted:
            return "Programming complete.";
        case Marker::kVerifyOk:
            break;
    }
    return "Verify OK";
}

const char kVersion[] = "nrfjprog stand-in 1.0.0 (simulated probe and flash, no hardware)";

const char kOptionList[] =
    "Usage: nrfjprog <command> [options]\n"
    "A stand-in for the chip maker's programmer: it simulates the probe and the device.\n"
    "\n"
    "Commands:\n"
    "  -i, --ids              Print the serial number of every connected probe.\n"
    "  -h, --help             Print this option list.\n"
    "  -v, --version          Print the version.\n"
    "  --program <hexfile>    Program an Intel HEX image into the flash and UICR. What it\n"
    "                         writes to must be erased, or be erased by an option below.\n"
    "                         nRF91: a .zip is the modem's firmware package.\n"
    "  -e, --chiperase        Erase the whole flash and UICR and remove the protection\n"
    "                         (before --program, or alone).\n"
    "  --pinreset             Apply a pin reset (after --program or -e, or alone).\n"
    "  --rbp <ALL|CR0>        Enable readback protection (after --program, or alone).\n"
    "  --recover              Erase the whole chip and remove its protection (alone, or\n"
    "                         before --program, which then needs no erase).\n"
    "  --memrd <address>      Print memory: FICR, flash or UICR. Options:\n"
    "    --n <bytes>          how many bytes (default 4);\n"
    "    --w <8|16|32>        in units of that many bits (default 32).\n"
    "  --memwr <address>      Write one 32-bit word into the flash or UICR; the word must\n"
    "    --val <value>        be erased. Numbers are decimal or 0x hexadecimal.\n"
    "  --snr <serial>         The probe to use (with every command on the device);\n"
    "                         needed when several probes are connected.\n"
    "  -f, --family <family>  The device's family (NRF51, NRF52, NRF53, NRF91, NRF54L),\n"
    "                         with every command on the device: another fails (18).\n"
    "  --coprocessor <core>   CP_APPLICATION (the default) or CP_NETWORK: the core of an\n"
    "                         nRF5340 a command reaches (with every command on the device).\n"
    "\n"
    "Options of --program:\n"
    "  --sectorerase          Erase only the flash pages the image writes to.\n"
    "  --verify               Read the flash back and compare it with the image.\n"
    "\n"
    "Of the stand-in only:\n"
    "  --deviceversion        Print the chip's version (fails when no board is in the fixture).\n"
    "  --board-out            Take the board out of the probe's fixture, until --board-change.\n"
    "  --board-change         Put the next board on the probe: a new, erased chip with a\n"
    "                         DEVICEID of its own.\n"
    "\n";

bool ProbeConnected(const Settings& settings) {
    if (settings.probeAbsent) {
        PrintError("No debug probe found. Connect the J-Link probe and try again.");
        return false;
    }
    return true;
}

int ProbeQuery(const Settings& settings) {
    if (settings.probeAbsent) {
        return kExitNoProbe;  // a missing probe prints nothing at all
    }
    PrintRehearsalOutput(settings);
    for (const std::string& serial : settings.serials) {
        PrintRawLine(serial);
    }
    return kExitOk;
}

[[noreturn]] void WaitForProbeChoice(const Settings& settings) {
    std::string serials;
    for (const std::string& serial : settings.serials) {
        serials += (serials.empty() ? "" : ", ") + serial;
    }
    PrintLine("Several probes are connected (" + serials +
              ") and --snr names none of them: waiting for a probe to be chosen.");
    HangForever();
}

bool EndsWithZip(const std::string& path) {
    return path.size() >= 4 && os::AsciiLower(path.substr(path.size() - 4)) == ".zip";
}

// The modem's firmware, a package only an nRF91 takes: recorded beside the flash.
int ProgramModem(const Request& request, const Settings& settings, SimulatedChip& chip) {
    PrintLine("Parsing image file.");
    if (settings.family != Family::kNrf91) {
        PrintError("The file specified is a modem firmware package, which only an nRF91 device");
        PrintError("takes.");
        return kExitBadImage;
    }
    if (chip.Protected()) {
        return RefuseProtected();
    }
    std::string content;
    try {
        content = os::ReadWholeFile(request.hexPath, os::Share::kRead);
    } catch (const os::FileError& e) {
        PrintError(e.what());
        return kExitBadImage;
    }
    PrintLine("Programming modem firmware.");
    chip.RecordModem(request.hexPath, content);
    PrintRehearsalOutput(settings);
    PrintLine("Verifying programming.");
    PrintLine("Verified OK.");
    return kExitOk;
}

int Program(const Request& request, const Settings& settings, SimulatedChip& chip) {
    if (EndsWithZip(request.hexPath)) {
        return ProgramModem(request, settings, chip);
    }
    PrintLine("Parsing image file.");
    SimulatedFlash& flash = chip.Flash();
    const LoadedImage loaded = LoadImage(request.hexPath, flash.Layout());
    if (loaded.outside && settings.family == Family::kNrf53) {  // each core has its own areas
        PrintError("The file specified is not a valid hex file, has data outside valid areas");
        PrintError("or does not have data in valid areas.");
        return kExitOutsideAreas;
    }
    if (!loaded.Ok()) {
        PrintError(loaded.error);
        return kExitBadImage;
    }
    if (request.recover) {
        Recover(chip);
    } else if (chip.Protected() && !(request.chipErase && chip.EraseOpens())) {
        return RefuseProtected();
    }
    const std::vector<HexSegment>& image = loaded.segments;
    if (request.chipErase) {
        PrintLine("Erasing user available code and UICR flash areas.");
        flash.EraseAll();
    } else if (request.sectorErase) {
        PrintLine("Erasing the flash pages the image writes to.");
        flash.ErasePages(image);
    } else if (auto unerased = flash.FirstUnerased(image)) {
        PrintError("The flash at " + Hex32(*unerased) +
                   " is not erased. Erase it first (-e or --sectorerase).");
        return kExitFlashRefused;
    }
    PrintLine("Applying system reset.");
    PrintLine("Programming device.");
    flash.Write(image);
    if (settings.verifyFails) {
        flash.Damage(image.front().address);
    }
    chip.Save();
    if (request.chipErase) {
        chip.SetProtected(false);
    }
    PrintRehearsalOutput(settings);
    if (request.verify) {
        PrintLine("Verifying programming.");
        if (auto mismatch = flash.Compare(image)) {
            PrintError("Verification failed at address " + Hex32(mismatch->address) +
                       ": expected " + Hex8(mismatch->expected) + ", read back " +
                       Hex8(mismatch->found) + ".");
            return kExitVerifyFailed;
        }
        PrintLine(VerifyMarker(settings.marker));
    } else {
        PrintLine("Programming complete.");
    }
    if (!request.readbackProtection.empty()) {
        chip.SetProtected(true);
        PrintLine("Enabling readback protection (" + request.readbackProtection + ").");
    }
    if (request.pinReset) {
        PrintLine("Applying pin reset.");
    }
    return kExitOk;
}

int Erase(const Request& request, const Settings& settings, SimulatedChip& chip) {
    if (chip.Protected() && !chip.EraseOpens()) {
        return RefuseProtected();
    }
    PrintLine("Erasing user available code and UICR flash areas.");
    chip.EraseWhole();
    PrintRehearsalOutput(settings);
    PrintLine(request.pinReset ? "Applying pin reset." : "Applying system reset.");
    return kExitOk;
}

// A command on the chip of the probe with index probe.
int RunOnChip(const Request& request, const Settings& settings, const std::string& folder,
              std::size_t probe) {
    if (request.command == Command::kBoardChange) {
        return ChangeBoard(settings, folder, probe);
    }
    if (request.command == Command::kBoardOut) {
        SimulatedChip::TakeBoardOut(folder, settings, probe);
        PrintLine("Board taken out of the fixture.");
        return kExitOk;
    }
    if (!SimulatedChip::BoardIn(folder, settings, probe)) {
        PrintError("Unable to connect to a debugger.");
        PrintError("JLinkARM DLL reported an error. Please make sure the device is connected.");
        return kExitNoDevice;
    }
    const std::optional<Core> core = CoreNamed(request.coprocessor);
    if (!core || (*core == Core::kNetwork && settings.family != Family::kNrf53)) {
        PrintError("The device has no coprocessor " + request.coprocessor + ".");
        return kExitBadArguments;
    }
    SimulatedChip chip = SimulatedChip::Load(folder, settings, probe, *core);
    if (request.command == Command::kProgram) {
        return Program(request, settings, chip);
    }
    if (request.command == Command::kErase) {
        return Erase(request, settings, chip);
    }
    PrintRehearsalOutput(settings);
    switch (request.command) {
        case Command::kProtect:
            return Protect(request, chip);
        case Command::kRecover:
            return Recover(chip);
        case Command::kMemoryRead:
            return ReadMemory(request, chip);
        case Command::kMemoryWrite:
            return WriteMemory(request, chip);
        case Command::kDeviceVersion:
            return DeviceVersion(chip);
        default:
            return kExitInternal;
    }
}

// The commands that need the probe and the device.
int RunOnDevice(const Request& request, const Settings& settings, const std::string& folder) {
    if (!ProbeConnected(settings)) {
        return request.command == Command::kDeviceVersion ? kExitNoDebuggers : kExitNoProbe;
    }
    std::size_t probe = 0;
    if (!request.probeSerial.empty()) {
        const auto found = FindProbe(settings.serials, request.probeSerial);
        if (!found) {
            PrintError("No probe with the serial number " + request.probeSerial + " is connected.");
            return kExitProbeNotFound;
        }
        probe = *found;
    } else if (settings.serials.size() > 1) {
        WaitForProbeChoice(settings);
    }
    if (request.command != Command::kBoardChange && !request.family.empty() &&
        !NamesFamily(request.family, settings.family)) {
        PrintError(
            "The --family option given with the command (or the default from nrfjprog.ini) does "
            "not match the device connected.");
        return kExitWrongFamily;
    }
    if (request.command == Command::kReset) {
        PrintRehearsalOutput(settings);
        PrintLine("Applying pin reset.");
        return kExitOk;
    }
    PrintWarning(
        "This is a stand-in programmer: no probe is used and the device's flash is "
        "simulated in " +
        folder + FlashFileName(settings.serials, probe) + ".");
    try {
        return RunOnChip(request, settings, folder, probe);
    } catch (const std::exception& e) {  // os::FileError or FlashFileError
        PrintError(e.what());
        return kExitFlashFile;
    }
}

}  // namespace

std::string HelpText() {
    return std::string(kOptionList) + StandInFilesHelp();
}

int RunRequest(const Request& request, const Settings& settings, const std::string& folder) {
    switch (request.command) {
        case Command::kProbeQuery:
            return ProbeQuery(settings);
        case Command::kHelp:
            PrintRehearsalOutput(settings);
            std::fputs(HelpText().c_str(), stdout);
            std::fflush(stdout);
            return kExitOk;
        case Command::kVersion:
            PrintRehearsalOutput(settings);
            PrintLine(kVersion);
            return kExitOk;
        case Command::kProgram:
        case Command::kErase:
        case Command::kReset:
        case Command::kProtect:
        case Command::kRecover:
        case Command::kMemoryRead:
        case Command::kMemoryWrite:
        case Command::kBoardChange:
        case Command::kDeviceVersion:
        case Command::kBoardOut:
            return RunOnDevice(request, settings, folder);
    }
    return kExitInternal;
}

}  // namespace sim
