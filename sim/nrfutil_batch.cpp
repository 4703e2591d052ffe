#include "nrfutil_batch.h"

#include <exception>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "nrfutil_commands.h"
#include "nrfutil_tasks.h"
#include "platform/files.h"
#include "standin_output.h"

namespace sim::nrfutil {

namespace {

using Json = nlohmann::ordered_json;

const char* EraseName(EraseMode mode) {
    switch (mode) {
        case EraseMode::kNone:
            return "ERASE_NONE";
        case EraseMode::kRangesTouched:
            return "ERASE_RANGES_TOUCHED_BY_FIRMWARE";
        case EraseMode::kControlAccess:
            return "ERASE_CTRL_AP";
        case EraseMode::kAll:
            break;
    }
    return "ERASE_ALL";
}

Json OperationOf(const Request& request) {
    switch (request.command) {
        case Command::kProgram:
            return {{"type", "program"},
                    {"firmware", {{"file", request.firmware}}},
                    {"options",
                     {{"chip_erase_mode", EraseName(request.erase)},
                      {"verify", request.verify ? "VERIFY_READ" : "VERIFY_NONE"},
                      {"reset", request.resetAfterProgram.empty() ? "RESET_NONE"
                                                                  : request.resetAfterProgram}}}};
        case Command::kRecover:
            return {{"type", "recover"}};
        case Command::kProtectionSet:
            return {{"type", "protection-set"}, {"protection", "All"}};
        case Command::kReset:
            return {{"type", "reset"}, {"option", request.resetKind}};
        case Command::kRead:
            return {{"type", "read"},
                    {"address", request.address},
                    {"bytes", request.byteCount},
                    {"width", request.widthBits}};
        default:
            return {{"type", "write"}, {"address", request.address}, {"value", request.value}};
    }
}

Json EntryOf(const Request& request, std::size_t id) {
    Json entry = {{"operation", OperationOf(request)}};
    entry["core"] = request.core.empty() ? "Application" : request.core;
    entry["operationId"] = std::to_string(id);
    return entry;
}

// The request an entry of a batch file asks for; throws on an entry of another shape.
Request RequestOf(const Json& entry, const Request& batch) {
    const Json& operation = entry.at("operation");
    const std::string type = operation.at("type").get<std::string>();
    Request request;
    request.json = batch.json;
    request.serialNumber = batch.serialNumber;
    request.family = entry.value("family", std::string());
    request.core = entry.value("core", std::string());
    if (type == "program") {
        request.command = Command::kProgram;
        request.firmware = operation.at("firmware").at("file").get<std::string>();
        const Json& options = operation.at("options");
        const std::string erase = options.value("chip_erase_mode", "ERASE_ALL");
        request.erase = erase == "ERASE_NONE"                         ? EraseMode::kNone
                        : erase == "ERASE_RANGES_TOUCHED_BY_FIRMWARE" ? EraseMode::kRangesTouched
                        : erase == "ERASE_CTRL_AP"                    ? EraseMode::kControlAccess
                                                                      : EraseMode::kAll;
        request.verify = options.value("verify", "VERIFY_NONE") == "VERIFY_READ";
        const std::string reset = options.value("reset", "RESET_NONE");
        request.resetAfterProgram = reset == "RESET_NONE" ? "" : reset;
    } else if (type == "recover") {
        request.command = Command::kRecover;
    } else if (type == "protection-set") {
        request.command = Command::kProtectionSet;
    } else if (type == "reset") {
        request.command = Command::kReset;
        request.resetKind = operation.value("option", "RESET_SYSTEM");
    } else if (type == "read") {
        request.command = Command::kRead;
        request.address = operation.at("address").get<std::uint32_t>();
        request.byteCount = operation.at("bytes").get<std::uint32_t>();
        request.widthBits = operation.value("width", 32u);
    } else if (type == "write") {
        request.command = Command::kWrite;
        request.address = operation.at("address").get<std::uint32_t>();
        request.value = operation.at("value").get<std::uint32_t>();
    } else {
        throw std::runtime_error("The operation type '" + type + "' is not known.");
    }
    return request;
}

Json ReadBatch(const std::string& path) {
    return Json::parse(os::ReadWholeFile(path, os::Share::kRead));
}

}  // namespace

int AddToBatch(const Request& request, const Settings& settings) {
    // As a careful tool does: a batch never names an image that is not there.
    if (!request.firmware.empty() && !os::FileExists(request.firmware)) {
        PrintErrorLine("The firmware file " + request.firmware + " does not exist.");
        return kExitFailed;
    }
    try {
        Json entry = EntryOf(request, 1);
        if (!request.family.empty()) {
            entry["family"] = request.family;
        }
        if (request.generate) {
            PrintRawLine(entry.dump());
            return kExitOk;
        }
        Json batch = os::FileExists(request.appendBatch)
                         ? ReadBatch(request.appendBatch)
                         : Json{{"nrfutil_device_version", settings.deviceVersion},
                                {"operations", Json::array()}};
        if (!request.family.empty()) {
            batch["family"] = request.family;
        }
        entry["operationId"] = std::to_string(batch.at("operations").size() + 1);
        batch.at("operations").push_back(entry);
        os::ReplaceFileContent(request.appendBatch, batch.dump(2) + "\n");
        return kExitOk;
    } catch (const std::exception& e) {
        PrintErrorLine(e.what());
        return kExitFailed;
    }
}

int ExecuteBatch(const Request& request, const Settings& settings,
                 const std::function<int(const Request&)>& runOne) {
    Json batch;
    try {
        batch = ReadBatch(request.batchFile);
    } catch (const std::exception& e) {
        PrintErrorLine(std::string("The batch file cannot be read: ") + e.what());
        return kExitFailed;
    }
    const std::string version = batch.value("nrfutil_device_version", std::string("(none)"));
    if (version != settings.deviceVersion) {
        PrintErrorLine("The batch file is of nrfutil-device version " + version +
                       ", this is version " + settings.deviceVersion + ": generate it again.");
        return kExitFailed;
    }
    BeginBatch(request.serialNumber);
    int exitCode = kExitOk;
    std::size_t index = 0;
    for (const Json& entry : batch.value("operations", Json::array())) {
        ++index;
        try {
            const Request operation = RequestOf(entry, request);
            if (index == settings.batchFail) {
                Task(request.json, "operation", "Operation " + std::to_string(index),
                     request.serialNumber)
                    .Fail(kErrorGeneric,
                          "Rehearsed failure of operation " + std::to_string(index) + ".");
                exitCode = kExitFailed;
            } else {
                exitCode = runOne(operation);
            }
        } catch (const std::exception& e) {
            Task(request.json, "operation", "Operation", request.serialNumber)
                .Fail(kErrorGeneric, e.what());
            exitCode = kExitFailed;
        }
        if (exitCode != kExitOk) {
            break;
        }
    }
    EndBatch(request.json);
    return exitCode;
}

}  // namespace sim::nrfutil
