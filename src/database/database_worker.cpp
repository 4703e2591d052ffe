#include "database/database_worker.h"

#include <algorithm>
#include <future>
#include <optional>
#include <utility>
#include <vector>

#include "database/block_keeper.h"
#include "database/record_delivery.h"
#include "platform/files.h"

namespace database {

namespace {

enum class Next { kAtOnce, kRetry, kIdle };

// The database, each row's call watched (Status tells a call that hangs).
class WatchedDestination : public RowDestination {
public:
    WatchedDestination(WorkerReport& report, FactoryLink& database)
        : report_(report), database_(database) {}
    void AddRow(const std::string& key, const std::string& station,
                const RecordFields& fields) override {
        const WatchedCall watched(report_);
        database_.AddRow(key, station, fields);
    }

private:
    WorkerReport& report_;
    FactoryLink& database_;
};

// A file of the station replaced through the gate: not once the station has let go.
ReplaceFile ThroughGate(const std::shared_ptr<StationGate>& gate) {
    return [gate](const std::string& path, const std::string& content) {
        return gate->Write([&] { os::ReplaceFileContent(path, content); });
    };
}

class Worker {
public:
    Worker(const std::string& title, const Timing& timing, const OpenFactory& open,
           const WorkerLinks& links)
        : timing_(timing),
          open_(open),
          links_(links),
          delivery_(title, ThroughGate(links.gate)),
          blocks_(title, *links.report, *links.gate) {}

    void Run() {
        Next next = Next::kAtOnce;
        while (TakeCommands(next == Next::kAtOnce  ? std::chrono::milliseconds(0)
                            : next == Next::kRetry ? timing_.retry
                                                   : timing_.idle)) {
            next = Round();
        }
    }

private:
    // Applies the commands that came, waiting at most wait for the first; false on a stop.
    bool TakeCommands(std::chrono::milliseconds wait) {
        for (std::optional<Command> command = links_.queue->Pop(wait); command;
             command = links_.queue->Pop(std::chrono::milliseconds(0))) {
            if (std::holds_alternative<command::Stop>(*command)) {
                return false;
            }
            if (auto* settings = std::get_if<command::Settings>(&*command)) {
                ApplySettings(settings->config);
            } else if (auto* wanted = std::get_if<command::BlockWanted>(&*command)) {
                asked_.push_back(std::move(wanted->reply));
            } else if (auto* label = std::get_if<command::LabelAsked>(&*command)) {
                labelsAsked_.push_back(std::move(*label));
            }  // a poke only starts the round
        }
        return true;
    }

    void ApplySettings(const StationDatabaseConfig& config) {
        std::vector<std::string> lines;
        if (!configured_ || config.stationFolder != config_.stationFolder) {
            blocks_.Load(config.stationFolder, lines);
        }
        config_ = config;
        configured_ = true;
        if (!lines.empty()) {
            links_.report->AddLines(std::move(lines));
            links_.gate->Notify();
        }
    }

    Next Round() {
        if (!config_.database || !config_.pool) {
            // A block asked for under settings that changed since: answered, so nobody waits.
            Answer(
                SerialBlockAnswer::None(config_.pool ? NoBlock::kNoConnection : NoBlock::kNoPool));
        }
        if (!config_.database) {
            AnswerLabels(nullptr, std::nullopt);
            database_.reset();
            PublishStatus({}, {});
            return Next::kIdle;
        }
        std::optional<std::string> failure = Connect(config_.database->connection);
        AnswerLabels(database_.get(), failure);  // first: a press waits for them
        std::vector<std::string> lines;
        if (config_.pool) {
            Answer(blocks_.Refill(config_, failure ? nullptr : database_.get(), failure, lines));
        }
        WatchedDestination destination(*links_.report, *database_);
        // A poke does not stop a round: its row is sent in this one or the next, in order.
        const DeliveryRound round = delivery_.Run(config_.recordFolder, config_.database->station,
                                                  failure ? nullptr : &destination,
                                                  [&] { return !links_.queue->Urgent(); });
        if (round.failure) {
            failure = round.failure;
        }
        Publish(round, failure, std::move(lines));
        return failure ? Next::kRetry : round.waiting > 0 ? Next::kAtOnce : Next::kIdle;
    }

    // Opens the connection; why it cannot, or none.
    std::optional<std::string> Connect(const std::string& connection) {
        if (!database_ || connection_ != connection) {
            connection_ = connection;
            database_ = open_(connection_, timing_.odbc);
        }
        try {
            const WatchedCall watched(*links_.report);
            database_->Connect();
        } catch (const odbc::OdbcError& error) {
            return error.what();
        }
        return std::nullopt;
    }

    void Answer(const SerialBlockAnswer& answer) {
        for (std::promise<SerialBlockAnswer>& reply : asked_) {
            reply.set_value(answer);
        }
        asked_.clear();
    }

    // The labels asked of: by the database, or with why it cannot say (none without one).
    void AnswerLabels(FactoryLink* database, const std::optional<std::string>& failure) {
        for (command::LabelAsked& asked : labelsAsked_) {
            LabelAnswer answer;
            if (database && failure) {
                answer.kind = LabelAnswer::Kind::kFailed;
                answer.detail = *failure;
            } else if (database) {
                try {
                    const WatchedCall watched(*links_.report);
                    answer = database->LabelPassed(asked.label);
                } catch (const odbc::OdbcError& error) {
                    answer.kind = LabelAnswer::Kind::kFailed;
                    answer.detail = error.what();
                }
            }
            answer.detail = answer.detail.substr(0, answer.detail.find_first_of("\r\n"));
            asked.reply.set_value(std::move(answer));
        }
        labelsAsked_.clear();
    }

    void Publish(const DeliveryRound& round, const std::optional<std::string>& failure,
                 std::vector<std::string> lines) {
        DatabaseStatus status;
        status.state =
            failure ? DatabaseStatus::State::kUnreachable : DatabaseStatus::State::kConnected;
        status.reason = failure.value_or("");
        status.waiting = round.waiting;
        refused_ += round.refused.size();
        status.refused = refused_;
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
        PublishStatus(status, std::move(lines));
    }

    void PublishStatus(const DatabaseStatus& status, std::vector<std::string> lines) {
        if (links_.report->Publish(status, std::move(lines),
                                   [&] { return links_.queue->Poked(); })) {
            links_.gate->Notify();
        }
    }

    const Timing timing_;
    const OpenFactory open_;
    const WorkerLinks links_;
    StationDatabaseConfig config_;
    bool configured_ = false;
    std::vector<std::promise<SerialBlockAnswer>> asked_;  // blocks the station waits for
    std::vector<command::LabelAsked> labelsAsked_;        // labels a press waits for
    RecordDelivery delivery_;
    BlockKeeper blocks_;
    std::unique_ptr<FactoryLink> database_;
    std::string connection_;  // database_'s
    std::size_t refused_ = 0;
    std::vector<std::string> notes_;  // the last round's
};

}  // namespace

void RunWorker(const std::string& title, const Timing& timing, const OpenFactory& open,
               const WorkerLinks& links) {
    Worker(title, timing, open, links).Run();
}

}  // namespace database
