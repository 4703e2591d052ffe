#include "mes/station_mes.h"

#include <algorithm>
#include <condition_variable>
#include <future>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "mes/report_spool.h"

namespace mes {

struct Shared {
    Shared(std::string folder, std::string title, StationMes::Notify notify, Timing timing)
        : spool(std::move(folder), std::move(title)), notify(std::move(notify)), timing(timing) {}

    ReportSpool spool;
    const StationMes::Notify notify;
    const Timing timing;
    std::mutex mutex;  // guards what follows
    std::condition_variable changed;
    std::optional<MesSettings> settings;
    bool stop = false;
    bool poked = false;
    bool busy = false;       // a report's call is under way
    bool notifying = false;  // the station is being told of a change
    MesStatus status;
    std::vector<std::string> lines;

    void Log(std::string line) {
        const std::lock_guard<std::mutex> lock(mutex);
        lines.push_back(Secrets(settings.value_or(MesSettings{})).Masked(std::move(line)));
    }
};

namespace {

std::vector<std::string> Headers(const MesSettings& settings) {
    std::vector<std::string> headers;
    if (!settings.header.empty()) {
        headers.push_back(settings.header);
    }
    return headers;
}

std::string Digits(const std::string& text) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
                 [](char c) { return c >= '0' && c <= '9'; });
    return digits;
}

// Sends the oldest waiting report once; the delay before the next try.
std::chrono::milliseconds SendOldest(Shared& shared, const MesSettings& settings,
                                     std::chrono::milliseconds retry) {
    const std::optional<SpooledReport> report = shared.spool.Oldest();
    if (!report) {
        return std::chrono::milliseconds::max();
    }
    HttpRequest request{settings.reportUrl, report->body, Headers(settings), settings.timeout};
    request.headers.push_back("Idempotency-Key: " + report->key);
    const Answer answer = ReadAnswer(Post(request), settings);
    bool reachedBefore = false;
    {
        const std::lock_guard<std::mutex> lock(shared.mutex);
        reachedBefore = shared.status.reached || !shared.status.tried;
        shared.status.tried = true;
        shared.status.reached =
            answer.kind == Answer::Kind::kOk || answer.kind == Answer::Kind::kRefused;
        shared.status.away = shared.status.reached ? "" : answer.text;
    }
    if (answer.kind == Answer::Kind::kOk) {
        shared.spool.Sent(*report);
        return std::chrono::milliseconds(0);
    }
    if (answer.kind == Answer::Kind::kRefused) {
        shared.Log("ERROR:MES拒收报告" + report->key + "：" + answer.text);
        shared.spool.Refused(*report, answer.text);
        return std::chrono::milliseconds(0);
    }
    if (reachedBefore) {
        shared.Log("ERROR:MES报告发送失败，稍后重试：" + answer.text);
    }
    return std::max(retry, shared.timing.firstRetry);
}

// The call, on a thread of its own, waited for at most its timeout (and a moment) whatever the
// transport's own timeouts do; whileWaiting called about every 50 ms meanwhile. A call that
// outlasts the wait is left to end by itself.
HttpResponse Bounded(const HttpRequest& request, const StationMes::WhileWaiting& whileWaiting) {
    auto result = std::make_shared<std::promise<HttpResponse>>();
    std::future<HttpResponse> call = result->get_future();
    std::thread([request, result] { result->set_value(Post(request)); }).detach();
    const auto deadline =
        std::chrono::steady_clock::now() + request.timeout + std::chrono::milliseconds(200);
    while (call.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (std::chrono::steady_clock::now() > deadline) {
            HttpResponse late;
            late.failure = HttpResponse::Failure::kTimedOut;
            late.error = std::to_string(request.timeout.count()) + " ms";
            return late;
        }
        if (whileWaiting) {
            whileWaiting();
        }
    }
    return call.get();
}

// What the worker does next: stop, or send with these settings (none: nothing to send).
struct Turn {
    bool stop = false;
    std::optional<MesSettings> settings;
};

// Waits for a poke, the stop, or wait's end (max: no end).
Turn AwaitTurn(Shared& shared, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(shared.mutex);
    const auto woken = [&] { return shared.stop || shared.poked; };
    if (wait == std::chrono::milliseconds::max()) {
        shared.changed.wait(lock, woken);
    } else {
        shared.changed.wait_for(lock, wait, woken);
    }
    if (shared.stop) {
        return {true, std::nullopt};
    }
    shared.poked = false;
    shared.busy = shared.settings && !shared.settings->reportUrl.empty();
    return {false, shared.busy ? shared.settings : std::nullopt};
}

