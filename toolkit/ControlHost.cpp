#include "toolkit/ControlHost.h"

#include "toolkit/Application.h"
#include "toolkit/Control.h"
#include "toolkit/Form.h"
#include "toolkit/WinControl.h"

#include <windowsx.h>

#include <algorithm>

namespace vx::ui {
namespace {

bool Contains(const RECT& rect, POINT point) noexcept {
    return PtInRect(&rect, point) != FALSE;
}

bool Intersects(const RECT& a, const RECT& b) noexcept {
    RECT both{};
    return IntersectRect(&both, &a, &b) != FALSE;
}

} // namespace

void ControlHost::AddChild(Control& child) {
    children_.push_back(&child);
}

void ControlHost::RemoveChild(Control& child) noexcept {
    std::erase(children_, &child);
    if (pressed_ == &child) pressed_ = nullptr;
}

Control* ControlHost::GraphicChildAt(POINT point) const noexcept {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Control* child = *it;
        if (!child->IsWindowed() && child->Visible() && Contains(child->GetBounds().Rect(), point)) return child;
    }
    return nullptr;
}

HBRUSH ControlHost::BackgroundBrush() noexcept {
    const COLORREF color = HostColor().Value();
    if (!brush_ || color != brushColor_) {
        brush_.reset(CreateSolidBrush(color));
        brushColor_ = color;
    }
    return brush_.get();
}

void ControlHost::CreateChildHandles() noexcept {
    for (Control* child : children_) child->CreateHandle();
    ApplyTabOrder();
}

void ControlHost::ApplyTabOrder() noexcept {
    std::vector<WinControl*> windowed;
    for (Control* child : children_)
        if (child->IsWindowed()) windowed.push_back(static_cast<WinControl*>(child));
    std::stable_sort(windowed.begin(), windowed.end(),
                     [](const WinControl* a, const WinControl* b) { return a->TabOrder() < b->TabOrder(); });
    // Tab moves through sibling windows in their z-order, first to last.
    HWND previous = HWND_TOP;
    for (WinControl* control : windowed) {
        if (!control->Handle()) continue;
        SetWindowPos(control->Handle(), previous, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        previous = control->Handle();
    }
    // The windowless controls' own windows come after, in their own order:
    // Tab reaches the links and pictures after the layout's controls.
    std::vector<GraphicControl*> graphic;
    for (Control* child : children_)
        if (!child->IsWindowed()) graphic.push_back(static_cast<GraphicControl*>(child));
    std::stable_sort(graphic.begin(), graphic.end(), [](const GraphicControl* a, const GraphicControl* b) {
        return a->GraphicTabOrder() < b->GraphicTabOrder();
    });
    for (GraphicControl* control : graphic) {
        const HWND window = control->AccessibleWindow();
        if (!window) continue;
        SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        previous = window;
    }
}

void ControlHost::PaintBackground(HDC dc, const RECT& client) noexcept {
    FillRect(dc, &client, BackgroundBrush());
}

void ControlHost::PaintTo(HDC target, const RECT& area) noexcept {
    RECT client{};
    GetClientRect(HostHandle(), &client);
    PaintBackground(target, client);
    for (Control* child : children_) {
        if (child->IsWindowed() || !child->Visible()) continue;
        const RECT bounds = child->GetBounds().Rect();
        if (!Intersects(bounds, area)) continue;
        const int saved = SaveDC(target);
        IntersectClipRect(target, bounds.left, bounds.top, bounds.right, bounds.bottom);
        child->Paint(target);
        RestoreDC(target, saved);
    }
    for (Control* child : children_)
        if (!child->IsWindowed() && child->Visible()) static_cast<GraphicControl*>(child)->PaintFocus(target);
}

void PaintBuffered(HWND window, const std::function<void(HDC dc, const RECT& area)>& paint) noexcept {
    PAINTSTRUCT painting{};
    const HDC screen = BeginPaint(window, &painting);
    if (!screen) return;
    const RECT& area = painting.rcPaint;
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    UniqueOwnedDc memory(CreateCompatibleDC(screen));
    UniqueBitmap bitmap(width > 0 && height > 0 ? CreateCompatibleBitmap(screen, width, height) : nullptr);
    try {
        if (memory && bitmap) {
            const SelectedObject selected(memory.get(), bitmap.get());
            SetViewportOrgEx(memory.get(), -area.left, -area.top, nullptr);
            paint(memory.get(), area);
            SetViewportOrgEx(memory.get(), 0, 0, nullptr);
            BitBlt(screen, area.left, area.top, width, height, memory.get(), 0, 0, SRCCOPY);
        } else {
            paint(screen, area);
        }
    } catch (...) {
    }
    EndPaint(window, &painting);
}

void ControlHost::OnPaint() noexcept {
    PaintBuffered(HostHandle(), [this](HDC dc, const RECT& area) { PaintTo(dc, area); });
}

void ControlHost::OnMouseMove(POINT point) noexcept {
    Control* hit = GraphicChildAt(point);
    Application::Instance().SetMouseControl(hit ? hit : HostControl());
    if (!trackingLeave_) TrackMouseLeave();
}

void ControlHost::TrackMouseLeave() noexcept {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, HostHandle(), 0};
    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
}

