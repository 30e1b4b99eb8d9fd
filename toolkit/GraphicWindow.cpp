#include "toolkit/GraphicWindow.h"

#include "toolkit/Accessibility.h"
#include "toolkit/Control.h"
#include "toolkit/ControlHost.h"
#include "toolkit/Form.h"

#include <oleacc.h>

namespace vx::ui {
namespace {

constexpr wchar_t kGraphicWindowClass[] = L"TVXGraphic";

bool IsActivationKey(WPARAM key) noexcept {
    return key == VK_RETURN || key == VK_SPACE;
}

} // namespace

GraphicWindow::~GraphicWindow() {
    DestroyHandle();
}

bool GraphicWindow::Create(HWND host) noexcept {
    if (Handle()) return true;
    if (!host || !RegisterWindowClass(kGraphicWindowClass, 0, nullptr, nullptr, nullptr)) return false;
    const Bounds& b = control_.GetBounds();
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (control_.Visible()) style |= WS_VISIBLE;
    if (!control_.Enabled()) style |= WS_DISABLED;
    if (control_.Focusable()) style |= WS_TABSTOP;
    const std::wstring name = control_.AccessibleName();
    return CreateHandle(kGraphicWindowClass, name.c_str(), style, 0, b.left, b.top, b.width, b.height, host, nullptr);
}

void GraphicWindow::Update() noexcept {
    const HWND window = Handle();
    if (!window) return;
    const Bounds& b = control_.GetBounds();
    SetWindowPos(window, nullptr, b.left, b.top, b.width, b.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | (control_.Visible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG tabStop = control_.Focusable() ? WS_TABSTOP : 0;
    if ((style & WS_TABSTOP) != tabStop) SetWindowLongW(window, GWL_STYLE, (style & ~WS_TABSTOP) | tabStop);
    if ((IsWindowEnabled(window) != FALSE) != control_.Enabled()) EnableWindow(window, control_.Enabled());
}

void GraphicWindow::NameChanged() noexcept {
    const HWND window = Handle();
    if (!window) return;
    try {
        SetWindowTextW(window, control_.AccessibleName().c_str());
    } catch (...) {
    }
    AnnounceNameChange(window);
}

void GraphicWindow::PaintInto(HDC dc, const RECT& area) noexcept {
    // `area` in this window's coordinates; the host paints the same place of its own.
    const Bounds& b = control_.GetBounds();
    RECT inHost{area.left + b.left, area.top + b.top, area.right + b.left, area.bottom + b.top};
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x - b.left, origin.y - b.top, nullptr);
    control_.Parent().PaintArea(dc, inHost);
    SetViewportOrgEx(dc, origin.x, origin.y, nullptr);
}

void GraphicWindow::Paint() noexcept {
    PaintBuffered(Handle(), [this](HDC dc, const RECT& area) { PaintInto(dc, area); });
}

void GraphicWindow::FocusChanged() noexcept {
    control_.Invalidate();
}

UINT GraphicWindow::DialogCode(const MSG* message) const noexcept {
    // Enter and Space act on the control itself instead of the window's default button.
    if (control_.Focusable() && message && message->message == WM_KEYDOWN && IsActivationKey(message->wParam))
        return DLGC_WANTMESSAGE;
    return 0;
}

LRESULT GraphicWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT: {
        RECT client{};
        GetClientRect(Handle(), &client);
        PaintInto(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_SETFOCUS:
        control_.OwnerForm().GraphicControlFocused(Handle());
        FocusChanged();
        return 0;
    case WM_KILLFOCUS:
        pressedKey_ = 0;
        FocusChanged();
        return 0;
    case WM_UPDATEUISTATE: {
        const LRESULT result = DefaultHandling(message, wParam, lParam);
        if (GetFocus() == Handle()) FocusChanged();
        return result;
    }
    case WM_GETDLGCODE:
        return DialogCode(reinterpret_cast<const MSG*>(lParam));
    case WM_KEYDOWN:
        if (control_.Focusable() && IsActivationKey(wParam)) {
            if (!(lParam & (1 << 30))) pressedKey_ = wParam;
            return 0;
        }
        break;
    case WM_KEYUP:
        // A click when the key goes up, once per press, as a button does: what
        // the click opens (a menu, a modal window) then sees no half of the key.
        if (wParam == pressedKey_ && pressedKey_ != 0) {
            pressedKey_ = 0;
            if (control_.Enabled()) control_.Click();
            return 0;
        }
        break;
    case WM_GETOBJECT:
        if (const LRESULT answer =
                AnswerGetObject(Handle(), wParam, lParam, control_.Role(),
                                control_.Focusable() ? STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED : 0))
            return answer;
        break;
    default:
        if (message == AccessibleNameMessage()) {
            try {
                return AnswerAccessibleName(wParam, lParam, control_.AccessibleName());
            } catch (...) {
                return 0;
            }
        }
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

} // namespace vx::ui
