#include "programmer.h"

#include <algorithm>
#include <iterator>

#include "paths.h"

namespace tool {

std::string ProgrammerFileName() {
    return std::string("nrfjprog") + os::kExecutableSuffix;
}

std::string ProbeQueryCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " -i ";
}

std::string ProgrammingCommand(const std::string& progPath, const std::string& hexPath, bool erase,
                               const std::string& progPara) {
    return os::QuoteArgument(progPath) + (erase ? " -e --program " : " --program ") +
           os::QuoteArgument(hexPath) + progPara;
}

std::string HelpCommand(const std::string& progPath) {
    return os::QuoteArgument(progPath) + " -h ";
}

std::string CommandTemplate(const std::string& progPath, const std::string& progPara) {
    return os::QuoteArgument(progPath) + " --programs @hex " + progPara;
}

bool ProgrammingSucceeded(const std::string& output) {
    if (output.find("ERROR:") != std::string::npos) {
        return false;
    }
    return std::any_of(
        std::begin(kVerifySuccessMarkers), std::end(kVerifySuccessMarkers),
        [&](const char* marker) { return output.find(marker) != std::string::npos; });
}

std::optional<RefusedPath> FindRefusedPath(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const std::size_t at = path.find_first_of(os::kExpandedInQuotes);
        if (at != std::string::npos) {
            return RefusedPath{path, path[at]};
        }
    }
    return std::nullopt;
}

}  // namespace tool