void ControlHost::OnButtonDown(POINT point) noexcept {
    Control* hit = GraphicChildAt(point);
    if (!hit) hit = HostControl();
    if (!hit || !hit->Enabled()) return;
    pressed_ = hit;
    SetCapture(HostHandle());
}

void ControlHost::OnButtonUp(POINT point) noexcept {
    Control* pressed = pressed_;
    if (!pressed) return;
    pressed_ = nullptr;
    if (GetCapture() == HostHandle()) ReleaseCapture();
    // A click counts when the button goes up over the control it went down on.
    RECT area{};
    if (pressed == HostControl()) GetClientRect(HostHandle(), &area);
    else area = pressed->GetBounds().Rect();
    if (Contains(area, point)) pressed->Click();
}

bool ControlHost::OnSetCursor(HWND cursorWindow, WORD hitTest) noexcept {
    if (cursorWindow != HostHandle() || hitTest != HTCLIENT) return false;
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(HostHandle(), &point);
    const Control* hit = GraphicChildAt(point);
    Cursor cursor = hit ? hit->GetCursor() : Cursor::Default;
    if (cursor == Cursor::Default && HostControl()) cursor = HostControl()->GetCursor();
    const HCURSOR shape = CursorHandle(cursor);
    if (!shape) return false;
    ::SetCursor(shape);
    return true;
}

LRESULT ControlHost::HostMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) noexcept {
    handled = true;
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT: {
        RECT client{};
        GetClientRect(HostHandle(), &client);
        PaintTo(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_MOUSEMOVE:
        OnMouseMove(point);
        return 0;
    case WM_MOUSELEAVE:
        trackingLeave_ = false;
        if (!Application::Instance().MouseLeftWindow(HostHandle())) TrackMouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnButtonDown(point);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(point);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != HostHandle()) pressed_ = nullptr;
        return 0;
    case WM_SETCURSOR:
        if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
        break;
    case WM_COMMAND:
        if (WinControl* control = WinControl::FromHandle(reinterpret_cast<HWND>(lParam))) {
            control->Command(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (WinControl* control = WinControl::FromHandle(reinterpret_cast<HWND>(lParam))) {
            control->Scroll(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (WinControl* control = header ? WinControl::FromHandle(header->hwndFrom) : nullptr)
            return control->Notify(*header);
        break;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        WinControl* control = item ? WinControl::FromHandle(item->hwndItem) : nullptr;
        if (control && control->DrawItem(*item)) return TRUE;
        break;
    }
    case WM_MEASUREITEM: {
        // Sent while the child's window is being made, before it is known by its handle.
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        WinControl* control = item ? HostForm().ControlById(static_cast<int>(item->CtlID)) : nullptr;
        if (control && control->MeasureItem(*item)) return TRUE;
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (WinControl* control = WinControl::FromHandle(reinterpret_cast<HWND>(lParam)))
            return reinterpret_cast<LRESULT>(control->ControlColor(reinterpret_cast<HDC>(wParam)));
        break;
    default:
        break;
    }
    handled = false;
    return 0;
}

} // namespace vx::ui
