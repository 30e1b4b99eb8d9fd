#include "ui/NativeHandCursor.h"

#include "toolkit/Control.h"

#include <windows.h>

namespace vx::ui {

void InstallNativeHandCursor() noexcept {
    SetHandPointCursor(LoadCursorW(nullptr, IDC_HAND));
}

} // namespace vx::ui
