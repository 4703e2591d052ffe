// "calls.log" beside the stand-in programmer: one line per invocation, so tests can see exactly
// how the station called its programmer.
#pragma once

#include <string>
#include <vector>

namespace sim {

// The current folder, ending in the platform's separator like every folder the station uses.
std::string WorkingFolder();

// The working folder and then each argument, separated by TAB characters, ending in "\n".
// A TAB, CR or LF inside a value is written as \t, \r or \n so that one call stays one line.
std::string CallLine(const std::string& workingFolder, const std::vector<std::string>& arguments);

// Appends the line to the log in one write, so lines of calls that overlap never mix.
// Throws os::FileError.
void RecordCall(const std::string& logPath, const std::string& line);

}  // namespace sim
