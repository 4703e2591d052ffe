#include "station/press/record_appender.h"

#include <exception>
#include <utility>

namespace station {

namespace {

// Rows wait in memory up to this many bytes: thousands of presses, while the check refuses to
// program any board whose row could not be written.
constexpr std::size_t kRowsKeptInMemory = std::size_t{4} << 20;

}  // namespace

ProductionRecordFile::ProductionRecordFile(const std::string& owner, log4me::Clock clock)
    : file_(record::kRecordExtension, std::string(record::kByteOrderMark) + record::CsvHeader(),
            false, owner, kRowsKeptInMemory),
      clock_(std::move(clock)) {}

log4me::AppendResult ProductionRecordFile::Append(const std::string& folder,
                                                  record::ProductionRecord& record) noexcept {
    try {
        const log4me::ClockReading now = clock_();
        record.time = now.local;
        log4me::AppendResult result =
            file_.Append(folder, now.local, record::CsvRow(record), now.steady);
        if (result.placement == log4me::Placement::kWaitingInMemory ||
            result.placement == log4me::Placement::kLost) {
            log4me::ReportFailure(result.problem);
        }
        return result;
    } catch (const std::exception& error) {
        return {log4me::Placement::kLost, error.what()};
    }
}

}  // namespace station
