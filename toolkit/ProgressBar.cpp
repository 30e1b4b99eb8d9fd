#include "toolkit/ProgressBar.h"

#include <commctrl.h>

#include <algorithm>

namespace vx::ui {

ProgressBar::ProgressBar(ControlHost& parent, std::wstring name, Bounds bounds, const ProgressBarOptions& options)
    : WinControl(parent, std::move(name), bounds), options_(options), position_(options.minimum) {
    SetCursor(options.cursor);
}

void ProgressBar::SetPosition(int position) noexcept {
    position_ = std::clamp(position, options_.minimum, options_.maximum);
    if (Handle()) SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

WinControl::WindowClass ProgressBar::Class() const noexcept {
    return {PROGRESS_CLASSW, PBS_SMOOTH, 0};
}

void ProgressBar::HandleCreated() noexcept {
    SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(options_.minimum), options_.maximum);
    SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

} // namespace vx::ui
