// A copy killed at any moment between reserving a number and settling it: the folder's file stays
// whole, the cut-off reservation is reported, and no number it may have used comes again.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "serial_numbers/serial_number_store.h"
#include "temp_folder.h"

namespace {

using serial_numbers::SerialNumberStore;

TEST(SerialNumberFaults, KilledBetweenReservationAndSettlementNeverReusesANumber) {
    const serial_numbers::NumberRange range{1, 1000000};
    for (int round = 0; round < 20; ++round) {
        test_support::TempFolder folder;
        const SerialNumberStore store(folder.Path());
        int reported[2];
        ASSERT_EQ(::pipe(reported), 0);
        const pid_t copy = ::fork();
        ASSERT_GE(copy, 0);
        if (copy == 0) {
            ::close(reported[0]);
            for (;;) {  // killed somewhere in here
                const std::uint32_t number = *store.Reserve("romtool", range).number;
                (void)!::write(reported[1], &number, sizeof number);
                store.Settle("romtool", number);
            }
        }
        ::close(reported[1]);
        std::uint32_t last = 0;
        for (int seen = 0; seen <= round; ++seen) {
            ASSERT_EQ(::read(reported[0], &last, sizeof last), static_cast<ssize_t>(sizeof last));
        }
        ::kill(copy, SIGKILL);
        ASSERT_EQ(::waitpid(copy, nullptr, 0), copy);
        for (std::uint32_t number; ::read(reported[0], &number, sizeof number) > 0;) {
            last = number;
        }
        ::close(reported[0]);

        // The reservation the kill cut off, if any: the last one reported, or one it had made
        // and not reported yet.
        const auto unsettled = store.Unsettled("romtool");
        if (unsettled) {
            EXPECT_TRUE(*unsettled == last || *unsettled == last + 1) << "round " << round;
        }
        const auto next = store.Reserve("Line2", range).number;
        ASSERT_TRUE(next);
        EXPECT_GT(*next, std::max(last, unsettled.value_or(0))) << "round " << round;
    }
}

}  // namespace
