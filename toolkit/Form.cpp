#include "toolkit/Form.h"

#include "core/Text.h"
#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/WinControl.h"

#include <algorithm>
#include <utility>

namespace vx::ui {
namespace {

DWORD StyleFor(FormBorder border) noexcept {
    constexpr DWORD kBase = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    switch (border) {
    case FormBorder::SingleWithMinimize:
        return kBase | WS_SYSMENU | WS_MINIMIZEBOX;
    case FormBorder::SingleCloseOnly:
        return kBase | WS_SYSMENU;
    case FormBorder::SingleNoSystemMenu:
        return kBase;
    }
    return kBase | WS_SYSMENU;
}

RECT CenteredIn(const RECT& area, int width, int height) noexcept {
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = area.top + (area.bottom - area.top - height) / 2;
    return RECT{left, top, left + width, top + height};
}

// Moves a rectangle into an area as far as it fits, keeping its size.
RECT KeptInside(RECT rect, const RECT& area) noexcept {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (rect.right > area.right) rect.left = area.right - width;
    if (rect.bottom > area.bottom) rect.top = area.bottom - height;
    if (rect.left < area.left) rect.left = area.left;
    if (rect.top < area.top) rect.top = area.top;
    return RECT{rect.left, rect.top, rect.left + width, rect.top + height};
}

SIZE SizeOf(const RECT& rect) noexcept {
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

RECT WorkAreaAround(HWND window) noexcept {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

BOOL CALLBACK DisableOne(HWND window, LPARAM context) noexcept {
    auto& state = *reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(context);
    if (window == state.first || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    try {
        state.second->push_back(window);
    } catch (...) {
        return FALSE;
    }
    EnableWindow(window, FALSE);
    return TRUE;
}

// Disables every visible window of this thread but `keep`; gives back what it disabled.
std::vector<HWND> DisableOtherWindows(HWND keep) noexcept {
    std::vector<HWND> disabled;
    std::pair<HWND, std::vector<HWND>*> state{keep, &disabled};
    EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&state));
    return disabled;
}

} // namespace

int FittingDpi(int monitorDpi, SIZE workArea, SIZE (*frameAt)(const void* context, int dpi),
               const void* context) noexcept {
    for (int dpi = monitorDpi; dpi > kLayoutDpi; --dpi) {
        const SIZE frame = frameAt(context, dpi);
        if (frame.cx <= workArea.cx && frame.cy <= workArea.cy) return dpi;
    }
    return monitorDpi < kLayoutDpi ? monitorDpi : kLayoutDpi;
}

Form::Form(const FormLayout& layout) : layout_(layout), name_(layout.name) {
    font_.SetOnChange([this] { FontsChanged(nullptr); });
}

Form::~Form() {
    Application::Instance().RemoveForm(*this);
    DestroyHandle();
}

bool Form::Create(HWND owner, bool isMainForm) noexcept {
    if (Handle()) return true;
    Application& application = Application::Instance();
    application.Initialize();
    isMainForm_ = isMainForm;
    try {
        const std::wstring className = ClassName();
        HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
        if (!RegisterWindowClass(className.c_str(), CS_DBLCLKS, icon, icon, nullptr)) return false;
        // Made at the system's dpi, then laid out at the dpi of the monitor it lands on.
        ApplyDpi(SystemDpi());
        const SIZE frame = FrameSize(scale_.Dpi());
        if (!CreateHandle(className.c_str(), title_.c_str(), Style(), ExStyle(), CW_USEDEFAULT, CW_USEDEFAULT, frame.cx,
                          frame.cy, isMainForm ? nullptr : owner, nullptr))
            return false;
        application.AddForm(*this);
    } catch (...) {
        return false;
    }
    ApplyDpi(LayoutDpiOnItsMonitor());
    // The form's own set-up (fonts, texts, choices) comes before its controls
    // get windows, so that each is made once, as it will show, instead of
    // being re-laid out for every font and text set afterwards.
    FormCreate();
    CreateChildHandles();
    UpdateButtonLooks(nullptr);
    return true;
}

DWORD Form::Style() const noexcept {
    return StyleFor(layout_.border);
}

DWORD Form::ExStyle() const noexcept {
    return WS_EX_CONTROLPARENT | (isMainForm_ ? WS_EX_APPWINDOW : 0);
}

SIZE Form::FrameSize(int dpi) const noexcept {
    const DpiScale scale(dpi);
    RECT frame{0, 0, scale(layout_.clientWidth), scale(layout_.clientHeight)};
    AdjustWindowRectForDpi(frame, Style(), ExStyle(), dpi);
    return SizeOf(frame);
}

int Form::LayoutDpiOnItsMonitor() const noexcept {
    const auto frameAt = [](const void* form, int dpi) noexcept {
        return static_cast<const Form*>(form)->FrameSize(dpi);
    };
    return FittingDpi(WindowDpi(Handle()), SizeOf(WorkAreaAround(Handle())), frameAt, this);
}

void Form::ApplyDpi(int dpi) noexcept {
    const DpiScale scale(dpi);
    if (scale == scale_) return;
    scale_ = scale;
    font_.SetDpi(dpi);
    try {
        // A copy: the walk must not depend on what a component does when told.
        const std::vector<Component*> components = components_;
        for (Component* component : components) component->DpiChanged(scale);
    } catch (...) {
    }
    if (Handle()) SizeToScale(nullptr);
}

void Form::SizeToScale(const POINT* topLeft) noexcept {
    const SIZE frame = FrameSize(scale_.Dpi());
    const UINT keep = SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(Handle(), nullptr, topLeft ? topLeft->x : 0, topLeft ? topLeft->y : 0, frame.cx, frame.cy,
                 keep | (topLeft ? 0 : SWP_NOMOVE));
    if (IsIconic(Handle())) return;
    // The frame Windows really draws can differ from the one computed for the
    // dpi (Wine keeps the system's): the client area is what must come out right.
    RECT client{};
    GetClientRect(Handle(), &client);
    const int wider = ClientWidth() - client.right;
    const int taller = ClientHeight() - client.bottom;
    if (wider != 0 || taller != 0)
        SetWindowPos(Handle(), nullptr, 0, 0, frame.cx + wider, frame.cy + taller, keep | SWP_NOMOVE);
}

void Form::OnDpiChanged(int dpi, const RECT& suggested) noexcept {
    // Windows suggests the rectangle the window keeps its place in on the new
    // monitor; the size is the window's own at the dpi it is laid out at there.
    ApplyDpi(dpi);
    const POINT topLeft{suggested.left, suggested.top};
    SizeToScale(&topLeft);
    InvalidateRect(Handle(), nullptr, FALSE);
}

void Form::SetTitle(std::wstring_view title) {
    title_.assign(title);
    if (Handle()) SetWindowTextW(Handle(), title_.c_str());
}

std::wstring Form::Title() const {
    return title_;
}

Component* Form::FindComponent(std::wstring_view name) const {
    for (Component* component : components_)
        if (EqualsIgnoreAsciiCase(component->Name(), name)) return component;
    return nullptr;
}

void Form::Register(Component& component) {
    components_.push_back(&component);
}

void Form::Unregister(Component& component) noexcept {
    std::erase(components_, &component);
}

void Form::Register(Control& control) {
    Register(static_cast<Component&>(control));
    controls_.push_back(&control);
}

void Form::Unregister(Control& control) noexcept {
    Unregister(static_cast<Component&>(control));
    std::erase(controls_, &control);
    if (activeControl_ == &control) activeControl_ = nullptr;
    if (defaultButton_ == &control) defaultButton_ = nullptr;
    if (cancelButton_ == &control) cancelButton_ = nullptr;
}

WinControl* Form::ControlById(int id) const noexcept {
    for (Control* control : controls_)
        if (control->IsWindowed() && static_cast<WinControl*>(control)->ControlId() == id)
            return static_cast<WinControl*>(control);
    return nullptr;
}

void Form::FontsChanged(Control* origin) noexcept {
    for (Control* control : controls_) {
        // Does the control show `origin`'s font (or the window's, for no origin)?
        const Control* current = control;
        bool follows = current == origin;
        while (!follows && current->ParentFont()) {
            const Control* host = current->Parent().HostControl();
            if (host == origin) follows = true;
            if (!host) break;
            current = host;
        }
        if (follows) control->FontChanged();
    }
}

void Form::PlaceForShowing() noexcept {
    RECT window{};
    GetWindowRect(Handle(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    const HWND owner = GetWindow(Handle(), GW_OWNER);
    RECT placed{};
    if (layout_.position == FormPosition::OwnerFormCenter && owner) {
        RECT ownerRect{};
        GetWindowRect(owner, &ownerRect);
        placed = KeptInside(CenteredIn(ownerRect, width, height), WorkAreaAround(owner));
    } else if (layout_.position == FormPosition::ScreenCenter && !shownBefore_) {
        const RECT work = WorkAreaAround(Handle());
        placed = KeptInside(CenteredIn(work, width, height), work);
    } else {
        return;
    }
    SetWindowPos(Handle(), nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() noexcept {
    if (!Handle()) return;
    if (!Visible()) {
        PlaceForShowing();
        shownBefore_ = true;
        FormShow();
        ShowWindow(Handle(), SW_SHOW);
    }
    SetForegroundWindow(Handle());
}

void Form::Hide() noexcept {
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

bool Form::CanClose() noexcept {
    bool canClose = true;
    FormCloseQuery(canClose);
    return canClose;
}

void Form::Close() noexcept {
    if (modal_) {
        // The modal loop asks FormCloseQuery once it sees the result.
        if (modalResult_ == ModalResult::None) SetModalResult(ModalResult::Cancel);
        return;
    }
    if (!CanClose()) return;
    if (isMainForm_) DestroyWindow(Handle());
    else Hide();
}

void Form::SetModalResult(ModalResult result) noexcept {
    modalResult_ = result;
    if (!modal_) {
        if (result != ModalResult::None) Close();
        return;
    }
    // Wakes the modal loop even when the result was set from a sent message.
    if (Handle()) PostMessageW(Handle(), WM_NULL, 0, 0);
}

ModalResult Form::ShowModal() noexcept {
    if (!Handle() || modal_) return ModalResult::None;
    const HWND owner = GetWindow(Handle(), GW_OWNER);
    modal_ = true;
    modalResult_ = ModalResult::None;
    const std::vector<HWND> disabled = DisableOtherWindows(Handle());
    Show();
    Application& application = Application::Instance();
    while (true) {
        if (modalResult_ != ModalResult::None) {
            if (CanClose()) break;
            modalResult_ = ModalResult::None;
        }
        if (!Visible()) {
            modalResult_ = ModalResult::Cancel;
            break;
        }
        if (!application.HandleMessage()) {
            if (modalResult_ == ModalResult::None) modalResult_ = ModalResult::Cancel;
            break;
        }
    }
    // The others are enabled before the form hides, so that activation returns to the owner.
    for (HWND window : disabled)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    Hide();
    if (owner && IsWindow(owner)) SetForegroundWindow(owner);
    modal_ = false;
    return modalResult_;
}

void Form::FocusControl(WinControl& control) noexcept {
    activeControl_ = &control;
    graphicFocus_ = nullptr;
    if (Handle() && GetActiveWindow() == Handle() && control.Handle()) ::SetFocus(control.Handle());
}

void Form::ControlFocused(WinControl& control) noexcept {
    activeControl_ = &control;
    graphicFocus_ = nullptr;
    UpdateButtonLooks(&control);
}

void Form::GraphicControlFocused(HWND window) noexcept {
    graphicFocus_ = window;
    UpdateButtonLooks(nullptr);
}

void Form::SetDefaultButton(Button* button) noexcept {
    defaultButton_ = button;
    UpdateButtonLooks(activeControl_ && activeControl_->Focused() ? activeControl_ : nullptr);
}

void Form::UpdateButtonLooks(const WinControl* focused) noexcept {
    // A focused push button takes the default look (and Enter) from the default button.
    const bool buttonFocused = focused && focused->Kind() == ComponentKind::Button;
    for (Control* control : controls_) {
        if (control->Kind() != ComponentKind::Button) continue;
        auto* button = static_cast<Button*>(control);
        button->ShowAsDefault(buttonFocused ? button == focused : button == defaultButton_);
    }
}

void Form::RestoreFocus() noexcept {
    HWND target = nullptr;
    if (graphicFocus_ && IsWindow(graphicFocus_) && IsWindowVisible(graphicFocus_) && IsWindowEnabled(graphicFocus_) &&
        IsChild(Handle(), graphicFocus_))
        target = graphicFocus_;
    else if (activeControl_ && activeControl_->Handle() && IsWindowVisible(activeControl_->Handle()) &&
        IsWindowEnabled(activeControl_->Handle()))
        target = activeControl_->Handle();
    if (!target) target = GetNextDlgTabItem(Handle(), nullptr, FALSE);
    if (target && target != Handle()) ::SetFocus(target);
}

LRESULT Form::OnCommand(WPARAM wParam, LPARAM lParam) noexcept {
    // Escape in a dialog-like window arrives as IDCANCEL; without a cancel button nothing happens.
    if (LOWORD(wParam) == IDCANCEL && !WinControl::FromHandle(reinterpret_cast<HWND>(lParam))) {
        if (cancelButton_ && cancelButton_->Enabled() && cancelButton_->Visible()) cancelButton_->Click();
        return 0;
    }
    bool handled = false;
    const LRESULT result = HostMessage(WM_COMMAND, wParam, lParam, handled);
    return handled ? result : DefaultHandling(WM_COMMAND, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case DM_GETDEFID:
        if (defaultButton_ && defaultButton_->Handle()) return MAKELRESULT(defaultButton_->ControlId(), DC_HASDEFID);
        return 0;
    case WM_NEXTDLGCTL: {
        const HWND next =
            LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(Handle(), GetFocus(), wParam != 0);
        if (next) ::SetFocus(next);
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) Application::Instance().CancelHint();
        else if (!HIWORD(wParam)) RestoreFocus();
        return 0;
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_UPDATEUISTATE: {
        // Keyboard cues on or off: a focused link or picture shows or hides its focus rectangle.
        const LRESULT result = DefaultHandling(message, wParam, lParam);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        return result;
    }
    case WM_DPICHANGED:
        if (lParam) OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        if (isMainForm_) PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    bool handled = false;
    const LRESULT result = HostMessage(message, wParam, lParam, handled);
    return handled ? result : DefaultHandling(message, wParam, lParam);
}

} // namespace vx::ui
