// The station window on Windows: native controls built from the layout table. It holds only its
// controls, their painting and the forwarding of events to its TRomForm.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "MainForm.h"
#include "entry_sequence.h"
#include "layout_table.h"
#include "station_view.h"
#include "win32_ui.h"

class Win32StationWindow final : public StationView, public ApplicationWindow {
public:
    // Creates the window (hidden) with every control of the layout table.
    explicit Win32StationWindow(HINSTANCE instance);
    ~Win32StationWindow() override;
    Win32StationWindow(const Win32StationWindow&) = delete;
    Win32StationWindow& operator=(const Win32StationWindow&) = delete;

    // ApplicationWindow
    TRomForm& Form() override { return form_; }
    void Show() override;
    int RunMessageLoop() override;

    // StationView
    void SetVerdictCaption(const std::string& caption) override;
    void SetVerdictFont(const FontSpec& font, Rgb colour) override;
    void SetMemoText(const std::string& text) override;
    void SetSerialText(const std::string& text) override;
    void SetHexPathText(const std::string& text) override;
    void SetCommandText(const std::string& text) override;
    void SetChecksumEnabled(bool enabled) override;
    void SetStartEnabled(bool enabled) override;
    bool EraseChecked() const override;
    void ShowErrorBox(const std::string& title, const std::string& text) override;
    void ShowChecksumBox(const std::string& title, const std::string& text) override;
    std::string ChooseImage(const std::string& initialFolder) override;
    void ShowRunOutput(const std::string& text) override;
    void SetElapsedText(const std::string& text) override;
    void RepaintKeepingInput() override;
    void CloseWindow() override;

private:
    struct FontDeleter {
        void operator()(HFONT font) const { ::DeleteObject(font); }
    };
    using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildControls(HINSTANCE instance);
    void DrawPanel(const DRAWITEMSTRUCT& item) const;
    // Sizes a label to its text, every line of it.
    void FitLabel(ControlId id) const;
    HWND Control(ControlId id) const { return controls_[static_cast<std::size_t>(id)]; }
    static Font MakeFont(const FontSpec& layoutFont);

    TRomForm form_;
    HWND window_ = nullptr;
    std::array<HWND, kLayout.size() + 1> controls_{};
    Font formFont_;
    std::vector<Font> controlFonts_;  // the table's own fonts, alive as long as the controls
    Font verdictFont_;                // what Panel_Result is painted in
    Rgb verdictColour_ = kVerdictGreen;
    std::wstring verdictCaption_;
};
