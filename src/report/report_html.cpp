#include "report/report_html.h"

#include "report/chart_data.h"
#include "report/database_source.h"
#include "report/embedded.h"
#include "report/error_meanings.h"
#include "report/record_reader.h"
#include "report/report_text.h"

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

// The numbers of a row of a station's table, after its first cell; the all-days row leaves the
// cycle times empty.
std::string DayCells(const StationDayRow& row, bool withCycles) {
    return Cell(row.presses) + Cell(row.boards) + Cell(row.pass) + Cell(row.fail) +
           Cell(Percent(row.firstPassBoards, row.boards)) +
           Cell(Percent(row.finalPassBoards, row.boards)) +
           Cell(withCycles ? Seconds(row.medianMs) : "") +
           Cell(withCycles ? Seconds(row.p95Ms) : "") +
           Cell(OneDecimal(row.boards, row.activeHours));
}

void AddTo(StationDayRow& total, const StationDayRow& row) {
    total.presses += row.presses;
    total.boards += row.boards;
    total.pass += row.pass;
    total.fail += row.fail;
    total.firstPassBoards += row.firstPassBoards;
    total.finalPassBoards += row.finalPassBoards;
    total.activeHours += row.activeHours;
}

// One station's table: a row per day (rows[at...] while they are the station's), then all days.
// Returns where the next station's rows start.
std::size_t StationTable(const Station& station, std::uint32_t index,
                         const std::vector<StationDayRow>& rows, std::size_t at,
                         std::string& html) {
    html += "<h3>" + HtmlEscaped(station.title) + " <span class=\"folder\">" +
            HtmlEscaped(station.folder) + "</span></h3>\n";
    html += "<table class=\"days\" data-title=\"" + HtmlEscaped(station.title) +
            "\"><thead><tr><th>day</th><th class=\"n\">presses</th><th class=\"n\">boards</th>"
            "<th class=\"n\">PASS</th><th class=\"n\">FAIL</th>"
            "<th class=\"n\">first-pass yield %</th><th class=\"n\">final yield %</th>"
            "<th class=\"n\">median cycle</th><th class=\"n\">95th percentile cycle</th>"
            "<th class=\"n\">boards per hour</th></tr></thead>\n<tbody>\n";
    StationDayRow total;
    for (; at < rows.size() && rows[at].station == index; ++at) {
        html += "<tr><td>" + DayText(rows[at].day) + "</td>" + DayCells(rows[at], true) + "</tr>\n";
        AddTo(total, rows[at]);
    }
    html += "</tbody>\n<tfoot><tr><th>all days</th>" + DayCells(total, false) +
            "</tr></tfoot></table>\n";
    return at;
}

void StationTables(const Tally& tally, std::string& html) {
    html += "<h2>Stations and days</h2>\n";
    const std::vector<StationDayRow> rows = tally.Rows();
    std::size_t at = 0;
    for (const std::uint32_t s : tally.StationOrder()) {
        at = StationTable(tally.Stations()[s], s, rows, at, html);
    }
}

// Every station's fixtures over all days; a one-fixture station is one row with an empty fixture.
void FixtureTable(const Tally& tally, std::string& html) {
    html +=
        "<h2 id=\"fixtures\">Yield per fixture</h2>\n<table id=\"fixture-yield\"><thead><tr>"
        "<th>station</th><th>fixture</th><th class=\"n\">presses</th>"
        "<th class=\"n\">boards</th><th class=\"n\">first-pass yield %</th></tr></thead>"
        "<tbody>\n";
    for (const FixtureYield& row : tally.FixtureRows()) {
        html += "<tr>" + StationCell(tally, row.station) + Cell(row.fixture, false) +
                Cell(row.presses) + Cell(row.boards) +
                Cell(Percent(row.firstPassBoards, row.boards)) + "</tr>\n";
    }
    html += "</tbody></table>\n";
}

// The shape every list shares: its heading, then either a note that it is empty or a table of
// its first entries (each written by row) and, when cut, how many there are.
struct ListSection {
    const char* id;  // the heading's
    const char* heading;
    const char* tableId;
    const char* columns;  // the header row's cells
};

