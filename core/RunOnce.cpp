#include "core/RunOnce.h"

#include <windows.h>

#include <string>

namespace vx {

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

} // namespace vx
