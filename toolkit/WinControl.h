// A control with a window of its own (button, list, slider, progress bar,
// memo, panel). The window is made when the parent's window exists, from the
// control's class, style and current properties, and is subclassed so that
// the control sees its own messages; the parent hands the control's
// notifications (commands, scrolling, owner drawing, colours) back to it.
#pragma once

#include "core/CommonControls.h"
#include "toolkit/Control.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace vx::ui {

class WinControl : public Control {
public:
    WinControl(ControlHost& parent, std::wstring name, Bounds bounds);
    ~WinControl() override;

    HWND Handle() const noexcept { return hwnd_; }
    int ControlId() const noexcept { return id_; }
    // The control that owns a window made by this toolkit, or null.
    static WinControl* FromHandle(HWND hwnd) noexcept;

    HWND MouseWindow() const noexcept override { return hwnd_; }
    bool IsWindowed() const noexcept override { return true; }
    void Invalidate() noexcept override;

    // Position in the parent's tab order (lower first) and whether Tab stops here.
    int TabOrder() const noexcept { return tabOrder_; }
    void SetTabOrder(int order) noexcept { tabOrder_ = order; }
    bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool on) noexcept;

    bool Focused() const noexcept;
    // Gives the control the keyboard focus now, or when its window is next activated.
    void SetFocus() noexcept;

    void CreateHandle() noexcept override;
    void FontChanged() noexcept override;
    // The role a reader hears, from the kind of control.
    AccessibleRole Role() const noexcept override;
    // Makes the window again from the control's properties, in the same place
    // of the tab order and with the focus if it had it: for controls whose
    // window does not take a new scale as a new window would.
    void RecreateHandle() noexcept;

    // Notifications that the parent receives for this control.
    virtual void Command(WORD) noexcept {}
    virtual void Scroll(WORD) noexcept {}
    virtual LRESULT Notify(const NMHDR&) noexcept { return 0; }
    virtual bool DrawItem(const DRAWITEMSTRUCT&) noexcept { return false; }
    virtual bool MeasureItem(MEASUREITEMSTRUCT&) noexcept { return false; }
    // The background for the control's own drawing: by default the parent's colour
    // and the control's font colour, so that the control sits on its parent.
    virtual HBRUSH ControlColor(HDC dc) noexcept;

protected:
    struct WindowClass {
        const wchar_t* name;
        DWORD style;
        DWORD exStyle;
    };
    virtual WindowClass Class() const noexcept = 0;
    // Runs once the window exists: hand the control's properties to it.
    virtual void HandleCreated() noexcept {}
    // Runs before the window is made again: keep what only the window holds.
    virtual void SaveWindowState() noexcept {}
    virtual LRESULT ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT DefaultMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        return DefaultSubclassProcedure(hwnd_, message, wParam, lParam);
    }

    const std::wstring& Text() const noexcept { return text_; }
    void SetText(std::wstring_view text);

    void BoundsChanged(const Bounds& old) noexcept override;
    void VisibleChanged() noexcept override;
    void EnabledChanged() noexcept override;

private:
    void TrackMouseLeave() noexcept;
    static LRESULT CALLBACK SubclassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                              DWORD_PTR self) noexcept;

    HWND hwnd_ = nullptr;
    int id_ = 0;
    int tabOrder_ = 0;
    bool tabStop_ = false;
    bool trackingLeave_ = false;
    std::wstring text_;
};

} // namespace vx::ui
