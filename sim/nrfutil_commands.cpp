#include "nrfutil_commands.h"

#include <exception>
#include <optional>
#include <vector>

#include "files.h"
#include "nrfutil_tasks.h"
#include "simulated_flash.h"
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
    "\n"
    "Options:\n"
    "  --json                     One JSON message per line (before 'device').\n"
    "  -h, --help                 Print this option list, or a command's (after it).\n"
    "  --version                  Print the version (after 'device').\n"
    "  --serial-number <serial>   The probe of a command (leading zeros ignored); every\n"
    "                             command but list needs it.\n"
    "\n";

const char kProgramUsage[] =
    "Usage: nrfutil device program --firmware <image> --serial-number <serial>\n"
    "                              [--options <key=value,...>]\n"
    "Programs an Intel HEX image into the chip of one probe.\n"
    "\n"
    "Options:\n"
    "  --firmware <image>         The Intel HEX image.\n"
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
    "  --reset-kind <kind>        RESET_SYSTEM (default), RESET_HARD, RESET_PIN or RESET_DEBUG.\n"
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

int Program(const Request& request, const Settings& settings, const Task& task,
            const std::string& flashPath) {
    const LoadedImage image = LoadImage(request.firmware);
    if (!image.Ok()) {
        task.Fail(kErrorGeneric, image.error);
        return kExitFailed;
    }
    const std::string protectionMark = ProtectionMarkPath(flashPath);
    const bool eraseAll =
        request.erase == EraseMode::kAll || request.erase == EraseMode::kControlAccess;
    if (!eraseAll && os::FileExists(protectionMark)) {
        task.Fail(kErrorProtected, kProtected);
        return kExitFailed;
    }
    SimulatedFlash flash = SimulatedFlash::Load(flashPath);
    if (eraseAll) {
        task.Progress(10, "Erasing the whole chip");
        flash.EraseAll();
    } else if (request.erase == EraseMode::kRangesTouched) {
        task.Progress(10, "Erasing the pages the image writes to");
        flash.ErasePages(image.segments);
    } else if (auto unerased = flash.FirstUnerased(image.segments)) {
        task.Fail(kErrorGeneric, "The flash at " + Hex32(*unerased) +
                                     " is not erased: program it with an erase mode.");
        return kExitFailed;
    }
    task.Progress(40, "Programming");
    flash.Write(image.segments);
    if (settings.verifyFails) {
        flash.Damage(image.segments.front().address);
    }
    flash.Save();
    if (eraseAll) {
        os::RemoveFile(protectionMark);
    }
    PrintRehearsalOutput(settings);
    if (request.verify) {
        task.Progress(80, "Verifying");
        if (auto mismatch = SimulatedFlash::Load(flashPath).Compare(image.segments)) {
            task.Fail(kErrorVerify, "Verify failed at address " + Hex32(mismatch->address) +
                                        ": expected " + Hex8(mismatch->expected) + ", read back " +
                                        Hex8(mismatch->found) + ".");
            return kExitFailed;
        }
    }
    if (!request.resetAfterProgram.empty()) {
        task.Progress(100, "Applying " + request.resetAfterProgram);
    }
    if (settings.marker != Marker::kOmitted) {
        task.Succeed("Programmed");
    }
    return kExitOk;
}

// Runs a command on the chip of the probe the request names.
int RunOnDevice(const Request& request, const Settings& settings, std::size_t probe,
                const std::string& folder) {
    const std::string flashPath = folder + FlashFileName(settings.serials, probe);
    switch (request.command) {
        case Command::kProgram: {
            const Task task(request.json, "program", "Program", request.serialNumber);
            return Program(request, settings, task, flashPath);
        }
        case Command::kProtectionSet: {
            const Task task(request.json, "protection-set", "Set protection", request.serialNumber);
            os::ReplaceFileContent(ProtectionMarkPath(flashPath), "All\n");
            PrintRehearsalOutput(settings);
            task.Succeed("Protection set to All");
            return kExitOk;
        }
        case Command::kReset: {
            const Task task(request.json, "reset", "Reset", request.serialNumber);
            PrintRehearsalOutput(settings);
            task.Succeed("Applied " + request.resetKind);
            return kExitOk;
        }
        case Command::kRecover: {
            const Task task(request.json, "recover", "Recover", request.serialNumber);
            SimulatedFlash flash = SimulatedFlash::Load(flashPath);
            flash.EraseAll();
            flash.Save();
            os::RemoveFile(ProtectionMarkPath(flashPath));
            PrintRehearsalOutput(settings);
            task.Succeed("Recovered");
            return kExitOk;
        }
        case Command::kNone:
        case Command::kList:
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
