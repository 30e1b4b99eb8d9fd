// The base of every control a window lays out: a named component with a
// parent (the window or a panel), a position and size relative to that
// parent, visibility, an enabled state, a cursor, a hint, a font (its own or
// its parent's) and the mouse events. Windowless controls (labels, pictures,
// lines) are painted by their parent; windowed ones (WinControl) own a window.
#pragma once

#include "toolkit/Accessibility.h"
#include "toolkit/Component.h"
#include "toolkit/Font.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace vx::ui {

class ControlHost;
class Form;
class GraphicWindow;

// Where a control lies in its parent, in pixels.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    RECT Rect() const noexcept { return RECT{left, top, left + width, top + height}; }
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// Layout bounds at a scale: each value on its own, as DpiScale rounds it.
inline Bounds Scaled(const Bounds& layout, DpiScale scale) noexcept {
    return Bounds{scale(layout.left), scale(layout.top), scale(layout.width), scale(layout.height)};
}

// The pointer shapes the layouts ask for. Default means "whatever the parent shows".
enum class Cursor { Default, Arrow, HandPoint, HourGlass, IBeam };
HCURSOR CursorHandle(Cursor cursor) noexcept;

// The cursor of Cursor::HandPoint. Until the program sets one (the system's
// hand, during process initialisation) it is the standard arrow, so that a
// control never ends up with no cursor at all. A null cursor is ignored.
void SetHandPointCursor(HCURSOR cursor) noexcept;
HCURSOR HandPointCursor() noexcept;

// An event with its sender, bound to a method of the window that handles it.
using NotifyEvent = std::function<void(Component& sender)>;
// Runs the handler if there is one; nothing it throws gets out.
void RaiseEvent(const NotifyEvent& handler, Component& sender) noexcept;

class Control : public Component {
public:
    Control(ControlHost& parent, std::wstring name, Bounds bounds);
    ~Control() override;

    ControlHost& Parent() const noexcept { return parent_; }
    Form& OwnerForm() const noexcept;

    // Where the control is now, in device pixels of its window's dpi.
    const Bounds& GetBounds() const noexcept { return bounds_; }
    // Where the layout puts it, in layout pixels (96 dpi).
    const Bounds& LayoutBounds() const noexcept { return layoutBounds_; }
    int Left() const noexcept { return bounds_.left; }
    int Top() const noexcept { return bounds_.top; }
    int Width() const noexcept { return bounds_.width; }
    int Height() const noexcept { return bounds_.height; }
    void SetBounds(Bounds bounds) noexcept;
    // The control's rectangle in screen coordinates (its parent must have a window).
    RECT ScreenRect() const noexcept;

    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool visible) noexcept;
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool enabled) noexcept;

    Cursor GetCursor() const noexcept { return cursor_; }
    void SetCursor(Cursor cursor) noexcept { cursor_ = cursor; }

    // The hint shown when the mouse rests on the control ("short|long": the
    // hint window shows the part before the bar).
    const std::wstring& Hint() const noexcept { return hint_; }
    void SetHint(std::wstring hint) { hint_ = std::move(hint); }

    // Font: either the parent's (ParentFont on) or the control's own. Changing
    // the font through Font() makes it the control's own.
    bool ParentFont() const noexcept override { return parentFont_; }
    void SetParentFont(bool on) noexcept;
    ui::Font& Font() noexcept;
    const ui::Font& EffectiveFont() const noexcept;
    ui::Font* OwnFont() noexcept override { return &Font(); }

    // What a screen reader says for the control: the text of the label that
    // introduces it (as the user sees it, without " :" and "&"), else its own
    // caption; and what it is.
    void SetAccessibleLabel(const Control* label) noexcept { accessibleLabel_ = label; }
    virtual std::wstring AccessibleName() const;
    virtual AccessibleRole Role() const noexcept { return AccessibleRole::Keep; }

    NotifyEvent OnClick;
    NotifyEvent OnMouseEnter;
    NotifyEvent OnMouseLeave;

    // Raises OnClick, as a mouse click on the control does.
    virtual void Click() noexcept;
    void MouseEnter() noexcept;
    void MouseLeave() noexcept;

    // The window whose mouse messages belong to this control.
    virtual HWND MouseWindow() const noexcept = 0;
    virtual bool IsWindowed() const noexcept = 0;
    // Repaints the control's area.
    virtual void Invalidate() noexcept;

    // Called by the parent: makes the control's window (windowed controls only).
    virtual void CreateHandle() noexcept {}
    // The font the control shows may have changed (its own, or its parent's).
    virtual void FontChanged() noexcept { Invalidate(); }
    // Windowless controls draw themselves here, in the parent's coordinates.
    virtual void Paint(HDC) noexcept {}
    // Takes the layout's bounds at the new scale and the font at the new dpi.
    void DpiChanged(DpiScale scale) noexcept override;

