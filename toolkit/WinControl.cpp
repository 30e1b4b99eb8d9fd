#include "toolkit/WinControl.h"

#include "toolkit/Application.h"
#include "toolkit/ControlHost.h"
#include "toolkit/Form.h"

#include <commctrl.h>

#include <utility>

namespace vx::ui {
namespace {

constexpr UINT_PTR kSubclassId = 1;

} // namespace

WinControl::WinControl(ControlHost& parent, std::wstring name, Bounds bounds)
    : Control(parent, std::move(name), bounds), id_(OwnerForm().NewControlId()) {}

WinControl::~WinControl() {
    if (!hwnd_) return;
    // The derived parts are gone already: the window's last messages go straight to its class.
    const HWND hwnd = std::exchange(hwnd_, nullptr);
    RemoveControlSubclass(hwnd, &WinControl::SubclassProcedure, kSubclassId);
    DestroyWindow(hwnd);
}

WinControl* WinControl::FromHandle(HWND hwnd) noexcept {
    DWORD_PTR self = 0;
    if (!hwnd || !GetControlSubclass(hwnd, &WinControl::SubclassProcedure, kSubclassId, &self)) return nullptr;
    return reinterpret_cast<WinControl*>(self);
}

void WinControl::Invalidate() noexcept {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void WinControl::SetTabStop(bool on) noexcept {
    tabStop_ = on;
    if (!hwnd_) return;
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, on ? style | WS_TABSTOP : style & ~static_cast<LONG_PTR>(WS_TABSTOP));
}

bool WinControl::Focused() const noexcept {
    return hwnd_ && GetFocus() == hwnd_;
}

void WinControl::SetFocus() noexcept {
    OwnerForm().FocusControl(*this);
}

void WinControl::CreateHandle() noexcept {
    const HWND parent = Parent().HostHandle();
    if (hwnd_ || !parent) return;
    const WindowClass windowClass = Class();
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | windowClass.style;
    if (Visible()) style |= WS_VISIBLE;
    if (!Enabled()) style |= WS_DISABLED;
    if (tabStop_) style |= WS_TABSTOP;
    const Bounds& b = GetBounds();
    const HWND hwnd =
        CreateWindowExW(windowClass.exStyle, windowClass.name, text_.c_str(), style, b.left, b.top, b.width, b.height,
                        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return;
    if (!SetControlSubclass(hwnd, &WinControl::SubclassProcedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(hwnd);
        return;
    }
    hwnd_ = hwnd;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont().Handle()), FALSE);
    HandleCreated();
}

void WinControl::RecreateHandle() noexcept {
    if (!hwnd_) return;
    const bool hadFocus = Focused();
    const HWND previous = GetWindow(hwnd_, GW_HWNDPREV);
    SaveWindowState();
    const HWND old = std::exchange(hwnd_, nullptr);
    RemoveControlSubclass(old, &WinControl::SubclassProcedure, kSubclassId);
    DestroyWindow(old);
    CreateHandle();
    if (!hwnd_) return;
    SetWindowPos(hwnd_, previous ? previous : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    if (hadFocus) ::SetFocus(hwnd_);
}

void WinControl::FontChanged() noexcept {
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(EffectiveFont().Handle()), TRUE);
}

HBRUSH WinControl::ControlColor(HDC dc) noexcept {
    SetTextColor(dc, EffectiveFont().TextColor().Value());
    SetBkColor(dc, Parent().HostColor().Value());
    return Parent().BackgroundBrush();
}

void WinControl::SetText(std::wstring_view text) {
    text_.assign(text);
    if (hwnd_) SetWindowTextW(hwnd_, text_.c_str());
}

void WinControl::TrackMouseLeave() noexcept {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
}

void WinControl::BoundsChanged(const Bounds&) noexcept {
    const Bounds& b = GetBounds();
    if (hwnd_) SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinControl::VisibleChanged() noexcept {
    if (hwnd_) ShowWindow(hwnd_, Visible() ? SW_SHOWNA : SW_HIDE);
}

void WinControl::EnabledChanged() noexcept {
    if (hwnd_) EnableWindow(hwnd_, Enabled() ? TRUE : FALSE);
}

LRESULT WinControl::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_MOUSEMOVE:
        Application::Instance().SetMouseControl(this);
        if (!trackingLeave_) TrackMouseLeave();
        break;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        if (!Application::Instance().MouseLeftWindow(hwnd_)) TrackMouseLeave();
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT) {
            if (const HCURSOR shape = CursorHandle(GetCursor())) {
                ::SetCursor(shape);
                return TRUE;
            }
        }
        break;
    case WM_SETFOCUS:
        OwnerForm().ControlFocused(*this);
        break;
    default:
        break;
    }
    return DefaultMessage(message, wParam, lParam);
}

AccessibleRole WinControl::Role() const noexcept {
    switch (Kind()) {
    case ComponentKind::Button:
        return AccessibleRole::PushButton;
    case ComponentKind::ComboBox:
        return AccessibleRole::ComboBox;
    case ComponentKind::Slider:
        return AccessibleRole::Slider;
    case ComponentKind::ProgressBar:
        return AccessibleRole::ProgressBar;
    default:
        return AccessibleRole::Keep;
    }
}

LRESULT CALLBACK WinControl::SubclassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                               DWORD_PTR self) noexcept {
    auto* control = reinterpret_cast<WinControl*>(self);
    if (message == WM_NCDESTROY) {
        RemoveControlSubclass(hwnd, &WinControl::SubclassProcedure, id);
        control->hwnd_ = nullptr;
        return DefaultSubclassProcedure(hwnd, message, wParam, lParam);
    }
    if (message == WM_GETOBJECT) {
        // A list would be named after its current item, a slider not at all: readers get the control's own name.
        if (const LRESULT answer = AnswerGetObject(hwnd, wParam, lParam, control->Role())) return answer;
    } else if (message == AccessibleNameMessage()) {
        try {
            const std::wstring name = control->AccessibleName();
            return name.empty() ? 0 : AnswerAccessibleName(wParam, lParam, name);
        } catch (...) {
            return 0;
        }
    }
    return control->ControlMessage(message, wParam, lParam);
}

} // namespace vx::ui
