#include "core/RunOnce.h"

#include "core/Constants.h"
#include "core/Ticks.h"

#include <string>

namespace vx {

namespace {

// The order matters: the secondary windows go first, so that the main window,
// whose closing ends the instance, finds nothing left open above it.
constexpr const wchar_t* kInstanceWindowClasses[] = {kAboutFormClass, kSettingsFormClass, kMainFormClass};

constexpr DWORD kPollIntervalMs = 50;

} // namespace

bool FindRunningInstance(std::wstring_view windowClassName, bool activate) noexcept {
    try {
        const HWND window = FindWindowW(std::wstring(windowClassName).c_str(), nullptr);
        if (!window) return false;
        if (activate) {
            ShowWindow(window, SW_RESTORE);
            SetForegroundWindow(window);
        }
        return true;
    } catch (...) {
        return false;
    }
}

void CloseRunningInstance(UINT timeoutMs) noexcept {
    for (const wchar_t* className : kInstanceWindowClasses) {
        const HWND window = FindWindowW(className, nullptr);
        if (!window) continue;
        // Like SendMessage it returns once the window has handled the request;
        // unlike it, it gives up on an instance that does not answer, and the
        // next window is tried all the same.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &result);
    }
}

bool CloseRunningInstanceAndWait(UINT timeoutMs, UINT waitMs) noexcept {
    if (!FindWindowW(kMainFormClass, nullptr)) return true;
    CloseRunningInstance(timeoutMs);
    const TickStamp start = TickNow();
    while (FindWindowW(kMainFormClass, nullptr)) {
        if (MillisecondsSince(start) >= waitMs) return false;
        Sleep(kPollIntervalMs);
    }
    return true;
}

} // namespace vx
