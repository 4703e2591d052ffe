#include "station/form/action_queue.h"

#include <exception>
#include <utility>

namespace station {

bool ActionQueue::Admits(ActionKind kind) const {
    switch (kind) {
        case ActionKind::kLook:
            return !running_;  // the fixture is looked at only while the station is idle
        case ActionKind::kPress:
            // A press made while the station was busy is never a new board, unless the station
            // was only looking at the fixture.
            return !running_ || *running_ == ActionKind::kLook;
        case ActionKind::kOther:
            return true;
    }
    return false;
}

void ActionQueue::Offer(ActionKind kind, Action action) {
    if (!Admits(kind)) {
        return;
    }
    waiting_.push_back({kind, std::move(action)});
    if (running_) {
        return;  // runs when the current action has ended
    }
    while (!waiting_.empty()) {
        Waiting next = std::move(waiting_.front());
        waiting_.pop_front();
        std::string failure;
        bool raised = false;
        running_ = next.kind;
        try {
            next.action();
        } catch (const std::exception& error) {
            raised = true;
            failure = error.what();
        }
        running_.reset();
        if (raised) {
            failed_(failure);
        }
    }
}

void ActionQueue::RunningIsPress() {
    if (running_) {
        running_ = ActionKind::kPress;
    }
}

}  // namespace station
