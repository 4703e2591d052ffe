// The aggregates behind the counts and the charts of all stations together: the presses, the
// presses per hour of the day, the failures by error code and the cycle-time histogram.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "report/aggregate.h"

namespace report {

// The cycle-time histogram's buckets: 10 ms each up to 300 s (the programming run's limit);
// longer runs fall in the last.
inline constexpr std::uint32_t kBucketMs = 10;
inline constexpr std::size_t kBuckets = 30000 + 1;

class PressCount : public Aggregate {
public:
    void Update(const StationPress&) override { ++presses_; }
    std::uint64_t Presses() const { return presses_; }

private:
    std::uint64_t presses_ = 0;
};

// PASS and FAIL presses by the clock hour they were made in, all days added up.
class HourlyPresses : public Aggregate {
public:
    void Update(const StationPress& row) override;
    const std::array<std::uint64_t, 24>& Pass() const { return pass_; }
    const std::array<std::uint64_t, 24>& Fail() const { return fail_; }

private:
    std::array<std::uint64_t, 24> pass_{}, fail_{};
};

// FAIL presses by error code (kNoCode for none).
class FailureCodes : public Aggregate {
public:
    void Update(const StationPress& row) override;
    const std::map<int, std::uint64_t>& ByCode() const { return byCode_; }

private:
    std::map<int, std::uint64_t> byCode_;
};

// The passing runs' run_ms in kBuckets buckets of kBucketMs.
class CycleTimes : public Aggregate {
public:
    void Update(const StationPress& row) override;
    const std::vector<std::uint64_t>& Buckets() const { return buckets_; }

private:
    std::vector<std::uint64_t> buckets_ = std::vector<std::uint64_t>(kBuckets);
};

}  // namespace report
