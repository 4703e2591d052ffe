#include "standin_arguments.h"

#include <cctype>

namespace sim {

namespace {

const char kHelpHint[] = " Run with --help for the options.";

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

class ArgumentParser {
public:
    explicit ArgumentParser(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    ParsedArguments Run() {
        ParsedArguments result;
        for (next_ = 0; next_ < arguments_.size() && error_.empty();) {
            Take(arguments_[next_++]);
        }
        if (error_.empty()) {
            Finish();
        }
        result.request = request_;
        result.error = error_;
        return result;
    }

private:
    void Take(const std::string& argument) {
        if (argument == "-i" || argument == "--ids") {
            Choose(Command::kProbeQuery, argument);
        } else if (argument == "-h" || argument == "--help") {
            Choose(Command::kHelp, argument);
        } else if (argument == "-v" || argument == "--version") {
            Choose(Command::kVersion, argument);
        } else if (argument == "--program") {
            if (request_.command == Command::kProgram && command_) {
                error_ = "--program is given twice.";
                return;
            }
            Choose(Command::kProgram, argument);
            if (!error_.empty()) {
                return;
            }
            request_.hexPath = Value(argument, "an image file");
        } else if (argument == "-e" || argument == "--chiperase") {
            request_.chipErase = true;
            Option(argument);
        } else if (argument == "--sectorerase") {
            request_.sectorErase = true;
            Option(argument, true);
        } else if (argument == "--verify") {
            request_.verify = true;
            Option(argument, true);
        } else if (argument == "--pinreset") {
            request_.pinReset = true;
            Option(argument);
        } else if (argument == "--rbp") {
            const std::string level = Upper(Value(argument, "a protection level (ALL or CR0)"));
            if (error_.empty() && level != "ALL" && level != "CR0") {
                error_ = "--rbp takes ALL or CR0, not '" + level + "'.";
            }
            request_.readbackProtection = level;
            Option(argument, true);
        } else if (argument == "--snr") {
            TakeSerial(argument);
        } else {
            error_ = "Unknown argument '" + argument + "'." + kHelpHint;
        }
    }

    void TakeSerial(const std::string& argument) {
        if (!request_.probeSerial.empty()) {
            error_ = argument + " is given twice.";
            return;
        }
        request_.probeSerial = Value(argument, "a serial number");
        if (error_.empty() && !IsSerialNumber(request_.probeSerial)) {
            error_ = argument + " takes a serial number (decimal digits), not '" +
                     request_.probeSerial + "'.";
        }
        Option(argument);
    }

    static bool IsSerialNumber(const std::string& text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    }

    void Choose(Command command, const std::string& argument) {
        if (command_ && request_.command != command) {
            error_ = commandArgument_ + " and " + argument + " cannot be combined.";
            return;
        }
        command_ = true;
        commandArgument_ = argument;
        request_.command = command;
    }

    // programOnly: the option has no meaning without --program.
    void Option(const std::string& argument, bool programOnly = false) {
        if (firstOption_.empty()) {
            firstOption_ = argument;
        }
        if (programOnly && firstProgramOption_.empty()) {
            firstProgramOption_ = argument;
        }
    }

    std::string Value(const std::string& argument, const char* what) {
        if (next_ >= arguments_.size()) {
            error_ = argument + " needs " + what + ".";
            return {};
        }
        return arguments_[next_++];
    }

    void Finish() {
        if (!command_) {
            if (!firstProgramOption_.empty()) {
                error_ = firstProgramOption_ + " needs --program.";
            } else if (request_.chipErase) {
                request_.command = Command::kErase;
            } else if (request_.pinReset) {
                request_.command = Command::kReset;
            } else {
                error_ = std::string("No command given.") + kHelpHint;
            }
            return;
        }
        if (request_.command != Command::kProgram && !firstOption_.empty()) {
            error_ = commandArgument_ + " takes no options, not " + firstOption_ + ".";
        } else if (request_.chipErase && request_.sectorErase) {
            error_ = "-e and --sectorerase cannot be combined.";
        }
    }

    const std::vector<std::string>& arguments_;
    std::size_t next_ = 0;
    Request request_;
    bool command_ = false;
    std::string commandArgument_;
    std::string firstOption_;
    std::string firstProgramOption_;
    std::string error_;
};

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& arguments) {
    return ArgumentParser(arguments).Run();
}

}  // namespace sim
