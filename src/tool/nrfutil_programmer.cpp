#include "tool/nrfutil_programmer.h"

#include "platform/paths.h"
#include "tool/programmer.h"

namespace tool {

namespace {

std::string FamilyOption(const std::string& family) {
    return family.empty() ? "" : " --family " + family;
}

// The core's option, when one is named, before the family's.
std::string CoreAndFamilyOptions(const std::string& family, const std::string& core) {
    return (core.empty() ? "" : " --core " + core) + FamilyOption(family);
}

// options: what follows the erase and verify options, the core's and the family's.
std::string ProgramStep(const std::string& tool, const std::string& image,
                        const std::string& serial, const std::string& eraseMode,
                        const std::string& options) {
    return tool + " --json device program --firmware " + image + " --serial-number " + serial +
           " --options chip_erase_mode=" + eraseMode + ",verify=VERIFY_READ,reset=RESET_NONE" +
           options;
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
                                                    const std::string& serial, bool erase,
                                                    const std::string& family) {
    return {ProgramStep(os::QuoteArgument(progPath), os::QuoteArgument(hexPath), serial,
                        erase ? "ERASE_ALL" : "ERASE_NONE", FamilyOption(family)),
            NrfutilProtectCommand(progPath, serial, family),
            NrfutilPinResetCommand(progPath, serial, family)};
}

std::string NrfutilRecoverCommand(const std::string& progPath, const std::string& serial,
                                  const std::string& family) {
    return NrfutilCoreRecoverCommand(progPath, serial, family, "");
}

std::string NrfutilReadCommand(const std::string& progPath, std::uint32_t address,
                               std::uint32_t byteCount, const std::string& serial,
                               const std::string& family) {
    return os::QuoteArgument(progPath) + " --json device read --address " + HexWord(address) +
           " --bytes " + std::to_string(byteCount) + " --serial-number " + serial +
           FamilyOption(family);
}

std::string NrfutilWriteCommand(const std::string& progPath, std::uint32_t address,
                                std::uint32_t value, const std::string& serial,
                                const std::string& family) {
    return os::QuoteArgument(progPath) + " --json device write --address " + HexWord(address) +
           " --value " + HexWord(value) + " --serial-number " + serial + FamilyOption(family);
}

std::string NrfutilProtectCommand(const std::string& progPath, const std::string& serial,
                                  const std::string& family) {
    return NrfutilCoreProtectCommand(progPath, serial, family, "");
}

std::string NrfutilPinResetCommand(const std::string& progPath, const std::string& serial,
                                   const std::string& family) {
    return os::QuoteArgument(progPath) +
           " --json device reset --reset-kind RESET_PIN --serial-number " + serial +
           FamilyOption(family);
}

std::string NrfutilCoreProgramCommand(const std::string& progPath, const std::string& hexPath,
                                      const std::string& serial, bool erase,
                                      const std::string& family, const std::string& core) {
    return ProgramStep(os::QuoteArgument(progPath), os::QuoteArgument(hexPath), serial,
                       erase ? "ERASE_ALL" : "ERASE_NONE", CoreAndFamilyOptions(family, core));
}

std::string NrfutilCoreRecoverCommand(const std::string& progPath, const std::string& serial,
                                      const std::string& family, const std::string& core) {
    return os::QuoteArgument(progPath) + " --json device recover --serial-number " + serial +
           CoreAndFamilyOptions(family, core);
}

std::string NrfutilCoreProtectCommand(const std::string& progPath, const std::string& serial,
                                      const std::string& family, const std::string& core) {
    return os::QuoteArgument(progPath) + " --json device protection-set All --serial-number " +
           serial + CoreAndFamilyOptions(family, core);
}

std::string NrfutilModemCommand(const std::string& progPath, const std::string& zipPath,
                                const std::string& serial, const std::string& family) {
    return os::QuoteArgument(progPath) + " --json device program --firmware " +
           os::QuoteArgument(zipPath) + " --serial-number " + serial + FamilyOption(family);
}

std::string NrfutilHelpCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " device program --help";
}

std::string NrfutilCommandTemplate(const std::string& progPath, const std::string& serial,
                                   const std::string& family) {
    return ProgramStep(os::QuoteArgument(progPath), "@hex", serial.empty() ? "@sn" : serial,
                       "@erase", FamilyOption(family));
}

}  // namespace tool
