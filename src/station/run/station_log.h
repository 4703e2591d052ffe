// The station's texts are UTF-8; the logger takes ANSI bytes. These convert at the call.
#pragma once

#include <string>

namespace station {

void LogInfoText(const std::string& text);
void LogErrorText(const std::string& text);

// While it lives, every line the calling thread logs starts with "[<fixture>] ": a bench's
// fixture names its press's lines. An empty name adds nothing (a one-fixture station).
class LogFixture {
public:
    explicit LogFixture(std::string fixture);
    ~LogFixture();
    LogFixture(const LogFixture&) = delete;
    LogFixture& operator=(const LogFixture&) = delete;

private:
    std::string before_;
};

}  // namespace station
