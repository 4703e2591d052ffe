#include "log4me/log4me.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

namespace log4me {

namespace {

// The program's logger. The lock guards only which logger there is; each logger guards its
// own lines.
struct Module {
    std::mutex lock;
    std::shared_ptr<Logger> logger;
    Clock clock;
    // Whether a test set the clock: without one, a line reads the system's clock without the lock.
    std::atomic<bool> clockSet{false};
};

Module& TheModule() {
    static Module module;
    return module;
}

// The clock tests set, read at every reading, so that a change reaches the running logger.
ClockReading ModuleClock() {
    Module& module = TheModule();
    if (!module.clockSet.load(std::memory_order_acquire)) {
        return SystemClock();
    }
    std::lock_guard<std::mutex> guard(module.lock);
    return module.clock ? module.clock() : SystemClock();
}

std::shared_ptr<Logger> Running() {
    Module& module = TheModule();
    std::lock_guard<std::mutex> guard(module.lock);
    return module.logger;
}

}  // namespace

void Start(const std::string& appFolder, const std::string& owner) {
    Module& module = TheModule();
    try {
        // Made outside the lock: the logger reads the module's clock as it starts.
        auto logger = std::make_shared<Logger>(appFolder, owner, ModuleClock);
        std::lock_guard<std::mutex> guard(module.lock);
        module.logger = std::move(logger);
    } catch (...) {
    }
    LogInfo(os::AnsiString("log4me:application starting...."));
}

void Stop() {
    LogInfo(os::AnsiString("log4me:application stoping...."));
    Module& module = TheModule();
    std::lock_guard<std::mutex> guard(module.lock);
    module.logger.reset();
}

void LogError(const os::AnsiString& message) {
    if (const std::shared_ptr<Logger> logger = Running()) {
        logger->Error(message);
    }
}

void LogInfo(const os::AnsiString& message) {
    if (const std::shared_ptr<Logger> logger = Running()) {
        logger->Info(message);
    }
}

void ReportFailure(const std::string& message) noexcept {
    try {
        if (const std::shared_ptr<Logger> logger = Running()) {
            logger->ReportFailure(message);
        }
    } catch (...) {
    }
}

ClockReading Now() {
    return ModuleClock();
}

std::string DailyFileName(const os::LocalTime& date) {
    return DatedFileAppender::FileName(date, ".log");
}

void SetClock(Clock clock) {
    Module& module = TheModule();
    std::lock_guard<std::mutex> guard(module.lock);
    module.clockSet.store(static_cast<bool>(clock), std::memory_order_release);
    module.clock = std::move(clock);
}

}  // namespace log4me
