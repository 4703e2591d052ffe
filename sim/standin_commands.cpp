#include "standin_commands.h"

#include <cstdio>
#include <exception>

#include "file_bytes.h"
#include "files.h"
#include "intel_hex.h"
#include "simulated_flash.h"
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

// The output faults go before a command's result.
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

// Reads and checks the image; prints the ERROR: line and returns false when it cannot be
// programmed.
bool LoadImage(const std::string& hexPath, std::vector<HexSegment>& image) {
    std::string text;
    try {
        text = ReadWholeFile(hexPath);
    } catch (const os::FileError& e) {
        PrintError(e.what());
        return false;
    }
    ParsedHex parsed = ParseIntelHex(text);
    if (!parsed.Ok()) {
        PrintError("The image " + hexPath + " is not a valid Intel HEX file: " + parsed.error +
                   ".");
        return false;
    }
    if (parsed.segments.empty()) {
        PrintError("The image " + hexPath + " holds no data.");
        return false;
    }
    if (auto outside = SimulatedFlash::FirstOutside(parsed.segments)) {
        PrintError("The image writes to " + Hex32(*outside) + ", outside the device's " +
                   std::to_string(SimulatedFlash::kSize / 1024) + " KiB of flash.");
        return false;
    }
    image = std::move(parsed.segments);
    return true;
}

int Program(const Request& request, const Settings& settings, SimulatedFlash& flash,
            const std::string& flashPath) {
    std::vector<HexSegment> image;
    PrintLine("Parsing image file.");
    if (!LoadImage(request.hexPath, image)) {
        return kExitBadImage;
    }
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
    flash.Save();
    PrintRehearsalOutput(settings);
    if (request.verify) {
        PrintLine("Verifying programming.");
        const SimulatedFlash readBack = SimulatedFlash::Load(flashPath);
        if (auto mismatch = readBack.Compare(image)) {
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
        PrintLine("Enabling readback protection (" + request.readbackProtection + ").");
    }
    if (request.pinReset) {
        PrintLine("Applying pin reset.");
    }
    return kExitOk;
}

int Erase(const Request& request, const Settings& settings, SimulatedFlash& flash) {
    PrintLine("Erasing user available code and UICR flash areas.");
    flash.EraseAll();
    flash.Save();
    PrintRehearsalOutput(settings);
    PrintLine(request.pinReset ? "Applying pin reset." : "Applying system reset.");
    return kExitOk;
}

// The commands that need the probe and the device.
int RunOnDevice(const Request& request, const Settings& settings, const std::string& flashPath) {
    if (!ProbeConnected(settings)) {
        return kExitNoProbe;
    }
    if (request.command == Command::kReset) {
        PrintRehearsalOutput(settings);
        PrintLine("Applying pin reset.");
        return kExitOk;
    }
    PrintWarning(
        "This is a stand-in programmer: no probe is used and the device's flash is "
        "simulated in " +
        flashPath + ".");
    try {
        SimulatedFlash flash = SimulatedFlash::Load(flashPath);
        return request.command == Command::kErase ? Erase(request, settings, flash)
                                                  : Program(request, settings, flash, flashPath);
    } catch (const std::exception& e) {  // os::FileError or FlashFileError
        PrintError(e.what());
        return kExitFlashFile;
    }
}

}  // namespace

const char* HelpText() {
    return "Usage: nrfjprog <command> [options]\n"
           "A stand-in for the chip maker's programmer: it simulates the probe and the device.\n"
           "\n"
           "Commands:\n"
           "  -i, --ids              Print the serial number of every connected probe.\n"
           "  -h, --help             Print this option list.\n"
           "  -v, --version          Print the version.\n"
           "  --program <hexfile>    Program an Intel HEX image into the flash. The flash it\n"
           "                         writes to must be erased, or be erased by an option below.\n"
           "  -e, --chiperase        Erase the whole flash (before --program, or alone).\n"
           "  --pinreset             Apply a pin reset (after --program, or alone).\n"
           "\n"
           "Options of --program:\n"
           "  --sectorerase          Erase only the flash pages the image writes to.\n"
           "  --verify               Read the flash back and compare it with the image.\n"
           "  --rbp <ALL|CR0>        Enable readback protection after programming.\n"
           "\n"
           "Files beside this program:\n"
           "  flash.bin              The simulated flash (1 MiB, erased bytes are 0xFF).\n"
           "  calls.log              One line per call: working folder and arguments, TAB\n"
           "                         separated.\n"
           "  standin.ini            Rehearsal faults, key=value lines; a variable\n"
           "                         STANDIN_<KEY> overrides a key:\n"
           "                           probe=absent, verify=fail, marker=omit|verified|done,\n"
           "                           delay_ms=N, hang=1|program|probe|all, long_output=N,\n"
           "                           zero_bytes=1, split_char=1, serial=TEXT[,TEXT...]\n";
}

int RunRequest(const Request& request, const Settings& settings, const std::string& flashPath) {
    switch (request.command) {
        case Command::kProbeQuery:
            return ProbeQuery(settings);
        case Command::kHelp:
            PrintRehearsalOutput(settings);
            std::fputs(HelpText(), stdout);
            std::fflush(stdout);
            return kExitOk;
        case Command::kVersion:
            PrintRehearsalOutput(settings);
            PrintLine(kVersion);
            return kExitOk;
        case Command::kProgram:
        case Command::kErase:
        case Command::kReset:
            return RunOnDevice(request, settings, flashPath);
    }
    return kExitInternal;
}

}  // namespace sim
