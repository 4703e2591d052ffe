// A single-instance check that cannot be made leaves the station running, and the log says why.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "process_checks.h"
#include "station_fixture.h"

using ::testing::HasSubstr;

namespace {

using InstanceCheck = StationTest;

TEST_F(InstanceCheck, ClaimHeldByAnotherUserIsLoggedAndTheStationRuns) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    Station(test_support::StationParts::Without({test_support::Part::kTool}));
    const std::string name = "Squat" + std::to_string(::getpid());
    const test_support::ForeignInstanceClaim squatter(name);
    ASSERT_TRUE(squatter.Held());
    TRomForm& form = Created(name + ".exe");
    EXPECT_FALSE(form.AnotherCopyRunning());
    EXPECT_THAT(Log(), HasSubstr(" [error]单实例检查未能进行：the name is held by another user"));
}

}  // namespace
