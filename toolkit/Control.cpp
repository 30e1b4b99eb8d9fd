#include "toolkit/Control.h"

#include "toolkit/Application.h"
#include "toolkit/ControlHost.h"
#include "toolkit/Form.h"
#include "toolkit/GraphicWindow.h"

namespace vx::ui {
namespace {

// A shared system cursor: Windows owns it, so it is never destroyed.
HCURSOR g_handPointCursor = nullptr;

} // namespace

void SetHandPointCursor(HCURSOR cursor) noexcept {
    if (cursor) g_handPointCursor = cursor;
}

HCURSOR HandPointCursor() noexcept {
    return g_handPointCursor ? g_handPointCursor : LoadCursorW(nullptr, IDC_ARROW);
}

HCURSOR CursorHandle(Cursor cursor) noexcept {
    switch (cursor) {
    case Cursor::Default:
        return nullptr;
    case Cursor::Arrow:
        return LoadCursorW(nullptr, IDC_ARROW);
    case Cursor::HandPoint:
        return HandPointCursor();
    case Cursor::HourGlass:
        return LoadCursorW(nullptr, IDC_WAIT);
    case Cursor::IBeam:
        return LoadCursorW(nullptr, IDC_IBEAM);
    }
    return nullptr;
}

void RaiseEvent(const NotifyEvent& handler, Component& sender) noexcept {
    if (!handler) return;
    try {
        handler(sender);
    } catch (...) {
    }
}

Control::Control(ControlHost& parent, std::wstring name, Bounds bounds)
    : Component(std::move(name)), parent_(parent), layoutBounds_(bounds), bounds_(bounds) {
    font_.SetOnChange([this] { OwnFontChanged(); });
    parent_.AddChild(*this);
    OwnerForm().Register(*this);
}

Control::~Control() {
    Application::Instance().ControlDestroyed(*this);
    OwnerForm().Unregister(*this);
    parent_.RemoveChild(*this);
}

Form& Control::OwnerForm() const noexcept {
    return parent_.HostForm();
}

void Control::SetBounds(Bounds bounds) noexcept {
    if (bounds == bounds_) return;
    const Bounds old = bounds_;
    bounds_ = bounds;
    BoundsChanged(old);
}

RECT Control::ScreenRect() const noexcept {
    RECT rect = bounds_.Rect();
    MapWindowPoints(parent_.HostHandle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Control::SetVisible(bool visible) noexcept {
    if (visible_ == visible) return;
    visible_ = visible;
    VisibleChanged();
}

void Control::SetEnabled(bool enabled) noexcept {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    EnabledChanged();
}

void Control::SetParentFont(bool on) noexcept {
    if (parentFont_ == on) return;
    parentFont_ = on;
    if (on) font_.CopySilently(parent_.HostFont());
    OwnerForm().FontsChanged(this);
}

ui::Font& Control::Font() noexcept {
    // While the control follows its parent, its own font mirrors the parent's,
    // so that a change made through it starts from what the control shows.
    if (parentFont_) font_.CopySilently(parent_.HostFont());
    return font_;
}

const ui::Font& Control::EffectiveFont() const noexcept {
    return parentFont_ ? parent_.HostFont() : font_;
}

void Control::OwnFontChanged() noexcept {
    parentFont_ = false;
    OwnerForm().FontsChanged(this);
}

void Control::DpiChanged(DpiScale scale) noexcept {
    font_.SetDpi(scale.Dpi());
    SetBounds(Scaled(layoutBounds_, scale));
    // Whatever the control shows in its font is made and measured again at the new dpi.
    FontChanged();
}

void Control::Click() noexcept {
    RaiseEvent(OnClick, *this);
}

void Control::MouseEnter() noexcept {
    RaiseEvent(OnMouseEnter, *this);
}

void Control::MouseLeave() noexcept {
    RaiseEvent(OnMouseLeave, *this);
}

void Control::Invalidate() noexcept {
    const HWND host = parent_.HostHandle();
    if (!host) return;
    const RECT rect = bounds_.Rect();
    InvalidateRect(host, &rect, FALSE);
}

void Control::BoundsChanged(const Bounds&) noexcept {}

std::wstring Control::AccessibleName() const {
    if (accessibleLabel_) return accessibleLabel_->AccessibleName();
    return AccessibleText(Caption());
}

GraphicControl::GraphicControl(ControlHost& parent, std::wstring name, Bounds bounds)
    : Control(parent, std::move(name), bounds) {}

GraphicControl::~GraphicControl() = default;

HWND GraphicControl::MouseWindow() const noexcept {
    return Parent().HostHandle();
}

bool GraphicControl::Focused() const noexcept {
    const HWND window = AccessibleWindow();
    return window && GetFocus() == window;
}

HWND GraphicControl::AccessibleWindow() const noexcept {
    return window_ ? window_->Handle() : nullptr;
}

void GraphicControl::SetFocusable(bool on, int tabOrder) noexcept {
    tabOrder_ = tabOrder;
    if (focusable_ == on) return;
    focusable_ = on;
    if (Parent().HostHandle()) CreateHandle();
    UpdateWindow();
}

void GraphicControl::CreateHandle() noexcept {
    if (window_ || !ReaderSees()) return;
    const HWND host = Parent().HostHandle();
    if (!host) return;
    try {
        window_ = std::make_unique<GraphicWindow>(*this);
    } catch (...) {
        return;
    }
    if (!window_->Create(host)) window_.reset();
}

void GraphicControl::UpdateWindow() noexcept {
    if (window_) window_->Update();
}

void GraphicControl::AccessibleNameChanged() noexcept {
    if (window_) window_->NameChanged();
}

RECT GraphicControl::FocusRect() const noexcept {
    RECT rect = GetBounds().Rect();
    InflateRect(&rect, -2, -2);
    return rect;
}

RECT GraphicControl::PaintedArea(const Bounds& bounds) const noexcept {
    RECT rect = bounds.Rect();
    InflateRect(&rect, 2, 2);
    return rect;
}

void GraphicControl::PaintFocus(HDC dc) noexcept {
    const HWND window = AccessibleWindow();
    if (!window || GetFocus() != window) return;
    // The window's keyboard cues (not every system passes them on to each child).
    if (SendMessageW(GetAncestor(window, GA_ROOT), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) return;
    const RECT rect = FocusRect();
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &rect);
}

void GraphicControl::Invalidate() noexcept {
    const HWND host = Parent().HostHandle();
    if (!host) return;
    // The control's own window and any other lying over the place show what the host paints there.
    const RECT rect = PaintedArea(GetBounds());
    RedrawWindow(host, &rect, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void GraphicControl::BoundsChanged(const Bounds& old) noexcept {
    UpdateWindow();
    const HWND host = Parent().HostHandle();
    if (!host) return;
    const RECT before = PaintedArea(old);
    RedrawWindow(host, &before, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    Invalidate();
}

void GraphicControl::VisibleChanged() noexcept {
    UpdateWindow();
    Invalidate();
}

void GraphicControl::EnabledChanged() noexcept {
    UpdateWindow();
    Invalidate();
}

} // namespace vx::ui