template <typename Items, typename WriteRow>
void WriteList(const ListSection& list, const Items& items, std::uint64_t total,
               const std::string& emptyNote, WriteRow row, std::string& html) {
    html += std::string("<h2 id=\"") + list.id + "\">" + list.heading + "</h2>\n";
    if (total == 0) {
        html += "<p class=\"empty\">" + emptyNote + "</p>\n";
        return;
    }
    html += std::string("<table id=\"") + list.tableId + "\"><thead><tr>" + list.columns +
            "</tr></thead><tbody>\n";
    for (const auto& item : items) {
        html += row(item);
    }
    html += "</tbody></table>\n" + Cut(items.size(), total);
}

void RepeatedBoardList(const Tally& tally, std::string& html) {
    static constexpr ListSection kList{
        "repeated", "Boards programmed more than once", "repeated-boards",
        "<th>chip ID</th><th class=\"n\">presses</th><th class=\"n\">PASS</th><th>first</th>"
        "<th>last</th><th>stations</th>"};
    const std::string empty = tally.ChipIds() == 0
                                  ? "No chip IDs recorded (device_id)."
                                  : "None: every chip ID was pressed once (" +
                                        std::to_string(tally.ChipIds()) + " chip IDs).";
    WriteList(
        kList, tally.RepeatedBoards(), tally.RepeatedBoardCount(), empty,
        [&](const auto& entry) {
            const RepeatedBoard& board = entry.second;
            std::string stations;
            for (const std::uint32_t s : board.stations) {
                stations += (stations.empty() ? "" : "; ") + StationLabel(tally.Stations()[s]);
            }
            return "<tr><td>" + DeviceIdText(board.id) + "</td>" + Cell(board.presses) +
                   Cell(board.passes) + Cell(MinuteText(board.firstMinute), false) +
                   Cell(MinuteText(board.lastMinute), false) + Cell(stations, false) + "</tr>\n";
        },
        html);
}

void SerialLists(const Tally& tally, std::string& html) {
    static constexpr ListSection kVoided{
        "voided", "Serial numbers voided", "voided-serials",
        "<th class=\"n\">serial number</th><th>time</th><th>station</th>"
        "<th class=\"n\">error code</th>"};
    WriteList(
        kVoided, tally.Voided().items, tally.Voided().total, "None.",
        [&](const VoidedSerial& v) {
            return "<tr>" + Cell(v.serial) + Cell(v.time, false) + StationCell(tally, v.station) +
                   Cell(CodeText(v.errorCode)) + "</tr>\n";
        },
        html);
    static constexpr ListSection kOutOfOrder{
        "out-of-order", "Serial numbers out of order", "serials-out-of-order",
        "<th class=\"n\">serial number</th><th class=\"n\">after</th><th>time</th>"
        "<th>station</th>"};
    WriteList(
        kOutOfOrder, tally.OutOfOrder().items, tally.OutOfOrder().total,
        "None: each station's numbers rose from press to press.",
        [&](const SerialOutOfOrder& o) {
            return "<tr>" + Cell(o.serial) + Cell(o.previous) + Cell(o.time, false) +
                   StationCell(tally, o.station) + "</tr>\n";
        },
        html);
}

void BadRowList(const Tally& tally, std::string& html) {
    static constexpr ListSection kList{"unread", "Rows it could not read", "bad-rows",
                                       "<th>file</th><th class=\"n\">line</th><th>why</th>"};
    WriteList(
        kList, tally.BadRows().items, tally.BadRows().total, "None.",
        [](const BadRow& row) {
            return "<tr>" + Cell(row.path, false) + Cell(LineText(row)) + Cell(row.reason, false) +
                   "</tr>\n";
        },
        html);
}

