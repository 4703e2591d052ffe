// romtool-report as a function, so the tests run it without a process: reads the records the
// arguments name (files, or the factory's database) and writes the page (or returns the CSV table).
#pragma once

#include <string>
#include <vector>

#include "report/database_source.h"

namespace report {

// kFailed: something other than the records stopped the report (no memory, a share gone); the
// message says what.
enum ExitCode {
    kDone = 0,
    kNoRecord = 1,
    kBadArguments = 2,
    kCannotWrite = 3,
    kNoDatabase = 4,
    kFailed = 5
};

struct RunResult {
    int exitCode = kDone;
    std::string output;  // for standard output: the CSV table, or the help
    std::string errors;  // for standard error: what went wrong, the rows it could not read, and
                         // where the page went
};

// written: the time the page names as its writing time ("yyyy-mm-dd hh:mm"). Never throws: what
// stops it is in the exit code and the errors.
RunResult RunReport(const std::vector<std::string>& arguments, const std::string& written);
// The same, reading the database (--database) through readDatabase.
RunResult RunReport(const std::vector<std::string>& arguments, const std::string& written,
                    const DatabaseReader& readDatabase);

}  // namespace report
