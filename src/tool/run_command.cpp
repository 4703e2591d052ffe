#include "run_command.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "os.h"

namespace tool {

namespace {

using Clock = std::chrono::steady_clock;

// How often whileWaiting runs, and so the longest single wait for output.
constexpr std::chrono::milliseconds kTick{50};

// The pipe is read in pieces of at most this many bytes.
constexpr std::size_t kPieceSize = 255;

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
                         const std::function<void()>& whileWaiting) {
    std::unique_ptr<os::ChildProcess> child = os::ChildProcess::Start(commandLine, workingFolder);
    if (!child) {
        return {};
    }

    // Raw bytes, decoded once at the end, so a character split across two pieces stays whole.
    std::string raw;
    char piece[kPieceSize];
    const Clock::time_point deadline = Clock::now() + limit;
    Clock::time_point nextTick = Clock::now() + kTick;
    bool timedOut = false;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            timedOut = true;
            break;
        }
        if (now >= nextTick) {
            if (whileWaiting) {
                whileWaiting();
            }
            nextTick = Clock::now() + kTick;
        }
        const long count =
            child->Read(piece, kPieceSize, MillisecondsUntil(std::min(deadline, nextTick)));
        if (count == os::ChildProcess::kEnded) {
            break;
        }
        if (count > 0) {
            // A piece ends at its first zero byte; what follows it in the piece is dropped.
            const auto* end = static_cast<const char*>(std::memchr(piece, '\0', count));
            raw.append(piece, end != nullptr ? end - piece : count);
        }
    }
    if (timedOut) {
        child->Terminate();
    }
    child->Wait();
    child.reset();

    CommandResult result;
    result.output = os::FromAnsi(raw);
    result.timedOut = timedOut;
    if (timedOut) {
        if (!result.output.empty() && result.output.back() != '\n') {
            result.output += '\n';
        }
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(limit);
        result.output += TimeoutLine(seconds.count()) + "\n";
    }
    return result;
}

}  // namespace tool
