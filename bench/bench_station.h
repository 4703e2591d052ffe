// Station folders for the benchmarks: laid out as on a line with the stand-in programmer, pressed
// again and again through the toolkit-free station (TRomForm) behind a view that keeps only the
// verdict, or watched for the first verdict of a station program starting in them.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "log4me/log4me.h"
#include "station/form/MainForm.h"
#include "station/form/station_view.h"

using namespace station;

namespace bench {

// A full nRF52840 flash: 1 MiB, about 2.8 MB of Intel HEX.
inline constexpr std::size_t kFullFlashBytes = 1 << 20;

// Lays out a station folder at folder (ending in the separator): bin/ with a copy of the stand-in
// programmer at standinPath, merge.hex of imageBytes, its checksum file merge.crc, config.ini and
// logs/. Throws std::filesystem::filesystem_error or os::FileError when a file cannot be made.
void LayOutStation(const std::string& folder, const std::string& standinPath,
                   std::size_t imageBytes = kFullFlashBytes);

// What the station shows, as far as a press needs it: the verdict's caption.
class VerdictView : public StationView {
public:
    const std::string& Verdict() const { return verdict_; }

    void SetVerdictCaption(const std::string& caption) override { verdict_ = caption; }
    void SetVerdictFont(const FontSpec&, Rgb) override {}
    void SetMemoText(const std::string&) override {}
    void SetSerialText(const std::string&) override {}
    void SetHexPathText(const std::string&) override {}
    void SetCommandText(const std::string&) override {}
    void SetChecksumEnabled(bool) override {}
    void SetStartEnabled(bool) override {}
    bool EraseChecked() const override { return true; }
    void ShowErrorBox(const std::string&, const std::string&) override {}
    void ShowChecksumBox(const std::string&, const std::string&) override {}
    std::string ChooseImage(const std::string&) override { return {}; }
    void ShowRunOutput(const std::string&) override {}
    void SetElapsedText(const std::string&) override {}
    void SetNextSerialText(const std::string&) override {}
    void SetCountsText(const std::string&) override {}
    void SetDatabaseText(const std::string&) override {}
    std::string LabelText() const override { return {}; }
    void SetLabelText(const std::string&) override {}
    void SetLabelVisible(bool) override {}
    void FocusLabel() override {}
    void SelectLabelText() override {}
    void PostDatabaseChange() override {}
    void RepaintKeepingInput() override {}
    void DispatchQueuedInput() override {}
    void CloseWindow() override {}
    void SetBusy(bool) override {}
    void SetTicking(bool) override {}

private:
    std::string verdict_ = "--";
};

// The station of a laid-out folder, created and shown as the window does it (its first refresh
// must say Ready), with its logger running while it lives. Throws std::runtime_error when the
// first refresh is not Ready.
class PressedStation {
public:
    // folder ends in the separator.
    explicit PressedStation(const std::string& folder);
    PressedStation(const PressedStation&) = delete;
    PressedStation& operator=(const PressedStation&) = delete;

    // One press of the start button, erase checked; true when the verdict is PASS.
    bool Press();
    // The application title: the title field of its record's rows.
    const std::string& Title() const { return form_.AppTitle(); }
    const TRomForm& Form() const { return form_; }

private:
    VerdictView view_;
    log4me::Session logger_;
    TRomForm form_;
};

// A station program starting in a station folder, watched through its daily logs.
// Removes every file in logsFolder, so that the next start writes the only daily log. Throws
// std::filesystem::filesystem_error when a daily log (*.log) cannot be removed.
void RemoveLogs(const std::string& logsFolder);
// Waits, looking every half millisecond, until the daily logs in logsFolder hold the first
// refresh's verdict (a line after the start's self-check line) or limit has passed; returns
// everything they hold then.
std::string WaitForFirstVerdict(const std::string& logsFolder, std::chrono::seconds limit);
// True when log holds the first refresh's verdict and it is Ready: no error line.
bool SaidReady(const std::string& log);

}  // namespace bench
