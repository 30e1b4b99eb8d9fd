#include "toolkit/Application.h"

#include "core/CommonControls.h"
#include "toolkit/Control.h"
#include "toolkit/Form.h"
#include "toolkit/HintWindow.h"
#include "toolkit/Window.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

namespace vx::ui {
namespace {

constexpr UINT_PTR kShowHintTimer = 1;
constexpr UINT_PTR kHideHintTimer = 2;
constexpr wchar_t kApplicationWindowClass[] = L"TVXApplication";

// The short part of a hint: the text before the first "|".
std::wstring_view ShortHint(std::wstring_view hint) noexcept {
    return hint.substr(0, hint.find(L'|'));
}

} // namespace

// The hidden top-level window of the application: the shell's owner window,
// the target of the hint timers, and the listener for changed system settings.
class ApplicationWindow : public Window {
public:
    explicit ApplicationWindow(Application& application) noexcept : application_(application) {}
    ~ApplicationWindow() override { DestroyHandle(); }

    bool Create() noexcept {
        if (!RegisterWindowClass(kApplicationWindowClass, 0, nullptr, nullptr, nullptr)) return false;
        return CreateHandle(kApplicationWindowClass, L"Velantrix", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr,
                            nullptr);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override {
        switch (message) {
        case WM_TIMER:
            application_.HintTimerElapsed(wParam);
            return 0;
        case WM_SETTINGCHANGE:
            // Windows announces new system metrics: the hint window is made again with them.
            application_.RecreateHintWindow();
            return 0;
        default:
            return DefaultHandling(message, wParam, lParam);
        }
    }

private:
    Application& application_;
};

ApplicationEvents::ApplicationEvents(Form& owner, std::wstring name) : Component(std::move(name)) {
    owner.Register(*this);
    Application::Instance().Subscribe(*this);
}

ApplicationEvents::~ApplicationEvents() {
    Application::Instance().Unsubscribe(*this);
}

Application& Application::Instance() noexcept {
    static Application application;
    return application;
}

Application::~Application() = default;

void Application::Initialize() noexcept {
    if (initialized_) return;
    initialized_ = true;
    // The picture decoder is a COM object; a failure here only costs the pictures.
    (void)CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InitCommonControlClasses(ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS |
                             ICC_USEREX_CLASSES);
}

HWND Application::Handle() noexcept {
    if (!window_) {
        try {
            window_ = std::make_unique<ApplicationWindow>(*this);
        } catch (...) {
            return nullptr;
        }
        window_->Create();
    }
    return window_->Handle();
}

void Application::Dispatch(MSG& message) noexcept {
    if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && RaiseShortCut(message)) return;
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) CancelHint();
    // Tab, arrow, Enter and access-key handling inside the program's own windows.
    const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && FormOf(root) && IsDialogMessageW(root, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Application::Run() noexcept {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
}

void Application::ProcessMessages() noexcept {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

bool Application::HandleMessage() noexcept {
    MSG message;
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    Dispatch(message);
    return true;
}

void Application::Subscribe(ApplicationEvents& events) {
    subscribers_.push_back(&events);
}

void Application::Unsubscribe(ApplicationEvents& events) noexcept {
    std::erase(subscribers_, &events);
}

bool Application::RaiseShortCut(const MSG& message) noexcept {
    bool handled = false;
    // A handler may subscribe or unsubscribe while it runs: walk a copy.
    try {
        const std::vector<ApplicationEvents*> subscribers = subscribers_;
        for (ApplicationEvents* events : subscribers) {
            if (events->OnShortCut) events->OnShortCut(message, handled);
            if (handled) break;
        }
    } catch (...) {
    }
    return handled;
}

void Application::AddForm(Form& form) {
    if (std::find(forms_.begin(), forms_.end(), &form) == forms_.end()) forms_.push_back(&form);
}

void Application::RemoveForm(Form& form) noexcept {
    std::erase(forms_, &form);
}

Form* Application::FormOf(HWND window) const noexcept {
    for (Form* form : forms_)
        if (form->Handle() && form->Handle() == window) return form;
    return nullptr;
}

void Application::SetMouseControl(Control* control) noexcept {
    if (control == mouseControl_) return;
    Control* previous = std::exchange(mouseControl_, control);
    if (previous) previous->MouseLeave();
    if (control) control->MouseEnter();
    HintControlChanged(control);
}

bool Application::MouseLeftWindow(HWND window) noexcept {
    POINT pointer{};
    if (GetCursorPos(&pointer) && WindowFromPoint(pointer) == window) return false;
    if (mouseControl_ && mouseControl_->MouseWindow() == window) SetMouseControl(nullptr);
    return true;
}

void Application::ControlDestroyed(Control& control) noexcept {
    if (mouseControl_ == &control) mouseControl_ = nullptr;
    if (hintControl_ == &control) {
        hintControl_ = nullptr;
        CancelHint();
    }
}

void Application::SetShowHint(bool on) noexcept {
    showHint_ = on;
    if (!on) CancelHint();
}

void Application::SetHint(std::wstring_view hint) noexcept {
    try {
        if (hint == hint_) return;
        hint_.assign(hint);
        if (onHint_) onHint_();
    } catch (...) {
    }
}

void Application::HintControlChanged(Control* control) noexcept {
    const bool wasShowing = hintShowing_;
    StopHintTimers();
    if (wasShowing) HideHint();
    hintControl_ = control;
    const std::wstring_view hint = control ? std::wstring_view(control->Hint()) : std::wstring_view();
    SetHint(hint);
    if (showHint_ && !hint.empty()) StartHintTimer(kShowHintTimer, wasShowing ? hintShortPause_ : hintPause_);
}

void Application::SetHintWindowFactory(HintWindowFactory factory) noexcept {
    hintWindowFactory_ = std::move(factory);
    RecreateHintWindow();
}

HintWindow* Application::CurrentHintWindow() noexcept {
    if (!hintWindow_) {
        try {
            hintWindow_ = hintWindowFactory_ ? hintWindowFactory_() : std::make_unique<HintWindow>();
        } catch (...) {
            hintWindow_.reset();
        }
    }
    return hintWindow_.get();
}

void Application::RecreateHintWindow() noexcept {
    CancelHint();
    // The old window goes first, so that the new one sees the state it left behind.
    hintWindow_.reset();
    CurrentHintWindow();
}

void Application::CancelHint() noexcept {
    StopHintTimers();
    if (hintShowing_) HideHint();
}

void Application::HideHint() noexcept {
    hintShowing_ = false;
    try {
        if (hideHintHook_) {
            hideHintHook_();
            return;
        }
    } catch (...) {
        return;
    }
    if (hintWindow_) hintWindow_->HideNow();
}

void Application::StartHintTimer(UINT_PTR timer, int ms) noexcept {
    if (const HWND window = Handle()) SetTimer(window, timer, static_cast<UINT>(std::max(ms, 1)), nullptr);
}

void Application::StopHintTimers() noexcept {
    if (!window_ || !window_->Handle()) return;
    KillTimer(window_->Handle(), kShowHintTimer);
    KillTimer(window_->Handle(), kHideHintTimer);
}

void Application::HintTimerElapsed(UINT_PTR timer) noexcept {
    if (window_ && window_->Handle()) KillTimer(window_->Handle(), timer);
    if (timer == kShowHintTimer) ShowHintNow();
    else if (timer == kHideHintTimer) HideHint();
}

void Application::ShowHintNow() noexcept {
    if (!hintControl_ || !showHint_) return;
    HintWindow* window = CurrentHintWindow();
    if (!window) return;
    try {
        const std::wstring text(ShortHint(hintControl_->Hint()));
        if (text.empty()) return;
        POINT cursor{};
        GetCursorPos(&cursor);
        const int dpi = hintControl_->OwnerForm().Scale().Dpi();
        window->SetDpi(dpi);
        const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        RECT rect = window->CalcHintRect(screenWidth, text, nullptr);
        // Below the pointer, as the system places its own tips.
        const int below = SystemMetricForDpi(SM_CYCURSOR, dpi) * 3 / 4;
        OffsetRect(&rect, cursor.x, cursor.y + below);
        window->ActivateHint(rect, text);
        hintShowing_ = true;
        StartHintTimer(kHideHintTimer, hintHidePause_);
    } catch (...) {
    }
}

void RunMessageLoop() noexcept {
    Application::Instance().Run();
}

void ProcessMessages() noexcept {
    Application::Instance().ProcessMessages();
}

} // namespace vx::ui
