#include "station/run/run_plan.h"

#include <memory>
#include <utility>

#include "tool/memory_words.h"
#include "tool/nrfutil_programmer.h"
#include "tool/programmer.h"

namespace station {

namespace {

// The commands of one programmer, each naming the probe as that programmer needs it.
class Commands {
public:
    Commands(std::string tool, std::string image, std::string serial)
        : tool_(std::move(tool)), image_(std::move(image)), serial_(std::move(serial)) {}
    virtual ~Commands() = default;
    virtual std::string Program(bool erase) const = 0;
    virtual std::string Read(std::uint32_t address, std::uint32_t bytes) const = 0;
    virtual std::string Write(std::uint32_t address, std::uint32_t value) const = 0;
    virtual std::string Protect() const = 0;
    virtual std::string Reset() const = 0;

protected:
    const std::string tool_;
    const std::string image_;
    const std::string serial_;
};

class NrfjprogCommands : public Commands {
public:
    using Commands::Commands;
    std::string Program(bool erase) const override {
        return tool::ProgrammingCommand(tool_, image_, erase, tool::kVerifyOnlyPara, serial_);
    }
    std::string Read(std::uint32_t address, std::uint32_t bytes) const override {
        return tool::MemoryReadCommand(tool_, address, bytes, serial_);
    }
    std::string Write(std::uint32_t address, std::uint32_t value) const override {
        return tool::MemoryWriteCommand(tool_, address, value, serial_);
    }
    std::string Protect() const override { return tool::ProtectCommand(tool_, serial_); }
    std::string Reset() const override { return tool::PinResetCommand(tool_, serial_); }
};

class NrfutilCommands : public Commands {
public:
    using Commands::Commands;
    std::string Program(bool erase) const override {
        return tool::NrfutilProgrammingCommands(tool_, image_, serial_, erase).front();
    }
    std::string Read(std::uint32_t address, std::uint32_t bytes) const override {
        return tool::NrfutilReadCommand(tool_, address, bytes, serial_);
    }
    std::string Write(std::uint32_t address, std::uint32_t value) const override {
        return tool::NrfutilWriteCommand(tool_, address, value, serial_);
    }
    std::string Protect() const override { return tool::NrfutilProtectCommand(tool_, serial_); }
    std::string Reset() const override { return tool::NrfutilPinResetCommand(tool_, serial_); }
};

// The run as it always was: nrfjprog's one command, or nrfutil's three steps.
std::vector<RunStep> PlainSteps(const StationPaths& paths, const StationSettings& settings,
                                const CheckResult& check, bool erase) {
    if (settings.station.programmer == Programmer::kNrfjprog) {
        return {{StepKind::kProgram, tool::ProgrammingCommand(
                                         settings.Prog_Path, paths.Hex_Path, erase, tool::kProgPara,
                                         check.probePinned ? check.probeSerial : "")}};
    }
    const std::vector<std::string> commands = tool::NrfutilProgrammingCommands(
        settings.Prog_Path, paths.Hex_Path, check.probeSerial, erase);
    return {{StepKind::kProgram, commands.at(0)},
            {StepKind::kProtect, commands.at(1)},
            {StepKind::kReset, commands.at(2)}};
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
    if (!chip.deviceIdAddress && !serialNumber) {
        plan.steps = PlainSteps(paths, settings, check, erase);
        return plan;
    }
    const std::string serial =
        check.probePinned || plan.programmer == Programmer::kNrfutil ? check.probeSerial : "";
    std::unique_ptr<Commands> commands;
    if (plan.programmer == Programmer::kNrfutil) {
        commands = std::make_unique<NrfutilCommands>(settings.Prog_Path, paths.Hex_Path, serial);
    } else {
        commands = std::make_unique<NrfjprogCommands>(settings.Prog_Path, paths.Hex_Path, serial);
    }
    plan.steps.push_back({StepKind::kProgram, commands->Program(erase)});
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
