#include "report/press_counts.h"

#include <algorithm>

namespace report {

void HourlyPresses::Update(const StationPress& row) {
    ++(row.press.pass ? pass_ : fail_)[HourOf(row.press)];
}

void FailureCodes::Update(const StationPress& row) {
    if (!row.press.pass) {
        ++byCode_[row.press.errorCode];
    }
}

void CycleTimes::Update(const StationPress& row) {
    if (row.press.pass && row.press.runMs) {
        ++buckets_[std::min<std::size_t>(*row.press.runMs / kBucketMs, kBuckets - 1)];
    }
}

}  // namespace report
