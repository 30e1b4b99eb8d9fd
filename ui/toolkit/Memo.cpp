#include "ui/toolkit/Memo.h"

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

} // namespace vx::ui
