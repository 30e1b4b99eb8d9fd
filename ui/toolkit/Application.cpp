#include "ui/toolkit/Application.h"

namespace vx::ui {
namespace {

void Dispatch(MSG& message) noexcept {
    // Tab, arrow and Enter handling of the active dialog-like window.
    const HWND active = GetActiveWindow();
    if (active && IsDialogMessageW(active, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

} // namespace

void RunMessageLoop() noexcept {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
}

void ProcessMessages() noexcept {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

} // namespace vx::ui
