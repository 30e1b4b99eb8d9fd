// The window that shows the hint of the control under the mouse. The
// application makes one from its hint-window factory, so that the program can
// put a class of its own in its place; this base class draws the hint itself
// in a small bordered pop-up in the system's tooltip colours.
#pragma once

#include "core/Dpi.h"
#include "toolkit/Window.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace vx::ui {

class HintWindow : public Window {
public:
    HintWindow() = default;
    ~HintWindow() override;

    // The text last shown.
    const std::wstring& Caption() const noexcept { return caption_; }
    void SetCaption(std::wstring_view caption);

    // Shows `hint` in the screen rectangle `rect` that CalcHintRect measured and the application placed.
    virtual void ActivateHint(const RECT& rect, std::wstring_view hint) noexcept;
    // The rectangle (0, 0, width, height) that `hint` needs, at most `maxWidth` wide.
    virtual RECT CalcHintRect(int maxWidth, std::wstring_view hint, const void* data) noexcept;
    // The toolkit's own hiding of the shown hint.
    virtual void HideNow() noexcept;

    // The dpi of the window whose control the hint belongs to: the font and margins follow it.
    int Dpi() const noexcept { return dpi_; }
    void SetDpi(int dpi) noexcept { dpi_ = dpi > 0 ? dpi : dpi_; }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void Paint() noexcept;

    std::wstring caption_;
    int dpi_ = SystemDpi();
};

// The system's status-bar font at a dpi, the font hints are drawn in. Null if Windows has none.
HFONT CreateHintFont(int dpi) noexcept;

} // namespace vx::ui
