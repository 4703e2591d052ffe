// Drives the real station window in a temporary station folder, with answering dialogs and the
// logger writing into the folder's logs.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QLabel>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MainForm.h"
#include "dialogs.h"
#include "station_folder.h"

// Records every dialog and answers the image dialog from a list.
class FakeDialogs : public StationDialogs {
public:
    struct Box {
        bool error = false;
        QString title;
        QString text;
    };

    QString ChooseImage(QFileDialog& dialog) override;
    void Inform(QWidget* owner, const QString& title, const QString& text) override;
    void ReportError(QWidget* owner, const QString& title, const QString& text) override;

    std::deque<QString> imageAnswers;  // one per dialog; "" cancels
    std::vector<QString> imageDialogFolders;
    std::vector<Box> boxes;
    std::function<void()> whileBoxOpen;  // runs while a message box would be open
};

class StationWindowTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Lays out the station folder and starts the logger on it.
    test_support::StationFolder& Station(test_support::StationParts parts = {});
    // The window, shown, after its first refresh has ended.
    TRomForm& Window(const RunLimits& limits = {});

    // Clicks the button and returns when its operation, and any that waited for it, ended.
    static void Click(QPushButton* button);

    std::string Log() const { return station_->TodaysLog(); }
    // The stand-in's calls, one entry per run, as "arg1 arg2 ..." without the working folder.
    std::vector<std::string> ToolCalls() const;

    std::unique_ptr<test_support::StationFolder> station_;
    std::shared_ptr<FakeDialogs> dialogs_ = std::make_shared<FakeDialogs>();
    std::unique_ptr<TRomForm> form_;
};

QColor TextColour(const QLabel& label);
// A log line's message at a level, as it appears in the daily file.
std::string InfoLine(const QString& message);
std::string ErrorLine(const QString& message);
// The executable name the tests give the window; its title is "Romtool".
inline constexpr char kExecutableName[] = "RomTool.exe";
