// romtool-report's command line:
//   romtool-report [--from yyyy-mm-dd] [--to yyyy-mm-dd] [-o report.html | --csv | --fixture-csv]
//                  PATH...
//   romtool-report [--from ...] [--to ...] [-o ... | --csv | --fixture-csv] --database "<...>"
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/day.h"

namespace report {

struct Options {
    std::optional<Day> from, to;  // the days to count, both included
    std::string output = "report.html";
    bool csv = false;         // print the table to standard output instead of the page
    bool fixtureCsv = false;  // print the yield per fixture to standard output instead
    bool help = false;
    std::vector<std::string> paths;
    std::string database;  // an ODBC connection string: read the factory's database, not files
};

// The options of arguments (after the program's name). error is set, and the options are not to
// be used, when the arguments are wrong: an unknown option, one without its value, a date that is
// not yyyy-mm-dd or not a day, --from after --to, two of -o, --csv and --fixture-csv, no PATH and
// no --database (unless --help), or both.
struct ParsedOptions {
    Options options;
    std::string error;
};
ParsedOptions ParseOptions(const std::vector<std::string>& arguments);

extern const char kUsage[];

}  // namespace report
