#include "ui/NativeHandCursor.h"

namespace vx::ui {

namespace {

// A shared system cursor: Windows owns it, so it is never destroyed.
HCURSOR g_handCursor = nullptr;

} // namespace

void InstallNativeHandCursor() noexcept {
    if (const HCURSOR hand = LoadCursorW(nullptr, IDC_HAND)) g_handCursor = hand;
}

HCURSOR HandPointCursor() noexcept {
    return g_handCursor ? g_handCursor : LoadCursorW(nullptr, IDC_ARROW);
}

} // namespace vx::ui
