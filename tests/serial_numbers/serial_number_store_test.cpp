// The station folder's serial numbers kept in their files: consecutive numbers, failed and cut
// off runs, restarts, two copies in one folder, a range used up, a damaged file and a lock that
// is not let go.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_lock.h"
#include "platform/paths.h"
#include "serial_numbers/serial_number_store.h"
#include "temp_folder.h"
#include "tool/run_command.h"

namespace {

using namespace std::chrono_literals;
using serial_numbers::NumberRange;
using serial_numbers::SerialNumberError;
using serial_numbers::SerialNumberStore;

class SerialNumbers : public testing::Test {
protected:
    // A copy of the program started anew: nothing but the folder's files carries over.
    SerialNumberStore Store() const { return SerialNumberStore(folder_.Path()); }

    test_support::TempFolder folder_;
};

TEST_F(SerialNumbers, ConsecutiveAcrossRestartsAndAFailedRunVoidsItsNumber) {
    const NumberRange range{100000, 199999};
    EXPECT_EQ(Store().Next(range), 100000u);
    for (std::uint32_t expected = 100000; expected < 100003; ++expected) {
        const auto reservation = Store().Reserve("romtool", range);
        EXPECT_EQ(reservation.number, expected);
        EXPECT_EQ(reservation.voided, std::nullopt);
        // The second run fails: its number is settled all the same, and never comes again.
        Store().Settle("romtool", expected);
    }
    EXPECT_EQ(Store().Unsettled("romtool"), std::nullopt);
    EXPECT_EQ(Store().Next(range), 100003u);
    EXPECT_FALSE(folder_.Exists(std::string(serial_numbers::kStateFileName) + ".tmp"));
}

TEST_F(SerialNumbers, ARunCutOffIsReportedAndItsNumberNeverReused) {
    const NumberRange range{1, 10};
    ASSERT_EQ(Store().Reserve("romtool", range).number, 1u);  // then the power fails

    EXPECT_EQ(Store().Unsettled("romtool"), 1u);
    EXPECT_EQ(Store().Unsettled("Line2"), std::nullopt);
    const auto next = Store().Reserve("romtool", range);
    EXPECT_EQ(next.voided, 1u);
    EXPECT_EQ(next.number, 2u);
    EXPECT_EQ(Store().Unsettled("romtool"), 2u);
}

TEST_F(SerialNumbers, TheLastNumberThenUsedUp) {
    const NumberRange range{41, 42};
    for (std::uint32_t expected : {41u, 42u}) {
        const auto number = Store().Reserve("romtool", range).number;
        ASSERT_EQ(number, expected);
        Store().Settle("romtool", *number);
    }
    const std::string before = folder_.Read(serial_numbers::kStateFileName);
    EXPECT_EQ(Store().Reserve("romtool", range).number, std::nullopt);
    EXPECT_EQ(Store().Next(range), std::nullopt);
    EXPECT_EQ(folder_.Read(serial_numbers::kStateFileName), before) << "nothing to write";
    EXPECT_EQ(Store().Reserve("romtool", {43, 50}).number, 43u) << "a new block goes on";
}

TEST_F(SerialNumbers, TwoTitlesInOneFolderNeverShareANumber) {
    // Line2's range overlaps romtool's, and romtool's range is changed and changed back.
    const struct {
        const char* title;
        NumberRange range;
        std::uint32_t expected;
    } steps[] = {
        {"romtool", {100, 199}, 100}, {"Line2", {100, 199}, 101},   {"romtool", {100, 199}, 102},
        {"Line2", {150, 299}, 150},   {"romtool", {100, 199}, 151}, {"romtool", {500, 599}, 500},
        {"romtool", {100, 199}, 152}, {"Line2", {150, 299}, 153},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(Store().Reserve(step.title, step.range).number, step.expected) << step.title;
        Store().Settle(step.title, step.expected);
    }
}

TEST_F(SerialNumbers, ADamagedFileStopsNumberingAndIsLeftAsItIs) {
    for (const std::string damaged : {"", "used 1-9\nlast 10\n"}) {
        folder_.Write(serial_numbers::kStateFileName, damaged);
        EXPECT_THROW(Store().Reserve("romtool", {1, 100}), SerialNumberError);
        EXPECT_THROW(Store().Next({1, 100}), SerialNumberError);
        EXPECT_EQ(folder_.Read(serial_numbers::kStateFileName), damaged);
    }
}

TEST_F(SerialNumbers, ALockNotLetGoEndsTheCallInBoundedTime) {
    const auto held = os::FileLock::Take(folder_ / serial_numbers::kLockFileName, 0ms);
    ASSERT_TRUE(held);
    const SerialNumberStore store(folder_.Path(), 50ms);
    try {
        store.Reserve("romtool", {1, 100});
        ADD_FAILURE() << "reserved while the lock was held";
    } catch (const SerialNumberError& e) {
        EXPECT_THAT(e.what(), testing::HasSubstr(serial_numbers::kLockFileName));
    }
    EXPECT_FALSE(folder_.Exists(serial_numbers::kStateFileName));
}

// The helper program's path, with the platform's separators.
std::string HelperPath() {
    std::string path = ROMTOOL_SERIAL_HELPER_PATH;
    std::replace(path.begin(), path.end(), '/', os::kPathSeparator);
    return path;
}

std::vector<std::uint32_t> Numbers(const std::string& output) {
    std::istringstream lines(output);
    std::vector<std::uint32_t> numbers;
    for (unsigned long number; lines >> number;) {
        numbers.push_back(static_cast<std::uint32_t>(number));
    }
    return numbers;
}

TEST_F(SerialNumbers, TwoCopiesHammeringOneRangeNeverShareANumber) {
    constexpr int kEach = 100;
    const std::string folder = folder_.Path().substr(0, folder_.Path().size() - 1);
    const auto run = [&](const char* title) {
        return tool::RunCommand(os::QuoteArgument(HelperPath()) + " " + os::QuoteArgument(folder) +
                                    " " + title + " 1000 99999 " + std::to_string(kEach),
                                folder_.Path(), 300s);
    };
    tool::CommandResult second;
    std::thread other([&] { second = run("Line2"); });
    const tool::CommandResult first = run("romtool");
    other.join();
    ASSERT_EQ(first.exitCode, 0) << first.output;
    ASSERT_EQ(second.exitCode, 0) << second.output;

    std::vector<std::uint32_t> all = Numbers(first.output);
    const std::vector<std::uint32_t> others = Numbers(second.output);
    EXPECT_EQ(all.size(), static_cast<std::size_t>(kEach));
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    all.insert(all.end(), others.begin(), others.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "a number came twice";
    EXPECT_EQ(all.size(), 2u * kEach);
    EXPECT_EQ(all.front(), 1000u);
    EXPECT_EQ(all.back(), 1000u + 2 * kEach - 1) << "no gaps when every run settles";
}

}  // namespace
