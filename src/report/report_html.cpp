#include "report_html.h"

#include "chart_data.h"
#include "database_source.h"
#include "embedded.h"
#include "error_meanings.h"
#include "record_reader.h"
#include "report_text.h"

namespace report {

namespace {

std::string Cell(const std::string& text, bool number = true) {
    return std::string(number ? "<td class=\"n\">" : "<td>") + HtmlEscaped(text) + "</td>";
}
std::string Cell(std::uint64_t value) {
    return Cell(std::to_string(value));
}

std::string MinuteText(std::uint32_t minute) {
    const std::uint32_t inDay = minute % 1440;
    const std::string hh = (inDay / 60 < 10 ? "0" : "") + std::to_string(inDay / 60);
    const std::string mm = (inDay % 60 < 10 ? "0" : "") + std::to_string(inDay % 60);
    return DayText(Day{static_cast<std::int32_t>(minute / 1440)}) + " " + hh + ":" + mm;
}

std::string StationCell(const Tally& tally, std::uint32_t station) {
    return Cell(StationLabel(tally.Stations()[station]), false);
}

std::string CodeText(int code) {
    return code == kNoCode ? "none" : std::to_string(code);
}

// A bad row's line; 0 is the whole file, or a database row without a readable id.
std::string LineText(const BadRow& row) {
    if (row.line != 0) {
        return std::to_string(row.line);
    }
    return row.path == kDatabaseSource ? "" : "whole file";
}

std::string Chart(const char* id, const char* title) {
    return std::string("<div class=\"chart\"><h2>") + title +
           "</h2><div class=\"area\"><canvas id=\"" + id + "\"></canvas></div></div>\n";
}

// "(showing the first 1000 of N)" when a list was cut.
template <typename T>
std::string Cut(std::size_t shown, T total) {
    return shown < total ? "<p class=\"note\">The first " + std::to_string(shown) + " of " +
                               std::to_string(total) + ".</p>\n"
                         : "";
}

void StationTables(const Tally& tally, std::string& html) {
    html += "<h2>Stations and days</h2>\n";
    const std::vector<DayRow> rows = tally.Rows();
    std::size_t at = 0;
    for (const std::uint32_t s : tally.StationOrder()) {
        const Station& station = tally.Stations()[s];
        html += "<h3>" + HtmlEscaped(station.title) + " <span class=\"folder\">" +
                HtmlEscaped(station.folder) + "</span></h3>\n";
        html += "<table class=\"days\" data-title=\"" + HtmlEscaped(station.title) +
                "\"><thead><tr><th>day</th><th class=\"n\">presses</th><th class=\"n\">boards</th>"
                "<th class=\"n\">PASS</th><th class=\"n\">FAIL</th>"
                "<th class=\"n\">first-pass yield %</th><th class=\"n\">final yield %</th>"
                "<th class=\"n\">median cycle</th><th class=\"n\">95th percentile cycle</th>"
                "<th class=\"n\">boards per hour</th></tr></thead>\n<tbody>\n";
        DayRow total;
        for (; at < rows.size() && rows[at].station == s; ++at) {
            const DayRow& row = rows[at];
            html += "<tr><td>" + DayText(row.day) + "</td>" + Cell(row.presses) + Cell(row.boards) +
                    Cell(row.pass) + Cell(row.fail) +
                    Cell(Percent(row.firstPassBoards, row.boards)) +
                    Cell(Percent(row.finalPassBoards, row.boards)) + Cell(Seconds(row.medianMs)) +
                    Cell(Seconds(row.p95Ms)) + Cell(OneDecimal(row.boards, row.activeHours)) +
                    "</tr>\n";
            total.presses += row.presses;
            total.boards += row.boards;
            total.pass += row.pass;
            total.fail += row.fail;
            total.firstPassBoards += row.firstPassBoards;
            total.finalPassBoards += row.finalPassBoards;
            total.activeHours += row.activeHours;
        }
        html += "</tbody>\n<tfoot><tr><th>all days</th>" + Cell(total.presses) +
                Cell(total.boards) + Cell(total.pass) + Cell(total.fail) +
                Cell(Percent(total.firstPassBoards, total.boards)) +
                Cell(Percent(total.finalPassBoards, total.boards)) + Cell("") + Cell("") +
                Cell(OneDecimal(total.boards, total.activeHours)) + "</tr></tfoot></table>\n";
    }
}

void Lists(const Tally& tally, std::string& html) {
    html += "<h2 id=\"repeated\">Boards programmed more than once</h2>\n";
    if (tally.RepeatedBoardCount() == 0) {
        html += tally.ChipIds() == 0 ? "<p class=\"empty\">No chip IDs recorded (device_id).</p>\n"
                                     : "<p class=\"empty\">None: every chip ID was pressed once (" +
                                           std::to_string(tally.ChipIds()) + " chip IDs).</p>\n";
    } else {
        html +=
            "<table id=\"repeated-boards\"><thead><tr><th>chip ID</th><th class=\"n\">"
            "presses</th><th class=\"n\">PASS</th><th>first</th><th>last</th><th>stations"
            "</th></tr></thead><tbody>\n";
        for (const auto& [id, board] : tally.RepeatedBoards()) {
            std::string stations;
            for (const std::uint32_t s : board.stations) {
                stations += (stations.empty() ? "" : "; ") + StationLabel(tally.Stations()[s]);
            }
            html += "<tr><td>" + DeviceIdText(id) + "</td>" + Cell(board.presses) +
                    Cell(board.passes) + Cell(MinuteText(board.firstMinute), false) +
                    Cell(MinuteText(board.lastMinute), false) + Cell(stations, false) + "</tr>\n";
        }
        html +=
            "</tbody></table>\n" + Cut(tally.RepeatedBoards().size(), tally.RepeatedBoardCount());
    }

    html += "<h2 id=\"voided\">Serial numbers voided</h2>\n";
    const auto& voided = tally.Voided();
    if (voided.total == 0) {
        html += "<p class=\"empty\">None.</p>\n";
    } else {
        html +=
            "<table id=\"voided-serials\"><thead><tr><th class=\"n\">serial number</th>"
            "<th>time</th><th>station</th><th class=\"n\">error code</th></tr></thead>"
            "<tbody>\n";
        for (const VoidedSerial& v : voided.items) {
            html += "<tr>" + Cell(v.serial) + Cell(v.time, false) + StationCell(tally, v.station) +
                    Cell(CodeText(v.errorCode)) + "</tr>\n";
        }
        html += "</tbody></table>\n" + Cut(voided.items.size(), voided.total);
    }

    html += "<h2 id=\"out-of-order\">Serial numbers out of order</h2>\n";
    const auto& disorder = tally.OutOfOrder();
    if (disorder.total == 0) {
        html += "<p class=\"empty\">None: each station's numbers rose from press to press.</p>\n";
    } else {
        html +=
            "<table id=\"serials-out-of-order\"><thead><tr><th class=\"n\">serial number</th>"
            "<th class=\"n\">after</th><th>time</th><th>station</th></tr></thead><tbody>\n";
        for (const SerialOutOfOrder& o : disorder.items) {
            html += "<tr>" + Cell(o.serial) + Cell(o.previous) + Cell(o.time, false) +
                    StationCell(tally, o.station) + "</tr>\n";
        }
        html += "</tbody></table>\n" + Cut(disorder.items.size(), disorder.total);
    }

    html += "<h2 id=\"unread\">Rows it could not read</h2>\n";
    const auto& bad = tally.BadRows();
    if (bad.total == 0) {
        html += "<p class=\"empty\">None.</p>\n";
    } else {
        html +=
            "<table id=\"bad-rows\"><thead><tr><th>file</th><th class=\"n\">line</th>"
            "<th>why</th></tr></thead><tbody>\n";
        for (const BadRow& row : bad.items) {
            html += "<tr>" + Cell(row.path, false) + Cell(LineText(row)) + Cell(row.reason, false) +
                    "</tr>\n";
        }
        html += "</tbody></table>\n" + Cut(bad.items.size(), bad.total);
    }
}

constexpr char kTerms[] = R"(<h2>What the numbers mean</h2>
<dl class="terms">
<dt>press</dt><dd>one row of a record: one press of the start button, PASS or FAIL.</dd>
<dt>board</dt><dd>a chip ID (device_id) where the row records one; a press without one (a record
from before chip IDs, or a press that failed before the chip was read) counts as a board of its own.</dd>
<dt>first-pass yield</dt><dd>of a station's boards of the day, the share whose first press that day passed.</dd>
<dt>final yield</dt><dd>of the same boards, the share whose last press that day passed.</dd>
<dt>cycle time</dt><dd>run_ms of the passing presses: how long the programming run took. Median and 95th
percentile by nearest rank: the smallest time that half (95 %) of the day's passing runs do not exceed.</dd>
<dt>boards per hour</dt><dd>boards divided by the clock hours of the day in which the station pressed at least once.</dd>
<dt>voided serial number</dt><dd>the number a FAIL row records: reserved for the board, not issued.</dd>
<dt>out of order</dt><dd>a row whose serial number is not above the highest one its station recorded before.</dd>
</dl>
)";

}  // namespace

