// The database worker: rounds of taking a serial block when one is needed, then sending the
// record's rows, until the station stops it.
#include <algorithm>
#include <exception>
#include <optional>

#include "database_worker.h"
#include "factory_database.h"
#include "files.h"
#include "record_delivery.h"

namespace database {

namespace {

using Shared = StationDatabase::Shared;

enum class Next { kAtOnce, kRetry, kIdle };

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find_first_of("\r\n"));
}

// Numbers left below which the next block is taken ahead: a fifth of a block.
std::uint64_t Ahead(std::uint32_t block) {
    return std::max<std::uint64_t>(1, block / 5);
}

// Marks the worker as waiting on the database while it lives (Status tells a call that hangs).
class Waiting {
public:
    explicit Waiting(Shared& shared) : shared_(shared) {
        const std::lock_guard<std::mutex> lock(shared_.mutex);
        shared_.callSince = std::chrono::steady_clock::now();
    }
    ~Waiting() {
        const std::lock_guard<std::mutex> lock(shared_.mutex);
        shared_.callSince.reset();
    }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;

private:
    Shared& shared_;
};

// The database, each row's call marked as waiting.
class WatchedDestination : public RowDestination {
public:
    WatchedDestination(Shared& shared, FactoryLink& database)
        : shared_(shared), database_(database) {}
    void AddRow(const std::string& key, const std::string& station,
                const RecordFields& fields) override {
        const Waiting waiting(shared_);
        database_.AddRow(key, station, fields);
    }

private:
    Shared& shared_;
    FactoryLink& database_;
};

class Worker {
public:
    explicit Worker(std::shared_ptr<Shared> shared)
        : shared_(std::move(shared)), delivery_(shared_->title) {}

    void Run() {
        Next next = Next::kAtOnce;
        for (;;) {
            StationDatabaseConfig config;
            {
                std::unique_lock<std::mutex> lock(shared_->mutex);
                const auto interval = next == Next::kAtOnce  ? std::chrono::milliseconds(0)
                                      : next == Next::kRetry ? shared_->timing.retry
                                                             : shared_->timing.idle;
                shared_->wake.wait_for(lock, interval, [&] { return Woken(); });
                if (shared_->stop) {
                    break;
                }
                config = shared_->config;
                shared_->configChanged = shared_->poked = false;
            }
            next = Round(config);
        }
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->finished = true;
        shared_->answered.notify_all();
    }

private:
    bool Woken() const {
        return shared_->stop || shared_->poked || shared_->configChanged ||
               shared_->blockRequests > shared_->blockAnswers;
    }

    Next Round(const StationDatabaseConfig& config) {
        if (!config.database || !config.pool) {
            // A block asked for under settings that changed since: answered, so nobody waits.
            Answer(config.pool ? kNoConnection : kNoPool, std::nullopt);
        }
        if (!config.database) {
            database_.reset();
            shared_->Publish({}, {});
            return Next::kIdle;
        }
        if (!database_ || connection_ != config.database->connection) {
            connection_ = config.database->connection;
            database_ = shared_->open(connection_, shared_->timing.odbc);
        }
        std::optional<std::string> failure;
        try {
            const Waiting waiting(*shared_);
            database_->Connect();
        } catch (const OdbcError& error) {
            failure = error.what();
        }
        if (config.pool) {
            TakeBlockIfNeeded(config, failure);
        }
        WatchedDestination destination(*shared_, *database_);
        const DeliveryRound round =
            delivery_.Run(config.recordFolder, config.database->station,
                          failure ? nullptr : &destination, [&] { return KeepSending(); });
        if (round.failure) {
            failure = round.failure;
        }
        Publish(round, failure);
        return failure ? Next::kRetry : round.waiting > 0 ? Next::kAtOnce : Next::kIdle;
    }

    bool KeepSending() const {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        // A poke does not stop a round: its row is sent in this one or the next, in order.
        return !shared_->stop && !shared_->configChanged &&
               shared_->blockRequests == shared_->blockAnswers;
    }

