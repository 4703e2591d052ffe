// What the nrfutil stand-in prints of its tasks. With --json: one JSON message per line, of the
// shape nrfutil prints (task_begin, task_progress, task_end; a device list's task_end carries
// the devices and is followed by an info line). Without it: lines like nrfutil's own text.
// Output is UTF-8, as nrfutil writes it; every line is flushed as it is printed.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim::nrfutil {

// The code in a failed task's error.
enum ErrorCode : int {
    kErrorGeneric = 1,     // the stand-in's own, for everything but the two below
    kErrorProtected = 24,  // not available because of protection
    kErrorVerify = 25,     // verify failed
};

// One task on one probe: printing it begins it; it ends with Succeed or Fail, or not at all.
class Task {
public:
    Task(bool json, std::string name, std::string description, std::string serialNumber);

    // A task_progress line (nothing without --json): progress.{progressPercentage, description},
    // and step of amountOfSteps when step is not 0.
    void Progress(int percent, const std::string& description, int step = 0, int steps = 0) const;
    // The task's successful end, with the message that says what was done.
    void Succeed(const std::string& message) const;
    // The successful end of a read of bytes at address: with --json the task_end carries them
    // as data.data.memoryData = [{"startAddress": address, "values": [bytes]}]; without it the
    // success line is followed by the memory's lines (memory_text.h) in units of widthBits.
    void SucceedWithMemory(std::uint32_t address, const std::vector<std::uint8_t>& bytes,
                           unsigned widthBits) const;
    // The task's failed end. Without --json the failure line, then on standard error
    // "Error: One or more <name> tasks failed:" and " * <serial>: <description> (<kind>)".
    void Fail(ErrorCode code, const std::string& description) const;

private:
    std::string Elapsed() const;

    bool json_;
    std::string id_;
    std::string name_;
    std::string description_;
    std::string serialNumber_;
    std::chrono::steady_clock::time_point start_;
};

// The output of `device list` for J-Link probes with these serial numbers. In JSON a serial
// number of digits is zero-padded to 12 digits, as nrfutil prints it; in text it has no
// leading zeros.
void PrintDeviceList(bool json, const std::vector<std::string>& serialNumbers);

// "Error: " + text on standard error: how nrfutil reports what is no task's result.
void PrintErrorLine(std::string_view text);

}  // namespace sim::nrfutil
