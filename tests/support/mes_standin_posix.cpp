#include "mes_standin_posix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

namespace test_support {

bool Eventually(const std::function<bool()>& happened) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!happened()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

StandinMes::StandinMes(const TempFolder& folder, int port, const std::string& tls)
    : folder_(folder), scheme_(tls.empty() ? "http" : "https") {
    std::vector<std::string> arguments = {
        "/usr/bin/python3", ROMTOOL_MES_STANDIN_PATH, "--received", folder / "received.jsonl",
        "--control",        folder / "control.json",  "--port",     std::to_string(port)};
    if (!tls.empty()) {
        arguments.insert(arguments.end(), {"--tls", tls + ".crt", tls + ".key"});
    }
    program_ = std::make_unique<RunningProgram>(arguments, folder.Path(),
                                                std::vector<std::string>{}, Streams::kSeparate);
    EXPECT_TRUE(program_->ReadUntil("\n")) << program_->Output() << program_->Errors();
    port_ = std::atoi(program_->Output().substr(program_->Output().find(' ') + 1).c_str());
}

std::string StandinMes::Url(const std::string& path) const {
    return scheme_ + "://127.0.0.1:" + std::to_string(port_) + path;
}

void StandinMes::Control(const std::string& json) const {
    folder_.Write("control.json", json);
}

std::vector<ReceivedCall> StandinMes::Received() const {
    std::vector<ReceivedCall> calls;
    if (!folder_.Exists("received.jsonl")) {
        return calls;
    }
    std::istringstream lines(folder_.Read("received.jsonl"));
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json call = nlohmann::json::parse(line, nullptr, false);
        if (call.is_discarded()) {
            continue;  // a line being written
        }
        ReceivedCall received;
        received.path = call.value("path", "");
        received.key = call.value("key", "");
        received.body = call["body"].dump();
        if (call["body"].is_object()) {
            received.sn = call["body"].value("sn", "");
        }
        received.duplicate = call.value("duplicate", false);
        received.answeredOk = call.value("status", 0) == 200 && call["answer"]["errorcode"] == 0;
        calls.push_back(received);
    }
    return calls;
}

std::vector<ReceivedCall> StandinMes::Taken(const std::string& path) const {
    std::vector<ReceivedCall> taken;
    for (const ReceivedCall& call : Received()) {
        if (call.path == path && call.answeredOk) {
            taken.push_back(call);
        }
    }
    return taken;
}

}  // namespace test_support
