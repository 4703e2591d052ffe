#include "programmer.h"

#include "os.h"

namespace tool {

std::string ProgrammerFileName() {
    return std::string("nrfjprog") + os::kExecutableSuffix;
}

std::string ProbeQueryCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " -i ";
}

std::string ProgrammingCommand(const std::string& progPath, const std::string& hexPath,
                               bool erase) {
    return os::QuoteArgument(progPath) + (erase ? " -e --program " : " --program ") +
           os::QuoteArgument(hexPath) + kProgPara;
}

std::string HelpCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " -h ";
}

std::string CommandTemplate(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " --programs @hex " + kProgPara;
}

bool ProgrammingSucceeded(const std::string& output) {
    return output.find("Verify OK") != std::string::npos &&
           output.find("ERROR:") == std::string::npos;
}

}  // namespace tool
