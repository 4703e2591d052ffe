// The report as one self-contained HTML page: the charts (Chart.js from Debian's libjs-chart.js,
// inlined), a table per station and day, and the lists. It opens offline in any browser; its
// Content-Security-Policy forbids it to load anything.
#pragma once

#include <cstddef>
#include <string>

#include "report/tally.h"

namespace report {

struct PageInfo {
    std::string written;  // when the report was written, "yyyy-mm-dd hh:mm"
    std::string source;   // what was read: "N record files", or the database
    std::string range;    // "--from ... --to ..." as asked, "" for all days
};

// The page. Everything from the records is escaped for HTML, and for JSON inside <script>.
std::string ReportHtml(const Tally& tally, const PageInfo& info);

}  // namespace report
