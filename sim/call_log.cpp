#include "call_log.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/paths.h"

namespace sim {

namespace {

void AppendEscaped(std::string& line, const std::string& value) {
    for (char c : value) {
        switch (c) {
            case '\t':
                line += "\\t";
                break;
            case '\r':
                line += "\\r";
                break;
            case '\n':
                line += "\\n";
                break;
            default:
                line += c;
        }
    }
}

}  // namespace

std::string WorkingFolder() {
    std::error_code error;
    std::string folder = std::filesystem::current_path(error).u8string();
    if (error) {
        return "?";
    }
    if (folder.empty() || !os::IsFolderBreak(folder.back())) {
        folder += os::kPathSeparator;
    }
    return folder;
}

std::string CallLine(const std::string& workingFolder, const std::vector<std::string>& arguments) {
    std::string line;
    AppendEscaped(line, workingFolder);
    for (const std::string& argument : arguments) {
        line += '\t';
        AppendEscaped(line, argument);
    }
    line += '\n';
    return line;
}

void RecordCall(const std::string& logPath, const std::string& line) {
    os::File log = os::OpenForAppending(logPath);
    log.Write(line);
}

}  // namespace sim
