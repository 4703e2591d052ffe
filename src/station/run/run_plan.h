// How a press programs its board, decided once per press, before anything runs, from the
// check's result, the erase choice, the configuration and the board's serial number: the steps
// in order (each runs only when the one before succeeded) and the limit they share.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "station/check/check.h"
#include "station/settings/station_config.h"
#include "station/settings/station_paths.h"
#include "station/settings/station_settings.h"

namespace station {

// What a step does, and so how its output is read.
enum class StepKind {
    kRecover,       // recover the chip, or one core (erase it whole and open it) before programming
    kModem,         // program and verify the modem's firmware (nRF91)
    kProgram,       // erase or recover (when chosen), program and verify; nrfjprog alone: all
    kReadDeviceId,  // read the chip's DEVICEID
    kWriteSerial,   // write the serial number into its word
    kReadSerial,    // read the word back
    kProtect,       // readback protection
    kReset,         // pin reset
    kBatch,         // nrfutil: every operation of the press in one call (the plan's operations)
};

struct RunStep {
    StepKind kind = StepKind::kProgram;
    std::string command;
};

struct RunPlan {
    Programmer programmer = Programmer::kNrfjprog;
    std::vector<RunStep> steps;
    std::chrono::milliseconds limit{0};         // for all the steps together
    std::uint32_t deviceIdAddress = 0;          // where kReadDeviceId reads
    std::uint32_t serialAddress = 0;            // where kWriteSerial writes and kReadSerial reads
    std::optional<std::uint32_t> serialNumber;  // what kWriteSerial writes
    std::string family;    // the chips' family as config.ini names it ("nrf52"), "" for none
    bool erase = false;    // the operator chose to erase
    bool recover = false;  // config.ini recovers the chip when the operator chose to erase
    // serialNumber goes in with the image (sessions=fewest): the program step's verify confirms
    // it, and no step writes or reads it back.
    bool numberInImage = false;
    // [chip] sessions=fewest with nrfutil: steps is one kBatch step that runs batchCopy, and
    // these are the batch's operations in order, each command one that appends its operation to
    // batchFile (the write's value serialPlaceholder); batchCopy is batchFile with the
    // placeholder replaced by serialNumber, made for each press.
    std::vector<RunStep> operations;
    std::string batchFile;
    std::string batchCopy;
    std::uint32_t serialPlaceholder = 0;

    // Every command, in order, as a batch file would chain them: what the "Para=" line shows.
    std::string Para() const;
};

// A part of a two-core chip's image, written to a file of its own for the run.
struct CorePartFile {
    std::size_t core = 0;  // index into tool::CoresOf(family)
    std::string path;
};

// Without [trace] and [serial], nrfjprog programs, verifies, protects and resets in one command,
// naming the probe only when config.ini pins one, and nrfutil does it in three steps, always
// naming the probe. With either, the chip is programmed and verified first; then, while it is
// still open, its DEVICEID is read and serialNumber written and read back; protection and the
// pin reset come last, as steps of their own.
// A two-core chip (partFiles, the non-empty parts of the checked image, in the cores' order) is
// programmed core by core, network core first, each part verified, with the same steps after
// it; with recover, every core is recovered first, network core first; every core is protected
// and the chip is reset once, at the end. With [chip] modem, the modem's firmware is programmed
// in a step of its own just before the image.
// With [chip] family, every command names the family. With [chip] recover=yes and erase chosen,
// the chip is recovered instead of erased: by nrfjprog's program command itself (--recover), by
// nrfutil in a recover step before the program step (which still erases the whole chip). Without
// erase chosen nothing recovers.
//
// With [chip] sessions=fewest, nrfjprog on a one-core chip makes as few calls as the commands
// above allow, each a combination the station already runs: the board's number is programmed
// with the image, in numberedImage (the checked image with the number's word added), by the one
// program call that also verifies, protects and resets (so its verify confirms the number, and
// the record's read-back is the value written); with [trace], the DEVICEID is read before it,
// after a recover call when recover is chosen (a protected chip cannot be read). With the erase
// chosen but no recover, a chip protected by an earlier press opens only to the program call's
// erase: the DEVICEID is read after it, and protection and the reset follow as steps of their
// own. So a traced and numbered press takes 2 calls (3 with recover, 4 with erase alone) instead
// of 6, a numbered one 1. A two-core chip with nrfjprog is planned as with sessions=each.
// With [chip] sessions=fewest and nrfutil, the same steps are the operations of one batch, in
// "<title>.batch.json" beside the station's other working files; with [serial], its write takes
// the placeholder whatever serialNumber is, so the press plans it before it takes a number and
// then sets serialNumber, which the press's copy of the batch gets.
RunPlan PlanRun(const StationPaths& paths, const StationSettings& settings,
                const CheckResult& check, bool erase, std::chrono::milliseconds limit,
                std::optional<std::uint32_t> serialNumber,
                const std::vector<CorePartFile>& partFiles = {},
                const std::string& numberedImage = {}, const std::string& title = {});

// The call that reads the chip's DEVICEID alone, on the probe with serial (config.ini's
// deviceid_address; the station's look at a new board asks it). settings.chip.deviceIdAddress
// must be set.
std::string DeviceIdReadCommand(const StationPaths& paths, const StationSettings& settings,
                                const std::string& serial);

// The value the batch's write operation is generated with, replaced at each press: 0xA5A5A5A5,
// a pattern no range of numbers a station is given starts near, or 0x5A5A5A5A when the
// configured range holds it.
std::uint32_t SerialPlaceholder(const ChipSettings& chip);

}  // namespace station
