#include "nrfutil_tasks.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <utility>

#include <nlohmann/json.hpp>

#include "memory_text.h"
#include "simulated_probes.h"
#include "standin_output.h"

namespace sim::nrfutil {

namespace {

// Keys in the order nrfutil prints them.
using Json = nlohmann::ordered_json;

constexpr std::size_t kSerialDigits = 12;

void PrintJson(const Json& message) {
    // Text that is not UTF-8 (a setting read from an ANSI environment) must not end the run.
    PrintRawLine(message.dump(-1, ' ', false, Json::error_handler_t::replace));
}

// 32 hexadecimal digits, like nrfutil's task ids.
std::string NewTaskId() {
    std::random_device device;
    std::mt19937_64 generator(
        (std::uint64_t{device()} << 32) ^ device() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    char id[33];
    std::snprintf(id, sizeof id, "%016llx%016llx", static_cast<unsigned long long>(generator()),
                  static_cast<unsigned long long>(generator()));
    return id;
}

Json TaskObject(const std::string& id, const std::string& name, const std::string& description) {
    return {{"id", id}, {"description", description}, {"name", name}, {"data", nullptr}};
}

Json Message(const char* type, Json data) {
    return {{"type", type}, {"data", std::move(data)}};
}

bool IsDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string JsonSerial(const std::string& serial) {
    if (!IsDigits(serial)) {
        return serial;
    }
    const std::string bare = WithoutLeadingZeros(serial);
    return std::string(kSerialDigits - std::min(bare.size(), kSerialDigits), '0') + bare;
}

Json DeviceObject(std::size_t index, const std::string& serial) {
    const std::string padded = JsonSerial(serial);
    return {{"id", index + 1},
            {"probe", "{}"},
            {"serialNumber", padded},
            {"serialPorts", Json::array()},
            {"traits",
             {{"boardController", false},
              {"broken", false},
              {"devkit", false},
              {"jlink", true},
              {"mcuBoot", false},
              {"modem", false},
              {"nordicDfu", false},
              {"nordicUsb", false},
              {"seggerUsb", true},
              {"serialPorts", false},
              {"usb", true}}},
            {"usb", {{"manufacturer", "SEGGER"}, {"product", "J-Link"}, {"serialNumber", padded}}}};
}

const char* ErrorKind(ErrorCode code) {
    switch (code) {
        case kErrorProtected:
            return "NotAvailableBecauseProtection";
        case kErrorVerify:
            return "VerifyError";
        case kErrorGeneric:
            break;
    }
    return "Generic";
}

}  // namespace

Task::Task(bool json, std::string name, std::string description, std::string serialNumber)
    : json_(json),
      id_(NewTaskId()),
      name_(std::move(name)),
      description_(std::move(description)),
      serialNumber_(WithoutLeadingZeros(serialNumber)),
      start_(std::chrono::steady_clock::now()) {
    if (json_) {
        PrintJson(Message("task_begin", {{"task", TaskObject(id_, name_, description_)}}));
    }
}

void Task::Progress(int percent, const std::string& description, int step, int steps) const {
    if (json_) {
        Json progress{{"progressPercentage", percent}, {"description", description}};
        if (step != 0) {
            progress["step"] = step;
            progress["amountOfSteps"] = steps;
        }
        PrintJson(Message("task_progress", {{"task", TaskObject(id_, name_, description_)},
                                            {"progress", std::move(progress)}}));
    }
}

void Task::Succeed(const std::string& message) const {
    if (json_) {
        PrintJson(Message("task_end", {{"task", TaskObject(id_, name_, description_)},
                                       {"message", message},
                                       {"result", "success"},
                                       {"error", nullptr}}));
    } else {
        PrintRawLine(Elapsed() + " ###### 100% [" + serialNumber_ + "] " + message);
    }
}

void Task::SucceedWithMemory(std::uint32_t address, const std::vector<std::uint8_t>& bytes,
                             unsigned widthBits) const {
    if (!json_) {
        Succeed("Read");
        for (const std::string& line : MemoryLines(address, bytes, widthBits)) {
            PrintRawLine(line);
        }
        return;
    }
    const Json memory = {{"startAddress", address}, {"values", bytes}};
    PrintJson(Message("task_end", {{"task", TaskObject(id_, name_, description_)},
                                   {"message", "Read"},
                                   {"result", "success"},
                                   {"error", nullptr},
                                   {"data", {{"memoryData", Json::array({memory})}}}}));
}

void Task::Fail(ErrorCode code, const std::string& description) const {
    if (json_) {
        PrintJson(Message("task_end", {{"task", TaskObject(id_, name_, description_)},
                                       {"message", "Failed"},
                                       {"result", "fail"},
                                       {"error", {{"code", code}, {"description", description}}}}));
        return;
    }
    PrintRawLine(Elapsed() + " ------   0% [" + serialNumber_ + "] Failed, " + description);
    PrintErrorLine("One or more " + name_ + " tasks failed:");
    PrintRawErrorLine(" * " + serialNumber_ + ": " + description + " (" + ErrorKind(code) + ")");
}

std::string Task::Elapsed() const {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start_)
            .count();
    char text[32];
    std::snprintf(text, sizeof text, "[%02lld:%02lld:%02lld]",
                  static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

void PrintErrorLine(std::string_view text) {
    PrintRawErrorLine("Error: " + std::string(text));
}

void PrintDeviceList(bool json, const std::vector<std::string>& serialNumbers) {
    if (!json) {
        for (const std::string& serial : serialNumbers) {
            PrintRawLine(WithoutLeadingZeros(serial));
            PrintRawLine("Product         J-Link");
            PrintRawLine("Traits          jlink, seggerUsb, usb");
            PrintRawLine("");
        }
        PrintRawLine("Supported devices found: " + std::to_string(serialNumbers.size()));
        return;
    }
    Json devices = Json::array();
    for (std::size_t i = 0; i < serialNumbers.size(); ++i) {
        devices.push_back(DeviceObject(i, serialNumbers[i]));
    }
    const Json task = TaskObject(NewTaskId(), "list_devices", "list_devices");
    PrintJson(Message("task_begin", {{"task", task}}));
    PrintJson(Message("task_end", {{"task", task},
                                   {"message", "Completed"},
                                   {"result", "success"},
                                   {"error", nullptr},
                                   {"type", "devices"},
                                   {"data", {{"devices", devices}}}}));
    PrintJson(Message("info", {{"devices", devices}}));
}

}  // namespace sim::nrfutil
