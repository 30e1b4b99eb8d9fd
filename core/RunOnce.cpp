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

// In the machine's global name space, so that runs in other sessions (a
// deployment service, a remote administrator) are held back as well.
constexpr wchar_t kCommandLineRunMutex[] = L"Global\\TOLVEN.Velantrix.CommandLineRun";

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

OwnedMutex AcquireCommandLineRunLock(DWORD waitMs) noexcept {
    UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, kCommandLineRunMutex));
    if (!mutex) return {};
    const DWORD result = WaitForSingleObject(mutex.get(), waitMs);
    // An abandoned lock is owned now: the engine's runs survive being cut short.
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) return {};
    return OwnedMutex(mutex.release());
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
