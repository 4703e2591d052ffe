#include "report/run_report.h"

#include "odbc/odbc.h"
#include "odbc/secrets.h"
#include "platform/files.h"
#include "platform/text.h"
#include "report/database_source.h"
#include "report/options.h"
#include "report/record_reader.h"
#include "report/record_search.h"
#include "report/report_csv.h"
#include "report/report_html.h"
#include "report/tally.h"

namespace report {

namespace {

constexpr std::size_t kBadRowsNamed = 20;  // on standard error when the page lists them all

std::string Range(const Options& options) {
    std::string range;
    if (options.from) {
        range += "from " + DayText(*options.from);
    }
    if (options.to) {
        range += std::string(range.empty() ? "" : " ") + "to " + DayText(*options.to);
    }
    return range;
}

// Reads the record files the options name into tally; false (result says why) when there are
// none.
bool ReadFiles(const Options& options, Tally& tally, RunResult& result, PageInfo& info) {
    const std::string nl = os::kLineBreak;
    const SearchResult found = FindRecords(options.paths, options.from, options.to);
    for (const std::string& missing : found.missing) {
        result.errors += "romtool-report: no such file or folder: " + missing + nl;
    }
    if (found.files.empty()) {
        result.exitCode = kNoRecord;
        result.errors += "romtool-report: no production record (yyyy-mm-dd.csv) found" +
                         std::string(options.from || options.to ? " " + Range(options) : "") + nl;
        return false;
    }
    for (const RecordFile& file : found.files) {
        ReadRecordFile(file, tally);
    }
    info.source = std::to_string(found.files.size()) + " record files";
    return true;
}

// Reads the rows of the factory's database into tally; false (result says why) when there are
// none or it cannot be read.
bool ReadDatabase(const DatabaseReader& read, const Options& options, Tally& tally,
                  RunResult& result, PageInfo& info) {
    const std::string nl = os::kLineBreak;
    info.source = "the database " + odbc::MaskedConnectionString(options.database);
    try {
        if (read(options.database, options.from, options.to, tally) > 0) {
            return true;
        }
        result.exitCode = kNoRecord;
        result.errors += "romtool-report: no production record found in " + info.source +
                         std::string(options.from || options.to ? " " + Range(options) : "") + nl;
    } catch (const std::exception& error) {
        // The driver's error, or anything else that stopped the reading: the database's answer
        // is not the report's.
        result.exitCode = kNoDatabase;
        result.errors += "romtool-report: cannot read " + info.source + ": " + error.what() + nl;
    }
    return false;
}

// Names the rows that could not be read on standard error: all of them with a CSV table, the first
// few with the page, which lists them.
void NameBadRows(const Options& options, const Tally& tally, RunResult& result) {
    const std::string nl = os::kLineBreak;
    const auto& bad = tally.BadRows();
    const bool page = !options.csv && !options.fixtureCsv;
    const std::size_t named = page ? std::min(bad.items.size(), kBadRowsNamed) : bad.items.size();
    for (std::size_t i = 0; i < named; ++i) {
        const BadRow& row = bad.items[i];
        result.errors +=
            row.path + (row.line ? ":" + std::to_string(row.line) : "") + ": " + row.reason + nl;
    }
    if (bad.total > named) {
        result.errors +=
            "romtool-report: " + std::to_string(bad.total - named) +
            " more rows could not be read" +
            (page ? "; the page lists " + std::to_string(bad.items.size()) + " of them" : "") + nl;
    }
}

// The report the options ask for, into result.
void Report(const Options& options, const std::string& written, const DatabaseReader& readDatabase,
            RunResult& result) {
    const std::string nl = os::kLineBreak;
    Tally tally;
    PageInfo info{written, "", Range(options)};
    const bool read = options.database.empty()
                          ? ReadFiles(options, tally, result, info)
                          : ReadDatabase(readDatabase, options, tally, result, info);
    if (!read) {
        return;
    }
    tally.EndDay();
    NameBadRows(options, tally, result);
    if (options.csv || options.fixtureCsv) {
        result.output = options.csv ? TableCsv(tally) : FixtureCsv(tally);
        return;
    }
    try {
        os::ReplaceFileContent(options.output, ReportHtml(tally, info));
    } catch (const os::FileError& error) {
        result.exitCode = kCannotWrite;
        result.errors += std::string("romtool-report: ") + error.what() + nl;
        return;
    }
    result.errors += "romtool-report: " + std::to_string(tally.Presses()) + " presses from " +
                     info.source + ", " + std::to_string(tally.BadRows().total) +
                     " rows not read; wrote " + options.output + nl;
}

}  // namespace

RunResult RunReport(const std::vector<std::string>& arguments, const std::string& written) {
    return RunReport(arguments, written, ReadDatabaseRecords);
}

RunResult RunReport(const std::vector<std::string>& arguments, const std::string& written,
                    const DatabaseReader& readDatabase) {
    RunResult result;
    const std::string nl = os::kLineBreak;
    const ParsedOptions parsed = ParseOptions(arguments);
    if (!parsed.error.empty()) {
        result.exitCode = kBadArguments;
        result.errors = "romtool-report: " + parsed.error + nl + kUsage;
    } else if (parsed.options.help) {
        result.output = kUsage;
    } else {
        try {
            Report(parsed.options, written, readDatabase, result);
        } catch (const std::exception& error) {
            // Nothing the records hold ends up here; a machine out of memory or a share gone
            // mid-way may.
            result.exitCode = kFailed;
            result.errors += std::string("romtool-report: stopped: ") + error.what() + nl;
        }
    }
    return result;
}

}  // namespace report
