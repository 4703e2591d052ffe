#include "run_command.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "child_process.h"
#include "output_capture.h"
#include "text.h"

namespace tool {

namespace {

using Clock = std::chrono::steady_clock;

// How often whileWaiting runs, and so the longest single wait for output.
constexpr std::chrono::milliseconds kTick{50};

// How often the output so far is given to whileWaiting at the most.
constexpr std::chrono::milliseconds kRecentOutputInterval{100};

// How long output is still read once the interpreter has ended: a worker it left behind may
// hold the pipe open for ever, but what was printed just before the end still counts.
constexpr std::chrono::milliseconds kGrace{1000};

// Output is read in pieces this large; how it is split into reads does not change the text.
constexpr std::size_t kReadSize = 64 * 1024;

// Milliseconds from now until then, at least 0; rounded up so a wait never ends early.
int MillisecondsUntil(Clock::time_point then) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(then - Clock::now());
    return static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, kTick.count()));
}

}  // namespace

std::string TimeoutLine(long long limitSeconds) {
    return "ERROR:命令在" + std::to_string(limitSeconds) + "秒内未结束，已被终止。";
}

CommandResult RunCommand(const std::string& commandLine, const std::string& workingFolder,
                         std::chrono::milliseconds limit,
                         const std::function<void(const RunProgress&)>& whileWaiting,
                         const RunOptions& options) {
    std::unique_ptr<os::ChildProcess> child =
        os::ChildProcess::Start(commandLine, workingFolder, options.environment);
    if (!child) {
        return {};
    }

    OutputCapture capture(OutputCapture::kDefaultBound, options.encoding);
    std::vector<char> buffer(kReadSize);
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + limit;
    // What whileWaiting was last given of the output, and when.
    std::size_t recentReceived = 0;
    std::string recentOutput;
    Clock::time_point recentGiven = start;
    Clock::time_point nextTick = Clock::now() + kTick;
    std::optional<Clock::time_point> graceEnd;  // set when the interpreter has ended
    bool pipeOpen = true;
    bool timedOut = false;
    // The run is over when the pipe has ended and the interpreter too, or when the interpreter
    // has ended and the grace period is over. Every wait is bounded by the deadline.
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (graceEnd && (!pipeOpen || now >= *graceEnd)) {
            break;
        }
        if (now >= deadline) {
            timedOut = true;
            break;
        }
        if (now >= nextTick) {
            if (whileWaiting) {
                RunProgress progress;
                progress.elapsed =
                    std::chrono::duration_cast<std::chrono::milliseconds>(now - start);
                if (capture.Received() != recentReceived &&
                    now - recentGiven >= kRecentOutputInterval) {
                    recentReceived = capture.Received();
                    recentGiven = now;
                    std::string recent = capture.RecentLines(kRecentOutputBound);
                    if (recent != recentOutput) {
                        recentOutput = std::move(recent);
                        progress.recentOutput = &recentOutput;
                    }
                }
                whileWaiting(progress);
            }
            nextTick = Clock::now() + kTick;
        }
        const Clock::time_point waitUntil =
            std::min({deadline, nextTick, graceEnd.value_or(deadline)});
        if (pipeOpen) {
            const long count =
                child->Read(buffer.data(), buffer.size(), MillisecondsUntil(waitUntil));
            if (count == os::ChildProcess::kEnded) {
                pipeOpen = false;
            } else if (count > 0) {
                capture.Append(buffer.data(), static_cast<std::size_t>(count));
            }
        }
        const int waitForEnd = pipeOpen ? 0 : MillisecondsUntil(waitUntil);
        if (!graceEnd && child->WaitForEnd(waitForEnd)) {
            graceEnd = std::min(Clock::now() + kGrace, deadline);  // ended in time: no timeout
        }
    }
    CommandResult result;
    result.exitCode = timedOut ? -1 : child->ExitCode();
    child->Terminate();  // what is left of the tree, also when the interpreter ended by itself
    child.reset();

    result.output = capture.Text();
    result.timedOut = timedOut;
    if (timedOut) {
        if (!result.output.empty() && result.output.back() != '\n') {
            result.output += os::kLineBreak;
        }
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(limit);
        result.output += TimeoutLine(seconds.count()) + os::kLineBreak;
    }
    return result;
}

}  // namespace tool
