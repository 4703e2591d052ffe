#include "shell/win32/win32_station_window.h"

#include <algorithm>
#include <utility>

namespace shell {

using namespace station;

namespace {

using os::win32::Narrow;
using os::win32::Widen;

constexpr UINT_PTR kAutostartTimer = 1;  // SetTicking's timer
constexpr int kFirstControlId = 100;     // a control's id is this plus its ControlId
// The window property that marks the station busy (SetBusy).
constexpr wchar_t kBusyProperty[] = L"RomtoolBusy";

// Not WS_CLIPCHILDREN: the window paints the button face inside the group boxes, which only draw
// their frame and caption.
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU;
// A tool window's thin caption, with its own task-bar button all the same.
constexpr DWORD kWindowExStyle = WS_EX_TOOLWINDOW | WS_EX_APPWINDOW;

// Every line break as CR LF, as the edit control needs it.
std::wstring WithCrLf(const std::string& text) {
    std::wstring wide = Widen(text);
    std::wstring out;
    out.reserve(wide.size() + wide.size() / 16);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] == L'\r' || wide[i] == L'\n') {
            out += L"\r\n";
            if (wide[i] == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') {
                ++i;
            }
        } else {
            out += wide[i];
        }
    }
    return out;
}

struct NativeControl {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

NativeControl NativeFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::kGroupBox:
            return {L"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::kLabel:
            // Cut at its edge, never wrapped: a label sized to its group's inside shows its
            // lines as they are.
            return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
        case ControlKind::kButton:
            return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::kEdit:
            return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::kPanel:
            return {L"STATIC", SS_OWNERDRAW, 0};  // bevel and caption painted by the window
        case ControlKind::kMemo:
            // Wraps at its width (no ES_AUTOHSCROLL); a vertical scroll bar only.
            return {L"EDIT",
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE};
        case ControlKind::kCheckBox:
            return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    }
    return {L"STATIC", 0, 0};
}

bool HoldsControls(ControlId id) {
    return std::any_of(kLayout.begin(), kLayout.end(),
                       [id](const ControlSpec& entry) { return entry.parent == id; });
}

}  // namespace

Win32StationWindow::Win32StationWindow(HINSTANCE instance, std::string executablePath)
    : form_(*this, std::move(executablePath)),
      instance_(instance),
      verdictFontSpec_(*LayoutEntry(ControlId::Panel_Result).font),
      verdictColour_(*LayoutEntry(ControlId::Panel_Result).colour),
      verdictCaption_(Widen(LayoutEntry(ControlId::Panel_Result).caption)) {
    const std::wstring className = Widen(kRomForm.className);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Win32StationWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    ::RegisterClassExW(&windowClass);

    // Sized and centred once its DPI is known, which the system gives only for a window.
    window_ = ::CreateWindowExW(kWindowExStyle, className.c_str(), Widen(kRomForm.caption).c_str(),
                                kWindowStyle, 0, 0, kRomForm.clientWidth, kRomForm.clientHeight,
                                nullptr, nullptr, instance, this);
    postTarget_ = window_;
    form_.AttachBench(*this);
    BuildControls(instance);
    ApplyDpi(WindowDpi(window_));
    CentreOnWorkArea(window_);
}

Win32StationWindow::~Win32StationWindow() {
    if (window_) {
        ::DestroyWindow(window_);
    }
}

