#include "toolkit/Memo.h"

namespace vx::ui {

Memo::Memo(ControlHost& parent, std::wstring name, Bounds bounds, const MemoOptions& options)
    : WinControl(parent, std::move(name), bounds) {
    SetTabStop(true);
    SetTabOrder(options.tabOrder);
}

WinControl::WindowClass Memo::Class() const noexcept {
    // A read-only edit asks its parent for WM_CTLCOLORSTATIC, so it takes the parent's background.
    return {L"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL, 0};
}

LRESULT Memo::ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_GETDLGCODE) {
        // A multi-line edit asks for every key. Being read-only, this one leaves
        // Tab, Enter and Escape to its window: Tab moves on, Enter presses the
        // default button, and Escape never reaches the panel it lies on.
        return WinControl::ControlMessage(message, wParam, lParam) & ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
    }
    return WinControl::ControlMessage(message, wParam, lParam);
}

} // namespace vx::ui
