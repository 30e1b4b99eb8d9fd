// What the window and the panels have in common: they hold controls. A host
// paints its background and then its windowless controls in creation order
// into one off-screen bitmap (no flicker; windowed children are clipped and
// lie above), finds the windowless control under the mouse for enter, leave,
// click and cursor, and hands the notifications of its windowed children
// (commands, scrolling, owner drawing, colours) back to those controls.
#pragma once

#include "core/Handles.h"
#include "toolkit/Color.h"
#include "toolkit/Font.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace vx::ui {

class Control;
class Form;

// Answers WM_PAINT for a window through an off-screen bitmap of the area to paint, so that
// nothing flickers; `paint` draws that area in the window's coordinates.
void PaintBuffered(HWND window, const std::function<void(HDC dc, const RECT& area)>& paint) noexcept;

class ControlHost {
public:
    ControlHost() = default;
    virtual ~ControlHost() = default;
    ControlHost(const ControlHost&) = delete;
    ControlHost& operator=(const ControlHost&) = delete;

    virtual HWND HostHandle() const noexcept = 0;
    virtual Form& HostForm() noexcept = 0;
    // The font that children with ParentFont on show.
    virtual const Font& HostFont() const noexcept = 0;
    virtual Color HostColor() const noexcept = 0;
    // The host as a control (a panel), or null for a window.
    virtual Control* HostControl() noexcept { return nullptr; }

    const std::vector<Control*>& Children() const noexcept { return children_; }
    void AddChild(Control& child);
    void RemoveChild(Control& child) noexcept;

    // The topmost visible windowless child at a point of the host's client area.
    Control* GraphicChildAt(POINT point) const noexcept;
    // Paints the host's area `area` (client coordinates) into a device context
    // whose logical coordinates are the host's client coordinates.
    void PaintArea(HDC dc, const RECT& area) noexcept { PaintTo(dc, area); }
    // A brush of the host's background colour, for windowed children.
    HBRUSH BackgroundBrush() noexcept;

protected:
    // Handles what every host handles; `handled` stays false for everything else.
    LRESULT HostMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) noexcept;
    // Makes the windows of the windowed children, in creation order, then orders them by tab order.
    void CreateChildHandles() noexcept;
    // Draws what lies under the children; the default fills with the host colour.
    virtual void PaintBackground(HDC dc, const RECT& client) noexcept;

private:
    void PaintTo(HDC target, const RECT& area) noexcept;
    void OnPaint() noexcept;
    void OnMouseMove(POINT point) noexcept;
    void TrackMouseLeave() noexcept;
    void OnButtonDown(POINT point) noexcept;
    void OnButtonUp(POINT point) noexcept;
    bool OnSetCursor(HWND cursorWindow, WORD hitTest) noexcept;
    void ApplyTabOrder() noexcept;

    std::vector<Control*> children_;
    UniqueBrush brush_;
    COLORREF brushColor_ = 0;
    Control* pressed_ = nullptr;
    bool trackingLeave_ = false;
};

} // namespace vx::ui
