// The one-at-a-time rule of the operator's actions, without a window: what is offered while an
// action runs waits, or is dropped when it is a press of start (or a look).
#include "station/form/action_queue.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace station {
namespace {

struct OfferedMeanwhile {
    ActionKind running;
    ActionKind offered;
    bool runs;  // after the running action, or never
};

TEST(ActionQueue, WhatIsOfferedDuringAnActionWaitsUnlessItIsAPressOrALook) {
    const OfferedMeanwhile cases[] = {
        {ActionKind::kOther, ActionKind::kOther, true},
        {ActionKind::kOther, ActionKind::kPress, false},
        {ActionKind::kPress, ActionKind::kPress, false},
        {ActionKind::kPress, ActionKind::kOther, true},
        {ActionKind::kLook, ActionKind::kPress, true},  // the press waits for the look
        {ActionKind::kLook, ActionKind::kLook, false},
        {ActionKind::kOther, ActionKind::kLook, false},
    };
    for (const OfferedMeanwhile& c : cases) {
        std::vector<std::string> ran;
        ActionQueue queue([](const std::string&) {});
        queue.Offer(c.running, [&] {
            queue.Offer(c.offered, [&] { ran.push_back("offered"); });
            ran.push_back("running");
        });
        const std::vector<std::string> expected =
            c.runs ? std::vector<std::string>{"running", "offered"}
                   : std::vector<std::string>{"running"};
        EXPECT_EQ(ran, expected) << static_cast<int>(c.running) << " / "
                                 << static_cast<int>(c.offered);
        EXPECT_FALSE(queue.Busy());
    }
}

TEST(ActionQueue, ALookThatPressesDropsThePressesMeanwhileAndAnErrorEndsOnlyItsAction) {
    std::vector<std::string> ran;
    std::vector<std::string> failures;
    ActionQueue queue([&](const std::string& message) { failures.push_back(message); });
    queue.Offer(ActionKind::kLook, [&] {
        queue.RunningIsPress();
        queue.Offer(ActionKind::kPress, [&] { ran.push_back("second press"); });
        queue.Offer(ActionKind::kOther, [&] { throw std::runtime_error("cannot open"); });
        queue.Offer(ActionKind::kOther, [&] { ran.push_back("after the error"); });
        ran.push_back("look pressed");
    });
    EXPECT_EQ(ran, (std::vector<std::string>{"look pressed", "after the error"}));
    EXPECT_EQ(failures, std::vector<std::string>{"cannot open"});
}

}  // namespace
}  // namespace station