// Tells the station that the spool or the state changed; false once the station is gone.
bool TellStation(Shared& shared) {
    std::unique_lock<std::mutex> lock(shared.mutex);
    if (!shared.stop) {  // the destructor waits until the station is told
        shared.notifying = true;
        lock.unlock();
        shared.notify();
        lock.lock();
        shared.notifying = false;
    }
    shared.busy = false;
    shared.changed.notify_all();
    return !shared.stop;
}

void Work(const std::shared_ptr<Shared>& shared) {
    std::chrono::milliseconds wait(0);
    std::chrono::milliseconds retry(0);
    for (;;) {
        const Turn turn = AwaitTurn(*shared, wait);
        if (turn.stop) {
            return;
        }
        if (!turn.settings) {
            wait = std::chrono::milliseconds::max();
            continue;
        }
        try {
            wait = SendOldest(*shared, *turn.settings, retry);
        } catch (const std::exception& error) {  // a spool file that cannot be moved
            shared->Log(std::string("ERROR:MES报告队列：") + error.what());
            wait = shared->timing.firstRetry;
        }
        retry = wait.count() == 0 || wait == std::chrono::milliseconds::max()
                    ? std::chrono::milliseconds(0)
                    : std::min(wait * 2, shared->timing.longestRetry);
        if (!TellStation(*shared)) {
            return;  // the station is gone: nobody to notify
        }
    }
}

}  // namespace

std::string StatusText(const MesStatus& status) {
    // The reason is in the log: the counts stay in sight whatever the window's width.
    std::string text = !status.tried    ? "MES：已配置"
                       : status.reached ? "MES：已连接"
                                        : "MES：无法连接";
    if (status.waiting > 0) {
        text += "，" + std::to_string(status.waiting) + " 份报告待发送";
    }
    if (status.refused > 0) {
        text += "，" + std::to_string(status.refused) + " 份报告被拒收（见日志）";
    }
    return text;
}

StationMes::StationMes(std::string folder, std::string title, Notify notify, Timing timing)
    : shared_(std::make_shared<Shared>(std::move(folder), std::move(title), std::move(notify),
                                       timing)) {
    std::thread([shared = shared_] { Work(shared); }).detach();
}

StationMes::~StationMes() {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->stop = true;
    shared_->changed.notify_all();
    // A report's call under way may end now; one that takes longer is left to end with the
    // process (its report stays in the spool and goes again with its key at the next start).
    shared_->changed.wait_for(lock, shared_->timing.stopWait, [this] { return !shared_->busy; });
    shared_->changed.wait(lock, [this] { return !shared_->notifying; });  // never after this
}

void StationMes::Configure(const MesSettings& settings) {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->settings == settings) {
        return;
    }
    shared_->lines.push_back("MES：" + MaskedUrl(settings.checkUrl) + " " +
                             MaskedUrl(settings.reportUrl) + "，工位" + settings.station +
                             "，工序" + settings.step);
    shared_->settings = settings;
    shared_->poked = true;
    shared_->changed.notify_all();
}

Answer StationMes::Check(Fields fields, const WhileWaiting& whileWaiting) {
    MesSettings settings;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        settings = shared_->settings.value_or(MesSettings{});
    }
    fields["station"] = settings.station;
    fields["step"] = settings.step;
    const HttpRequest request{settings.checkUrl, FilledBody(settings.checkBody, fields),
                              Headers(settings), settings.timeout};
    const HttpResponse response = Bounded(request, whileWaiting);
    Answer answer = ReadAnswer(response, settings);
    answer.text = Secrets(settings).Masked(answer.text);  // an MES may echo what it was sent
    if (answer.kind == Answer::Kind::kOk || answer.kind == Answer::Kind::kRefused) {
        // The MES answers: reports waiting for a retry go now.
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->poked = true;
        shared_->changed.notify_all();
    }
    std::string line = "MES进站检查 " + fields["label"] + "：";
    if (answer.kind == Answer::Kind::kOk) {
        line += "允许";
    } else {
        line += answer.text;
        line += response.body.empty() ? "" : "（应答：" + Cut(response.body) + "）";
    }
    shared_->Log(line);
    return answer;
}

std::string StationMes::Report(Fields fields) {
    MesSettings settings;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        settings = shared_->settings.value_or(MesSettings{});
    }
    fields["station"] = settings.station;
    fields["step"] = settings.step;
    const std::string key = shared_->spool.Add(Digits(fields["time"]), [&](const std::string& k) {
        fields["key"] = k;
        return FilledBody(settings.reportBody, fields);
    });
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->poked = true;
    shared_->changed.notify_all();
    return key;
}

MesStatus StationMes::Status() const {
    MesStatus status;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        status = shared_->status;
    }
    status.waiting = shared_->spool.Waiting();
    status.refused = shared_->spool.RefusedCount();
    return status;
}

std::vector<std::string> StationMes::TakeLogLines() {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    return std::exchange(shared_->lines, {});
}

}  // namespace mes
