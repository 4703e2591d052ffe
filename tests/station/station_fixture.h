// Runs the station (TRomForm) in a temporary station folder with the stand-in programmer,
// against a view that records what the station shows and answers its dialogs.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "csv_reader.h"
#include "station/form/MainForm.h"
#include "station/form/station_view.h"
#include "station/press/station_events.h"
#include "station_folder.h"

using namespace station;

// What the station tells while it works, not shown anywhere: for driving a Station without a
// view; a test overrides what it wants to see.
class QuietEvents : public StationEvents {
public:
    void ShowRunOutput(const std::string&) override {}
    void SetElapsedText(const std::string&) override {}
    void KeepResponsive() override {}
    void SettingsRead(const std::string&) override {}
    void DatabaseStateRead(const std::string&) override {}
    void CheckStarting() override {}
    void RunStarting() override {}
    void VerdictReached(const Verdict&) override {}
    void PressFinished(const PressOutcome&) override {}
};

class RecordingView : public StationView {
public:
    struct Box {
        bool error = false;
        std::string title;
        std::string text;
    };

    // The controls as the station left them.
    std::string verdict = "--";
    FontSpec verdictFont{"宋体", -96};
    Rgb verdictColour = kVerdictGreen;
    std::string memo;
    std::string serial = "00000";
    std::string hexPath;
    std::string command;
    bool checksumEnabled = true;
    bool startEnabled = true;
    bool erase = true;

    // The dialogs: one answer per image dialog ("" cancels; none left cancels too).
    std::deque<std::string> imageAnswers;
    std::vector<std::string> imageDialogFolders;
    std::vector<Box> boxes;
    int closeRequests = 0;
    std::vector<bool> busyMarks;  // each SetBusy, in order
    bool ticking = false;         // the form asked for AutostartTick calls
    int repaints = 0;
    // What the window showed while tools ran: each live output, each elapsed time.
    std::vector<std::string> runOutputs;
    std::vector<std::string> elapsedTexts;
    std::string nextSerial;  // Label_NextSerial
    std::string counts;      // Label_Counts
    std::string database;    // Label_Database
    std::string label;       // Edit_BoardLabel, as the operator left it
    bool labelVisible = false;
    int labelFocused = 0;        // FocusLabel's calls while the field was shown
    bool labelSelected = false;  // the field's text is selected (the next typing replaces it)

    std::function<void()> whileBoxOpen;   // runs while a message box would be open
    std::function<void()> duringRepaint;  // runs at every repaint during an operation
    std::function<void()> queuedInput;    // what the operator did meanwhile, taken at its end

    void SetVerdictCaption(const std::string& caption) override { verdict = caption; }
    void SetVerdictFont(const FontSpec& font, Rgb colour) override;
    void SetMemoText(const std::string& text) override { memo = text; }
    void SetSerialText(const std::string& text) override { serial = text; }
    void SetHexPathText(const std::string& text) override { hexPath = text; }
    void SetCommandText(const std::string& text) override { command = text; }
    void SetChecksumEnabled(bool enabled) override { checksumEnabled = enabled; }
    void SetStartEnabled(bool enabled) override { startEnabled = enabled; }
    bool EraseChecked() const override { return erase; }
    void ShowErrorBox(const std::string& title, const std::string& text) override;
    void ShowChecksumBox(const std::string& title, const std::string& text) override;
    std::string ChooseImage(const std::string& initialFolder) override;
    void ShowRunOutput(const std::string& text) override { runOutputs.push_back(text); }
    void SetElapsedText(const std::string& text) override { elapsedTexts.push_back(text); }
    void SetNextSerialText(const std::string& text) override { nextSerial = text; }
    void SetCountsText(const std::string& text) override { counts = text; }
    void SetDatabaseText(const std::string& text) override { database = text; }
    std::string LabelText() const override { return label; }
    void SetLabelText(const std::string& text) override {
        label = text;
        labelSelected = false;
    }
    void SelectLabelText() override { labelSelected = true; }
    void SetLabelVisible(bool visible) override { labelVisible = visible; }
    void FocusLabel() override { labelFocused += labelVisible ? 1 : 0; }
    // The tests call the form's DatabaseChanged themselves, on their own thread.
    void PostDatabaseChange() override {}
    void RepaintKeepingInput() override;
    void DispatchQueuedInput() override;
    void CloseWindow() override { ++closeRequests; }
    void SetBusy(bool busy) override { busyMarks.push_back(busy); }
    void SetTicking(bool on) override { ticking = on; }
};

class StationTest : public ::testing::Test {
protected:
    void TearDown() override;

    // Lays out the station folder and starts the logger on it.
    test_support::StationFolder& Station(test_support::StationParts parts = {});
    // The form after FormCreate, not yet shown.
    TRomForm& Created(const std::string& executableName = kExecutableName);
    // The form after FormCreate and its first show (FormShow through the guard).
    TRomForm& Shown(const RunLimits& limits = {});

    std::string Log() const { return station_->TodaysLog(); }
    // The stand-in's calls, one entry per run, as "arg1 arg2 ..." without the working folder.
    std::vector<std::string> ToolCalls() const;
    // The same without the checks' probe queries (nrfjprog's and nrfutil's).
    std::vector<std::string> CallsAfterTheChecks() const;
    // Today's production record in the station's logs folder, its header the first row.
    test_support::CsvRows RecordRows() const;

    static constexpr char kExecutableName[] = "RomTool.exe";  // its title is "Romtool"

    std::unique_ptr<test_support::StationFolder> station_;
    RecordingView view_;
    std::unique_ptr<TRomForm> form_;
};

// A log line's message at a level, as it appears in the daily file.
std::string InfoLine(const std::string& message);
std::string ErrorLine(const std::string& message);
