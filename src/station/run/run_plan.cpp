#include "station/run/run_plan.h"

#include <memory>
#include <utility>

#include "tool/chip_family.h"
#include "tool/memory_words.h"
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
};

tool::EraseMode EraseModeOf(const ChipSettings& chip, bool erase) {
    if (!erase) {
        return tool::EraseMode::kNone;
    }
    return chip.recover ? tool::EraseMode::kRecover : tool::EraseMode::kWholeChip;
}

// The run as it always was: nrfjprog's one command, or nrfutil's three steps (four with a
// recover).
std::vector<RunStep> PlainSteps(const StationPaths& paths, const StationSettings& settings,
                                const CheckResult& check, tool::EraseMode erase) {
    const ChipSettings& chip = settings.chip;
    if (settings.station.programmer == Programmer::kNrfjprog) {
        return {{StepKind::kProgram, tool::ProgrammingCommand(
                                         settings.Prog_Path, paths.Hex_Path, erase, tool::kProgPara,
                                         check.probePinned ? check.probeSerial : "",
                                         tool::FamilyOption(Programmer::kNrfjprog, chip.family))}};
    }
    const NrfutilCommands commands(settings.Prog_Path, paths.Hex_Path, check.probeSerial,
                                   tool::FamilyOption(Programmer::kNrfutil, chip.family));
    std::vector<RunStep> steps = commands.Program(erase);
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

}  // namespace

std::string RunPlan::Para() const {
    std::string para;
    for (const RunStep& step : steps) {
        para += (para.empty() ? "" : " && ") + step.command;
    }
    return para;
}

RunPlan PlanRun(const StationPaths& paths, const StationSettings& settings,
                const CheckResult& check, bool erase, std::chrono::milliseconds limit,
                std::optional<std::uint32_t> serialNumber) {
    RunPlan plan;
    plan.programmer = settings.station.programmer;
    plan.limit = limit;
    const ChipSettings& chip = settings.chip;
    plan.family = chip.family ? tool::FactsOf(*chip.family).name : "";
    plan.erase = erase;
    plan.recover = chip.recover;
    const tool::EraseMode eraseMode = EraseModeOf(chip, erase);
    if (!chip.deviceIdAddress && !serialNumber) {
        plan.steps = PlainSteps(paths, settings, check, eraseMode);
        return plan;
    }
    const std::string serial =
        check.probePinned || plan.programmer == Programmer::kNrfutil ? check.probeSerial : "";
    const std::unique_ptr<Commands> commands = CommandsFor(paths, settings, serial);
    plan.steps = commands->Program(eraseMode);
    if (chip.deviceIdAddress) {
        plan.deviceIdAddress = *chip.deviceIdAddress;
        plan.steps.push_back({StepKind::kReadDeviceId,
                              commands->Read(plan.deviceIdAddress, 4 * tool::kDeviceIdWords)});
    }
    if (serialNumber && chip.serial) {
        plan.serialAddress = chip.serial->address;
        plan.serialNumber = serialNumber;
        plan.steps.push_back(
            {StepKind::kWriteSerial, commands->Write(plan.serialAddress, *serialNumber)});
        plan.steps.push_back({StepKind::kReadSerial, commands->Read(plan.serialAddress, 4)});
    }
    plan.steps.push_back({StepKind::kProtect, commands->Protect()});
    plan.steps.push_back({StepKind::kReset, commands->Reset()});
    return plan;
}

}  // namespace station
