// The stand-in MES (sim/mes_standin.py) as the Linux tests run it: on a free loopback port (or a
// given one, to come back where it was), told how to behave through its control file, and what it
// received read back. Destroyed, it is away: connections to its port are refused.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "running_program_posix.h"
#include "temp_folder.h"

namespace test_support {

// Waits for what another process or thread does, looking every few milliseconds; false when it
// did not happen within a generous limit.
bool Eventually(const std::function<bool()>& happened);

struct ReceivedCall {
    std::string path;  // "/api/check", "/api/complete"
    std::string key;   // the Idempotency-Key header
    std::string body;  // the body as JSON text
    std::string sn;    // the body's "sn", when it has one
    bool duplicate = false;
    bool answeredOk = false;
};

class StandinMes {
public:
    // folder: where its files are (kept across a restart). port 0: a free one.
    explicit StandinMes(const TempFolder& folder, int port = 0, const std::string& tls = "");

    int Port() const { return port_; }
    std::string Url(const std::string& path) const;
    // The control file's JSON, e.g. {"refuse":["PCB-2"]}.
    void Control(const std::string& json) const;
    std::vector<ReceivedCall> Received() const;
    // The received calls of one path that the stand-in answered with success.
    std::vector<ReceivedCall> Taken(const std::string& path) const;

private:
    const TempFolder& folder_;
    std::string scheme_;
    std::unique_ptr<RunningProgram> program_;
    int port_ = 0;
};

}  // namespace test_support
