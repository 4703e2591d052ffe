#include "report/options.h"

namespace report {

const char kUsage[] =
    "usage: romtool-report [--from yyyy-mm-dd] [--to yyyy-mm-dd]\n"
    "                      [-o report.html | --csv | --fixture-csv] PATH...\n"
    "       romtool-report [--from ...] [--to ...] [-o ... | --csv | --fixture-csv]\n"
    "                      --database CONNECTION\n"
    "Reads every production record (yyyy-mm-dd.csv) under the station folders and files given,\n"
    "and writes one HTML page with charts (default report.html), or with --csv prints the table\n"
    "of stations and days, with --fixture-csv the yield per station and fixture. With --database\n"
    "it reads the factory's database instead, through the ODBC connection string given\n"
    "(e.g. \"DSN=romtool\"). Exit codes: 0 done, 1 no record found, 2 bad arguments, 3 the page\n"
    "could not be written, 4 the database could not be read.\n";

namespace {

// Takes one option and its value into options; returns what is wrong with them, or "".
std::string TakeOption(const std::string& argument, const std::optional<std::string>& value,
                       Options& options, bool& outputGiven) {
    if (argument == "--from" || argument == "--to") {
        const auto day = ParseDay(*value);
        if (!day) {
            return argument + " " + *value + ": not a day as yyyy-mm-dd";
        }
        (argument == "--from" ? options.from : options.to) = day;
    } else if (argument == "-o" || argument == "--output") {
        if (value->empty()) {
            return argument + " needs a file name";
        }
        options.output = *value;
        outputGiven = true;
    } else if (argument == "--database") {
        if (value->empty()) {
            return "--database needs an ODBC connection string";
        }
        options.database = *value;
    } else if (argument == "--csv") {
        options.csv = true;
    } else if (argument == "--fixture-csv") {
        options.fixtureCsv = true;
    } else if (argument == "-h" || argument == "--help") {
        options.help = true;
    } else {
        return "unknown option " + argument;
    }
    return "";
}

// What is wrong with the options taken together, or "".
std::string CheckTogether(const Options& options, bool outputGiven) {
    if (options.help) {
        return "";
    }
    if (options.from && options.to && *options.to < *options.from) {
        return "--from is after --to";
    }
    if (options.csv && outputGiven) {
        return "-o and --csv: choose one (--csv prints the table to standard output)";
    }
    if (options.fixtureCsv && (options.csv || outputGiven)) {
        return std::string(options.csv ? "--csv" : "-o") +
               " and --fixture-csv: choose one (--fixture-csv prints the yield per fixture to "
               "standard output)";
    }
    if (options.paths.empty() && options.database.empty()) {
        return "no PATH: name station folders, folders holding them, or record files";
    }
    if (!options.paths.empty() && !options.database.empty()) {
        return "--database and PATH: read either the database or the files";
    }
    return "";
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    Options& options = parsed.options;
    bool outputGiven = false;
    bool onlyPaths = false;
    for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
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
        if (takesValue && !value && i + 1 < arguments.size()) {
            value = arguments[++i];
        }
        parsed.error = takesValue && !value   ? argument + " needs a value"
                       : !takesValue && value ? argument + " takes no value"
                                              : TakeOption(argument, value, options, outputGiven);
    }
    if (parsed.error.empty()) {
        parsed.error = CheckTogether(options, outputGiven);
    }
    return parsed;
}

}  // namespace report
