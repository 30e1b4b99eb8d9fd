// A horizontal slider over a small whole-number range, with tick marks.
#pragma once

#include "toolkit/WinControl.h"

namespace vx::ui {

struct SliderOptions {
    int minimum = 0;
    int maximum = 10;
    int pageSize = 1;
    bool ticksBothSides = false;
    int thumbLength = 0; // 0: the system's own
    int tabOrder = 0;
};

class Slider : public WinControl {
public:
    Slider(ControlHost& parent, std::wstring name, Bounds bounds, const SliderOptions& options = {});

    ComponentKind Kind() const noexcept override { return ComponentKind::Slider; }

    int Position() const noexcept;
    // Kept within the range.
    void SetPosition(int position) noexcept;
    int Minimum() const noexcept { return options_.minimum; }
    int Maximum() const noexcept { return options_.maximum; }

    NotifyEvent OnChange;

    void Scroll(WORD code) noexcept override;

protected:
    WindowClass Class() const noexcept override;
    void HandleCreated() noexcept override;
    void SaveWindowState() noexcept override;
    // The thumb is sized when the window is made: at a new scale it is made again.
    void DpiChanged(DpiScale scale) noexcept override;

private:
    void SetThumbLength() noexcept;

    SliderOptions options_;
    int position_;
};

} // namespace vx::ui
