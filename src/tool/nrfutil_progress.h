// The progress `nrfutil --json device ...` reports while it works: its newest task_progress
// message, plain or wrapped in a batch_update of batch-execute. A pure function over the output
// as it has arrived so far; it never throws. What it cannot read for certain it leaves out:
// nothing shown is better than a wrong step.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tool {

// More steps than any task of nrfutil has: a count beyond it is not believed.
inline constexpr int kMaxSteps = 999;

// One task_progress message, as far as it could be read.
struct NrfutilProgress {
    std::optional<int> percent;  // progress.progressPercentage in 0..100, rounded down
    // progress.step of progress.amountOfSteps, both 0 unless they are whole numbers with
    // 1 <= step <= amountOfSteps <= kMaxSteps.
    int step = 0;
    int steps = 0;
    std::string description;  // progress.description; "" when it is missing or not a string
};

// The newest progress in output: the last complete line (one that a line end closes) that is a
// task_progress message, read backwards from the end, so that megabytes before it cost nothing.
// None when
//   - no complete task_progress line is found, or a task_begin comes after the newest one (a new
//     task has begun and has reported nothing yet);
//   - the newest one holds neither a percentage in 0..100 nor a valid step count.
// A percentage out of range or a step past the count is left out, not corrected.
std::optional<NrfutilProgress> NewestNrfutilProgress(std::string_view output);

}  // namespace tool
