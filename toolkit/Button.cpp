#include "toolkit/Button.h"

#include <commctrl.h>

namespace vx::ui {

Button::Button(ControlHost& parent, std::wstring name, Bounds bounds, const ButtonOptions& options)
    : WinControl(parent, std::move(name), bounds), shield_(options.shield), modalResult_(options.modalResult) {
    SetTabStop(true);
    SetTabOrder(options.tabOrder);
    SetEnabled(options.enabled);
    SetCursor(options.cursor);
    if (options.font) Font().Assign(ui::Font(*options.font));
    if (options.isDefault) OwnerForm().SetDefaultButton(this);
    if (options.isCancel) OwnerForm().SetCancelButton(this);
}

bool Button::Default() const noexcept {
    return OwnerForm().DefaultButton() == this;
}

void Button::SetDefault(bool on) noexcept {
    if (on) OwnerForm().SetDefaultButton(this);
    else if (Default()) OwnerForm().SetDefaultButton(nullptr);
}

void Button::SetShield(bool on) noexcept {
    shield_ = on;
    if (Handle()) SendMessageW(Handle(), BCM_SETSHIELD, 0, on ? TRUE : FALSE);
}

void Button::Click() noexcept {
    Control::Click();
    if (modalResult_ != ModalResult::None) OwnerForm().SetModalResult(modalResult_);
}

void Button::Command(WORD code) noexcept {
    if (code == BN_CLICKED && Enabled()) Click();
}

void Button::ShowAsDefault(bool on) noexcept {
    looksDefault_ = on;
    if (Handle()) SendMessageW(Handle(), BM_SETSTYLE, on ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

WinControl::WindowClass Button::Class() const noexcept {
    return {L"BUTTON", static_cast<DWORD>(looksDefault_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0};
}

void Button::HandleCreated() noexcept {
    if (shield_) SendMessageW(Handle(), BCM_SETSHIELD, 0, TRUE);
}

} // namespace vx::ui
