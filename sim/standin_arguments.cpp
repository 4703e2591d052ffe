#include "standin_arguments.h"

#include <algorithm>

#include "memory_text.h"
#include "platform/text.h"

namespace sim {

namespace {

const char kHelpHint[] = " Run with --help for the options.";

struct CommandWord {
    const char* name;
    const char* alias;  // "" when none
    Command command;
    const char* value;  // what its value is, nullptr when it takes none
};
const CommandWord kCommands[] = {
    {"-i", "--ids", Command::kProbeQuery, nullptr},
    {"-h", "--help", Command::kHelp, nullptr},
    {"-v", "--version", Command::kVersion, nullptr},
    {"--program", "", Command::kProgram, "an image file"},
    {"--memrd", "", Command::kMemoryRead, "an address"},
    {"--memwr", "", Command::kMemoryWrite, "an address"},
    {"--board-change", "", Command::kBoardChange, nullptr},
    {"--deviceversion", "", Command::kDeviceVersion, nullptr},
    {"--board-out", "", Command::kBoardOut, nullptr},
};

// The commands an option goes with, as a set of bits.
constexpr unsigned Bit(Command command) {
    return 1u << static_cast<unsigned>(command);
}
constexpr unsigned kOnDevice =
    Bit(Command::kProgram) | Bit(Command::kErase) | Bit(Command::kReset) | Bit(Command::kProtect) |
    Bit(Command::kRecover) | Bit(Command::kMemoryRead) | Bit(Command::kMemoryWrite) |
    Bit(Command::kBoardChange) | Bit(Command::kDeviceVersion) | Bit(Command::kBoardOut);

struct OptionWord {
    const char* name;
    const char* alias;
    const char* value;  // what its value is, nullptr when it takes none
    unsigned commands;  // the commands it goes with
};
const OptionWord kOptions[] = {
    {"-e", "--chiperase", nullptr, Bit(Command::kProgram) | Bit(Command::kErase)},
    {"--sectorerase", "", nullptr, Bit(Command::kProgram)},
    {"--verify", "", nullptr, Bit(Command::kProgram)},
    {"--pinreset", "", nullptr,
     Bit(Command::kProgram) | Bit(Command::kErase) | Bit(Command::kReset)},
    {"--rbp", "", "a protection level (ALL or CR0)",
     Bit(Command::kProgram) | Bit(Command::kProtect)},
    {"--snr", "", "a serial number", kOnDevice},
    {"-f", "--family", "a device family", kOnDevice},
    {"--coprocessor", "", "a core (CP_APPLICATION or CP_NETWORK)", kOnDevice},
    {"--recover", "", nullptr, Bit(Command::kProgram) | Bit(Command::kRecover)},
    {"--n", "", "a byte count", Bit(Command::kMemoryRead)},
    {"--w", "", "a width (8, 16 or 32)", Bit(Command::kMemoryRead)},
    {"--val", "", "a value", Bit(Command::kMemoryWrite)},
};

class ArgumentParser {
public:
    explicit ArgumentParser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    ParsedArguments Run() {
        for (next_ = 0; next_ < arguments_.size() && error_.empty();) {
            Take(arguments_[next_++]);
        }
        if (error_.empty()) {
            Finish();
        }
        return {request_, error_};
    }

private:
    void Take(const std::string& argument) {
        for (const CommandWord& word : kCommands) {
            if (argument == word.name || argument == word.alias) {
                TakeCommand(word);
                return;
            }
        }
        for (const OptionWord& word : kOptions) {
            if (argument == word.name || argument == word.alias) {
                TakeOption(word);
                return;
            }
        }
        error_ = "Unknown argument '" + argument + "'." + kHelpHint;
    }

    void TakeCommand(const CommandWord& word) {
        if (command_ != nullptr) {
            error_ = command_ == &word ? std::string(word.name) + " is given twice."
                                       : std::string(command_->name) + " and " + word.name +
                                             " cannot be combined.";
            return;
        }
        command_ = &word;
        request_.command = word.command;
        if (word.value == nullptr) {
            return;
        }
        const std::string value = Value(word.name, word.value);
        if (word.command == Command::kProgram) {
            request_.hexPath = value;
        } else {
            request_.address = NumberValue(word.name, value);
        }
    }

