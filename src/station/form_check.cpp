// The form's own steps around the check: deriving the paths, running the check, naming its
// code, and the verdict it gives.
#include <stdexcept>

#include "MainForm.h"
#include "error_text.h"
#include "files.h"

void TRomForm::Init(bool first) {
    if (first) {
        hexPath_.clear();
    }
    paths_ = DerivePaths(executablePath_, hexPath_);
    view_.SetHexPathText(paths_.Hex_Path);
    ApplySettings();
    lastCheck_.probeOutput.clear();
    // A checksum file is written once, for an image that exists.
    view_.SetChecksumEnabled(!os::FileExists(paths_.CRC_Path) && os::FileExists(paths_.Hex_Path));
    errorCode_ = 0;
}

void TRomForm::ApplySettings() {
    settings_ = ReadSettings(paths_, title_);
    view_.SetCommandText(settings_.commandTemplate);
    ConfigureDatabase();
}

bool TRomForm::CheckReady() {
    view_.SetVerdictCaption("--");
    ApplySettings();
    lastCheck_ = CheckStation({paths_, settings_, Runner(), record_, limits_.probeQuery,
                               [this] { return SerialRange(database::kSerialBlockWait); }});
    errorCode_ = lastCheck_.code;
    if (lastCheck_.failure) {
        throw std::runtime_error(*lastCheck_.failure);  // a file that exists but cannot be read
    }
    if (lastCheck_.Ready()) {
        hexMd5_ = lastCheck_.checksum;
    }
    return lastCheck_.Ready();
}

std::string TRomForm::ErrorText(int code) const {
    return ::ErrorText(code, {paths_, settings_, lastCheck_});
}

Verdict TRomForm::CheckVerdict(const std::string& readyCaption) const {
    const CheckResult& check = lastCheck_;
    if (check.code == 0) {
        return Passed(readyCaption, check.probeOutput, check.probeOutput);
    }
    return Failed(check.code, check.probeOutput, ErrorText(check.code), check.probeOutput);
}
