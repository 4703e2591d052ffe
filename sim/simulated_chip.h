// A probe's simulated chip: its memory (simulated_flash.h), whether it is protected, and the
// 64-bit DEVICEID in its factory information (FICR), kept in files beside the stand-in (see
// simulated_probes.h), so both stand-ins and every call see the same chip.
//
// Boards. A probe holds one board at a time; its number is kept in the file with ".board" in
// place of the flash file's ".bin" (decimal; no file: board 0). A board change (the stand-ins'
// --board-change / device board-change) puts the next board on the probe: the number goes up by
// one and the chip is a new one, erased and open (its flash, UICR and protection files are
// removed). Board n on probe k (counted from 0 in serial=) has the DEVICEID deviceid + k * 2^32
// + n (mod 2^64), deviceid being the setting.
//
// Where the family keeps DEVICEID[0] (DEVICEID[1] follows it) and the UICR page:
//   nrf51, nrf52    0x10000060, UICR 0x10001000
//   nrf53, nrf91    0x00FF0204, UICR 0x00FF8000
//   nrf54l          0x00FFC304, UICR 0x00FFD000
// The FICR page around DEVICEID can be read, not written; it reads 0xFF but for DEVICEID.
//
// Protection. A chip is protected while its ".protected" file is present (--rbp, protection-set
// write it). An erase of the whole chip opens it, unless the chips come protected from the
// factory (protection=factory): then a new board is protected before anything is done to it, an
// erase does not open it, and only a recover does (it leaves the ".opened" file beside the flash;
// --rbp protects it again).
//
// Two cores (nrf53). The network core is a chip of its own beside the application core: its
// 256 KiB of flash from 0x01000000 in the flash file's name with ".net.bin" in place of ".bin"
// (flash.net.bin), its UICR at 0x01FF8000 (flash.net.uicr), its protection (flash.net.protected)
// and its FICR at 0x01FF0000. Commands reach the application core unless they name the network
// core (--coprocessor CP_NETWORK, --core Network). A board change replaces both.
//
// The modem (nrf91). Programming the modem's firmware (a .zip) records the package's name, size
// and checksum in the flash file's name with ".modem" in place of ".bin" (flash.modem).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "simulated_flash.h"
#include "standin_settings.h"

namespace sim {

enum class Core { kApplication, kNetwork };

// The core a command names: nrfjprog's "CP_NETWORK" / "CP_APPLICATION", nrfutil's "Network" /
// "Application" (letter case aside), "" for the application core; nothing for any other text.
std::optional<Core> CoreNamed(const std::string& name);

// The address of DEVICEID[0] in the family's FICR.
std::uint32_t DeviceIdAddress(Family family);
// DEVICEID as the chip maker's scripts write it: DEVICEID[1], then DEVICEID[0], 16 upper-case
// hexadecimal digits.
std::string DeviceIdText(std::uint64_t deviceId);

class SimulatedChip {
public:
    // The chip of the probe with index probe among settings.serials, from its files in folder.
    // Throws os::FileError when a file cannot be read, FlashFileError when one is not what it
    // should be.
    static SimulatedChip Load(const std::string& folder, const Settings& settings,
                              std::size_t probe, Core core = Core::kApplication);
    // Puts the next board on that probe (see above); returns the new chip's DEVICEID.
    // Throws as Load does.
    static std::uint64_t ChangeBoard(const std::string& folder, const Settings& settings,
                                     std::size_t probe);

    // Takes the board out of that probe's fixture: no chip answers until the next board change.
    static void TakeBoardOut(const std::string& folder, const Settings& settings,
                             std::size_t probe);
    static bool BoardIn(const std::string& folder, const Settings& settings, std::size_t probe);

    SimulatedFlash& Flash() { return flash_; }
    // The chip's version as --deviceversion prints it, e.g. "NRF52840_xxAA_REV2".
    std::string VersionText() const;
    std::uint64_t DeviceId() const { return deviceId_; }

    bool Protected() const;
    // Whether an erase of the whole chip opens it when it is protected (see above).
    bool EraseOpens() const { return !factoryProtected_; }
    // Protects the chip, or opens it, at once. Throws os::FileError.
    void SetProtected(bool on) const;

    // The count bytes at address as the debugger reads them: from the FICR page, the code flash
    // or the UICR; nothing when they do not all lie in one of them.
    std::optional<std::vector<std::uint8_t>> Read(std::uint32_t address, std::size_t count) const;

    enum class WordWrite { kWritten, kNotErased, kNotWritable };
    // Writes the 32-bit word at address (a multiple of 4) through the flash controller: only
    // into the code flash or the UICR, and only where the word is erased. Save() keeps it.
    WordWrite WriteWord(std::uint32_t address, std::uint32_t value);

    // Writes the memory to its files. Throws os::FileError.
    void Save() const { flash_.Save(); }
    // Erases the whole chip, flash and UICR, and opens it, as an erase of everything does; its
    // files are written at once. Throws os::FileError.
    void EraseWhole();
    // Erases the whole chip and opens it, also a chip that came protected; files written at once.
    // The network core's recover erases the application core too (its memory and protection).
    // Throws os::FileError.
    void Recover();

    bool IsNetworkCore() const { return core_ == Core::kNetwork; }
    // Records the modem firmware's package (see above). Throws os::FileError.
    void RecordModem(const std::string& zipPath, const std::string& content) const;

private:
    SimulatedChip(SimulatedFlash flash, std::string flashPath, Family family,
                  std::uint64_t deviceId, bool factoryProtected, Core core)
        : flash_(std::move(flash)),
          flashPath_(std::move(flashPath)),
          family_(family),
          deviceId_(deviceId),
          factoryProtected_(factoryProtected),
          core_(core) {}

    SimulatedFlash flash_;
    std::string flashPath_;
    Family family_;
    std::uint64_t deviceId_;
    bool factoryProtected_;
    Core core_;
};

}  // namespace sim
