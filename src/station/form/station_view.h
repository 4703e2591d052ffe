// What the station needs of its window: the controls it writes and reads, the three dialogs and
// the repaint during a tool run. Each window toolkit implements it once; the station (TRomForm)
// is written against it alone.
//
// Text is UTF-8; line breaks are CR LF as the station builds them (a window shows them as its
// toolkit does).
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "station/run/verdict.h"

namespace station {

// A font as the layout gives it. The height counts pixels at 96 pixels per inch, as a Windows
// font height does: negative for the character height (the em), positive for the cell height
// (ascent plus descent).
struct FontSpec {
    std::string_view face;
    int height = 0;
    bool bold = false;
    bool italic = false;

    friend constexpr bool operator==(const FontSpec& a, const FontSpec& b) {
        return a.face == b.face && a.height == b.height && a.bold == b.bold && a.italic == b.italic;
    }
};

// The font every verdict is painted in: "宋体", bold italic, cell height 72 pixels. It replaces
// the layout's larger regular font at the first verdict.
inline constexpr FontSpec kVerdictFont{"宋体", 72, true, true};

// How often the station looks at its fixture while it waits for a board to start by itself.
inline constexpr std::chrono::milliseconds kTickInterval{500};

class StationView {
public:
    virtual ~StationView() = default;

    // Panel_Result: the verdict's caption, and its font and colour.
    virtual void SetVerdictCaption(const std::string& caption) = 0;
    virtual void SetVerdictFont(const FontSpec& font, Rgb colour) = 0;
    // Memo_Output's whole text.
    virtual void SetMemoText(const std::string& text) = 0;
    // Label_SN's caption; the label grows to show every line.
    virtual void SetSerialText(const std::string& text) = 0;
    // Edit_Hex and Edit_Para.
    virtual void SetHexPathText(const std::string& text) = 0;
    virtual void SetCommandText(const std::string& text) = 0;
    // Button_CRC and Button_Start.
    virtual void SetChecksumEnabled(bool enabled) = 0;
    virtual void SetStartEnabled(bool enabled) = 0;

    // Whether cb_erase is checked.
    virtual bool EraseChecked() const = 0;

    // Message boxes over the window, titled title, with one OK button: the error box with the
    // error icon, the checksum box without an icon. They return when the operator closed them.
    virtual void ShowErrorBox(const std::string& title, const std::string& text) = 0;
    virtual void ShowChecksumBox(const std::string& title, const std::string& text) = 0;
    // OpenDialogHex, opened in initialFolder: "hex|*.hex", default extension "hex", a name that
    // does not exist accepted. Returns the chosen file's full path, "" when cancelled.
    virtual std::string ChooseImage(const std::string& initialFolder) = 0;

    // While the programmer runs: Memo_Output shows its newest output as it arrives, scrolled to
    // the end (the verdict replaces it afterwards); Label_Elapsed under the version shows how
    // long it has run ("" when no run is going on).
    virtual void ShowRunOutput(const std::string& text) = 0;
    virtual void SetElapsedText(const std::string& text) = 0;
    // Label_NextSerial: the serial number the next board will get ("" when the station gives
    // none).
    virtual void SetNextSerialText(const std::string& text) = 0;
    // Label_Counts: this station's counts for the day (see DayCounts).
    virtual void SetCountsText(const std::string& text) = 0;
    // Label_Database: the factory database's state ("" when config.ini names none).
    virtual void SetDatabaseText(const std::string& text) = 0;
    // Edit_BoardLabel: the board's label as the operator scanned or typed it, shown (with its
    // caption) only while config.ini asks for labels; FocusLabel gives it the keyboard focus
    // when it is shown.
    virtual std::string LabelText() const = 0;
    virtual void SetLabelText(const std::string& text) = 0;
    virtual void SetLabelVisible(bool visible) = 0;
    virtual void FocusLabel() = 0;
    // Selects the field's whole text, so that what is typed or scanned next replaces it (a
    // keyboard-wedge scanner cannot clear a field) while it stays in view until then.
    virtual void SelectLabelText() = 0;
    // Called from another thread (the factory database's worker): has the window's thread call
    // the form's DatabaseChanged soon. Never waits for the window.
    virtual void PostDatabaseChange() = 0;

    // Called again and again while a tool runs: paints and handles what the system sends, but
    // leaves keyboard and mouse input queued until the operation has ended.
    virtual void RepaintKeepingInput() = 0;
    // Called once an operation has ended: dispatches the keyboard and mouse input that waited
    // meanwhile (and whatever else is queued), so that the station sees it while the operation
    // still counts as running.
    virtual void DispatchQueuedInput() = 0;
    // Closes the window, which ends the program.
    virtual void CloseWindow() = 0;
    // Marks the window busy, or idle again: a program driving the window (the end-to-end
    // scripts) waits for the mark to go before its next click, which would be queued or dropped.
    virtual void SetBusy(bool busy) = 0;
    // While on, runs the form's AutostartTick through Handle every kTickInterval.
    virtual void SetTicking(bool on) = 0;
};

}  // namespace station
