// The folder's state of serial numbers as a value: which number comes next in a range, and the
// text of its file.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "serial_numbers/serial_number_state.h"

namespace {

using serial_numbers::NumberRange;
using serial_numbers::SerialNumberState;

SerialNumberState Reserved(const std::vector<std::uint32_t>& numbers) {
    SerialNumberState state;
    for (std::uint32_t number : numbers) {
        state.Reserve("romtool", number);
    }
    return state;
}

TEST(SerialNumberState, NextIsOneAboveTheLargestReservedInsideTheRange) {
    const struct {
        const char* what;
        std::vector<std::uint32_t> reserved;
        NumberRange range;
        std::optional<std::uint32_t> next;
    } cases[] = {
        {"nothing reserved yet", {}, {100, 199}, 100},
        {"consecutive", {100, 101, 102}, {100, 199}, 103},
        {"a gap below is never filled", {100, 150}, {100, 199}, 151},
        {"numbers outside the range do not count", {99, 200, 5000}, {100, 199}, 100},
        {"an overlapping range's number counts", {150}, {100, 199}, 151},
        {"the last number taken: used up", {199}, {100, 199}, std::nullopt},
        {"a range of one number", {}, {7, 7}, 7},
        {"the highest possible number", {0xFFFFFFFE}, {0, 0xFFFFFFFF}, 0xFFFFFFFF},
        {"the highest possible number taken", {0xFFFFFFFF}, {0, 0xFFFFFFFF}, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Reserved(c.reserved).NextIn(c.range), c.next) << c.what;
    }
}

TEST(SerialNumberState, UnsettledUntilItsOwnNumberIsSettled) {
    SerialNumberState state = Reserved({100});
    state.Reserve("Line2", 200);
    state.Settle("romtool", 101);  // not its number
    EXPECT_EQ(state.Unsettled("romtool"), 100u);
    state.Settle("romtool", 100);
    EXPECT_EQ(state.Unsettled("romtool"), std::nullopt);
    EXPECT_EQ(state.Unsettled("Line2"), 200u);
    EXPECT_EQ(state.NextIn({100, 199}), 101u) << "a settled number stays reserved";
}

TEST(SerialNumberState, TextKeepsEverythingAndRejectsWhatItDoesNotKnow) {
    SerialNumberState state = Reserved({5, 1, 2, 3, 9, 4294967295});
    state.Settle("romtool", 4294967295);
    state.Reserve("Line 2 % 100\r\n", 10);
    const std::string text = state.Text();
    EXPECT_NE(text.find("\nused 1-3\nused 5-5\nused 9-10\nused 4294967295-4294967295\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\npending 10 Line 2 %25 100%0D%0A\n"), std::string::npos) << text;
    std::string problem;
    EXPECT_EQ(SerialNumberState::FromText(text, problem), state) << problem;

    const char* const damaged[] = {
        "used 5\n",
        "used 5-4\n",
        "used -5\n",
        "used 1-4294967296\n",
        "pending 5\n",
        "pending 5 \n",
        "pending x a\n",
        "pending 5 a%4\n",
        "pending 5 a\npending 6 a\n",
        "unused 5-6\n",
        " used 5-6\n",
    };
    for (const char* text : damaged) {
        EXPECT_FALSE(SerialNumberState::FromText(text, problem)) << text;
        EXPECT_EQ(problem.rfind("line ", 0), 0u) << problem;
    }
    EXPECT_TRUE(SerialNumberState::FromText("# a comment\r\n\r\nused 1-2\r\n", problem));
}

}  // namespace