constexpr char kTerms[] = R"(<h2>What the numbers mean</h2>
<dl class="terms">
<dt>press</dt><dd>one row of a record: one press of the start button, PASS or FAIL.</dd>
<dt>board</dt><dd>a chip ID (device_id) where the row records one; a press without one (a record
from before chip IDs, or a press that failed before the chip was read) counts as a board of its own.</dd>
<dt>first-pass yield</dt><dd>of a station's boards of the day, the share whose first press that day passed.</dd>
<dt>final yield</dt><dd>of the same boards, the share whose last press that day passed.</dd>
<dt>yield per fixture</dt><dd>the first-pass yield of each fixture of a station (the record's fixture column),
a board's first press of the day at that fixture counting; a station of one fixture is one row without a name.</dd>
<dt>cycle time</dt><dd>run_ms of the passing presses: how long the programming run took. Median and 95th
percentile by nearest rank: the smallest time that half (95 %) of the day's passing runs do not exceed.</dd>
<dt>boards per hour</dt><dd>boards divided by the clock hours of the day in which the station pressed at least once.</dd>
<dt>voided serial number</dt><dd>the number a FAIL row records: reserved for the board, not issued.</dd>
<dt>out of order</dt><dd>a row whose serial number is not above the highest one its station recorded before.</dd>
</dl>
)";

void Head(std::string& html) {
    html +=
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
        "script-src 'unsafe-inline'; style-src 'unsafe-inline'; img-src data:\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Production report</title>\n<style>\n";
    html.append(kReportCss, kReportCssSize);
    html += "</style>\n</head>\n<body>\n<h1>Production report</h1>\n";
}

// ", first to last" of the days in the table; "" for none.
std::string DaySpan(const std::vector<StationDayRow>& rows) {
    if (rows.empty()) {
        return "";
    }
    Day first = rows.front().day, last = rows.front().day;
    for (const StationDayRow& row : rows) {
        first = row.day < first ? row.day : first;
        last = last < row.day ? row.day : last;
    }
    return ", " + DayText(first) + " to " + DayText(last);
}

// The line's totals, what was read, and when the page was written.
void Summary(const Tally& tally, const PageInfo& info, std::string& html) {
    const std::vector<StationDayRow> rows = tally.Rows();
    std::uint64_t pass = 0, fail = 0;
    for (const StationDayRow& row : rows) {
        pass += row.pass;
        fail += row.fail;
    }
    html += "<p id=\"summary\">" + std::to_string(tally.Presses()) + " presses (" +
            std::to_string(pass) + " PASS, " + std::to_string(fail) + " FAIL) at " +
            std::to_string(tally.Stations().size()) + " stations" + DaySpan(rows);
    html += "; " + HtmlEscaped(info.source) +
            "; rows it could not read: " + std::to_string(tally.BadRows().total) + ".</p>\n";
    html += "<p class=\"made\">Written " + HtmlEscaped(info.written) + " by romtool-report" +
            (info.range.empty() ? "" : ", " + HtmlEscaped(info.range)) + ".</p>\n";
}

// The charts' places; the page's script draws them from the data Scripts writes.
void Charts(std::string& html) {
    html += "<noscript><p>The charts need JavaScript; the tables below do not.</p></noscript>\n";
    html += "<div class=\"charts\">\n";
    html += Chart("chart-hours", "Presses per hour of the day, all days");
    html += Chart("chart-failures", "Failures by code (Pareto)");
    html += Chart("chart-cycle", "Cycle time of passing runs");
    html += Chart("chart-yield", "Yield per station");
    html += Chart("chart-fixtures", "First-pass yield per fixture");
    html += "</div>\n<p id=\"chart-check\" data-charts=\"5\" data-drawn=\"0\"></p>\n";
}

// The charts' data, Chart.js and the page's script, and the page's end.
void Scripts(const Tally& tally, std::string& html) {
    html += "<script type=\"application/json\" id=\"report-data\">" + ChartDataJson(tally) +
            "</script>\n<script>\n";
    html.append(kChartJs, kChartJsSize);
    html += "\n</script>\n<script>\n";
    html.append(kReportJs, kReportJsSize);
    html += "</script>\n</body>\n</html>\n";
}

}  // namespace

std::string ReportHtml(const Tally& tally, const PageInfo& info) {
    std::string html;
    html.reserve(kChartJsSize + 64 * 1024);
    Head(html);
    Summary(tally, info, html);
    Charts(html);
    StationTables(tally, html);
    FixtureTable(tally, html);
    RepeatedBoardList(tally, html);
    SerialLists(tally, html);
    BadRowList(tally, html);
    html += kTerms;
    Scripts(tally, html);
    return html;
}

}  // namespace report
