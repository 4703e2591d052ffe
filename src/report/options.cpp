#include "options.h"

namespace report {

const char kUsage[] =
    "usage: romtool-report [--from yyyy-mm-dd] [--to yyyy-mm-dd] [-o report.html] [--csv] PATH...\n"
    "       romtool-report [--from ...] [--to ...] [-o ...] [--csv] --database CONNECTION\n"
    "Reads every production record (yyyy-mm-dd.csv) under the station folders and files given,\n"
    "and writes one HTML page with charts (default report.html), or with --csv prints the table\n"
    "of stations and days. With --database it reads the factory's database instead, through the\n"
    "ODBC connection string given (e.g. \"DSN=romtool\"). Exit codes: 0 done, 1 no record found,\n"
    "2 bad arguments, 3 the page could not be written, 4 the database could not be read.\n";

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    bool outputGiven = false;
    bool onlyPaths = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (onlyPaths || argument.empty() || argument[0] != '-' || argument == "-") {
            options.paths.push_back(argument);
            continue;
        }
        if (argument == "--") {
            onlyPaths = true;
            continue;
        }
        std::optional<std::string> value;
        const auto equals = argument.find('=');
        if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = argument.substr(equals + 1);
            argument.resize(equals);
        }
        const bool takesValue = argument == "--from" || argument == "--to" || argument == "-o" ||
                                argument == "--output" || argument == "--database";
        if (takesValue && !value) {
            if (i + 1 >= arguments.size()) {
                parsed.error = argument + " needs a value";
                return parsed;
            }
            value = arguments[++i];
        } else if (!takesValue && value) {
            parsed.error = argument + " takes no value";
            return parsed;
        }
        if (argument == "--from" || argument == "--to") {
            const auto day = ParseDay(*value);
            if (!day) {
                parsed.error = argument + " " + *value + ": not a day as yyyy-mm-dd";
                return parsed;
            }
            (argument == "--from" ? options.from : options.to) = day;
        } else if (argument == "-o" || argument == "--output") {
            if (value->empty()) {
                parsed.error = argument + " needs a file name";
                return parsed;
            }
            options.output = *value;
            outputGiven = true;
        } else if (argument == "--database") {
            if (value->empty()) {
                parsed.error = "--database needs an ODBC connection string";
                return parsed;
            }
            options.database = *value;
        } else if (argument == "--csv") {
            options.csv = true;
        } else if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else {
            parsed.error = "unknown option " + argument;
            return parsed;
        }
    }
    if (options.help) {
        return parsed;
    }
    if (options.from && options.to && *options.to < *options.from) {
        parsed.error = "--from is after --to";
    } else if (options.csv && outputGiven) {
        parsed.error = "-o and --csv: choose one (--csv prints the table to standard output)";
    } else if (options.paths.empty() && options.database.empty()) {
        parsed.error = "no PATH: name station folders, folders holding them, or record files";
    } else if (!options.paths.empty() && !options.database.empty()) {
        parsed.error = "--database and PATH: read either the database or the files";
    }
    return parsed;
}

}  // namespace report
