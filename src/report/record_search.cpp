#include "report/record_search.h"

#include <algorithm>
#include <set>

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/paths.h"

namespace report {

namespace {

struct Found {
    RecordFile file;
    std::size_t order;  // the walk's order
};

void Walk(const std::string& folder, std::optional<Day> from, std::optional<Day> to,
          std::vector<Found>& found) {
    std::vector<os::FolderEntry> entries = os::FolderEntries(folder);
    std::sort(entries.begin(), entries.end(),
              [](const os::FolderEntry& a, const os::FolderEntry& b) { return a.name < b.name; });
    const std::string prefix =
        !folder.empty() && os::IsFolderBreak(folder.back()) ? folder : folder + os::kPathSeparator;
    for (const os::FolderEntry& entry : entries) {
        if (entry.isFolder) {
            if (!entry.isLink) {
                Walk(prefix + entry.name, from, to, found);
            }
            continue;
        }
        const auto day = RecordDay(entry.name);
        if (day && (!from || *from <= *day) && (!to || *day <= *to)) {
            found.push_back({{prefix + entry.name, *day}, found.size()});
        }
    }
}

}  // namespace

std::optional<Day> RecordDay(std::string_view name) {
    if (name.size() != 14 || name.substr(10) != ".csv") {
        return std::nullopt;
    }
    return ParseDay(name.substr(0, 10));
}

SearchResult FindRecords(const std::vector<std::string>& paths, std::optional<Day> from,
                         std::optional<Day> to) {
    SearchResult result;
    std::vector<Found> found;
    for (const std::string& path : paths) {
        if (os::FolderExists(path)) {
            Walk(path, from, to, found);
        } else if (os::FileExists(path)) {
            const auto day = RecordDay(os::NamePart(path));
            if (day && (!from || *from <= *day) && (!to || *day <= *to)) {
                found.push_back({{path, *day}, found.size()});
            }
        } else {
            result.missing.push_back(path);
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.file.day < b.file.day; });
    std::set<std::string> seen;  // a file reached twice (a folder and a folder in it) counts once
    for (Found& f : found) {
        if (seen.insert(f.file.path).second) {
            result.files.push_back(std::move(f.file));
        }
    }
    return result;
}

}  // namespace report
