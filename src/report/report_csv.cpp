#include "report/report_csv.h"

#include "record/csv.h"
#include "report/report_text.h"

namespace report {

std::string TableCsv(const Tally& tally) {
    std::string out =
        "title,station_folder,day,presses,boards,pass,fail,first_pass_yield_pct,final_yield_pct,"
        "cycle_median_ms,cycle_p95_ms,boards_per_hour\r\n";
    for (const StationDayRow& row : tally.Rows()) {
        const Station& station = tally.Stations()[row.station];
        record::AppendCsvField(out, station.title);
        out += ',';
        record::AppendCsvField(out, station.folder);
        const std::string fields[] = {
            DayText(row.day),
            std::to_string(row.presses),
            std::to_string(row.boards),
            std::to_string(row.pass),
            std::to_string(row.fail),
            Percent(row.firstPassBoards, row.boards),
            Percent(row.finalPassBoards, row.boards),
            Milliseconds(row.medianMs),
            Milliseconds(row.p95Ms),
            OneDecimal(row.boards, row.activeHours),
        };
        for (const std::string& field : fields) {
            out += ',';
            out += field;
        }
        out += "\r\n";
    }
    return out;
}

std::string FixtureCsv(const Tally& tally) {
    std::string out = "title,station_folder,fixture,presses,boards,first_pass_yield_pct\r\n";
    for (const FixtureYield& row : tally.FixtureRows()) {
        const Station& station = tally.Stations()[row.station];
        const std::string fields[] = {
            station.title,
            station.folder,
            row.fixture,
            std::to_string(row.presses),
            std::to_string(row.boards),
            Percent(row.firstPassBoards, row.boards),
        };
        out += record::RowText(fields);
    }
    return out;
}

}  // namespace report
