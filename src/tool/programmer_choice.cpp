#include "tool/programmer_choice.h"

#include "tool/nrfutil_programmer.h"
#include "tool/programmer.h"

namespace tool {

std::string ToolFileName(Programmer programmer) {
    return programmer == Programmer::kNrfutil ? NrfutilFileName() : ProgrammerFileName();
}

std::string ShownCommand(Programmer programmer, const std::string& progPath,
                         const std::string& serial, const std::string& family) {
    return programmer == Programmer::kNrfutil
               ? NrfutilCommandTemplate(progPath, serial, family)
               : CommandTemplate(progPath, kProgPara, serial, family);
}

std::string OptionListCommand(Programmer programmer, const std::string& progPath) {
    return programmer == Programmer::kNrfutil ? NrfutilHelpCommand(progPath)
                                              : HelpCommand(progPath);
}

}  // namespace tool
