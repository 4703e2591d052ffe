// A program the Linux tests run directly (not through the station's runner), with its output
// read from pipes, so that what a program prints and how it ends can be checked on their own.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace test_support {

enum class Streams { kCombined, kSeparate };

// One run of a program in its own process group, with the environment of the tests minus every
// STANDIN_ variable (each test sets its own rehearsal faults) plus variables. The destructor
// kills what is still running and reaps it, so no test leaves a process behind.
class RunningProgram {
public:
    // Far beyond any run of a test's program; only reached when it is broken.
    static constexpr std::chrono::milliseconds kGenerousLimit{60000};

    RunningProgram(const std::vector<std::string>& arguments, const std::string& workingFolder,
                   const std::vector<std::string>& variables = {},
                   Streams streams = Streams::kCombined);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Reads until every writer has closed the pipes; false when the limit passed first.
    bool ReadToEnd(std::chrono::milliseconds limit = kGenerousLimit);
    // Reads until the output (standard output alone with separate streams) contains text.
    bool ReadUntil(const std::string& text, std::chrono::milliseconds limit = kGenerousLimit);
    // The exit code once the process has ended; -1 when it was ended by a signal.
    int Wait();

    const std::string& Output() const { return output_; }
    const std::string& Errors() const { return errors_; }
    // Standard output as the reads delivered it.
    const std::vector<std::string>& Reads() const { return reads_; }

private:
    bool ReadWhile(const std::function<bool()>& goOn, std::chrono::milliseconds limit);
    void Take(os::UniqueFd& fd, std::string& into, bool recordReads);

    pid_t pid_ = -1;
    bool reaped_ = false;
    os::UniqueFd out_;
    os::UniqueFd err_;
    std::string output_;
    std::string errors_;
    std::vector<std::string> reads_;
};

}  // namespace test_support
