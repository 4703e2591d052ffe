// The probes a stand-in simulates: one per serial number of its settings (serial=), each with a
// chip of its own. The first probe's flash is "flash.bin" beside the program, so a station with
// one probe keeps the file it always had; every other probe's is "flash-<serial>.bin", the
// serial without leading zeros and with every character but letters, digits, '-' and '_' as '_'.
// The chip's other files sit beside its flash, named as the flash file with another suffix in
// place of ".bin": ".protected" is present while the chip is protected ("flash.protected",
// "flash-682000777.protected"); ".out" is present while the fixture holds no board (--board-out,
// until the next board change); ".uicr" and ".board" are described in simulated_flash.h and
// simulated_chip.h.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The serial number without leading zeros: "000682123456" and "682123456" name one probe.
// "0" for a serial of zeros only.
std::string WithoutLeadingZeros(std::string_view serial);

// The index in serials of the probe that serial names (leading zeros ignored on both sides).
std::optional<std::size_t> FindProbe(const std::vector<std::string>& serials,
                                     std::string_view serial);

// The file name of the flash of probe index among serials (see above).
std::string FlashFileName(const std::vector<std::string>& serials, std::size_t index);

// The file of the chip whose flash is at flashPath that has the suffix (".uicr", say).
std::string ChipFilePath(const std::string& flashPath, std::string_view suffix);
// The file whose presence marks the chip of the flash at flashPath as protected.
std::string ProtectionMarkPath(const std::string& flashPath);

}  // namespace sim
