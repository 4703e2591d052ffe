#include "database/command_queue.h"

#include <algorithm>
#include <utility>

namespace database {

void CommandQueue::Push(Command command) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        commands_.push_back(std::move(command));
    }
    pushed_.notify_all();
}

std::optional<Command> CommandQueue::Pop(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!pushed_.wait_for(lock, wait, [&] { return !commands_.empty(); })) {
        return std::nullopt;
    }
    Command command = std::move(commands_.front());
    commands_.pop_front();
    return command;
}

bool CommandQueue::Urgent() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(commands_.begin(), commands_.end(), [](const Command& command) {
        return !std::holds_alternative<command::Poke>(command);
    });
}

bool CommandQueue::Poked() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(commands_.begin(), commands_.end(), [](const Command& command) {
        return std::holds_alternative<command::Poke>(command);
    });
}

}  // namespace database
