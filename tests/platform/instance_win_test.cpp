// The named mutex behind the single-instance rule, seen from this process and from another.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "platform/instance.h"
#include "temp_folder.h"
#include "tool/run_command.h"
#include "win_helper.h"

namespace {

// A name no other test run uses, so runs side by side do not see each other.
std::string UniqueName() {
    std::random_device seed;
    return "Romtool-test-" + std::to_string(seed()) + std::to_string(seed());
}

// What another process finds when it claims name.
std::string OtherProcessClaims(const std::string& name) {
    test_support::TempFolder folder;
    return tool::RunCommand(win_helper::Command("instance " + name), folder.Path(),
                            std::chrono::milliseconds(60000))
        .output;
}

TEST(InstanceLockOnWindows, SecondClaimInThisProcessFindsTheFirst) {
    const std::string name = UniqueName();
    os::InstanceLock first(name);
    os::InstanceLock second(name);
    EXPECT_FALSE(first.AlreadyRunning());
    EXPECT_TRUE(second.AlreadyRunning());
}

TEST(InstanceLockOnWindows, AnotherProcessIsRefusedWhileTheClaimIsHeld) {
    const std::string name = UniqueName();
    {
        os::InstanceLock held(name);
        ASSERT_FALSE(held.AlreadyRunning());
        EXPECT_EQ(OtherProcessClaims(name), "already running\r\n");
    }
    EXPECT_EQ(OtherProcessClaims(name), "only copy\r\n");
}

TEST(InstanceLockOnWindows, ClaimsUnderOtherNamesDoNotMeet) {
    const std::string name = UniqueName();
    os::InstanceLock held(name);
    EXPECT_EQ(OtherProcessClaims(name + "x"), "only copy\r\n");
}

TEST(InstanceLockOnWindows, NameTheSystemRefusesLeavesTheOnlyCopy) {
    os::InstanceLock odd("Romtool\\with\\backslashes");  // not a valid object name
    EXPECT_FALSE(odd.AlreadyRunning());
}

}  // namespace
