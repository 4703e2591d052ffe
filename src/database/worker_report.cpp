#include "database/worker_report.h"

#include <algorithm>
#include <utility>

namespace database {

DatabaseStatus WorkerReport::Status() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    DatabaseStatus status = status_;
    const auto now = std::chrono::steady_clock::now();
    if (callSince_ && now - *callSince_ > silent_) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - *callSince_);
        status.state = DatabaseStatus::State::kUnreachable;
        status.reason = "数据库" + std::to_string(seconds.count()) + "秒没有应答";
    }
    return status;
}

std::vector<std::string> WorkerReport::TakeLogLines() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(logLines_, {});
}

void WorkerReport::Configured(bool connecting, std::vector<std::string> lines) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (connecting && status_.state == DatabaseStatus::State::kOff) {
        status_.state = DatabaseStatus::State::kConnecting;
    }
    logLines_.insert(logLines_.end(), std::make_move_iterator(lines.begin()),
                     std::make_move_iterator(lines.end()));
}

void WorkerReport::Poked(const std::function<void()>& poke) {
    const std::lock_guard<std::mutex> lock(mutex_);
    poke();
    // The press's row waits until the worker has looked at the record.
    if (status_.state != DatabaseStatus::State::kOff) {
        status_.waiting = std::max<std::size_t>(status_.waiting, 1);
    }
}

bool WorkerReport::Publish(DatabaseStatus next, std::vector<std::string> lines,
                           const std::function<bool()>& pokeWaiting) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (next.state != DatabaseStatus::State::kOff && pokeWaiting()) {
        next.waiting = std::max<std::size_t>(next.waiting, 1);  // a row came during the round
    }
    if (next.state != logged_.state || next.reason != logged_.reason) {
        if (next.state != DatabaseStatus::State::kOff ||
            logged_.state != DatabaseStatus::State::kOff) {
            lines.push_back(StatusLogLine(next));
        }
        logged_ = next;
    }
    if (next == status_ && lines.empty()) {
        return false;
    }
    status_ = next;
    logLines_.insert(logLines_.end(), std::make_move_iterator(lines.begin()),
                     std::make_move_iterator(lines.end()));
    return true;
}

void WorkerReport::AddLines(std::vector<std::string> lines) {
    const std::lock_guard<std::mutex> lock(mutex_);
    logLines_.insert(logLines_.end(), std::make_move_iterator(lines.begin()),
                     std::make_move_iterator(lines.end()));
}

void WorkerReport::CallStarted() {
    const std::lock_guard<std::mutex> lock(mutex_);
    callSince_ = std::chrono::steady_clock::now();
}

void WorkerReport::CallEnded() {
    const std::lock_guard<std::mutex> lock(mutex_);
    callSince_.reset();
}

void WorkerReport::ShowBlocks(const std::string& folder, const std::vector<SerialBlock>& blocks) {
    const std::lock_guard<std::mutex> lock(mutex_);
    blocksFolder_ = folder;
    blocks_ = blocks;
}

std::optional<std::vector<SerialBlock>> WorkerReport::Blocks(const std::string& folder) const {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (blocksFolder_ != folder) {
        return std::nullopt;
    }
    return blocks_;
}

void StationGate::Notify() {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (notify_) {
        notify_();
    }
}

bool StationGate::Write(const std::function<void()>& write) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) {
        return false;
    }
    write();
    return true;
}

void StationGate::StopNotifying() {
    const std::lock_guard<std::mutex> lock(mutex_);
    notify_ = nullptr;
}

void StationGate::Close() {
    const std::lock_guard<std::mutex> lock(mutex_);
    notify_ = nullptr;
    closed_ = true;
}

}  // namespace database
