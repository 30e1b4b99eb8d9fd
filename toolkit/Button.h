// A push button. "&" in its caption marks the access key (Alt with the
// letter presses it); the window's default button is pressed by Enter and its
// cancel button by Escape; a button with a modal result ends the modal
// showing of its window with that result after its click handler.
#pragma once

#include "toolkit/Form.h"
#include "toolkit/WinControl.h"

#include <optional>

namespace vx::ui {

struct ButtonOptions {
    int tabOrder = 0;
    bool isDefault = false;
    bool isCancel = false;
    bool enabled = true;
    bool shield = false; // the elevation shield before the caption
    ModalResult modalResult = ModalResult::None;
    std::optional<LayoutFont> font = std::nullopt; // none: the parent's font
    Cursor cursor = Cursor::Default;
};

class Button : public WinControl {
public:
    Button(ControlHost& parent, std::wstring name, Bounds bounds, const ButtonOptions& options = {});

    ComponentKind Kind() const noexcept override { return ComponentKind::Button; }
    std::wstring Caption() const override { return Text(); }
    void SetCaption(std::wstring_view caption) override { SetText(caption); }

    bool Default() const noexcept;
    void SetDefault(bool on) noexcept;
    bool Shield() const noexcept { return shield_; }
    void SetShield(bool on) noexcept;
    ModalResult GetModalResult() const noexcept { return modalResult_; }
    void SetModalResult(ModalResult result) noexcept { modalResult_ = result; }

    void Click() noexcept override;
    void Command(WORD code) noexcept override;
    // The thick default frame; the window moves it to the focused button.
    void ShowAsDefault(bool on) noexcept;

protected:
    WindowClass Class() const noexcept override;
    void HandleCreated() noexcept override;

private:
    bool shield_ = false;
    bool looksDefault_ = false;
    ModalResult modalResult_ = ModalResult::None;
};

} // namespace vx::ui
