// A tool the station runs gets its standard descriptors and nothing else: one that lingers must
// not hold the day's log, the record or the single-instance claim.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "station_fixture.h"

namespace {

TEST_F(StationTest, ToolRunsInheritOnlyTheirStandardDescriptors) {
    auto& station = Station();
    TRomForm& form = Shown();
    form.Handle(&TRomForm::Button_StartClick);  // the log, the record and the claim are open
    // The option list's "tool" lists the descriptors of the interpreter that runs it.
    station.Write("bin/nrfjprog", "#!/bin/sh\nls /proc/$PPID/fd\n");
    ::chmod(station.ToolPath().c_str(), 0755);
    form.Handle(&TRomForm::Button_HelpClick);
    EXPECT_EQ(form.MemoText(), "0\n1\n2\n");
}

}  // namespace
