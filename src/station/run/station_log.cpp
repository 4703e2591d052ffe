#include "station/run/station_log.h"

#include "log4me/log4me.h"
#include "platform/text.h"

#include <utility>

namespace station {

namespace {

thread_local std::string tFixturePrefix;

}  // namespace

void LogInfoText(const std::string& text) {
    log4me::LogInfo(os::ToAnsi(tFixturePrefix + text));
}

void LogErrorText(const std::string& text) {
    log4me::LogError(os::ToAnsi(tFixturePrefix + text));
}

LogFixture::LogFixture(std::string fixture) : before_(std::move(tFixturePrefix)) {
    tFixturePrefix = fixture.empty() ? std::string() : "[" + fixture + "] ";
}

LogFixture::~LogFixture() {
    tFixturePrefix = std::move(before_);
}

}  // namespace station
