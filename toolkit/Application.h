// The application object: the one piece of process-wide state the toolkit
// keeps. It runs the message loop (with dialog-like keyboard handling for the
// program's windows), raises the application-wide shortcut event before any
// key reaches the focused control, tracks the control under the mouse (enter
// and leave events) and owns the hint machinery: a replaceable hint window,
// the hint-change event, the hint timing and an interceptable hide-hint step.
// It also owns a hidden top-level window of its own, which is never shown and
// has no taskbar button; requests to the shell use it as their owner.
#pragma once

#include "toolkit/Component.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vx::ui {

class Control;
class Form;
class HintWindow;

// The shortcut event: the key message and a flag that stops it from going on when set.
using ShortCutHandler = std::function<void(const MSG& message, bool& handled)>;
using HintHandler = std::function<void()>;
using HintWindowFactory = std::function<std::unique_ptr<HintWindow>()>;

// A window's subscription to the application's events, as a component of that window.
class ApplicationEvents : public Component {
public:
    ApplicationEvents(Form& owner, std::wstring name);
    ~ApplicationEvents() override;
    ComponentKind Kind() const noexcept override { return ComponentKind::Other; }

    ShortCutHandler OnShortCut;
};

class Application {
public:
    static Application& Instance() noexcept;
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // COM for picture decoding, the common controls and the application window. Runs once.
    void Initialize() noexcept;
    // The hidden application window (made on first use).
    HWND Handle() noexcept;

    // Runs the message loop until WM_QUIT.
    void Run() noexcept;
    // Dispatches every pending message, then returns; a WM_QUIT is put back for the outer loop.
    void ProcessMessages() noexcept;
    // Waits for one message and dispatches it; false (with WM_QUIT put back) when the program ends.
    bool HandleMessage() noexcept;
    void Terminate() noexcept { PostQuitMessage(0); }

    // Shortcut event; true when a handler took the key.
    void Subscribe(ApplicationEvents& events);
    void Unsubscribe(ApplicationEvents& events) noexcept;
    bool RaiseShortCut(const MSG& message) noexcept;

    // The program's forms, for keyboard handling.
    void AddForm(Form& form);
    void RemoveForm(Form& form) noexcept;
    Form* FormOf(HWND window) const noexcept;

    // The control under the mouse. Controls report mouse movement here; the
    // previous control gets its leave event, the new one its enter event.
    Control* MouseControl() const noexcept { return mouseControl_; }
    void SetMouseControl(Control* control) noexcept;
    // A window's leave notice. False when the pointer is in fact still over the
    // window (a notice that came late): the window then keeps tracking it.
    bool MouseLeftWindow(HWND window) noexcept;
    void ControlDestroyed(Control& control) noexcept;

    // Hints.
    bool ShowHint() const noexcept { return showHint_; }
    void SetShowHint(bool on) noexcept;
    int HintPause() const noexcept { return hintPause_; } // before a hint shows
    void SetHintPause(int ms) noexcept { hintPause_ = ms; }
    int HintShortPause() const noexcept { return hintShortPause_; } // before the next, while one shows
    void SetHintShortPause(int ms) noexcept { hintShortPause_ = ms; }
    int HintHidePause() const noexcept { return hintHidePause_; } // how long a hint stays
    void SetHintHidePause(int ms) noexcept { hintHidePause_ = ms; }

    // The current hint text: the hint of the control under the mouse. Every change runs OnHint.
    const std::wstring& Hint() const noexcept { return hint_; }
    void SetHint(std::wstring_view hint) noexcept;
    const HintHandler& OnHint() const noexcept { return onHint_; }
    void SetOnHint(HintHandler handler) { onHint_ = std::move(handler); }

    // The class of the hint windows made from now on; the current one is made again.
    void SetHintWindowFactory(HintWindowFactory factory) noexcept;
    HintWindow* CurrentHintWindow() noexcept;
    void RecreateHintWindow() noexcept;
    // Stops a pending hint and hides the shown one.
    void CancelHint() noexcept;
    // Hides the current hint: runs the hide-hint hook when one is set, else the toolkit's own hiding.
    void HideHint() noexcept;
    void SetHideHintHook(std::function<void()> hook) { hideHintHook_ = std::move(hook); }
    bool HintShowing() const noexcept { return hintShowing_; }

private:
    friend class ApplicationWindow;
    Application() = default;

    void Dispatch(MSG& message) noexcept;
    void StartHintTimer(UINT_PTR timer, int ms) noexcept;
    void StopHintTimers() noexcept;
    void HintTimerElapsed(UINT_PTR timer) noexcept;
    void ShowHintNow() noexcept;
    void HintControlChanged(Control* control) noexcept;

    std::unique_ptr<class ApplicationWindow> window_;
    bool initialized_ = false;
    std::vector<ApplicationEvents*> subscribers_;
    std::vector<Form*> forms_;
    Control* mouseControl_ = nullptr;

    bool showHint_ = true;
    int hintPause_ = 500;
    int hintShortPause_ = 50;
    int hintHidePause_ = 2500;
    std::wstring hint_;
    HintHandler onHint_;
    HintWindowFactory hintWindowFactory_;
    std::unique_ptr<HintWindow> hintWindow_;
    std::function<void()> hideHintHook_;
    Control* hintControl_ = nullptr;
    bool hintShowing_ = false;
};

// The loop of the program and of the progress steps, on the application object.
void RunMessageLoop() noexcept;
void ProcessMessages() noexcept;

} // namespace vx::ui
