#include "station_window.h"

#include <QDir>
#include <QFileDialog>
#include <QPalette>
#include <QPushButton>
#include <QSignalSpy>
#include <sstream>

#include "core_text.h"
#include "log4me.h"

QString FakeDialogs::ChooseImage(QFileDialog& dialog) {
    imageDialogFolders.push_back(QDir::toNativeSeparators(dialog.directory().absolutePath()));
    if (imageAnswers.empty()) {
        return {};
    }
    QString answer = imageAnswers.front();
    imageAnswers.pop_front();
    return answer;
}

void FakeDialogs::Inform(QWidget*, const QString& title, const QString& text) {
    boxes.push_back({false, title, text});
    if (whileBoxOpen) {
        whileBoxOpen();
    }
}

void FakeDialogs::ReportError(QWidget*, const QString& title, const QString& text) {
    boxes.push_back({true, title, text});
    if (whileBoxOpen) {
        whileBoxOpen();
    }
}

void StationWindowTest::TearDown() {
    form_.reset();
    if (station_) {
        log4me::Stop();
    }
}

test_support::StationFolder& StationWindowTest::Station(test_support::StationParts parts) {
    station_ = std::make_unique<test_support::StationFolder>(parts);
    log4me::Start(station_->Path());
    return *station_;
}

TRomForm& StationWindowTest::Window(const RunLimits& limits) {
    if (!station_) {
        Station();
    }
    form_ = std::make_unique<TRomForm>(StationSetup{station_->Path() + kExecutableName, dialogs_});
    form_->SetRunLimits(limits);
    QSignalSpy firstRefresh(form_.get(), &TRomForm::OperationsFinished);
    form_->show();
    EXPECT_TRUE(firstRefresh.wait(60000)) << "the first refresh did not end";
    return *form_;
}

void StationWindowTest::Click(QPushButton* button) {
    // A click runs its operation before it returns; whatever waited for it runs right after.
    ASSERT_TRUE(button->isEnabled()) << Utf8(button->text());
    button->click();
}

std::vector<std::string> StationWindowTest::ToolCalls() const {
    std::vector<std::string> calls;
    std::istringstream lines(station_->StandInCalls());
    std::string line;
    while (std::getline(lines, line)) {
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

QColor TextColour(const QLabel& label) {
    return label.palette().color(QPalette::WindowText);
}

std::string InfoLine(const QString& message) {
    return " [info ]" + Utf8(message) + "\r\n";
}

std::string ErrorLine(const QString& message) {
    return " [error]" + Utf8(message) + "\r\n";
}
