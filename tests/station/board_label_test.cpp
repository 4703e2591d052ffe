// The board's label: what is refused and why, how it is recorded (a spreadsheet never runs it,
// the CSV keeps one row per press), a press with a label at the station and through the form.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "csv_reader.h"
#include "platform/paths.h"
#include "record/csv.h"
#include "record/production_record.h"
#include "record/record_columns.h"
#include "station/press/board_label.h"
#include "station/press/station.h"
#include "station_fixture.h"

using namespace station;

using record::Column;
using record::IndexOf;
using ::testing::HasSubstr;

namespace {

constexpr char kLabelOn[] = "[trace]\r\nlabel=yes\r\n";

TEST(BoardLabel, IsJudgedAndRecordedSoThatNeitherTheRecordNorASpreadsheetMisreadsIt) {
    struct Case {
        std::string scanned;
        const char* pattern;
        bool repeatAllowed;
        const char* refusal;   // a part of the reason; "" when accepted
        const char* recorded;  // the field's text, when accepted
    };
    const std::string chinese64 = [] {
        std::string text;
        for (int i = 0; i < 64; ++i) {
            text += "板";
        }
        return text;
    }();
    const Case cases[] = {
        {"", "", false, "请先扫描", ""},
        {"   ", "", false, "请先扫描", ""},
        {" PCB-00000001 ", "^PCB-[0-9]{8}$", false, "", "PCB-00000001"},
        {"PCB-1", "^PCB-[0-9]{8}$", false, "label_pattern=^PCB-[0-9]{8}$", ""},
        // A backtracking matcher would not end on this one.
        {std::string(63, 'A') + "!", "^([A-Z0-9]+-?)+$", false, "label_pattern=", ""},
        {std::string(64, 'A'), "", false, "", ""},
        {std::string(65, 'A'), "", false, "65个字符", ""},
        {chinese64, "", false, "", ""},  // characters, not bytes
        {"PCB\t1", "", false, "控制字符", ""},
        {"PCB\x7F", "", false, "控制字符", ""},
        {"PCB\xC2\x85", "", false, "控制字符", ""},  // NEL, a line break to some readers
        {"PCB-REPEATED", "", false, "已于2024-01-02T03:04:05.006在本工位烧写通过", ""},
        {"PCB-REPEATED", "", true, "", "PCB-REPEATED"},
        {"PCB-UNREAD", "", false, "记录文件“2024-01-02.csv”现在无法读取", ""},
        {"PCB-UNREAD", "", true, "", "PCB-UNREAD"},
        {"=HYPERLINK(\"x\")", "", false, "", "'=HYPERLINK(\"x\")"},
        {"+1", "", false, "", "'+1"},
        {"-1", "", false, "", "'-1"},
        {"@SUM(A1)", "", false, "", "'@SUM(A1)"},
        {"'=1", "", false, "", "''=1"},  // never the same field as "=1"
        {"a,b", "", false, "", "a,b"},
        {"a\"b", "", false, "", "a\"b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scanned);
        LabelSettings settings;
        settings.on = true;
        settings.pattern = c.pattern;
        if (!settings.pattern.empty()) {
            settings.matcher = pattern::Compile(settings.pattern).pattern;
        }
        settings.repeatAllowed = c.repeatAllowed;
        const LabelJudgement judged =
            JudgeLabel(c.scanned, settings, [](const std::string& recorded) {
                RecordedPass here;
                if (recorded == "PCB-REPEATED") {
                    here.time = "2024-01-02T03:04:05.006";
                } else if (recorded == "PCB-UNREAD") {
                    here.unreadable = "2024-01-02.csv";
                }
                return here;
            });
        EXPECT_EQ(judged.Accepted(), *c.refusal == '\0') << judged.refusal;
        EXPECT_THAT(judged.refusal, HasSubstr(c.refusal));
        if (judged.Accepted() && *c.recorded != '\0') {
            EXPECT_EQ(record::RecordedLabel(judged.label), c.recorded);
        }
        if (judged.Accepted()) {
            // One row, its last field the recorded label, whatever the label holds.
            record::ProductionRecord row;
            row.boardLabel = judged.label;
            const test_support::CsvRows rows = test_support::ReadCsv(record::CsvRow(row));
            ASSERT_EQ(rows.size(), 1u);
            ASSERT_EQ(rows[0].size(), record::kStationColumns);
            EXPECT_EQ(rows[0][IndexOf(Column::kBoardLabel)], record::RecordedLabel(judged.label));
        }
    }
}

// The factory's database is asked only of a label this station's records have no PASS of, and
// only when repeats are refused; a PASS elsewhere refuses it naming the station, and a database
// that cannot say leaves the decision to the station's records with a note for the log.
TEST(BoardLabel, TheFactoryDatabaseRefusesALabelPassedElsewhereAndNeverDecidesWithoutAnAnswer) {
    using Kind = database::LabelAnswer::Kind;
    struct Case {
        bool passedHere;
        Kind database;
        bool repeatAllowed;
        bool asked;             // the database was asked
        const char* refusal;    // a part of the reason; "" when accepted
        const char* note;       // a part of the log's note; "" when none
        bool required = false;  // label_database=required: no label without an answer
    };
    const Case cases[] = {
        {true, Kind::kPassed, false, false, "在本工位烧写通过", ""},
        {true, Kind::kNoAnswerInTime, false, false, "在本工位烧写通过", ""},
        {false, Kind::kPassed, false, true, "已于2024-03-05T08:00:01.000在工位L3-S02烧写通过", ""},
        {false, Kind::kNotPassed, false, true, "", ""},
        {false, Kind::kNoDatabase, false, true, "", ""},
        {false, Kind::kNoAnswerInTime, false, true, "", "数据库3秒内没有回答"},
        {false, Kind::kNoProcedure, false, true, "", "数据库中没有romtool.label_passed"},
        {false, Kind::kFailed, false, true, "", "数据库未能回答标签“PCB-7”是否已在其他工位"},
        {false, Kind::kPassed, true, false, "", ""},
        {true, Kind::kPassed, true, false, "", ""},
        {false, Kind::kNotPassed, false, true, "", "", true},
        {false, Kind::kPassed, false, true, "在工位L3-S02烧写通过", "", true},
        {false, Kind::kNoAnswerInTime, false, true,
         "数据库3秒内没有回答标签“PCB-7”是否已在其他工位烧写通过，不能烧写", "", true},
        {false, Kind::kNoProcedure, false, true, "数据库中没有romtool.label_passed", "", true},
        {false, Kind::kFailed, false, true, "（connection refused），不能烧写", "", true},
        {false, Kind::kNoDatabase, false, true, "config.ini中没有[database]", "", true},
        {false, Kind::kNoAnswerInTime, true, false, "", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.database)) + (c.passedHere ? " here" : "") +
                     (c.repeatAllowed ? " repeat" : "") + (c.required ? " required" : ""));
        LabelSettings settings;
        settings.on = true;
        settings.repeatAllowed = c.repeatAllowed;
        settings.databaseRequired = c.required;
        bool asked = false;
        const LabelJudgement judged = JudgeLabel(
            "PCB-7", settings,
            [&](const std::string&) {
                return c.passedHere ? std::optional<std::string>("2024-01-02T03:04:05.006")
                                    : std::nullopt;
            },
            [&](const std::string& recorded) {
                asked = true;
                EXPECT_EQ(recorded, "PCB-7");
                database::LabelAnswer answer;
                answer.kind = c.database;
                answer.station = "L3-S02";
                answer.time = "2024-03-05T08:00:01.000";
                answer.detail = "connection refused";
                answer.seconds = 3;
                return answer;
            });
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(judged.Accepted(), *c.refusal == '\0') << judged.refusal;
        EXPECT_THAT(judged.refusal, HasSubstr(c.refusal));
        EXPECT_EQ(judged.databaseNote.empty(), *c.note == '\0') << judged.databaseNote;
        EXPECT_THAT(judged.databaseNote, HasSubstr(c.note));
    }
}

