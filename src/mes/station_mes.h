// The factory's MES as a station service. The route check is a call made while the press waits
// (the window keeps painting); the reports go through a spool on disk (report_spool.h) and one
// worker thread, owned by this object, sends them in order, again and again with a growing
// delay while the MES is away or answers with a server error, and after a restart from where
// the spool stands. Each report carries its key (the body's {key} and an Idempotency-Key
// header), so an MES that deduplicates takes a report sent twice (a crash between its delivery
// and the spool's update) once. Secrets never reach a text this object gives.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mes/body_template.h"
#include "mes/mes_answer.h"
#include "mes/mes_settings.h"

namespace mes {

struct Timing {
    std::chrono::milliseconds firstRetry{1000};     // after the first failed send
    std::chrono::milliseconds longestRetry{60000};  // the delay doubles up to this
    std::chrono::milliseconds stopWait{300};        // how long the destructor waits for a call
};

struct MesStatus {
    bool tried = false;    // a report was sent or tried since the start
    bool reached = false;  // the last report's call had an answer
    std::string away;      // why not, when !reached
    std::size_t waiting = 0;
    std::size_t refused = 0;
};

// The state as Label_Database shows it after the database's: "MES：已连接", "MES：无法连接，3 份
// 报告待发送"...
std::string StatusText(const MesStatus& status);

struct Shared;

class StationMes {
public:
    using Notify = std::function<void()>;
    using WhileWaiting = std::function<void()>;

    // folder: where the spool is (ending in the separator). notify: called on the worker's
    // thread when the state changed; it must only ask the station's thread to look.
    StationMes(std::string folder, std::string title, Notify notify, Timing timing = {});
    ~StationMes();
    StationMes(const StationMes&) = delete;
    StationMes& operator=(const StationMes&) = delete;

    void Configure(const MesSettings& settings);

    // The route check of fields' label, waited for at most the timeout, whileWaiting called
    // about every 50 ms meanwhile. The call and its answer go to the log lines.
    Answer Check(Fields fields, const WhileWaiting& whileWaiting);
    // The press's report written durably (throws os::FileError when it cannot be), then sent by
    // the worker; returns its key.
    std::string Report(Fields fields);

    MesStatus Status() const;
    std::vector<std::string> TakeLogLines();

private:
    std::shared_ptr<Shared> shared_;
};

}  // namespace mes