    void TakeOption(const OptionWord& word) {
        if (std::find(given_.begin(), given_.end(), &word) != given_.end()) {
            error_ = std::string(word.name) + " is given twice.";
            return;
        }
        given_.push_back(&word);
        const std::string name = word.name;
        const std::string value = word.value != nullptr ? Value(name, word.value) : "";
        if (!error_.empty()) {
            return;
        }
        if (name == "-e") {
            request_.chipErase = true;
        } else if (name == "--recover") {
            request_.recover = true;
        } else if (name == "-f") {
            request_.family = value;
        } else if (name == "--coprocessor") {
            request_.coprocessor = os::AsciiUpper(value);
            if (request_.coprocessor != "CP_APPLICATION" && request_.coprocessor != "CP_NETWORK") {
                error_ = "--coprocessor takes CP_APPLICATION or CP_NETWORK, not '" + value + "'.";
            }
        } else if (name == "--sectorerase") {
            request_.sectorErase = true;
        } else if (name == "--verify") {
            request_.verify = true;
        } else if (name == "--pinreset") {
            request_.pinReset = true;
        } else if (name == "--rbp") {
            request_.readbackProtection = os::AsciiUpper(value);
            if (request_.readbackProtection != "ALL" && request_.readbackProtection != "CR0") {
                error_ = "--rbp takes ALL or CR0, not '" + value + "'.";
            }
        } else if (name == "--snr") {
            request_.probeSerial = value;
            if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos) {
                error_ = "--snr takes a serial number (decimal digits), not '" + value + "'.";
            }
        } else if (name == "--n") {
            request_.byteCount = NumberValue(name, value);
        } else if (name == "--w") {
            request_.widthBits = NumberValue(name, value);
            if (error_.empty() && request_.widthBits != 8 && request_.widthBits != 16 &&
                request_.widthBits != 32) {
                error_ = "--w takes 8, 16 or 32, not '" + value + "'.";
            }
        } else {
            request_.value = NumberValue(name, value);
        }
    }

    std::string Value(const std::string& argument, const char* what) {
        if (next_ >= arguments_.size()) {
            error_ = argument + " needs " + what + ".";
            return {};
        }
        return arguments_[next_++];
    }

    std::uint32_t NumberValue(const std::string& argument, const std::string& value) {
        const auto number = ParseToolNumber(value);
        if (!number && error_.empty()) {
            error_ = argument + " takes a number below 2^32 (decimal or 0x hexadecimal), not '" +
                     value + "'.";
        }
        return number.value_or(0);
    }

    bool Given(const char* name) const {
        return std::any_of(given_.begin(), given_.end(),
                           [&](const OptionWord* word) { return std::string(word->name) == name; });
    }

    // The command the options make when no command word was given: --recover, -e, --rbp or
    // --pinreset.
    bool DeriveCommand() {
        if (request_.recover) {
            request_.command = Command::kRecover;
        } else if (request_.chipErase) {
            request_.command = Command::kErase;
        } else if (!request_.readbackProtection.empty()) {
            request_.command = Command::kProtect;
        } else if (request_.pinReset) {
            request_.command = Command::kReset;
        } else {
            error_ = given_.empty() ? std::string("No command given.") + kHelpHint
                                    : std::string(given_.front()->name) + " needs --program.";
            return false;
        }
        return true;
    }

    void Finish() {
        if (command_ == nullptr && !DeriveCommand()) {
            return;
        }
        const char* commandName = command_ != nullptr ? command_->name : "this command";
        for (const OptionWord* word : given_) {
            if ((word->commands & Bit(request_.command)) == 0) {
                error_ = word->commands == Bit(Command::kProgram)
                             ? std::string(word->name) + " needs --program."
                             : std::string(word->name) + " does not go with " + commandName + ".";
                return;
            }
        }
        CheckCombination();
    }

    void CheckCombination() {
        const unsigned unit = request_.widthBits / 8;
        if (request_.chipErase && request_.sectorErase) {
            error_ = "-e and --sectorerase cannot be combined.";
        } else if (request_.recover && (request_.chipErase || request_.sectorErase)) {
            error_ = "--recover erases the whole chip: it does not go with -e or --sectorerase.";
        } else if (request_.command == Command::kErase && !request_.readbackProtection.empty()) {
            error_ = "--rbp does not go with -e without --program.";
        } else if (request_.command == Command::kMemoryWrite && !Given("--val")) {
            error_ = "--memwr needs --val.";
        } else if (request_.command == Command::kMemoryWrite && request_.address % 4 != 0) {
            error_ = "--memwr needs an address that is a multiple of 4.";
        } else if (request_.command == Command::kMemoryRead &&
                   (request_.byteCount == 0 || request_.byteCount % unit != 0 ||
                    request_.address % unit != 0)) {
            error_ =
                "--memrd needs an address and a byte count (--n, not 0) that are multiples "
                "of the width (--w) in bytes.";
        }
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    Request request_;
    const CommandWord* command_ = nullptr;
    std::vector<const OptionWord*> given_;
    std::string error_;
};

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& arguments) {
    return ArgumentParser(arguments).Run();
}

}  // namespace sim
