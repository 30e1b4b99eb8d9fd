#include "toolkit/Slider.h"

#include "toolkit/Form.h"

#include <commctrl.h>

#include <algorithm>

namespace vx::ui {

Slider::Slider(ControlHost& parent, std::wstring name, Bounds bounds, const SliderOptions& options)
    : WinControl(parent, std::move(name), bounds), options_(options), position_(options.minimum) {
    SetTabStop(true);
    SetTabOrder(options.tabOrder);
}

int Slider::Position() const noexcept {
    if (Handle()) return static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
    return position_;
}

void Slider::SetPosition(int position) noexcept {
    position_ = std::clamp(position, options_.minimum, options_.maximum);
    if (Handle()) SendMessageW(Handle(), TBM_SETPOS, TRUE, position_);
}

void Slider::Scroll(WORD) noexcept {
    const int now = Position();
    if (now == position_) return;
    position_ = now;
    RaiseEvent(OnChange, *this);
}

WinControl::WindowClass Slider::Class() const noexcept {
    DWORD style = TBS_HORZ | TBS_AUTOTICKS;
    if (options_.ticksBothSides) style |= TBS_BOTH;
    if (options_.thumbLength > 0) style |= TBS_FIXEDLENGTH;
    return {TRACKBAR_CLASSW, style, 0};
}

void Slider::HandleCreated() noexcept {
    SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, options_.minimum);
    SendMessageW(Handle(), TBM_SETRANGEMAX, FALSE, options_.maximum);
    SendMessageW(Handle(), TBM_SETPAGESIZE, 0, options_.pageSize);
    SendMessageW(Handle(), TBM_SETTICFREQ, 1, 0);
    SetThumbLength();
    // The trackbar places its thumb for the new length when it next paints; a
    // window made while its parent shows paints now, so that the position below
    // is laid out on the new length, as in a window made before showing.
    UpdateWindow(Handle());
    SendMessageW(Handle(), TBM_SETPOS, TRUE, position_);
}

void Slider::SaveWindowState() noexcept {
    position_ = Position();
}

void Slider::DpiChanged(DpiScale scale) noexcept {
    WinControl::DpiChanged(scale);
    RecreateHandle();
}

void Slider::SetThumbLength() noexcept {
    if (options_.thumbLength > 0)
        SendMessageW(Handle(), TBM_SETTHUMBLENGTH, static_cast<WPARAM>(OwnerForm().Scale()(options_.thumbLength)), 0);
}

} // namespace vx::ui