protected:
    virtual void BoundsChanged(const Bounds& old) noexcept;
    virtual void VisibleChanged() noexcept {}
    virtual void EnabledChanged() noexcept {}
    // Sets the bounds without announcing them (auto-sizing controls).
    void StoreBounds(Bounds bounds) noexcept { bounds_ = bounds; }

private:
    void OwnFontChanged() noexcept;

    ControlHost& parent_;
    Bounds layoutBounds_;
    Bounds bounds_;
    bool visible_ = true;
    bool enabled_ = true;
    Cursor cursor_ = Cursor::Default;
    std::wstring hint_;
    ui::Font font_;
    bool parentFont_ = true;
    const Control* accessibleLabel_ = nullptr;
};

// A control without a window of its own, painted by its parent in creation
// order. One that acts on a click can take the keyboard focus (after the
// windowed controls of its parent in the tab order; Enter and Space click it),
// and one a screen reader must see gets a small window of its own for that
// (see GraphicWindow); decorative ones have none.
class GraphicControl : public Control {
public:
    GraphicControl(ControlHost& parent, std::wstring name, Bounds bounds);
    ~GraphicControl() override;

    HWND MouseWindow() const noexcept override;
    bool IsWindowed() const noexcept override { return false; }
    void Invalidate() noexcept override;

    bool Focusable() const noexcept { return focusable_; }
    // `tabOrder` places it among its parent's focusable windowless controls (lower first).
    void SetFocusable(bool on, int tabOrder = 0) noexcept;
    int GraphicTabOrder() const noexcept { return tabOrder_; }
    bool Focused() const noexcept;
    // The control's own window, or null (none needed, or its parent has none yet).
    HWND AccessibleWindow() const noexcept;
    // Whether a screen reader sees the control at all.
    virtual bool ReaderSees() const noexcept { return focusable_; }
    AccessibleRole Role() const noexcept override {
        return focusable_ ? AccessibleRole::PushButton : AccessibleRole::Keep;
    }

    void CreateHandle() noexcept override;
    // Draws the system's focus rectangle when the control has the focus and the
    // keyboard is in use (the window's cues are on), in the parent's coordinates.
    void PaintFocus(HDC dc) noexcept;

protected:
    // Where the focus rectangle goes: by default just inside the control.
    virtual RECT FocusRect() const noexcept;
    void BoundsChanged(const Bounds& old) noexcept override;
    void VisibleChanged() noexcept override;
    void EnabledChanged() noexcept override;
    // The text a reader hears has changed.
    void AccessibleNameChanged() noexcept;

private:
    // Everything the control may paint, its focus rectangle included.
    RECT PaintedArea(const Bounds& bounds) const noexcept;
    void UpdateWindow() noexcept;

    bool focusable_ = false;
    int tabOrder_ = 0;
    std::unique_ptr<GraphicWindow> window_;
};

} // namespace vx::ui
