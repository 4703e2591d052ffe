// The stand-in programmer's rehearsal faults. They come from "standin.ini" beside the program
// ("key=value" lines; blank lines and lines starting with ';' or '#' are skipped) and are
// overridden by environment variables STANDIN_<KEY> (e.g. STANDIN_PROBE=absent); an empty
// variable counts as unset.
//
//   probe=absent        no probe: -i prints nothing at all, other commands print an ERROR: line
//   verify=fail         programming lands a wrong byte, so --verify reports a mismatch
//   marker=omit         a good verify prints "Programming complete." instead of "Verify OK"
//   marker=verified     a good verify prints "Verified OK." (as programmer 9.x and early 10.x)
//   marker=done         a good verify prints "Verify file - Done verifying" (as later 10.x)
//   delay_ms=N          every run waits N ms before it ends
//   line_delay_ms=N     every line of progress and result waits N ms after it is printed
//   program_ms=N        programming runs take N ms more (a chip's write time), other runs not
//   call_ms=N           every run takes N ms more: the tool's own start (nrfutil's 1-2 s on
//                       Windows), so a benchmark can price a call
//   connect_ms=N        every run on the chip takes N ms more: the probe's connection to it
//   hang=1|program      programming runs never end (after printing everything)
//   hang=probe|all      probe queries, or every run, never end
//   crash=1|program     programming runs end at once, before printing anything, as a crash ends
//                       them (exit code 0xC0000005 on Windows, SIGSEGV elsewhere)
//   crash=probe|all     probe queries, or every run, end so
//   long_output=N       N bytes of extra text lines before the result
//   zero_bytes=1        a line with a zero byte inside it
//   split_char=1        a multi-byte character written in two separate writes
//   serial=TEXT[,TEXT]  the serial number(s) -i prints, one per line (default 682123456)
//   deviceid=HEX        the DEVICEID of the first probe's first board: 1 to 16 hexadecimal
//                       digits, "0x" allowed (default F00DCAFE12345678; see simulated_chip.h)
//   family=NAME         the chips' family: nrf52 (the default), nrf51, nrf53 (application
//                       core), nrf91 or nrf54l. It says where the chips keep DEVICEID and UICR,
//                       and a command that names another family (nrfjprog -f, nrfutil
//                       --family) fails as the real tools fail on a board of another product
//   protection=factory  the chips come protected, as current nRF52840s leave the factory: an
//                       erase does not open them, only a recover does (simulated_chip.h)
//   device_version=V    nrfutil's device version, written into and required of batch files
//                       (default 2.21.0): a batch made by another version is refused
//   batch_fail=N        the Nth operation of a batch (from 1) fails without running
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The runs a hang or a crash applies to.
enum class HangIn { kNoRun, kProgramming, kProbeQuery, kEveryRun };

// The chip family the probes' chips belong to.
enum class Family { kNrf51, kNrf52, kNrf53, kNrf91, kNrf54L };

// What a good verify prints.
enum class Marker { kVerifyOk, kVerifiedOk, kDoneVerifying, kOmitted };

struct Settings {
    bool probeAbsent = false;
    bool verifyFails = false;
    Marker marker = Marker::kVerifyOk;
    unsigned long delayMs = 0;
    unsigned long programMs = 0;  // more for programming runs only
    unsigned long callMs = 0;     // more for every run: the tool's start
    unsigned long connectMs = 0;  // more for every run on the chip: the probe's connection
    unsigned long lineDelayMs = 0;
    HangIn hang = HangIn::kNoRun;
    HangIn crash = HangIn::kNoRun;
    std::size_t longOutput = 0;
    bool zeroBytes = false;
    bool splitChar = false;
    std::vector<std::string> serials{"682123456"};
    std::uint64_t deviceId = 0xF00DCAFE12345678;
    Family family = Family::kNrf52;
    bool factoryProtected = false;
    std::string deviceVersion = "2.21.0";
    unsigned batchFail = 0;  // 0: none

    // Lines of the settings file or variables that were not understood, one message each
    // (e.g. "standin.ini line 3: unknown setting 'probes'"); the program shows them as warnings.
    std::vector<std::string> problems;
};

// The settings from the text of the settings file (empty when there is none), then from the
// environment.
Settings ReadSettings(std::string_view iniText);

// The family's name as config files and nrfutil's --family write it: "nrf52".
const char* FamilyName(Family family);
// True when name (nrfjprog's "NRF52" or nrfutil's "nrf52", letter case aside) is family's.
bool NamesFamily(std::string_view name, Family family);

}  // namespace sim
