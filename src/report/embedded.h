// Files the report carries in itself (cmake/EmbedFiles.cmake writes them at build time): Chart.js
// from Debian's libjs-chart.js, and the page's own style and script (page/). Each array ends in a
// zero that its size does not count.
#pragma once

#include <cstddef>

namespace report {

extern const char kChartJs[];
extern const std::size_t kChartJsSize;
extern const char kReportCss[];
extern const std::size_t kReportCssSize;
extern const char kReportJs[];
extern const std::size_t kReportJsSize;

}  // namespace report
