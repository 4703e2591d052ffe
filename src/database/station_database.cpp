#include "station_database.h"

#include <algorithm>
#include <utility>

#include "database_worker.h"
#include "files.h"
#include "secrets.h"

namespace database {

namespace {

std::vector<SerialBlock> LoadBlocks(const std::string& path, std::vector<std::string>& lines) {
    try {
        if (os::FileExists(path)) {
            return SerialBlocksFromText(os::ReadWholeFile(path, os::Share::kRead));
        }
    } catch (const os::FileError& error) {
        lines.push_back(std::string("数据库：") + error.what());
    }
    return {};
}

std::string SettingsLine(const StationDatabaseConfig& config) {
    if (!config.database) {
        return "数据库：config.ini中没有[database]，不再发送";
    }
    return "数据库：" + MaskedConnectionString(config.database->connection) + "，工位名：" +
           config.database->station;
}

}  // namespace

void StationDatabase::Shared::NotifyStation() {
    const std::lock_guard<std::mutex> lock(notifyMutex);
    if (notify) {
        notify();
    }
}

void StationDatabase::Shared::Publish(DatabaseStatus next, std::vector<std::string> lines) {
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (poked && next.state != DatabaseStatus::State::kOff) {
            next.waiting = std::max<std::size_t>(next.waiting, 1);  // a row came during the round
        }
        if (next.state != logged.state || next.reason != logged.reason) {
            if (next.state != DatabaseStatus::State::kOff ||
                logged.state != DatabaseStatus::State::kOff) {
                lines.push_back(StatusLogLine(next));
            }
            logged = next;
        }
        if (next == status && lines.empty()) {
            return;
        }
        status = next;
        logLines.insert(logLines.end(), std::make_move_iterator(lines.begin()),
                        std::make_move_iterator(lines.end()));
    }
    NotifyStation();
}

StationDatabase::StationDatabase(std::string title, Notify notify, Timing timing, OpenFactory open)
    : shared_(
          std::make_shared<Shared>(std::move(title), std::move(notify), timing, std::move(open))) {
    worker_ = std::thread([shared = shared_] { RunWorker(shared); });
}

StationDatabase::~StationDatabase() {
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stop = true;
    }
    shared_->wake.notify_all();
    {
        const std::lock_guard<std::mutex> lock(shared_->notifyMutex);
        shared_->notify = nullptr;
    }
    bool ended = false;
    {
        std::unique_lock<std::mutex> lock(shared_->mutex);
        ended = shared_->answered.wait_for(lock, shared_->timing.stopWait,
                                           [&] { return shared_->finished; });
    }
    if (ended) {
        worker_.join();
    } else {
        worker_.detach();  // inside a driver that does not return; it ends with the process
    }
}

void StationDatabase::Configure(const StationDatabaseConfig& config) {
    std::vector<std::string> lines;
    bool loadBlocks = false;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->configured && config == shared_->config) {
            return;
        }
        const StationDatabaseConfig& before = shared_->config;
        if (!(config.database == before.database) && (config.database || shared_->configured)) {
            lines.push_back(SettingsLine(config));
        }
        loadBlocks = !shared_->configured || config.stationFolder != before.stationFolder;
        shared_->config = config;
        shared_->configured = true;
        shared_->configChanged = true;
        if (config.database && shared_->status.state == DatabaseStatus::State::kOff) {
            shared_->status.state = DatabaseStatus::State::kConnecting;
        }
    }
    std::vector<SerialBlock> blocks;
    if (loadBlocks) {
        blocks = LoadBlocks(SerialBlocksPath(config.stationFolder, shared_->title), lines);
    }
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        if (loadBlocks) {
            shared_->blocks = std::move(blocks);
        }
        shared_->logLines.insert(shared_->logLines.end(), lines.begin(), lines.end());
    }
    shared_->wake.notify_all();
}

void StationDatabase::Poke() {
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->poked = true;
        // The press's row waits until the worker has looked at the record.
        if (shared_->status.state != DatabaseStatus::State::kOff) {
            shared_->status.waiting = std::max<std::size_t>(shared_->status.waiting, 1);
        }
    }
    shared_->wake.notify_all();
}

DatabaseStatus StationDatabase::Status() const {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    DatabaseStatus status = shared_->status;
    const auto now = std::chrono::steady_clock::now();
    if (shared_->callSince && now - *shared_->callSince > shared_->timing.silent) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(now - *shared_->callSince);
        status.state = DatabaseStatus::State::kUnreachable;
        status.reason = "数据库" + std::to_string(seconds.count()) + "秒没有应答";
    }
    return status;
}

std::vector<std::string> StationDatabase::TakeLogLines() {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return std::exchange(shared_->logLines, {});
}

SerialBlockAnswer StationDatabase::SerialRange(std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    const StationDatabaseConfig config = shared_->config;
    if (!config.pool || !config.pool->problem.empty()) {
        return {std::nullopt, config.pool ? config.pool->problem : kNoPool};
    }
    if (!config.database) {
        return {std::nullopt, kNoConnection};
    }
    const serial_numbers::SerialNumberStore store(config.stationFolder);
    std::vector<SerialBlock> blocks = shared_->blocks;
    lock.unlock();
    if (const auto current = NumbersLeft(blocks, config.pool->pool, store).current) {
        return {current, ""};
    }
    lock.lock();
    const std::uint64_t request = ++shared_->blockRequests;
    shared_->wake.notify_all();
    const bool answered = shared_->answered.wait_for(
        lock, wait, [&] { return shared_->blockAnswers >= request || shared_->finished; });
    std::string problem = shared_->blockProblem;
    blocks = shared_->blocks;
    lock.unlock();
    if (const auto current = NumbersLeft(blocks, config.pool->pool, store).current) {
        return {current, ""};
    }
    if (!answered || problem.empty()) {
        problem = "数据库在" + std::to_string((wait.count() + 999) / 1000) + "秒内没有给出新的号段";
    }
    return {std::nullopt, problem};
}

}  // namespace database
