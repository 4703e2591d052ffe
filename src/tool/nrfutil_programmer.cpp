#include "nrfutil_programmer.h"

#include "paths.h"

namespace tool {

namespace {

std::string ProgramStep(const std::string& tool, const std::string& image,
                        const std::string& serial, const std::string& eraseMode) {
    return tool + " --json device program --firmware " + image + " --serial-number " + serial +
           " --options chip_erase_mode=" + eraseMode + ",verify=VERIFY_READ,reset=RESET_NONE";
}

}  // namespace

std::string NrfutilFileName() {
    return std::string("nrfutil") + os::kExecutableSuffix;
}

std::string NrfutilListCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " --json device list";
}

std::vector<std::string> NrfutilProgrammingCommands(const std::string& progPath,
                                                    const std::string& hexPath,
                                                    const std::string& serial, bool erase) {
    const std::string tool = os::QuoteArgument(progPath);
    return {
        ProgramStep(tool, os::QuoteArgument(hexPath), serial, erase ? "ERASE_ALL" : "ERASE_NONE"),
        tool + " --json device protection-set All --serial-number " + serial,
        tool + " --json device reset --reset-kind RESET_PIN --serial-number " + serial};
}

std::string NrfutilHelpCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " device program --help";
}

std::string NrfutilCommandTemplate(const std::string& progPath, const std::string& serial) {
    return ProgramStep(os::QuoteArgument(progPath), "@hex", serial.empty() ? "@sn" : serial,
                       "@erase");
}

}  // namespace tool
