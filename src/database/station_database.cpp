#include "database/station_database.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "database/database_worker.h"
#include "odbc/secrets.h"

namespace database {

namespace {

std::string SettingsLine(const StationDatabaseConfig& config) {
    if (!config.database) {
        return "数据库：config.ini中没有[database]，不再发送";
    }
    return "数据库：" + odbc::MaskedConnectionString(config.database->connection) + "，工位名：" +
           config.database->station;
}

// Why the settings themselves give no block; none when they may.
std::optional<SerialBlockAnswer> SettingsProblem(const StationDatabaseConfig& config) {
    if (!config.pool) {
        return SerialBlockAnswer::None(NoBlock::kNoPool);
    }
    if (!config.pool->problem.empty()) {
        return SerialBlockAnswer::None(NoBlock::kPoolSetting, config.pool->problem);
    }
    if (!config.database) {
        return SerialBlockAnswer::None(NoBlock::kNoConnection);
    }
    return std::nullopt;
}

// Waits for answer at most wait, calling whileWaiting between slices; false when it did not come.
template <typename Answer>
bool Await(std::future<Answer>& answer, std::chrono::milliseconds wait,
           const StationDatabase::WhileWaiting& whileWaiting) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const auto left = std::max(deadline - std::chrono::steady_clock::now(),
                                   std::chrono::steady_clock::duration::zero());
        const auto slice = whileWaiting ? std::min<std::chrono::steady_clock::duration>(
                                              left, kWaitingCallbackInterval)
                                        : left;
        if (answer.wait_for(slice) == std::future_status::ready) {
            return true;
        }
        if (slice == left) {
            return false;
        }
        whileWaiting();
    }
}

}  // namespace

StationDatabase::StationDatabase(std::string title, Notify notify, Timing timing, OpenFactory open)
    : links_(std::make_shared<WorkerLinks>(WorkerLinks{
          std::make_shared<CommandQueue>(), std::make_shared<WorkerReport>(timing.silent),
          std::make_shared<StationGate>(std::move(notify))})),
      stopWait_(timing.stopWait) {
    std::promise<void> ended;
    ended_ = ended.get_future();
    worker_ = std::thread([title = std::move(title), timing, open = std::move(open),
                           links = *links_, ended = std::move(ended)]() mutable {
        RunWorker(title, timing, open, links);
        ended.set_value();
    });
}

StationDatabase::~StationDatabase() {
    links_->queue->Push(command::Stop{});
    links_->gate->StopNotifying();
    if (ended_.wait_for(stopWait_) == std::future_status::ready) {
        worker_.join();
        return;
    }
    // Inside a driver that does not return: it ends with the process, writing nothing more.
    links_->gate->Close();
    worker_.detach();
}

void StationDatabase::Configure(const StationDatabaseConfig& config) {
    if (configured_ && config == config_) {
        return;
    }
    std::vector<std::string> lines;
    if (!(config.database == config_.database) && (config.database || configured_)) {
        lines.push_back(SettingsLine(config));
    }
    config_ = config;
    configured_ = true;
    links_->report->Configured(config.database.has_value(), std::move(lines));
    links_->queue->Push(command::Settings{config});
}

void StationDatabase::Poke() {
    links_->report->Poked([&] { links_->queue->Push(command::Poke{}); });
}

DatabaseStatus StationDatabase::Status() const {
    return links_->report->Status();
}

std::vector<std::string> StationDatabase::TakeLogLines() {
    return links_->report->TakeLogLines();
}

SerialBlockAnswer StationDatabase::SerialRange(std::chrono::milliseconds wait,
                                               const WhileWaiting& whileWaiting) {
    if (std::optional<SerialBlockAnswer> problem = SettingsProblem(config_)) {
        return std::move(*problem);
    }
    const serial_numbers::SerialNumberStore store(config_.stationFolder);
    // The blocks as the worker last showed them; none before it has read the folder's file.
    if (const auto blocks = links_->report->Blocks(config_.stationFolder)) {
        if (const auto current = NumbersLeft(*blocks, config_.pool->pool, store).current) {
            return SerialBlockAnswer::Range(*current);
        }
    }
    std::promise<SerialBlockAnswer> reply;
    std::future<SerialBlockAnswer> answer = reply.get_future();
    links_->queue->Push(command::BlockWanted{std::move(reply)});
    if (Await(answer, wait, whileWaiting)) {
        return answer.get();
    }
    SerialBlockAnswer late = SerialBlockAnswer::None(NoBlock::kNoAnswerInTime);
    late.seconds = static_cast<std::uint64_t>((wait.count() + 999) / 1000);
    return late;
}

LabelAnswer StationDatabase::LabelPassed(const std::string& recordedLabel,
                                         std::chrono::milliseconds wait,
                                         const WhileWaiting& whileWaiting) {
    if (!config_.database) {
        return {};
    }
    std::promise<LabelAnswer> reply;
    std::future<LabelAnswer> answer = reply.get_future();
    links_->queue->Push(command::LabelAsked{recordedLabel, std::move(reply)});
    if (Await(answer, wait, whileWaiting)) {
        return answer.get();
    }
    LabelAnswer late;
    late.kind = LabelAnswer::Kind::kNoAnswerInTime;
    late.seconds = static_cast<std::uint64_t>((wait.count() + 999) / 1000);
    return late;
}

}  // namespace database
