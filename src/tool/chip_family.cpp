#include "tool/chip_family.h"

#include <iterator>

#include "platform/text.h"
#include "tool/programmer.h"

namespace tool {

namespace {

// nRF51 and nRF52 keep FICR and UICR in pages of their own at 0x10000000 and 0x10001000. nRF53
// (application core) and nRF91 keep them in the peripheral area's top, nRF54L below its RRAM's
// end. nrfjprog does not reset an nRF54L correctly, so only nrfutil programs it.
constexpr FamilyFacts kFamilies[] = {
    {ChipFamily::kNrf51,
     "nrf51",
     "NRF51",
     "",
     {0x10000000, 0x10000FFF},
     {0x10001000, 0x10001FFF},
     0x10000060,
     0x10001080},
    {ChipFamily::kNrf52,
     "nrf52",
     "NRF52",
     "",
     {0x10000000, 0x10000FFF},
     {0x10001000, 0x10001FFF},
     0x10000060,
     0x10001080},
    {ChipFamily::kNrf53,
     "nrf53",
     "NRF53",
     "",
     {0x00FF0000, 0x00FF0FFF},
     {0x00FF8000, 0x00FF87FF},
     0x00FF0204,
     0x00FF8100},
    {ChipFamily::kNrf54L,
     "nrf54l",
     nullptr,
     "nrfjprog不能正确复位这类芯片",
     {0x00FFC000, 0x00FFCFFF},
     {0x00FFD000, 0x00FFD9FF},
     0x00FFC304,
     0x00FFD500},
    {ChipFamily::kNrf91,
     "nrf91",
     "NRF91",
     "",
     {0x00FF0000, 0x00FF0FFF},
     {0x00FF8000, 0x00FF8FFF},
     0x00FF0204,
     0x00FF8108},
};

// nRF5340: each core has its own flash and UICR; the network core is recovered and programmed
// first, as recovering it erases both cores.
const std::vector<CoreFacts> kNrf53Cores = {
    {"CP_NETWORK", "Network", "网络核", {0x01000000, 0x0103FFFF}, {0x01FF8000, 0x01FF87FF}},
    {"CP_APPLICATION", "Application", "应用核", {0x00000000, 0x000FFFFF}, {0x00FF8000, 0x00FF87FF}},
};

}  // namespace

const std::vector<CoreFacts>& NoCores() {
    static const std::vector<CoreFacts> none;
    return none;
}

const std::vector<CoreFacts>& CoresOf(ChipFamily family) {
    return family == ChipFamily::kNrf53 ? kNrf53Cores : NoCores();
}

const FamilyFacts& FactsOf(ChipFamily family) {
    for (const FamilyFacts& facts : kFamilies) {
        if (facts.family == family) {
            return facts;
        }
    }
    return kFamilies[1];
}

std::optional<ChipFamily> FamilyNamed(std::string_view text) {
    const std::string lower = os::AsciiLower(text);
    for (const FamilyFacts& facts : kFamilies) {
        if (lower == facts.name) {
            return facts.family;
        }
    }
    return std::nullopt;
}

std::string FamilyNames() {
    std::string names;
    for (const FamilyFacts& facts : kFamilies) {
        names += (names.empty() ? "" : "、") + std::string(facts.name);
    }
    return names;
}

bool Serves(Programmer programmer, ChipFamily family) {
    return programmer == Programmer::kNrfutil || FactsOf(family).nrfjprogName != nullptr;
}

std::string FamilyOption(Programmer programmer, std::optional<ChipFamily> family) {
    if (!family) {
        return {};
    }
    const FamilyFacts& facts = FactsOf(*family);
    const char* name = programmer == Programmer::kNrfutil ? facts.name : facts.nrfjprogName;
    return name != nullptr ? name : "";
}

std::string AreaText(const MemoryArea& area) {
    return HexWord(area.first) + "-" + HexWord(area.last);
}

}  // namespace tool
