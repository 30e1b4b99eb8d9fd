#include "toolkit/Control.h"

#include "toolkit/Application.h"
#include "toolkit/ControlHost.h"
#include "toolkit/Form.h"

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

HWND GraphicControl::MouseWindow() const noexcept {
    return Parent().HostHandle();
}

void GraphicControl::BoundsChanged(const Bounds& old) noexcept {
    const HWND host = Parent().HostHandle();
    if (!host) return;
    const RECT before = old.Rect();
    InvalidateRect(host, &before, FALSE);
    Invalidate();
}

} // namespace vx::ui
