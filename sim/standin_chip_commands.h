// What the nrfjprog stand-in does for the commands that reach into a chip beyond programming it:
// reading and writing its memory, protecting it, recovering it, and (the stand-in's own) putting
// the next board on the probe. Each prints what nrfjprog prints and returns the exit code.
#pragma once

#include <cstddef>
#include <string>

#include "simulated_chip.h"
#include "standin_arguments.h"
#include "standin_settings.h"

namespace sim {

// The two lines and the exit code (16) of a command refused because the chip is protected.
int RefuseProtected();

// --memrd: the memory's lines (memory_text.h). A protected chip refuses (16); an address
// range outside the FICR page, the code flash and the UICR is an error (kExitBadAddress).
// --deviceversion: the chip's version; refused on a protected chip.
int DeviceVersion(const SimulatedChip& chip);
int ReadMemory(const Request& request, const SimulatedChip& chip);
// --memwr: one 32-bit word into the code flash or the UICR, only where it is erased ("ERROR:
// The area to write is not erased.", 58).
int WriteMemory(const Request& request, SimulatedChip& chip);
// --rbp: protects the chip.
int Protect(const Request& request, const SimulatedChip& chip);
// --recover: erases the whole chip and opens it, also one that came protected.
int Recover(SimulatedChip& chip);
// --board-change: the next board on the probe (simulated_chip.h); prints its DEVICEID.
int ChangeBoard(const Settings& settings, const std::string& folder, std::size_t probe);

}  // namespace sim
