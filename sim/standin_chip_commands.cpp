#include "standin_chip_commands.h"

#include "intel_hex.h"
#include "memory_text.h"
#include "standin_commands.h"
#include "standin_output.h"

namespace sim {

int RefuseProtected() {
    PrintError("The operation attempted is unavailable due to readback protection in");
    PrintError("your device. Please use --recover to unlock the device.");
    return kExitProtected;
}

int DeviceVersion(const SimulatedChip& chip) {
    if (chip.Protected()) {
        return RefuseProtected();
    }
    PrintLine(chip.VersionText());
    return kExitOk;
}

int ReadMemory(const Request& request, const SimulatedChip& chip) {
    if (chip.Protected()) {
        return RefuseProtected();
    }
    const auto bytes = chip.Read(request.address, request.byteCount);
    if (!bytes) {
        PrintError("The " + std::to_string(request.byteCount) + " bytes at " +
                   Hex32(request.address) + " are not in one memory of the device.");
        return kExitBadAddress;
    }
    for (const std::string& line : MemoryLines(request.address, *bytes, request.widthBits)) {
        PrintLine(line);
    }
    return kExitOk;
}

int WriteMemory(const Request& request, SimulatedChip& chip) {
    if (chip.Protected()) {
        return RefuseProtected();
    }
    switch (chip.WriteWord(request.address, request.value)) {
        case SimulatedChip::WordWrite::kNotWritable:
            PrintError("The address " + Hex32(request.address) +
                       " is not in the device's flash or UICR.");
            return kExitBadAddress;
        case SimulatedChip::WordWrite::kNotErased:
            PrintError("The area to write is not erased.");
            return kExitNotErased;
        case SimulatedChip::WordWrite::kWritten:
            break;
    }
    chip.Save();
    PrintLine("Writing " + Hex32(request.value) + " to " + Hex32(request.address) + ".");
    return kExitOk;
}

int Protect(const Request& request, const SimulatedChip& chip) {
    chip.SetProtected(true);
    PrintLine("Enabling readback protection (" + request.readbackProtection + ").");
    PrintLine("Applying system reset.");
    return kExitOk;
}

int Recover(SimulatedChip& chip) {
    PrintLine("Recovering device. This operation might take 30s.");
    chip.Recover();
    PrintLine("Erasing user code and UICR flash areas.");
    return kExitOk;
}

int ChangeBoard(const Settings& settings, const std::string& folder, std::size_t probe) {
    const std::uint64_t deviceId = SimulatedChip::ChangeBoard(folder, settings, probe);
    PrintLine("Board changed: a new, erased chip with the DEVICEID " + DeviceIdText(deviceId) +
              ".");
    return kExitOk;
}

}  // namespace sim