class LabelledStation : public StationTest {
protected:
    void SetUp() override {
        auto& folder = Station();
        folder.Write("config.ini", folder.Read("config.ini") + kLabelOn);
    }
    std::string RecordFile(const std::string& name) const {
        return "logs" + std::string(1, os::kPathSeparator) + name;
    }
};

// The station without a window: a label goes into its row and the log; a label that passed here
// on an earlier day, or in this session, is no press at all: no tool runs, no row.
TEST_F(LabelledStation, RecordsTheLabelAndRefusesOneThatPassedHereBefore) {
    station_->Write(RecordFile("2020-01-01.csv"),
                    std::string(record::kByteOrderMark) + record::CsvHeader() +
                        "2020-01-01T08:00:00.000,Romtool,,,,,no,PASS,0,1,no,0,,,,,PCB-OLD\r\n" +
                        "2020-01-01T08:01:00.000,Other,,,,,no,PASS,0,1,no,0,,,,,PCB-OTHER\r\n");
    QuietEvents events;
    station::Station station(station_->Path() + kExecutableName, [] {});
    station.Init(true, events);
    struct Press {
        const char* label;
        const char* verdict;  // "" when refused
    };
    const Press presses[] = {
        {"=PCB-1,\"x\"", "PASS"}, {"=PCB-1,\"x\"", ""}, {"PCB-OLD", ""}, {"PCB-OTHER", "PASS"}};
    std::size_t rows = 1;
    for (const Press& press : presses) {
        SCOPED_TRACE(press.label);
        const std::size_t callsBefore = ToolCalls().size();
        const PressOutcome outcome = station.Press(true, events, press.label);
        EXPECT_EQ(outcome.verdict.caption, press.verdict);
        if (*press.verdict == '\0') {
            EXPECT_THAT(outcome.labelRefusal, HasSubstr("在本工位烧写通过"));
            EXPECT_EQ(ToolCalls().size(), callsBefore);
            EXPECT_THAT(Log(), HasSubstr(ErrorLine("标签未被接受：" + outcome.labelRefusal)));
            continue;
        }
        EXPECT_EQ(outcome.row.boardLabel, press.label);
        ASSERT_EQ(RecordRows().size(), ++rows);
        EXPECT_EQ(RecordRows().back()[IndexOf(Column::kBoardLabel)],
                  record::RecordedLabel(press.label));
    }
    // The label is logged before the press's verdict text.
    const std::string log = Log();
    EXPECT_LT(log.find(InfoLine("LABEL==PCB-1,\"x\"")), log.find("Verify OK"));
}

