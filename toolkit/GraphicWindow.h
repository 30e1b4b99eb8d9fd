// The small window of a windowless control that the keyboard or a screen
// reader must reach (a link, a picture that acts on a click, a label). It lies
// exactly over the control, lets the mouse through to the host (which keeps
// handling enter, leave, click and cursor as before) and shows what the host
// paints there, so the window looks the same with it or without it. It gives
// the control a place in the tab order and the focus, clicks it on Enter and
// Space, and answers screen readers with the control's name and role.
#pragma once

#include "toolkit/Window.h"

namespace vx::ui {

class GraphicControl;

class GraphicWindow : public Window {
public:
    explicit GraphicWindow(GraphicControl& control) noexcept : control_(control) {}
    ~GraphicWindow() override;

    bool Create(HWND host) noexcept;
    // Follows the control's bounds, visibility, enabled state and tab stop.
    void Update() noexcept;
    // The control's text changed: readers are told.
    void NameChanged() noexcept;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void Paint() noexcept;
    void PaintInto(HDC dc, const RECT& area) noexcept;
    void FocusChanged() noexcept;
    UINT DialogCode(const MSG* message) const noexcept;

    GraphicControl& control_;
    WPARAM pressedKey_ = 0; // Enter or Space, down on this window and not yet up
};

} // namespace vx::ui
