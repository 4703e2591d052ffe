// The one-at-a-time rule of the operator's actions: each runs to its end before the next starts.
// What the operator asks for while one runs (the window hands it in from inside the running one,
// when it dispatches the input that waited) is taken when it ends, in order, except a press of
// start, which is dropped, so that a board is never pressed twice. Only a look at the fixture lets
// a press wait for it, and a look is made only while nothing else runs. Knows no window and no
// station: the form gives it what to run.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace station {

enum class ActionKind {
    kPress,  // a press of start: the button, or Enter in the label field
    kLook,   // a look at the fixture, while the station waits for a board to start by itself
    kOther,  // everything else the operator can ask for
};

class ActionQueue {
public:
    using Action = std::function<void()>;
    // Called with an error an action raised, once it has ended and no longer counts as running.
    using Failed = std::function<void(const std::string& message)>;

    explicit ActionQueue(Failed failed) : failed_(std::move(failed)) {}

    // Runs action now when nothing runs, then whatever was taken meanwhile, in order, until
    // nothing waits. While an action runs it is taken for later or dropped, as the rule says.
    void Offer(ActionKind kind, Action action);
    // True while an action runs.
    bool Busy() const { return running_.has_value(); }
    // The running look found its board and presses it: from now on it counts as a press, so a
    // press of start taken meanwhile is dropped.
    void RunningIsPress();

private:
    struct Waiting {
        ActionKind kind;
        Action action;
    };
    bool Admits(ActionKind kind) const;

    Failed failed_;
    std::optional<ActionKind> running_;
    std::deque<Waiting> waiting_;
};

}  // namespace station
