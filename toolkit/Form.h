// A top-level window of the program. Its name is its caption-table form name
// and its window class name is that name with "T" in front. A form owns every
// component of its layout (controls at any depth, menu items, non-visual
// parts), which register with it as they are made, in layout order. Forms are
// created hidden and shown on demand, modelessly or modally; closing a
// secondary form only hides it, closing the main form ends the program.
#pragma once

#include "toolkit/Color.h"
#include "toolkit/Component.h"
#include "toolkit/Control.h"
#include "toolkit/ControlHost.h"
#include "toolkit/Font.h"
#include "toolkit/Window.h"

#include <string>
#include <string_view>
#include <vector>

namespace vx::ui {

class Button;
class WinControl;

enum class FormBorder {
    SingleWithMinimize, // close and minimise buttons, no maximising
    SingleCloseOnly,    // close button only
    SingleNoSystemMenu, // no system menu, no buttons: the user cannot close it
};

enum class FormPosition {
    ScreenCenter,    // centred on the screen when first shown
    OwnerFormCenter, // centred over the owner every time it is shown
};

struct FormLayout {
    const wchar_t* name;
    int clientWidth;
    int clientHeight;
    FormBorder border;
    FormPosition position;
    Color color = Color::System(COLOR_BTNFACE);
};

class Form;

// The dpi a window is laid out at on a monitor of `monitorDpi` whose work area
// is `workArea`: the monitor's, unless the window would then be larger than
// the work area; then the largest dpi down to 96 at which it fits (its texts
// stay crisp, only smaller), so that its title bar and buttons stay on the
// screen. `frameAt` gives the window's outer size at a dpi.
int FittingDpi(int monitorDpi, SIZE workArea, SIZE (*frameAt)(const void* context, int dpi),
               const void* context) noexcept;

// What a program does to each of its windows when it is created or shown
// (fonts, captions): set by the layer above the toolkit.
using WindowSetUp = void (*)(Form& window) noexcept;

// How a modal showing ended. None while it runs.
enum class ModalResult { None, Ok, Cancel, Abort, Retry, Ignore, Yes, No, Close };

class Form : public Window, public ControlHost, public CaptionTarget {
public:
    explicit Form(const FormLayout& layout);
    ~Form() override;

    // Creates the window hidden, runs FormCreate, then makes the windows of its
    // controls. The main form owns its taskbar button and has no owner; the
    // others are owned by `owner` (the main form) and have none.
    bool Create(HWND owner, bool isMainForm) noexcept;

    const std::wstring& Name() const noexcept override { return name_; }
    void SetTitle(std::wstring_view title) override;
    std::wstring Title() const override;
    // Any component the form owns, by name, ignoring the case of A to Z.
    Component* FindComponent(std::wstring_view name) const override;

    std::wstring ClassName() const { return L"T" + name_; }
    bool IsMainForm() const noexcept { return isMainForm_; }
    // The client area's size in device pixels at the window's scale.
    int ClientWidth() const noexcept { return scale_(layout_.clientWidth); }
    int ClientHeight() const noexcept { return scale_(layout_.clientHeight); }

    // The scale the window is laid out at, and laying it out at another: every
    // component follows (bounds, fonts, pictures) and the window takes its
    // client size at that scale, keeping its top-left corner.
    DpiScale Scale() const noexcept { return scale_; }
    void ApplyDpi(int dpi) noexcept;

    FormPosition Position() const noexcept { return layout_.position; }
    void SetPosition(FormPosition position) noexcept { layout_.position = position; }

    void Show() noexcept;
    void Hide() noexcept;
    // Asks FormCloseQuery, then hides the form (ends a modal showing, ends the program for the main form).
    void Close() noexcept;
    bool Visible() const noexcept { return Handle() && IsWindowVisible(Handle()); }

