#include "nrfutil_arguments.h"

#include <algorithm>
#include <iterator>

#include "memory_text.h"

namespace sim::nrfutil {

namespace {

const char kHelpHint[] = " Run with --help for the options.";

const char* const kResetKinds[] = {"RESET_SYSTEM", "RESET_HARD", "RESET_PIN", "RESET_DEBUG"};
const char* const kFamilies[] = {"nrf51", "nrf52", "nrf53", "nrf54l", "nrf54h", "nrf91", "nrf92"};

struct NamedCommand {
    const char* name;
    Command command;
};
const NamedCommand kCommands[] = {{"list", Command::kList},
                                  {"program", Command::kProgram},
                                  {"protection-set", Command::kProtectionSet},
                                  {"reset", Command::kReset},
                                  {"recover", Command::kRecover},
                                  {"read", Command::kRead},
                                  {"write", Command::kWrite},
                                  {"board-change", Command::kBoardChange},
                                  {"device-info", Command::kDeviceInfo},
                                  {"board-out", Command::kBoardOut},
                                  {"batch-execute", Command::kBatchExecute},
                                  {"x-execute-batch", Command::kBatchExecute}};

// The operations a batch can hold: appended to a batch file or printed instead of run.
bool Batchable(Command command) {
    return command == Command::kProgram || command == Command::kProtectionSet ||
           command == Command::kReset || command == Command::kRecover ||
           command == Command::kRead || command == Command::kWrite;
}

bool IsResetKind(const std::string& text) {
    return std::find(std::begin(kResetKinds), std::end(kResetKinds), text) != std::end(kResetKinds);
}

class ArgumentParser {
public:
    explicit ArgumentParser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    ParsedArguments Run() {
        TakeTopLevel();
        while (error_.empty() && next_ < arguments_.size()) {
            TakeOption(arguments_[next_++]);
        }
        if (error_.empty() && !request_.help) {
            CheckComplete();
        }
        return {request_, error_};
    }

private:
    // [--json] [--help] device [<command>]
    void TakeTopLevel() {
        for (; next_ < arguments_.size() && arguments_[next_] != "device"; ++next_) {
            const std::string& argument = arguments_[next_];
            if (argument == "--json") {
                request_.json = true;
            } else if (argument == "-h" || argument == "--help") {
                request_.help = true;
            } else {
                error_ = "Unknown argument '" + argument + "'." + kHelpHint;
                return;
            }
        }
        if (next_ == arguments_.size()) {
            if (!request_.help) {
                error_ = std::string("No command given.") + kHelpHint;
            }
            return;
        }
        ++next_;  // device
        if (next_ < arguments_.size()) {
            for (const NamedCommand& named : kCommands) {
                if (arguments_[next_] == named.name) {
                    request_.command = named.command;
                    ++next_;
                    break;
                }
            }
        }
    }

    void TakeOption(const std::string& argument) {
        const Command command = request_.command;
        if (argument == "-h" || argument == "--help") {
            request_.help = true;
        } else if (argument == "-V" || argument == "--version") {
            request_.version = command == Command::kNone;
            Refuse(argument, !request_.version);
        } else if (argument == "--serial-number") {
            Refuse(argument, command == Command::kNone || command == Command::kList);
            request_.serialNumber = TakeValue(argument);
        } else if (argument == "--family" || argument == "--x-family") {
            TakeFamily(argument);
        } else if (argument == "--core") {
            Refuse(argument, command == Command::kNone || command == Command::kList);
            request_.core = TakeValue(argument);
            if (error_.empty() && request_.core != "Application" && request_.core != "Network") {
                error_ = "--core takes Application or Network, not '" + request_.core + "'.";
            }
        } else if (argument == "--append-batch" || argument == "--x-append-batch") {
            Refuse(argument, !Batchable(command));
            request_.appendBatch = TakeValue("--append-batch");
        } else if (argument == "--generate") {
            Refuse(argument, !Batchable(command));
            request_.generate = true;
        } else if (argument == "--batch-file" || argument == "--batch-path") {
            Refuse(argument, command != Command::kBatchExecute);
            request_.batchFile = TakeValue("--batch-file");
        } else if (argument == "--firmware") {
            Refuse(argument, command != Command::kProgram);
            request_.firmware = TakeValue(argument);
        } else if (argument == "--options") {
            Refuse(argument, command != Command::kProgram);
            TakeProgramOptions(TakeValue(argument));
        } else if (argument == "--reset-kind") {
            Refuse(argument, command != Command::kReset);
            const std::string kind = TakeValue(argument);
            if (error_.empty() && !IsResetKind(kind)) {
                error_ = "--reset-kind cannot be '" + kind + "'.";
            }
            request_.resetKind = kind;
        } else if (argument == "--address") {
            Refuse(argument, command != Command::kRead && command != Command::kWrite);
            request_.address = TakeNumber(argument);
        } else if (argument == "--bytes") {
            Refuse(argument, command != Command::kRead);
            request_.byteCount = TakeNumber(argument);
        } else if (argument == "--width") {
            Refuse(argument, command != Command::kRead);
            request_.widthBits = TakeNumber(argument);
            if (error_.empty() && request_.widthBits != 8 && request_.widthBits != 16 &&
                request_.widthBits != 32) {
                error_ = "--width takes 8, 16 or 32.";
            }
        } else if (argument == "--value") {
            Refuse(argument, command != Command::kWrite);
            request_.value = TakeNumber(argument);
        } else if (command == Command::kProtectionSet && protection_.empty() &&
                   argument.rfind("-", 0) != 0) {
            protection_ = argument;
            if (protection_ != "All") {
                error_ = "protection-set takes All, not '" + argument + "'.";
            }
        } else if (argument == "--json") {
            error_ = "--json goes before 'device'.";
        } else {
            error_ = "Unknown argument '" + argument + "'." + kHelpHint;
        }
    }

