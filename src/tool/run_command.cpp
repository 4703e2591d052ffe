#include "tool/run_command.h"

#include <algorithm>
#include <atomic>
#include <optional>
#include <utility>
#include <vector>

#include "platform/child_process.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "tool/output_capture.h"

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

// Calls whileWaiting once a tick with the run's progress. The output's newest lines go along
// only when they changed, and at most every kRecentOutputInterval: decoding them costs time that
// a chatty tool would otherwise take from the window.
class ProgressReporter {
public:
    ProgressReporter(const std::function<void(const RunProgress&)>& whileWaiting,
                     Clock::time_point start)
        : whileWaiting_(whileWaiting),
          start_(start),
          linesGiven_(start),
          nextTick_(start + kTick) {}

    // When the next call is due; output is waited for until then at the most.
    Clock::time_point NextTick() const { return nextTick_; }

    // Calls whileWaiting when its tick has come.
    void Tick(const OutputCapture& capture, Clock::time_point now) {
        if (now < nextTick_) {
            return;
        }
        if (whileWaiting_) {
            RunProgress progress;
            progress.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start_);
            progress.recentOutput = ChangedLines(capture, now);
            whileWaiting_(progress);
        }
        nextTick_ = Clock::now() + kTick;  // the time whileWaiting took does not count
    }

private:
    // The newest lines when they are due and differ from those given last; null otherwise.
    const std::string* ChangedLines(const OutputCapture& capture, Clock::time_point now) {
        if (capture.Received() == received_ || now - linesGiven_ < kRecentOutputInterval) {
            return nullptr;
        }
        received_ = capture.Received();
        linesGiven_ = now;
        std::string lines = capture.RecentLines(kRecentOutputBound);
        if (lines == lines_) {
            return nullptr;
        }
        lines_ = std::move(lines);
        return &lines_;
    }

    const std::function<void(const RunProgress&)>& whileWaiting_;
    Clock::time_point start_;
    std::size_t received_ = 0;  // of the output, when its lines were last looked at
    std::string lines_;         // what was given last
    Clock::time_point linesGiven_;
    Clock::time_point nextTick_;
};

// Reads the command's output into capture until the run is over: the interpreter has ended and
// so has the pipe or the grace period after it, or the deadline has come. Every wait is bounded
// by the deadline. Returns true when the deadline ended the run.
bool ReadUntilOver(os::ChildProcess& child, OutputCapture& capture, Clock::time_point deadline,
                   ProgressReporter& progress) {
    std::vector<char> buffer(kReadSize);
    std::optional<Clock::time_point> graceEnd;  // set when the interpreter has ended
    bool pipeOpen = true;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (graceEnd && (!pipeOpen || now >= *graceEnd)) {
            return false;
        }
        if (now >= deadline) {
            return true;
        }
        progress.Tick(capture, now);
        const Clock::time_point waitUntil =
            std::min({deadline, progress.NextTick(), graceEnd.value_or(deadline)});
        if (pipeOpen) {
            const long count =
                child.Read(buffer.data(), buffer.size(), os::MillisecondsUntil(waitUntil));
            if (count == os::ChildProcess::kEnded) {
                pipeOpen = false;
            } else if (count > 0) {
                capture.Append(buffer.data(), static_cast<std::size_t>(count));
            }
        }
        if (!graceEnd && child.WaitForEnd(pipeOpen ? 0 : os::MillisecondsUntil(waitUntil))) {
            graceEnd = std::min(Clock::now() + kGrace, deadline);  // ended in time: no timeout
        }
    }
}

// The failure every run reports while a test injects one.
std::atomic<const os::StartFailure*> injectedFailure{nullptr};

}  // namespace

InjectedStartFailure::InjectedStartFailure(os::StartFailure failure)
    : failure_(std::move(failure)) {
    injectedFailure = &failure_;
}

InjectedStartFailure::~InjectedStartFailure() {
    injectedFailure = nullptr;
}

CommandResult RunCommand(const std::string& commandLine, const std::string& workingFolder,
                         std::chrono::milliseconds limit,
                         const std::function<void(const RunProgress&)>& whileWaiting,
                         const RunOptions& options) {
    CommandResult notStarted;
    if (const os::StartFailure* injected = injectedFailure) {
        notStarted.notStarted = *injected;
        return notStarted;
    }
    os::StartFailure failure;
    std::unique_ptr<os::ChildProcess> child =
        os::ChildProcess::Start(commandLine, workingFolder, options.environment, &failure);
    if (!child) {
        notStarted.notStarted = std::move(failure);
        return notStarted;
    }
    OutputCapture capture(OutputCapture::kDefaultBound, options.encoding, options.cutNote);
    const Clock::time_point start = Clock::now();
    ProgressReporter progress(whileWaiting, start);

    CommandResult result;
    result.timedOut = ReadUntilOver(*child, capture, start + limit, progress);
    result.exitCode = result.timedOut ? -1 : child->ExitCode();
    child->Terminate();  // what is left of the tree, also when the interpreter ended by itself
    child.reset();

    result.output = capture.Text();
    if (result.timedOut && options.timeoutLine) {
        if (!result.output.empty() && result.output.back() != '\n') {
            result.output += os::kLineBreak;
        }
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(limit);
        result.output += options.timeoutLine(seconds.count()) + os::kLineBreak;
    }
    return result;
}

}  // namespace tool