// A label key set wrongly stops the station as any [trace] key does: nothing is programmed with
// a pattern nobody can apply.
TEST_F(LabelledStation, AKeySetWronglyStopsTheStation) {
    const std::string config = station_->Read("config.ini");
    const std::pair<std::string, std::string> settings[] = {
        {"label_pattern=^PCB-[0-9", "不是正确的正则表达式（缺少“]”）"},
        {"label_pattern=^(PCB)-\\1$", "不是正确的正则表达式（不支持反向引用“\\1”）"},
        {"label_pattern=^PCB(?!-0)", "不是正确的正则表达式（不支持先行断言“(?!”）"},
        {"label_repeat=sometimes", "不是yes或no"},
        {"label_database=sometimes", "不是required或optional"},
        {"label.Romtool=maybe", "不是yes或no"}};
    for (const auto& [setting, why] : settings) {
        SCOPED_TRACE(setting);
        station_->Write("config.ini", config + setting + "\r\n");
        TRomForm& form = Shown();
        EXPECT_EQ(view_.verdict, "FAIL");
        EXPECT_EQ(form.State().Error_Code, 114);
        EXPECT_THAT(view_.memo, HasSubstr("config.ini的[trace]中" + setting + why));
        EXPECT_FALSE(view_.labelVisible);
        form_.reset();
    }
}

// Through the form: the field shows and has the focus when the station is Ready; a refused label
// stays for the operator with the reason, selected so that the scanner's next label replaces it;
// a press that ran empties it.
TEST_F(LabelledStation, TheFormKeepsARefusedLabelAndEmptiesTheFieldAfterAPress) {
    auto& folder = *station_;
    folder.Write("config.ini", folder.Read("config.ini") + "label_pattern=^PCB-[0-9]+$\r\n");
    TRomForm& form = Shown();
    EXPECT_TRUE(view_.labelVisible);
    EXPECT_EQ(view_.verdict, "Ready");
    const int focused = view_.labelFocused;
    EXPECT_GT(focused, 0);

    view_.label = "PCB-X";
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.label, "PCB-X");
    EXPECT_TRUE(view_.labelSelected);
    EXPECT_THAT(view_.memo, HasSubstr("label_pattern"));
    EXPECT_GT(view_.labelFocused, focused);
    EXPECT_TRUE(RecordRows().empty());  // no row, not even a file
    EXPECT_TRUE(CallsAfterTheChecks().empty());

    for (const char* standIn : {"", "verify=fail\n"}) {
        station_->SetStandIn(standIn);
        view_.label = *standIn ? "PCB-2" : "PCB-1";
        form.Handle(&TRomForm::Button_StartClick);
        EXPECT_EQ(view_.verdict, *standIn ? "FAIL" : "PASS");
        EXPECT_EQ(view_.label, "");
    }
    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][IndexOf(Column::kBoardLabel)], "PCB-1");
    EXPECT_EQ(rows[2][IndexOf(Column::kBoardLabel)], "PCB-2");
}

}  // namespace
