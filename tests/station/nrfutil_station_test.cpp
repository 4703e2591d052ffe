// The station driving the chip maker's current programmer, nrfutil device, chosen in config.ini:
// the same check, verdicts, logs and record, with the programming run as three steps.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "csv_reader.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "record/production_record.h"
#include "station/check/error_codes.h"
#include "station_fixture.h"

using namespace station;

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string kOptions = ",verify=VERIFY_READ,reset=RESET_NONE";

class Nrfutil : public StationTest {
protected:
    // A station set to nrfutil, with more [station] lines when given.
    test_support::StationFolder& NrfutilStation(const std::string& standIn,
                                                const std::string& stationLines = "") {
        auto& station = Station();
        station.SetStandIn(standIn);
        station.Write("config.ini", station.Read("config.ini") +
                                        "[station]\r\nprogrammer=nrfutil\r\n" + stationLines);
        return station;
    }
    // The stand-in's calls of one programming run for the probe serial.
    std::vector<std::string> Steps(const std::string& serial, const char* eraseMode) const {
        return {"--json device program --firmware " + station_->ImagePath() + " --serial-number " +
                    serial + " --options chip_erase_mode=" + eraseMode + kOptions,
                "--json device protection-set All --serial-number " + serial,
                "--json device reset --reset-kind RESET_PIN --serial-number " + serial};
    }
};

TEST_F(Nrfutil, ProgramsProtectsAndResetsWithOrWithoutErase) {
    for (const bool erase : {true, false}) {
        auto& station = NrfutilStation("serial=682123456\n");
        TRomForm& form = Shown();
        EXPECT_EQ(view_.verdict, "Ready");
        EXPECT_EQ(form.State().Prog_Path, station.NrfutilPath());
        EXPECT_THAT(form.State().Prog_Sn, ::testing::MatchesRegex("682123456\r?\n"));
        EXPECT_EQ(view_.serial, form.State().Prog_Sn);
        view_.erase = erase;
        form.Handle(&TRomForm::Button_StartClick);

        EXPECT_EQ(view_.verdict, "PASS") << form.MemoText();
        const std::vector<std::string> steps =
            Steps("682123456", erase ? "ERASE_ALL" : "ERASE_NONE");
        EXPECT_THAT(CallsAfterTheChecks(), ElementsAreArray(steps));
        // The operator reads an account of each step, never the JSON lines.
        EXPECT_THAT(form.MemoText(), HasSubstr("Program: Programmed"));
        EXPECT_THAT(form.MemoText(), Not(HasSubstr("{")));
        for (const std::string& shown : view_.runOutputs) {
            EXPECT_THAT(shown, Not(HasSubstr("{\""))) << shown;
        }
        // "Para=" names every command of the run, in order, paths quoted as they were run.
        std::string para;
        for (std::string step : steps) {
            const std::size_t image = step.find(station.ImagePath());
            if (image != std::string::npos) {
                step.replace(image, station.ImagePath().size(),
                             os::QuoteArgument(station.ImagePath()));
            }
            para += (para.empty() ? "" : " && ") + os::QuoteArgument(form.State().Prog_Path) + " " +
                    step;
        }
        EXPECT_THAT(Log(), HasSubstr("[info ]Para=" + para + "\r\n"));
        const test_support::CsvRows rows = RecordRows();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1][7], "PASS");
        EXPECT_EQ(rows[1][11], "0");
        EXPECT_EQ(rows[1][12], "682123456");
    }
}

TEST_F(Nrfutil, FailedStepEndsTheRunWith107) {
    struct Case {
        const char* name;
        const char* standIn;
        std::string shown;  // in the account of the failed step
        std::size_t steps;  // how many steps ran
    };
    for (const Case& c :
         {Case{"verify", "verify=fail\n", "(code 25)", 1},
          Case{"no end reported", "marker=omit\n", "no task reported its end", 1}}) {
        SCOPED_TRACE(c.name);
        NrfutilStation(std::string("serial=682123456\n") + c.standIn);
        TRomForm& form = Shown();
        form.Handle(&TRomForm::Button_StartClick);
        EXPECT_EQ(form.State().Error_Code, kProgrammingFailed);
        EXPECT_THAT(form.MemoText(), HasSubstr(c.shown));
        EXPECT_THAT(form.MemoText(), EndsWith("\nERROR:写入hex文件失败。\r\n"));
        EXPECT_EQ(CallsAfterTheChecks().size(), c.steps);
    }
}

TEST_F(Nrfutil, ProtectedChipNeedsTheWholeErase) {
    NrfutilStation("serial=682123456\n");
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);  // programs and protects the chip
    ASSERT_EQ(view_.verdict, "PASS");
    view_.erase = false;
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "FAIL");
    EXPECT_THAT(form.MemoText(), HasSubstr("(code 24)"));
    EXPECT_EQ(RecordRows().back()[11], "1");  // the exit code of the step that failed
    view_.erase = true;
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS");
}

TEST_F(Nrfutil, ProbesAreBoundAsWithNrfjprog) {
    NrfutilStation("serial=682123456,682000777\n", "probe=000682000777\r\n");
    TRomForm& form = Shown();
    EXPECT_THAT(view_.command, HasSubstr("--serial-number 682000777"));
    form.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(view_.verdict, "PASS");
    EXPECT_THAT(CallsAfterTheChecks(), ElementsAreArray(Steps("682000777", "ERASE_ALL")));

    NrfutilStation("serial=682123456,682000777\n");
    TRomForm& unpinned = Shown();
    unpinned.Handle(&TRomForm::Button_StartClick);
    EXPECT_EQ(unpinned.State().Error_Code, kSeveralProbes);
    EXPECT_THAT(ToolCalls(), ElementsAre("--json device list", "--json device list"));

    NrfutilStation("probe=absent\n");
    Shown();
    EXPECT_EQ(form_->State().Error_Code, kNoProbeAnswer);
}

TEST_F(Nrfutil, RunsWithTheStationsOwnInstallationWhenItHasOne) {
    auto& station = NrfutilStation("serial=682123456\n");
    Shown();
    EXPECT_FALSE(station.Exists("bin/nrfutil-home.log"));

    station.MakeFolder("bin/nrfutil-home");
    Shown();
    form_->Handle(&TRomForm::Button_HelpClick);
    EXPECT_EQ(station.Read("bin/nrfutil-home.log"),
              station.BinFolder() + "nrfutil-home\n" + station.BinFolder() + "nrfutil-home\n");
    EXPECT_EQ(ToolCalls().back(), "device program --help");
    EXPECT_THAT(view_.memo, HasSubstr("--firmware"));
}

}  // namespace