    // Shows the form with every other window of the program disabled and
    // returns when it closes or a result is set.
    ModalResult ShowModal() noexcept;
    bool Modal() const noexcept { return modal_; }
    ModalResult GetModalResult() const noexcept { return modalResult_; }
    // Ends a modal showing with the result; a form shown modelessly just closes.
    void SetModalResult(ModalResult result) noexcept;

    // The window font: every control with ParentFont on shows it.
    ui::Font& Font() noexcept { return font_; }
    const ui::Font& Font() const noexcept { return font_; }

    // Components, in the order they were made.
    const std::vector<Component*>& Components() const noexcept { return components_; }
    void Register(Component& component);
    void Unregister(Component& component) noexcept;
    void Register(Control& control);
    void Unregister(Control& control) noexcept;
    int NewControlId() noexcept { return nextControlId_++; }
    WinControl* ControlById(int id) const noexcept;
    // A font changed: `origin`'s own, or the window's when null. Everything that shows it follows.
    void FontsChanged(Control* origin) noexcept;

    // Keyboard focus and the Enter and Escape buttons.
    WinControl* ActiveControl() const noexcept { return activeControl_; }
    void FocusControl(WinControl& control) noexcept;
    void ControlFocused(WinControl& control) noexcept;
    // A windowless control's own window took the focus (it gets it back when the form is activated again).
    void GraphicControlFocused(HWND window) noexcept;
    Button* DefaultButton() const noexcept { return defaultButton_; }
    void SetDefaultButton(Button* button) noexcept;
    Button* CancelButton() const noexcept { return cancelButton_; }
    void SetCancelButton(Button* button) noexcept { cancelButton_ = button; }

    HWND HostHandle() const noexcept override { return Handle(); }
    Form& HostForm() noexcept override { return *this; }
    const ui::Font& HostFont() const noexcept override { return font_; }
    Color HostColor() const noexcept override { return layout_.color; }

    // A handler method of the derived window as an event: Bind(&TVXMainForm::GoButtonClick).
    template <typename Derived> NotifyEvent Bind(void (Derived::*method)(Component& sender) noexcept) {
        return [this, method](Component& sender) { (static_cast<Derived*>(this)->*method)(sender); };
    }

protected:
    // Runs once, right after the window exists and before its controls get
    // windows: what it sets (fonts, texts, choices) they are created with.
    virtual void FormCreate() noexcept {}
    // Runs every time the window is about to become visible.
    virtual void FormShow() noexcept {}
    // Asked before every close; leave canClose true to allow it.
    virtual void FormCloseQuery(bool&) noexcept {}

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    DWORD Style() const noexcept;
    DWORD ExStyle() const noexcept;
    // The outer size of the window at a dpi.
    SIZE FrameSize(int dpi) const noexcept;
    // The dpi to lay the window out at on the monitor it is on (see FittingDpi).
    int LayoutDpiOnItsMonitor() const noexcept;
    // Gives the window its size at its scale, at `topLeft` if given.
    void SizeToScale(const POINT* topLeft) noexcept;
    void OnDpiChanged(int dpi, const RECT& suggested) noexcept;
    void PlaceForShowing() noexcept;
    void RestoreFocus() noexcept;
    void UpdateButtonLooks(const WinControl* focused) noexcept;
    bool CanClose() noexcept;
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) noexcept;

    FormLayout layout_;
    DpiScale scale_;
    std::wstring name_;
    std::wstring title_;
    ui::Font font_;
    std::vector<Component*> components_;
    std::vector<Control*> controls_;
    int nextControlId_ = 100; // clear of IDOK and IDCANCEL, which dialog keys send
    WinControl* activeControl_ = nullptr;
    HWND graphicFocus_ = nullptr;
    Button* defaultButton_ = nullptr;
    Button* cancelButton_ = nullptr;
    bool isMainForm_ = false;
    bool shownBefore_ = false;
    bool modal_ = false;
    ModalResult modalResult_ = ModalResult::None;
};

} // namespace vx::ui
