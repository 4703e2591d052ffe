// Every press of the start button leaves one row in the day's production record.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "csv_reader.h"
#include "integrity/checksum.h"
#include "log4me/log4me.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "record/production_record.h"
#include "record/record_columns.h"
#include "station_fixture.h"

using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace {

const std::string kSep(1, os::kPathSeparator);
constexpr char kSerials[] = "serial=682123456,682000001\n";

struct PressCase {
    const char* name;
    const char* standIn;                                 // rehearsal faults besides the serials
    void (*breakStation)(test_support::StationFolder&);  // after the first refresh
    const char* verdict;
    const char* errorCode;
    bool probeRan;
    bool checksumCompared;
    const char* timedOut;  // "" when the programming did not run

    friend void PrintTo(const PressCase& c, std::ostream* out) { *out << c.name; }
};

void Intact(test_support::StationFolder&) {}

// An image that opens but cannot be read.
void BreakImageRead(test_support::StationFolder& s) {
    const auto image = std::filesystem::u8path(s.ImagePath());
    std::filesystem::remove(image);
    std::filesystem::create_symlink("/proc/self/mem", image);
}

// A whole number, optionally negative (gtest's regular expressions on Windows know no classes).
bool IsNumber(const std::string& text) {
    const std::size_t digits = text.rfind('-', 0) == 0 ? 1 : 0;
    return text.size() > digits &&
           text.find_first_not_of("0123456789", digits) == std::string::npos;
}

class PressRecord : public StationTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(PressRecord, HoldsTheFieldsThePressLeft) {
    const PressCase& c = GetParam();
    if (c.breakStation == BreakImageRead && os::kPathSeparator == '\\') {
        GTEST_SKIP() << "an image that opens but cannot be read is made with /proc";
    }
    auto& station = Station();
    station.SetStandIn(std::string(kSerials) + c.standIn);
    station.PinProbe("682123456");
    RunLimits limits;
    limits.programming = std::chrono::seconds(1);
    TRomForm& form = Shown(limits);
    EXPECT_EQ(RecordRows().size(), 0u) << "a refresh is not a press";
    c.breakStation(station);
    form.Handle(&TRomForm::Button_StartClick);

    const test_support::CsvRows rows = RecordRows();
    ASSERT_EQ(rows.size(), 2u);
    const std::vector<std::string>& row = rows[1];
    ASSERT_EQ(row.size(), record::kStationColumns);
    EXPECT_THAT(row[0], MatchesRegex("....-..-..T..:..:..\\....")) << row[0];
    EXPECT_EQ(row[1], "Romtool");
    EXPECT_EQ(row[2], station.Path());
    EXPECT_EQ(row[3], c.probeRan ? "682123456;682000001" : "");
    EXPECT_EQ(row[4], station.ImagePath());
    if (c.checksumCompared) {
        EXPECT_EQ(row[5], integrity::FileChecksum(station.ImagePath()));
    } else {
        EXPECT_EQ(row[5], "");
    }
    EXPECT_EQ(row[6], "yes");
    EXPECT_EQ(row[7], c.verdict);
    EXPECT_EQ(row[8], c.errorCode);
    EXPECT_EQ(row[10], c.timedOut);
    if (*c.timedOut) {
        EXPECT_TRUE(IsNumber(row[9])) << row[9];
        EXPECT_TRUE(IsNumber(row[11])) << row[11];  // recorded, never judged
    } else {
        EXPECT_EQ(row[9], "");
        EXPECT_EQ(row[11], "");
    }
    EXPECT_EQ(row[12], c.probeRan ? "682123456" : "");
    EXPECT_TRUE(view_.startEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Presses, PressRecord,
    ::testing::Values(
        PressCase{"Pass", "", Intact, "PASS", "0", true, true, "no"},
        // The last refresh's probe output is not this press's: the query never ran.
        PressCase{"ToolMissing", "",
                  [](test_support::StationFolder& s) { os::RemoveFile(s.ToolPath()); }, "FAIL",
                  "101", false, false, ""},
        PressCase{"ChecksumFileMissing", "",
                  [](test_support::StationFolder& s) { os::RemoveFile(s.ChecksumPath()); }, "FAIL",
                  "104", true, false, ""},
        PressCase{"ChecksumMismatch", "",
                  [](test_support::StationFolder& s) {
                      s.Write("merge.crc", "00000000000000000000000000000000");
                  },
                  "FAIL", "105", true, true, ""},
        PressCase{"VerifyFails", "verify=fail\n", Intact, "FAIL", "107", true, true, "no"},
        PressCase{"RunAtItsLimit", "hang=program\n", Intact, "FAIL", "107", true, true, "yes"},
        // An image that opens but cannot be read ends the press with an error box.
        PressCase{"ErrorEndsThePress", "", BreakImageRead, "FAIL", "", true, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
