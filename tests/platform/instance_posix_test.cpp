// The single-instance claim on Linux.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/instance.h"
#include "process_checks.h"

namespace {

class InstanceLockTest : public testing::Test {
protected:
    // Whether a new process finds name already claimed.
    static bool ClaimedElsewhere(const std::string& name) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const os::InstanceLock lock(name);
            ::_exit(lock.AlreadyRunning() ? 1 : 0);
        }
        int status = 0;
        return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
               WEXITSTATUS(status) == 1;
    }
};

// Another user takes the socket name the claim of this user would use. That may not make this
// copy give up, and a claim that cannot be checked says so.
TEST_F(InstanceLockTest, AnotherUserCannotClaimTheNameForUs) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    const std::string title = "Squatted" + std::to_string(::getpid());
    const test_support::ForeignInstanceClaim squatter(title);
    ASSERT_TRUE(squatter.Held());
    const os::InstanceLock lock(title);
    EXPECT_FALSE(lock.AlreadyRunning());
    EXPECT_NE(lock.Problem().find("another user (uid 65534"), std::string::npos) << lock.Problem();
}

TEST_F(InstanceLockTest, NameIsClaimedWhileTheObjectLives) {
    const std::string title = "ROM/Tool 烧录";  // characters that cannot stand in a file name
    {
        const os::InstanceLock first(title);
        EXPECT_FALSE(first.AlreadyRunning());
        EXPECT_EQ(first.Problem(), "");
        EXPECT_TRUE(ClaimedElsewhere(title));
        EXPECT_FALSE(ClaimedElsewhere("ROM_Tool 烧录"));
        EXPECT_FALSE(ClaimedElsewhere("ROM%2FTool 烧录"));
    }
    EXPECT_FALSE(ClaimedElsewhere(title));
}

TEST_F(InstanceLockTest, ClaimEndsWithTheHoldingProcess) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const os::InstanceLock lock("ROM Tool");
        char done = 1;
        (void)!::write(ready[1], &done, 1);
        ::pause();  // until killed
        ::_exit(0);
    }
    ::close(ready[1]);
    char done = 0;
    ASSERT_EQ(::read(ready[0], &done, 1), 1);
    ::close(ready[0]);
    EXPECT_TRUE(ClaimedElsewhere("ROM Tool"));
    ::kill(holder, SIGKILL);
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    EXPECT_FALSE(ClaimedElsewhere("ROM Tool"));
}

}  // namespace