std::string ReportHtml(const Tally& tally, const PageInfo& info) {
    std::string html;
    html.reserve(kChartJsSize + 64 * 1024);
    html +=
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Production report</title>\n<style>\n";
    html.append(kReportCss, kReportCssSize);
    html += "</style>\n</head>\n<body>\n<h1>Production report</h1>\n";

    const std::vector<DayRow> rows = tally.Rows();
    std::uint64_t pass = 0, fail = 0;
    for (const DayRow& row : rows) {
        pass += row.pass;
        fail += row.fail;
    }
    html += "<p id=\"summary\">" + std::to_string(tally.Presses()) + " presses (" +
            std::to_string(pass) + " PASS, " + std::to_string(fail) + " FAIL) at " +
            std::to_string(tally.Stations().size()) + " stations";
    if (!rows.empty()) {
        Day first = rows.front().day, last = rows.front().day;
        for (const DayRow& row : rows) {
            first = row.day < first ? row.day : first;
            last = last < row.day ? row.day : last;
        }
        html += ", " + DayText(first) + " to " + DayText(last);
    }
    html += "; " + HtmlEscaped(info.source) +
            "; rows it could not read: " + std::to_string(tally.BadRows().total) + ".</p>\n";
    html += "<p class=\"made\">Written " + HtmlEscaped(info.written) + " by romtool-report" +
            (info.range.empty() ? "" : ", " + HtmlEscaped(info.range)) + ".</p>\n";
    html += "<noscript><p>The charts need JavaScript; the tables below do not.</p></noscript>\n";
    html += "<div class=\"charts\">\n";
    html += Chart("chart-hours", "Presses per hour of the day, all days");
    html += Chart("chart-failures", "Failures by code (Pareto)");
    html += Chart("chart-cycle", "Cycle time of passing runs");
    html += Chart("chart-yield", "Yield per station");
    html += "</div>\n<p id=\"chart-check\" data-charts=\"4\" data-drawn=\"0\"></p>\n";

    StationTables(tally, html);
    Lists(tally, html);
    html += kTerms;

    html += "<script type=\"application/json\" id=\"report-data\">" + ChartDataJson(tally) +
            "</script>\n<script>\n";
    html.append(kChartJs, kChartJsSize);
    html += "\n</script>\n<script>\n";
    html.append(kReportJs, kReportJsSize);
    html += "</script>\n</body>\n</html>\n";
    return html;
}

}  // namespace report