    // --family or its older spelling --x-family, with every command on a chip.
    void TakeFamily(const std::string& argument) {
        Refuse(argument, request_.command == Command::kNone || request_.command == Command::kList);
        request_.family = TakeValue("--family");
        if (error_.empty() && std::find(std::begin(kFamilies), std::end(kFamilies),
                                        request_.family) == std::end(kFamilies)) {
            error_ = "--family cannot be '" + request_.family + "'.";
        }
    }

    // An option that does not go with the command is an error.
    void Refuse(const std::string& argument, bool refused) {
        if (error_.empty() && refused) {
            error_ = argument + " does not go with " + CommandName() + ".";
        }
    }

    // The option's value, the next argument; "" after an error.
    std::string TakeValue(const std::string& argument) {
        if (!error_.empty()) {
            return {};
        }
        if (std::find(given_.begin(), given_.end(), argument) != given_.end()) {
            error_ = argument + " is given twice.";
        } else if (next_ >= arguments_.size() || arguments_[next_].empty()) {
            error_ = argument + " needs a value.";
        } else {
            given_.push_back(argument);
            return arguments_[next_++];
        }
        return {};
    }

    // The option's value as a number below 2^32; 0 after an error.
    std::uint32_t TakeNumber(const std::string& argument) {
        const std::string value = TakeValue(argument);
        const auto number = ParseToolNumber(value);
        if (error_.empty() && !number) {
            error_ = argument + " takes a number (decimal or 0x hexadecimal), not '" + value + "'.";
        }
        return number.value_or(0);
    }

    // chip_erase_mode=...,verify=...,reset=...
    void TakeProgramOptions(const std::string& options) {
        std::size_t start = 0;
        while (error_.empty() && start <= options.size() && !options.empty()) {
            const std::size_t comma = std::min(options.find(',', start), options.size());
            const std::string pair = options.substr(start, comma - start);
            start = comma + 1;
            const std::size_t equals = pair.find('=');
            const std::string key = pair.substr(0, equals);
            const std::string value = equals == std::string::npos ? "" : pair.substr(equals + 1);
            if (!TakeProgramOption(key, value)) {
                error_ = "--options cannot hold '" + pair + "'.";
            }
        }
    }

    bool TakeProgramOption(const std::string& key, const std::string& value) {
        if (key == "chip_erase_mode") {
            const std::pair<const char*, EraseMode> modes[] = {
                {"ERASE_ALL", EraseMode::kAll},
                {"ERASE_NONE", EraseMode::kNone},
                {"ERASE_RANGES_TOUCHED_BY_FIRMWARE", EraseMode::kRangesTouched},
                {"ERASE_CTRL_AP", EraseMode::kControlAccess}};
            for (const auto& [name, mode] : modes) {
                if (value == name) {
                    request_.erase = mode;
                    return true;
                }
            }
            return false;
        }
        if (key == "verify" && (value == "VERIFY_NONE" || value == "VERIFY_READ")) {
            request_.verify = value == "VERIFY_READ";
            return true;
        }
        if (key == "reset" && (value == "RESET_NONE" || IsResetKind(value))) {
            request_.resetAfterProgram = value == "RESET_NONE" ? "" : value;
            return true;
        }
        return false;
    }

    void CheckComplete() {
        const Command command = request_.command;
        if (command == Command::kNone && !request_.version) {
            error_ = std::string("No device command given.") + kHelpHint;
        } else if (command == Command::kProgram && request_.firmware.empty()) {
            error_ = "program needs --firmware.";
        } else if (command == Command::kProtectionSet && protection_.empty()) {
            error_ = "protection-set needs a protection level (All).";
        } else if (command == Command::kBatchExecute && request_.batchFile.empty()) {
            error_ = "batch-execute needs --batch-file.";
        } else if (command != Command::kNone && command != Command::kList &&
                   request_.appendBatch.empty() && !request_.generate &&
                   request_.serialNumber.empty()) {
            error_ = CommandName() + " needs --serial-number: the stand-in never picks a probe.";
        } else if (command == Command::kRead || command == Command::kWrite) {
            CheckMemoryAccess();
        }
    }

    void CheckMemoryAccess() {
        const bool read = request_.command == Command::kRead;
        const unsigned unit = read ? request_.widthBits / 8 : 4;
        for (const char* needed : {"--address", read ? "--bytes" : "--value"}) {
            if (std::find(given_.begin(), given_.end(), needed) == given_.end()) {
                error_ = CommandName() + " needs " + needed + ".";
                return;
            }
        }
        if (request_.address % unit != 0 ||
            (read && (request_.byteCount == 0 || request_.byteCount % unit != 0))) {
            error_ = CommandName() + " needs an address" + (read ? " and a byte count" : "") +
                     " that are multiples of " + std::to_string(unit) + ".";
        }
    }

    std::string CommandName() const {
        for (const NamedCommand& named : kCommands) {
            if (named.command == request_.command) {
                return named.name;
            }
        }
        return "device";
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    Request request_;
    std::vector<std::string> given_;  // the options with a value taken so far
    std::string protection_;
    std::string error_;
};

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& arguments) {
    return ArgumentParser(arguments).Run();
}

}  // namespace sim::nrfutil