    void TakeBlockIfNeeded(const StationDatabaseConfig& config,
                           std::optional<std::string>& failure) {
        const PoolSettings& pool = *config.pool;
        std::uint64_t request = 0;
        std::vector<SerialBlock> blocks;
        {
            const std::lock_guard<std::mutex> lock(shared_->mutex);
            request = shared_->blockRequests;
            blocks = shared_->blocks;
        }
        const bool asked = request > AnsweredUpTo();
        std::string problem;
        try {
            const serial_numbers::SerialNumberStore store(config.stationFolder);
            // Enough left (also when the station asked, and the block came meanwhile).
            if (NumbersLeft(blocks, pool.pool, store).left >= Ahead(pool.block)) {
                if (asked) {
                    Answer("", std::nullopt, request);
                }
                return;
            }
            problem = !pool.problem.empty() ? pool.problem
                      : failure ? "数据库无法连接（" + FirstLine(*failure) + "）"
                                : TakeBlock(config, store, blocks);
        } catch (const OdbcError& error) {
            problem = "数据库没有给出号段（" + FirstLine(error.what()) + "）";
            if (!error.ValuesRefused()) {
                failure = error.what();
            }
        } catch (const std::exception& error) {
            problem = error.what();  // the station folder's numbers or blocks file
        }
        Answer(problem, std::move(blocks), request);
    }

    // Takes the next block into blocks and its file; returns why there is none, or "".
    std::string TakeBlock(const StationDatabaseConfig& config,
                          const serial_numbers::SerialNumberStore& store,
                          std::vector<SerialBlock>& blocks) {
        const PoolSettings& pool = *config.pool;
        const Waiting waiting(*shared_);
        const auto range = database_->TakeBlock(pool.pool, pool.block);
        if (!range) {
            return "数据库中的序列号池" + pool.pool + "已用完";
        }
        // Blocks used up are left out; those of another pool are kept for a change back.
        blocks.erase(std::remove_if(blocks.begin(), blocks.end(),
                                    [&](const SerialBlock& block) {
                                        return block.pool == pool.pool && !store.Next(block.range);
                                    }),
                     blocks.end());
        blocks.push_back({pool.pool, *range});
        os::ReplaceFileContent(SerialBlocksPath(config.stationFolder, shared_->title),
                               SerialBlocksText(blocks));
        return "";
    }

    std::uint64_t AnsweredUpTo() const {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        return shared_->blockAnswers;
    }

    void Answer(const std::string& problem, std::optional<std::vector<SerialBlock>> blocks,
                std::optional<std::uint64_t> request = std::nullopt) {
        {
            const std::lock_guard<std::mutex> lock(shared_->mutex);
            shared_->blockAnswers = request.value_or(shared_->blockRequests);
            shared_->blockProblem = problem;
            if (blocks) {
                shared_->blocks = std::move(*blocks);
            }
        }
        shared_->answered.notify_all();
    }

    void Publish(const DeliveryRound& round, const std::optional<std::string>& failure) {
        DatabaseStatus status;
        status.state =
            failure ? DatabaseStatus::State::kUnreachable : DatabaseStatus::State::kConnected;
        status.reason = failure.value_or("");
        status.waiting = round.waiting;
        refused_ += round.refused.size();
        status.refused = refused_;
        std::vector<std::string> lines;
        for (const RefusedRow& row : round.refused) {
            lines.push_back(RefusedLogLine(row.file, row.line, row.reason));
        }
        // A note that stands (a record held by a spreadsheet) is logged once, not every round.
        for (const std::string& note : round.notes) {
            if (std::find(notes_.begin(), notes_.end(), note) == notes_.end()) {
                lines.push_back("数据库：" + note);
            }
        }
        notes_ = round.notes;
        shared_->Publish(status, std::move(lines));
    }

    std::shared_ptr<Shared> shared_;
    RecordDelivery delivery_;
    std::unique_ptr<FactoryLink> database_;
    std::string connection_;  // database_'s
    std::size_t refused_ = 0;
    std::vector<std::string> notes_;  // the last round's
};

}  // namespace

void RunWorker(const std::shared_ptr<StationDatabase::Shared>& shared) {
    Worker(shared).Run();
}

}  // namespace database
