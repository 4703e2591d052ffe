// The chip families the station programs and what it needs to know of each: the names each
// programmer gives it, where its factory information (FICR) and user information (UICR) lie,
// where DEVICEID[0] is and which word a serial number goes to by default, and which programmer
// serves it. One table (chip_family.cpp) holds all of it; for two-core chips the facts are the
// application core's, the core every call reaches unless it names another.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tool/programmer_choice.h"

namespace tool {

enum class ChipFamily { kNrf51, kNrf52, kNrf53, kNrf54L, kNrf91 };

// A memory area, from first to last inclusive.
struct MemoryArea {
    std::uint32_t first = 0;
    std::uint32_t last = 0;

    // True when the count bytes from address all lie inside the area.
    bool Holds(std::uint32_t address, std::uint32_t count) const {
        return count > 0 && address >= first && address <= last && last - address >= count - 1;
    }
};

// A core of a chip and the memory its programming reaches: its flash and its UICR.
struct CoreFacts {
    const char* nrfjprogName;  // nrfjprog's --coprocessor value: "CP_NETWORK"
    const char* nrfutilName;   // nrfutil's --core value: "Network"
    const char* logName;       // how the day log names the core's part: "网络核"
    MemoryArea flash;
    MemoryArea uicr;

    bool Holds(std::uint32_t address, std::uint32_t count) const {
        return flash.Holds(address, count) || uicr.Holds(address, count);
    }
};

struct FamilyFacts {
    ChipFamily family;
    const char* name;          // as config.ini writes it and nrfutil's --family takes it: "nrf52"
    const char* nrfjprogName;  // nrfjprog's -f value ("NRF52"); nullptr: nrfjprog cannot serve it
    const char* nrfjprogRefusal;  // why nrfjprog cannot serve it, for the operator; "" when it can
    MemoryArea ficr;
    MemoryArea uicr;
    std::uint32_t deviceIdAddress;  // DEVICEID[0]; DEVICEID[1] follows it
    std::uint32_t serialAddress;    // the first customer (or one-time) word of the UICR
};

// The cores of a family that are programmed one by one, in the order they are programmed and
// recovered (nRF5340: the network core, then the application core); empty for a family whose
// image goes to the chip in one call.
const std::vector<CoreFacts>& CoresOf(ChipFamily family);
// The cores of no family: empty.
const std::vector<CoreFacts>& NoCores();

// The facts of a family.
const FamilyFacts& FactsOf(ChipFamily family);
// The family config.ini names with text (letter case aside); nothing for any other text.
std::optional<ChipFamily> FamilyNamed(std::string_view text);
// Every family's name, as config.ini writes them, joined with "、": for the operator's message.
std::string FamilyNames();
// True when programmer can program chips of family.
bool Serves(Programmer programmer, ChipFamily family);
// The family as programmer names it on its command line ("NRF52" for nrfjprog, "nrf52" for
// nrfutil); "" for none, or when the programmer has no name for it (Serves is false).
std::string FamilyOption(Programmer programmer, std::optional<ChipFamily> family);
// "0x00FF8000-0x00FF87FF": the area as the operator's messages name it.
std::string AreaText(const MemoryArea& area);

}  // namespace tool
