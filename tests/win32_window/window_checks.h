// What the window's tests check a window with: where its controls are, their fonts and texts,
// and the whole one-fixture layout at a DPI.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "shell/layout_table.h"
#include "shell/win32/win32_gdi.h"
#include "shell/win32/win32_station_window.h"

inline void PrintTo(const shell::Geometry& g, std::ostream* out) {
    *out << "{" << g.left << ", " << g.top << ", " << g.width << ", " << g.height << "}";
}

namespace window_checks {

using namespace station;
using namespace shell;

// The control's rectangle in the window's client area.
inline Geometry InClientArea(HWND window, HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

inline int FontHeight(HFONT font) {
    LOGFONTW description{};
    ::GetObjectW(font, sizeof description, &description);
    return description.lfHeight;
}

inline HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
}

inline std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The layout at 96 DPI, as the window resolves it.
inline std::vector<Geometry> Layout96() {
    return ResolveLayout(TextSize(MakeFont(kRomForm.font, 96).get(), L"0").cy);
}

// What a label may cover at dpi: its parent's inside.
inline Geometry LabelArea(ControlId id, int dpi) {
    const std::vector<Geometry> layout = Layout96();
    const int caption = TextSize(MakeFont(kRomForm.font, 96).get(), L"0").cy;
    return ScaledForDpi(ParentToWindow(id, ParentArea(id, layout, caption), layout), dpi);
}

inline void ExpectLaidOutAt(const Win32StationWindow& window, int dpi) {
    HWND main = window.Control(ControlId::RomForm);
    RECT client{};
    ::GetClientRect(main, &client);
    const Geometry size =
        ScaledForDpi(Geometry{0, 0, kRomForm.clientWidth, kRomForm.clientHeight}, dpi);
    EXPECT_EQ(client.right, size.width) << dpi;
    EXPECT_EQ(client.bottom, size.height) << dpi;
    const std::vector<Geometry> layout = Layout96();
    for (const ControlSpec& entry : kLayout) {
        HWND control = window.Control(entry.id);
        const Geometry expected = ScaledForDpi(InWindow(entry.id, layout), dpi);
        const Geometry actual = InClientArea(main, control);
        if (entry.kind == ControlKind::kLabel && entry.geometry.width == 0) {
            const SIZE text = TextSize(FontOf(control), TextOf(control));
            EXPECT_EQ(actual, Clipped({expected.left, expected.top, text.cx, text.cy},
                                      LabelArea(entry.id, dpi)))
                << entry.name << " at " << dpi;
        } else {
            EXPECT_EQ(actual, expected) << entry.name << " at " << dpi;
        }
        const FontSpec& font = entry.font ? *entry.font : kRomForm.font;
        EXPECT_EQ(FontHeight(FontOf(control)), ScaledForDpi(font.height, dpi))
            << entry.name << " at " << dpi;
    }
}

}  // namespace window_checks
