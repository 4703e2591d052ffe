// What config.ini says about the chips, their identity and number, read again at every check like
// [station]; a title's key wins over the plain one ("first.Line2" over "first"), as the probe's:
//
//     [chip]
//     family=nrf52                 ; nrf51, nrf52, nrf53, nrf54l or nrf91: every programmer call
//                                  ; names it, and the addresses below default to the family's
//     recover=yes                  ; with the erase box checked, recover the chip instead of
//                                  ; erasing it, so factory-protected chips open (default no)
//     sessions=fewest              ; each (default) or fewest probe sessions (run_plan.h)
//     modem=mfw_nrf91x1_2.0.2.zip  ; nrf91 only: the modem's firmware, a file in the station
//                                  ; folder guarded by its own checksum file (<zip>.crc),
//                                  ; programmed before the image
//     [trace]
//     deviceid=yes                 ; record each chip's DEVICEID (default no)
//     deviceid_address=0x10000060  ; where DEVICEID[0] is: the family's (tool/chip_family.h), or
//                                  ; without a family nRF52's; nRF53 application core and nRF91:
//                                  ; 0x00FF0204; nRF54L: 0x00FFC304
//     label=yes                    ; the board's label scanned before each press (label_settings.h)
//     [serial]
//     address=0x10001080           ; the 32-bit word that receives the number (nRF52: UICR);
//                                  ; with a family, its UICR's first customer word when not set
//     first=100000                 ; this station's range, inclusive, decimal
//     last=199999
//     pool=nrf52-board             ; or, instead of first and last: the numbers come in blocks
//                                  ; from this pool of the factory's database
//
// Without these keys neither feature is on and the run is as it always was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "database/database_settings.h"
#include "serial_numbers/serial_number_state.h"
#include "station/settings/label_settings.h"
#include "tool/chip_family.h"

namespace station {

struct ChipSettings {
    // The chips' family, when config.ini names one.
    std::optional<tool::ChipFamily> family;
    // Recover instead of erasing when the operator chose to erase.
    bool recover = false;
    // A press makes as few programmer calls as it can ([chip] sessions=fewest).
    bool fewestSessions = false;
    // The modem firmware's file name as config.ini writes it, "" for none; its path and its
    // checksum file's are ReadSettings' (station_settings.h).
    std::string modem;
    std::string modemPath;
    std::string modemChecksumPath;
    // Where DEVICEID[0] is, when each chip's DEVICEID is read and recorded.
    std::optional<std::uint32_t> deviceIdAddress;
    struct Serial {
        std::uint32_t address = 0;          // the word the number is written to
        serial_numbers::NumberRange range;  // the configured range, when no pool is named
        std::string pool;                   // the factory database's pool the numbers come from
    };
    // The word and range, when each chip gets a serial number: [serial] is on when address is
    // given with first and last, or with pool.
    std::optional<Serial> serial;
    // The board's own label, scanned before each press ([trace] label).
    LabelSettings label;
    // A key set wrongly (a family not known, say), or [serial] set in part, as the operator's
    // message says it ("" when all is well): nothing is programmed then.
    std::string problem;

    bool Any() const { return deviceIdAddress || serial; }
};

// The settings of the copy titled title, read now from the file at configPath; pool: [serial]'s
// pool keys as already read, so that the numbers' source and the database's service are decided
// by one reading of config.ini.
ChipSettings ReadChipSettings(const std::string& configPath, const std::string& title,
                              const std::optional<database::PoolSettings>& pool);

}  // namespace station
