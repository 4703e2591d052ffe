// A programming step that printed nothing shows its exit code, so the text area never holds
// the bare message alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "station_fixture.h"

using ::testing::EndsWith;
using ::testing::HasSubstr;

namespace {

using SilentStep = StationTest;

TEST_F(SilentStep, ShowsItsExitCode) {
    auto& station = Station();
    TRomForm& form = Shown();
    bool replaced = false;
    view_.duringRepaint = [&] {
        if (view_.verdict == "Working" && !replaced) {
            replaced = true;  // after the check: the programming runs a tool that says nothing
            std::filesystem::remove(station.ToolPath());
            os::OpenForAppending(station.ToolPath()).Write("#!/bin/sh\nexit 3\n");
            std::filesystem::permissions(station.ToolPath(), std::filesystem::perms::owner_all);
        }
    };
    form.Handle(&TRomForm::Button_StartClick);

    EXPECT_EQ(form.MemoText(), "退出码=3\r\nERROR:写入hex文件失败。\r\n");
    EXPECT_THAT(Log(), HasSubstr(InfoLine("烧写：退出码=3")));
}

}  // namespace