void Win32StationWindow::BuildControls(HINSTANCE instance) {
    controls_[0] = window_;
    // The layout counts pixels at 96 DPI, so the group boxes' caption is measured there too.
    captionHeight_ = TextSize(MakeFont(kRomForm.font, 96).get(), L"0").cy;
    layout_ = ResolveLayout(captionHeight_);

    for (const ControlSpec& entry : kLayout) {
        const NativeControl native = NativeFor(entry.kind);
        // Every control is a child of the window itself, so its notifications come here; the
        // table's parents give the positions and the stacking. ApplyDpi places them.
        HWND control = ::CreateWindowExW(
            native.exStyle, native.className,
            entry.kind == ControlKind::kPanel ? L"" : Widen(entry.caption).c_str(),
            WS_CHILD | (entry.hidden ? 0 : WS_VISIBLE) | WS_CLIPSIBLINGS | native.style, 0, 0, 0, 0,
            window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + int(entry.id))),
            instance, nullptr);
        if (entry.kind == ControlKind::kCheckBox) {
            ::SendMessageW(control, BM_SETCHECK, entry.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        controls_[static_cast<std::size_t>(entry.id)] = control;
    }

    // Stacking: the tab stops on top, in tab order (which is how the dialog manager walks
    // them), then the other controls, then the groups and panels beneath what they hold.
    const std::vector<ControlId> tabs = TabSequence();
    std::vector<HWND> stack;
    for (ControlId id : tabs) {
        stack.push_back(Control(id));
    }
    for (const bool containers : {false, true}) {
        for (const ControlSpec& entry : kLayout) {
            if (HoldsControls(entry.id) == containers &&
                std::find(tabs.begin(), tabs.end(), entry.id) == tabs.end()) {
                stack.push_back(Control(entry.id));
            }
        }
    }
    HWND above = HWND_TOP;
    for (HWND control : stack) {
        ::SetWindowPos(control, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = control;
    }
}

void Win32StationWindow::ApplyDpi(int dpi) {
    dpi_ = dpi;
    // Every control has its new font before the old ones are deleted.
    Font formFont = MakeFont(kRomForm.font, dpi);
    std::array<Font, kLayout.size() + 1> controlFonts;
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont.get()), FALSE);
    for (const ControlSpec& entry : kLayout) {
        Font& own = controlFonts[static_cast<std::size_t>(entry.id)];
        if (entry.font) {
            own = MakeFont(*entry.font, dpi);
        }
        HWND control = Control(entry.id);
        ::SendMessageW(control, WM_SETFONT,
                       reinterpret_cast<WPARAM>(own ? own.get() : formFont.get()), FALSE);
        const Geometry g = ScaledForDpi(InWindow(entry.id, layout_), dpi);
        ::SetWindowPos(control, nullptr, g.left, g.top, g.width, g.height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (entry.kind == ControlKind::kLabel && entry.geometry.width == 0) {
            FitLabel(entry.id);
        }
    }
    formFont_ = std::move(formFont);
    controlFonts_ = std::move(controlFonts);
    verdictFont_ = MakeFont(verdictFontSpec_, dpi);
    PlaceTiles(dpi);

    // The client area at dpi (grown for the bench's tiles), the frame as the system draws it;
    // the top left stays.
    const Geometry client = ScaledForDpi(BenchClientArea(static_cast<int>(tiles_.size())), dpi);
    RECT frame{};
    RECT inside{};
    ::GetWindowRect(window_, &frame);
    ::GetClientRect(window_, &inside);
    ::SetWindowPos(window_, nullptr, 0, 0, client.width + (frame.right - frame.left) - inside.right,
                   client.height + (frame.bottom - frame.top) - inside.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32StationWindow::Show() {
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
    ::SetFocus(Control(TabSequence().front()));
    ::PostMessageW(window_, kFirstShow, 0, 0);
}

int Win32StationWindow::RunMessageLoop() {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        Dispatch(message);
    }
    return static_cast<int>(message.wParam);
}

void Win32StationWindow::Dispatch(MSG& message) {
    if (TakeEnter(message)) {
        return;
    }
    // The dialog manager gives Tab, the arrow keys and the mnemonics (Alt+S) their meaning.
    if (window_ && ::IsDialogMessageW(window_, &message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

LRESULT CALLBACK Win32StationWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<Win32StationWindow*>(create->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Win32StationWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->OnMessage(message, wParam, lParam);
}

LRESULT Win32StationWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                const int index = LOWORD(wParam) - kFirstControlId;
                if (index > 0 && index <= static_cast<int>(kLayout.size())) {
                    const ControlSpec& entry = LayoutEntry(static_cast<ControlId>(index));
                    if (entry.handler && entry.kind == ControlKind::kButton) {
                        form_.Handle(entry.handler);
                    }
                }
            }
            return 0;
        case WM_DPICHANGED: {
            // Moved to a screen of another DPI, or its DPI changed: the system suggests where
            // the window goes, and the layout and fonts follow.
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(window_, nullptr, suggested.left, suggested.top,
                           suggested.right - suggested.left, suggested.bottom - suggested.top,
                           SWP_NOZORDER | SWP_NOACTIVATE);
            ApplyDpi(HIWORD(wParam));
            return 0;
        }
        case WM_DRAWITEM:
            DrawPanel(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case kFirstShow:
            form_.Handle(&TRomForm::FormShow);
            return 0;
        case kDatabaseChanged:
            form_.DatabaseChanged();
            return 0;
        case kBenchEvents:
            drainPosted_ = false;  // a post from now on is drained by a message of its own
            form_.DrainBench();
            return 0;
        case WM_TIMER:
            if (wParam == kAutostartTimer) {
                form_.Handle(&TRomForm::AutostartTick);
            }
            return 0;
        case WM_CLOSE:
            if (form_.RequestClose()) {
                ::DestroyWindow(window_);
            }
            return 0;  // otherwise closed once the tool run has ended
        case WM_DESTROY:
            ::RemovePropW(window_, kBusyProperty);
            postTarget_ = nullptr;
            ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            window_ = nullptr;
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

void Win32StationWindow::SetTicking(bool on) {
    if (!window_) {
        return;  // closed
    }
    if (on) {
        ::SetTimer(window_, kAutostartTimer, static_cast<UINT>(kTickInterval.count()), nullptr);
    } else {
        ::KillTimer(window_, kAutostartTimer);
    }
}

void Win32StationWindow::SetBusy(bool busy) {
    if (!window_) {
        return;  // closed
    }
    if (busy) {
        ::SetPropW(window_, kBusyProperty, window_);
    } else {
        ::RemovePropW(window_, kBusyProperty);
    }
}

void Win32StationWindow::DrawPanel(const DRAWITEMSTRUCT& item) const {
    RECT area = item.rcItem;
    ::FillRect(item.hDC, &area, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(item.hDC, &area, BDR_RAISEDINNER, BF_RECT);  // the 1-pixel raised bevel
    if (item.hwndItem != Control(ControlId::Panel_Result) || !tiles_.empty()) {
        return;  // with the bench's tiles the verdict is theirs
    }
    const HGDIOBJ previous = ::SelectObject(item.hDC, verdictFont_.get());
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, RGB(verdictColour_.red, verdictColour_.green, verdictColour_.blue));
    ::DrawTextW(item.hDC, verdictCaption_.c_str(), -1, &area,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(item.hDC, previous);
}

void Win32StationWindow::SetVerdictCaption(const std::string& caption) {
    verdictCaption_ = Widen(caption);
    ::InvalidateRect(Control(ControlId::Panel_Result), nullptr, TRUE);
}

void Win32StationWindow::SetVerdictFont(const FontSpec& font, Rgb colour) {
    verdictFontSpec_ = font;
    verdictFont_ = MakeFont(font, dpi_);
    verdictColour_ = colour;
    ::InvalidateRect(Control(ControlId::Panel_Result), nullptr, TRUE);
}

void Win32StationWindow::SetMemoText(const std::string& text) {
    ::SetWindowTextW(Control(ControlId::Memo_Output), WithCrLf(text).c_str());
}

void Win32StationWindow::SetSerialText(const std::string& text) {
    ::SetWindowTextW(Control(ControlId::Label_SN), WithCrLf(text).c_str());
    FitLabel(ControlId::Label_SN);
}

void Win32StationWindow::ShowRunOutput(const std::string& text) {
    HWND memo = Control(ControlId::Memo_Output);
    ::SetWindowTextW(memo, WithCrLf(text).c_str());
    // The caret at the end, and the view with it: the newest lines are what the operator reads.
    const LPARAM end = ::GetWindowTextLengthW(memo);
    ::SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(memo, EM_SCROLLCARET, 0, 0);
}

void Win32StationWindow::PostDatabaseChange() {
    // Posting never waits for the window; a window gone meanwhile drops it.
    if (HWND target = postTarget_) {
        ::PostMessageW(target, kDatabaseChanged, 0, 0);
    }
}

void Win32StationWindow::SetHexPathText(const std::string& text) {
    ::SetWindowTextW(Control(ControlId::Edit_Hex), Widen(text).c_str());
}

void Win32StationWindow::SetCommandText(const std::string& text) {
    ::SetWindowTextW(Control(ControlId::Edit_Para), Widen(text).c_str());
}

void Win32StationWindow::SetChecksumEnabled(bool enabled) {
    checksumWanted_ = enabled;
    ::EnableWindow(Control(ControlId::Button_CRC), enabled && toolButtonsEnabled_);
}

void Win32StationWindow::SetStartEnabled(bool enabled) {
    ::EnableWindow(Control(ControlId::Button_Start), enabled);
}

bool Win32StationWindow::EraseChecked() const {
    return ::SendMessageW(Control(ControlId::cb_erase), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32StationWindow::CloseWindow() {
    if (window_) {
        ::SendMessageW(window_, WM_CLOSE, 0, 0);
    }
}

}  // namespace shell
