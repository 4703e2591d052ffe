#include "station/run/run_plan.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "station/settings/press_recipe.h"
#include "tool/chip_family.h"
#include "tool/memory_words.h"
#include "tool/nrfutil_batch.h"
#include "tool/nrfutil_programmer.h"
#include "tool/programmer.h"

namespace station {

namespace {

// The commands of one programmer, each naming the probe and the family as that programmer needs
// them.
class Commands {
public:
    Commands(std::string tool, std::string image, std::string serial, std::string family)
        : tool_(std::move(tool)),
          image_(std::move(image)),
          serial_(std::move(serial)),
          family_(std::move(family)) {}
    virtual ~Commands() = default;
    // The steps that erase or recover, program and verify the chip.
    virtual std::vector<RunStep> Program(tool::EraseMode erase) const = 0;
    virtual std::string Read(std::uint32_t address, std::uint32_t bytes) const = 0;
    virtual std::string Write(std::uint32_t address, std::uint32_t value) const = 0;
    virtual std::string Protect() const = 0;
    virtual std::string Reset() const = 0;
    // One core of a two-core chip: recovered, programmed with its part and verified, protected.
    virtual std::string RecoverCore(const tool::CoreFacts& core) const = 0;
    virtual std::string ProgramCore(tool::EraseMode erase, const tool::CoreFacts& core,
                                    const std::string& part) const = 0;
    virtual std::string ProtectCore(const tool::CoreFacts& core) const = 0;
    // The modem's firmware programmed and verified.
    virtual std::string Modem(const std::string& zip) const = 0;
    // The whole chip recovered, in a call of its own.
    virtual std::string Recover() const = 0;

protected:
    const std::string tool_;
    const std::string image_;
    const std::string serial_;
    const std::string family_;  // as this programmer names it, "" for none
};

class NrfjprogCommands : public Commands {
public:
    using Commands::Commands;
    std::vector<RunStep> Program(tool::EraseMode erase) const override {
        return {{StepKind::kProgram,
                 tool::ProgrammingCommand(tool_, image_, erase, tool::kVerifyOnlyPara, serial_,
                                          family_)}};
    }
    std::string Read(std::uint32_t address, std::uint32_t bytes) const override {
        return tool::MemoryReadCommand(tool_, address, bytes, serial_, family_);
    }
    std::string Write(std::uint32_t address, std::uint32_t value) const override {
        return tool::MemoryWriteCommand(tool_, address, value, serial_, family_);
    }
    std::string Protect() const override { return tool::ProtectCommand(tool_, serial_, family_); }
    std::string Reset() const override { return tool::PinResetCommand(tool_, serial_, family_); }
    std::string RecoverCore(const tool::CoreFacts& core) const override {
        return tool::CoreRecoverCommand(tool_, serial_, family_, core.nrfjprogName);
    }
    std::string ProgramCore(tool::EraseMode erase, const tool::CoreFacts& core,
                            const std::string& part) const override {
        return tool::CoreProgrammingCommand(tool_, part, erase, serial_, family_,
                                            core.nrfjprogName);
    }
    std::string ProtectCore(const tool::CoreFacts& core) const override {
        return tool::CoreProtectCommand(tool_, serial_, family_, core.nrfjprogName);
    }
    std::string Modem(const std::string& zip) const override {
        return tool::ModemProgrammingCommand(tool_, zip, serial_, family_);
    }
    std::string Recover() const override {
        return tool::CoreRecoverCommand(tool_, serial_, family_, "");
    }
    // Program, verify, protect and reset in one call: the station's plain command.
    std::string ProgramWhole(tool::EraseMode erase) const {
        return tool::ProgrammingCommand(tool_, image_, erase, tool::kProgPara, serial_, family_);
    }
};

class NrfutilCommands : public Commands {
public:
    using Commands::Commands;
    // nrfutil's program does not recover: a recover step goes first, and the program step
    // erases the whole chip after it (the recover leaves a small image behind).
    std::vector<RunStep> Program(tool::EraseMode erase) const override {
        std::vector<RunStep> steps;
        if (erase == tool::EraseMode::kRecover) {
            steps.push_back(
                {StepKind::kRecover, tool::NrfutilRecoverCommand(tool_, serial_, family_)});
        }
        steps.push_back({StepKind::kProgram,
                         tool::NrfutilProgrammingCommands(tool_, image_, serial_,
                                                          erase != tool::EraseMode::kNone, family_)
                             .front()});
        return steps;
    }
    std::string Read(std::uint32_t address, std::uint32_t bytes) const override {
        return tool::NrfutilReadCommand(tool_, address, bytes, serial_, family_);
    }
    std::string Write(std::uint32_t address, std::uint32_t value) const override {
        return tool::NrfutilWriteCommand(tool_, address, value, serial_, family_);
    }
    std::string Protect() const override {
        return tool::NrfutilProtectCommand(tool_, serial_, family_);
    }
    std::string Reset() const override {
        return tool::NrfutilPinResetCommand(tool_, serial_, family_);
    }
    std::string RecoverCore(const tool::CoreFacts& core) const override {
        return tool::NrfutilCoreRecoverCommand(tool_, serial_, family_, core.nrfutilName);
    }
    std::string ProgramCore(tool::EraseMode erase, const tool::CoreFacts& core,
                            const std::string& part) const override {
        return tool::NrfutilCoreProgramCommand(
            tool_, part, serial_, erase != tool::EraseMode::kNone, family_, core.nrfutilName);
    }
    std::string ProtectCore(const tool::CoreFacts& core) const override {
        return tool::NrfutilCoreProtectCommand(tool_, serial_, family_, core.nrfutilName);
    }
    std::string Modem(const std::string& zip) const override {
        return tool::NrfutilModemCommand(tool_, zip, serial_, family_);
    }
    std::string Recover() const override {
        return tool::NrfutilRecoverCommand(tool_, serial_, family_);
    }
};

tool::EraseMode EraseModeOf(const ChipSettings& chip, bool erase) {
    if (!erase) {
        return tool::EraseMode::kNone;
    }
    return chip.recover ? tool::EraseMode::kRecover : tool::EraseMode::kWholeChip;
}

// With a modem configured, its step goes just before the image's program step, after any recover: a
// protected chip takes no modem firmware, so with recover chosen the chip is recovered first also
// where the program step recovers by itself (nrfjprog).
void WithModem(const Commands& commands, const ChipSettings& chip, tool::EraseMode erase,
               std::vector<RunStep>& steps) {
    if (chip.modemPath.empty()) {
        return;
    }
    const auto program = std::find_if(steps.begin(), steps.end(), [](const RunStep& step) {
        return step.kind == StepKind::kProgram;
    });
    steps.insert(program, {StepKind::kModem, commands.Modem(chip.modemPath)});
    if (erase == tool::EraseMode::kRecover && steps.front().kind != StepKind::kRecover) {
        steps.insert(steps.begin(), {StepKind::kRecover, commands.Recover()});
    }
}

// A two-core chip: every core recovered (with recover chosen), then each part programmed into
// its core, network core first.
std::vector<RunStep> CoreSteps(const Commands& commands, const std::vector<tool::CoreFacts>& cores,
                               tool::EraseMode erase, const std::vector<CorePartFile>& parts) {
    std::vector<RunStep> steps;
    if (erase == tool::EraseMode::kRecover) {
        for (const tool::CoreFacts& core : cores) {
            steps.push_back({StepKind::kRecover, commands.RecoverCore(core)});
        }
        erase = tool::EraseMode::kWholeChip;  // removes what the recover leaves behind
    }
    for (const CorePartFile& part : parts) {
        steps.push_back(
            {StepKind::kProgram, commands.ProgramCore(erase, cores.at(part.core), part.path)});
    }
    return steps;
}

// The run as it always was: nrfjprog's one command, or nrfutil's three steps (four with a
// recover).
std::vector<RunStep> PlainSteps(const StationPaths& paths, const StationSettings& settings,
                                const CheckResult& check, tool::EraseMode erase) {
    const ChipSettings& chip = settings.chip;
    if (settings.station.programmer == Programmer::kNrfjprog) {
        const std::string serial = check.probePinned ? check.probeSerial : "";
        const std::string family = tool::FamilyOption(Programmer::kNrfjprog, chip.family);
        std::vector<RunStep> steps = {
            {StepKind::kProgram, tool::ProgrammingCommand(settings.Prog_Path, paths.Hex_Path, erase,
                                                          tool::kProgPara, serial, family)}};
        const NrfjprogCommands commands(settings.Prog_Path, paths.Hex_Path, serial, family);
        WithModem(commands, chip, erase, steps);
        return steps;
    }
    const NrfutilCommands commands(settings.Prog_Path, paths.Hex_Path, check.probeSerial,
                                   tool::FamilyOption(Programmer::kNrfutil, chip.family));
    std::vector<RunStep> steps = commands.Program(erase);
    WithModem(commands, chip, erase, steps);
    steps.push_back({StepKind::kProtect, commands.Protect()});
    steps.push_back({StepKind::kReset, commands.Reset()});
    return steps;
}

std::unique_ptr<Commands> CommandsFor(const StationPaths& paths, const StationSettings& settings,
                                      const std::string& serial) {
    const Programmer programmer = settings.station.programmer;
    // nrfjprog has no name for nrf54l: the check refuses that station before any run.
    const std::string family = tool::FamilyOption(programmer, settings.chip.family);
    if (programmer == Programmer::kNrfutil) {
        return std::make_unique<NrfutilCommands>(settings.Prog_Path, paths.Hex_Path, serial,
                                                 family);
    }
    return std::make_unique<NrfjprogCommands>(settings.Prog_Path, paths.Hex_Path, serial, family);
}

// While the chip is still open: its DEVICEID read, its number written and read back; then each
// core protected and the chip reset once, after every core.
void AddStepsAfterProgramming(const Commands& commands, const ChipSettings& chip,
                              const std::vector<tool::CoreFacts>& cores,
                              std::optional<std::uint32_t> serialNumber, RunPlan& plan) {
    if (chip.deviceIdAddress) {
        plan.deviceIdAddress = *chip.deviceIdAddress;
        plan.steps.push_back({StepKind::kReadDeviceId,
                              commands.Read(plan.deviceIdAddress, 4 * tool::kDeviceIdWords)});
    }
    if (serialNumber && chip.serial) {
        plan.serialAddress = chip.serial->address;
        plan.serialNumber = serialNumber;
        plan.steps.push_back(
            {StepKind::kWriteSerial, commands.Write(plan.serialAddress, *serialNumber)});
        plan.steps.push_back({StepKind::kReadSerial, commands.Read(plan.serialAddress, 4)});
    }
    for (const tool::CoreFacts& core : cores) {  // each core has its own protection
        plan.steps.push_back({StepKind::kProtect, commands.ProtectCore(core)});
    }
    if (cores.empty()) {
        plan.steps.push_back({StepKind::kProtect, commands.Protect()});
    }
    plan.steps.push_back({StepKind::kReset, commands.Reset()});
}

// The steps become the batch's operations; the press runs the batch in one call.
void AsOneBatch(const StationPaths& paths, const StationSettings& settings,
                const CheckResult& check, const std::string& title, RunPlan& plan) {
    plan.batchFile = BatchFilePath(paths.App_Path, title);
    plan.batchCopy = BatchCopyPath(paths.App_Path, title);
    for (RunStep step : plan.steps) {
        step.command =
            tool::NrfutilAppendBatchCommand(step.command, check.probeSerial, plan.batchFile);
        plan.operations.push_back(step);
    }
    plan.steps = {{StepKind::kBatch, tool::NrfutilBatchExecuteCommand(
                                         settings.Prog_Path, plan.batchCopy, check.probeSerial)}};
}

// sessions=fewest with nrfjprog on a one-core chip (PlanRun's note): the number is in the image.
std::vector<RunStep> FewestSteps(const NrfjprogCommands& commands, const ChipSettings& chip,
                                 tool::EraseMode erase, RunPlan& plan) {
    if (!chip.deviceIdAddress) {
        return {{StepKind::kProgram, commands.ProgramWhole(erase)}};
    }
    plan.deviceIdAddress = *chip.deviceIdAddress;
    const RunStep read = {StepKind::kReadDeviceId,
                          commands.Read(plan.deviceIdAddress, 4 * tool::kDeviceIdWords)};
    if (erase == tool::EraseMode::kWholeChip) {
        std::vector<RunStep> steps = commands.Program(erase);
        steps.push_back(read);
        steps.push_back({StepKind::kProtect, commands.Protect()});
        steps.push_back({StepKind::kReset, commands.Reset()});
        return steps;
    }
    std::vector<RunStep> steps;
    if (erase == tool::EraseMode::kRecover) {
        steps.push_back({StepKind::kRecover, commands.Recover()});
        erase = tool::EraseMode::kWholeChip;  // removes what the recover leaves behind
    }
    steps.push_back(read);
    steps.push_back({StepKind::kProgram, commands.ProgramWhole(erase)});
    return steps;
}

void PlanFewest(const StationPaths& paths, const StationSettings& settings,
                const std::string& serial, tool::EraseMode erase,
                std::optional<std::uint32_t> serialNumber, const std::string& numberedImage,
                RunPlan& plan) {
    const ChipSettings& chip = settings.chip;
    const bool numbered = serialNumber && chip.serial;
    const NrfjprogCommands commands(settings.Prog_Path, numbered ? numberedImage : paths.Hex_Path,
                                    serial, tool::FamilyOption(Programmer::kNrfjprog, chip.family));
    if (numbered) {
        plan.serialAddress = chip.serial->address;
        plan.serialNumber = serialNumber;
        plan.numberInImage = true;
    }
    plan.steps = FewestSteps(commands, chip, erase, plan);
    WithModem(commands, chip, erase, plan.steps);
}

// The plan as the steps of their own.
RunPlan PlanSteps(const StationPaths& paths, const StationSettings& settings,
                  const CheckResult& check, bool erase, std::chrono::milliseconds limit,
                  std::optional<std::uint32_t> serialNumber,
                  const std::vector<CorePartFile>& partFiles, const std::string& numberedImage) {
    RunPlan plan;
    plan.programmer = settings.station.programmer;
    plan.limit = limit;
    const ChipSettings& chip = settings.chip;
    plan.family = chip.family ? tool::FactsOf(*chip.family).name : "";
    plan.erase = erase;
    plan.recover = chip.recover;
    const tool::EraseMode eraseMode = EraseModeOf(chip, erase);
    const std::vector<tool::CoreFacts> cores =
        chip.family ? tool::CoresOf(*chip.family) : std::vector<tool::CoreFacts>{};
    if (!chip.deviceIdAddress && !serialNumber && cores.empty()) {
        plan.steps = PlainSteps(paths, settings, check, eraseMode);
        return plan;
    }
    const std::string serial =
        check.probePinned || plan.programmer == Programmer::kNrfutil ? check.probeSerial : "";
    // Without the board's own image (a caller that made none), its number is written as a step.
    if (RecipeOf(settings).fewestCalls && (!serialNumber || !numberedImage.empty())) {
        PlanFewest(paths, settings, serial, eraseMode, serialNumber, numberedImage, plan);
        return plan;
    }
    const std::unique_ptr<Commands> commands = CommandsFor(paths, settings, serial);
    if (cores.empty()) {
        plan.steps = commands->Program(eraseMode);
        WithModem(*commands, chip, eraseMode, plan.steps);
    } else {
        plan.steps = CoreSteps(*commands, cores, eraseMode, partFiles);
    }
    AddStepsAfterProgramming(*commands, chip, cores, serialNumber, plan);
    return plan;
}

}  // namespace

std::uint32_t SerialPlaceholder(const ChipSettings& chip) {
    constexpr std::uint32_t kPlaceholder = 0xA5A5A5A5;
    const bool inRange = chip.serial && chip.serial->pool.empty() &&
                         chip.serial->range.first <= kPlaceholder &&
                         kPlaceholder <= chip.serial->range.last;
    return inRange ? 0x5A5A5A5A : kPlaceholder;
}

std::string RunPlan::Para() const {
    std::string para;
    for (const RunStep& step : steps) {
        para += (para.empty() ? "" : " && ") + step.command;
    }
    return para;
}

RunPlan PlanRun(const StationPaths& paths, const StationSettings& settings,
                const CheckResult& check, bool erase, std::chrono::milliseconds limit,
                std::optional<std::uint32_t> serialNumber,
                const std::vector<CorePartFile>& partFiles, const std::string& numberedImage,
                const std::string& title) {
    if (!RecipeOf(settings).oneBatch) {
        return PlanSteps(paths, settings, check, erase, limit, serialNumber, partFiles,
                         numberedImage);
    }
    // The batch is made once for many presses, before a press's number is known: its write
    // takes the placeholder, and each press's copy the press's number.
    const std::uint32_t placeholder = SerialPlaceholder(settings.chip);
    RunPlan plan = PlanSteps(paths, settings, check, erase, limit,
                             settings.chip.serial ? std::optional(placeholder) : std::nullopt,
                             partFiles, numberedImage);
    plan.serialNumber = serialNumber;
    plan.serialPlaceholder = placeholder;
    AsOneBatch(paths, settings, check, title, plan);
    return plan;
}

std::string DeviceIdReadCommand(const StationPaths& paths, const StationSettings& settings,
                                const std::string& serial) {
    return CommandsFor(paths, settings, serial)
        ->Read(settings.chip.deviceIdAddress.value_or(0), 4 * tool::kDeviceIdWords);
}

}  // namespace station
