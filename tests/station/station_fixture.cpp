#include "station_fixture.h"

#include <algorithm>

#include <sstream>
#include <utility>

#include "log4me/log4me.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "record/production_record.h"

void RecordingView::SetVerdictFont(const FontSpec& font, Rgb colour) {
    verdictFont = font;
    verdictColour = colour;
}

void RecordingView::ShowErrorBox(const std::string& title, const std::string& text) {
    boxes.push_back({true, title, text});
    if (whileBoxOpen) {
        whileBoxOpen();
    }
}

void RecordingView::ShowChecksumBox(const std::string& title, const std::string& text) {
    boxes.push_back({false, title, text});
    if (whileBoxOpen) {
        whileBoxOpen();
    }
}

std::string RecordingView::ChooseImage(const std::string& initialFolder) {
    imageDialogFolders.push_back(initialFolder);
    if (imageAnswers.empty()) {
        return {};
    }
    std::string answer = imageAnswers.front();
    imageAnswers.pop_front();
    return answer;
}

void RecordingView::RepaintKeepingInput() {
    ++repaints;
    if (duringRepaint) {
        duringRepaint();
    }
}

void RecordingView::DispatchQueuedInput() {
    if (queuedInput) {
        std::exchange(queuedInput, nullptr)();
    }
}

void StationTest::TearDown() {
    form_.reset();
    if (station_) {
        log4me::Stop();
    }
}

test_support::StationFolder& StationTest::Station(test_support::StationParts parts) {
    if (station_) {
        form_.reset();
        log4me::Stop();
    }
    station_ = std::make_unique<test_support::StationFolder>(parts);
    log4me::Start(station_->Path());
    return *station_;
}

TRomForm& StationTest::Created(const std::string& executableName) {
    if (!station_) {
        Station();
    }
    form_ = std::make_unique<TRomForm>(view_, station_->Path() + executableName);
    form_->FormCreate();
    return *form_;
}

TRomForm& StationTest::Shown(const RunLimits& limits) {
    TRomForm& form = Created();
    form.SetRunLimits(limits);
    form.Handle(&TRomForm::FormShow);
    return form;
}

std::vector<std::string> StationTest::ToolCalls() const {
    std::vector<std::string> calls;
    std::istringstream lines(station_->StandInCalls());
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::string arguments = line.substr(line.find('\t') + 1);
        for (char& c : arguments) {
            if (c == '\t') {
                c = ' ';
            }
        }
        calls.push_back(arguments);
    }
    return calls;
}

std::string InfoLine(const std::string& message) {
    return " [info ]" + os::ToAnsi(message).bytes() + "\r\n";
}

std::string ErrorLine(const std::string& message) {
    return " [error]" + os::ToAnsi(message).bytes() + "\r\n";
}

std::vector<std::string> StationTest::CallsAfterTheChecks() const {
    std::vector<std::string> calls;
    for (const std::string& call : ToolCalls()) {
        if (call != "-i" && call != "--json device list") {
            calls.push_back(call);
        }
    }
    return calls;
}

test_support::CsvRows StationTest::RecordRows() const {
    const std::string file = station_->Read("logs" + std::string(1, os::kPathSeparator) +
                                            record::RecordFileName(os::LocalNow()));
    return test_support::ReadCsv(file.substr(std::min<std::size_t>(3, file.size())));
}
