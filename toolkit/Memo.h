// A read-only multi-line text box whose words wrap, with a vertical scroll
// bar, shown on its parent's background.
#pragma once

#include "toolkit/WinControl.h"

#include <string>
#include <string_view>

namespace vx::ui {

struct MemoOptions {
    int tabOrder = 0;
};

class Memo : public WinControl {
public:
    Memo(ControlHost& parent, std::wstring name, Bounds bounds, const MemoOptions& options = {});

    ComponentKind Kind() const noexcept override { return ComponentKind::Memo; }
    // The whole content; setting it replaces every line.
    std::wstring Caption() const override { return Text(); }
    void SetCaption(std::wstring_view text) override { SetText(text); }

protected:
    WindowClass Class() const noexcept override;
    LRESULT ControlMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;
};

} // namespace vx::ui
