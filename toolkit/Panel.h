// A plain rectangle of a background colour that holds other controls: it
// paints itself and its windowless controls (flicker-free), and Tab moves
// into and through its windowed ones. No bevel; a caption, if given, is
// centred.
#pragma once

#include "toolkit/ControlHost.h"
#include "toolkit/WinControl.h"

#include <optional>

namespace vx::ui {

struct PanelOptions {
    Color color = Color::System(COLOR_BTNFACE);
    int tabOrder = 0;
    Cursor cursor = Cursor::Default;
    std::optional<LayoutFont> font = std::nullopt; // none: the parent's font
};

class Panel : public WinControl, public ControlHost {
public:
    Panel(ControlHost& parent, std::wstring name, Bounds bounds, const PanelOptions& options = {});
    ~Panel() override;

    ComponentKind Kind() const noexcept override { return ComponentKind::Panel; }
    std::wstring Caption() const override { return Text(); }
    void SetCaption(std::wstring_view caption) override;

    Color BackgroundColor() const noexcept { return color_; }
    void SetBackgroundColor(Color color) noexcept;

    HWND HostHandle() const noexcept override { return Handle(); }
    Form& HostForm() noexcept override { return OwnerForm(); }
    const ui::Font& HostFont() const noexcept override { return EffectiveFont(); }
    Color HostColor() const noexcept override { return color_; }
    Control* HostControl() noexcept override { return this; }

    void CreateHandle() noexcept override;
    void FontChanged() noexcept override;

protected:
    WindowClass Class() const noexcept override;
    LRESULT ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
    void PaintBackground(HDC dc, const RECT& client) noexcept override;

private:
    Color color_;
};

} // namespace vx::ui
