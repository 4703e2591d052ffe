// Finding production records: every "yyyy-mm-dd.csv" under the folders and files given, in an
// order that does not depend on the platform's path separator.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "report/day.h"

namespace report {

struct RecordFile {
    std::string path;  // as found: the given path, then the names below it
    Day day;           // the day its name says
};

struct SearchResult {
    std::vector<RecordFile> files;     // by day, then in the order they were found
    std::vector<std::string> missing;  // given paths that are neither a file nor a folder
};

// The records under paths within [from, to] (either bound may be absent). A folder is searched
// with every folder below it, each folder's entries by name (byte order); links to folders (and
// on Windows junctions) are not followed, so a walk cannot loop. A path given as a file counts
// when its name is a record's name.
SearchResult FindRecords(const std::vector<std::string>& paths, std::optional<Day> from,
                         std::optional<Day> to);

// The day a record's file name stands for ("2024-03-05.csv"); none for any other name.
std::optional<Day> RecordDay(std::string_view name);

}  // namespace report
