// A smooth (continuous) progress bar.
#pragma once

#include "toolkit/WinControl.h"

namespace vx::ui {

struct ProgressBarOptions {
    int minimum = 0;
    int maximum = 100;
    Cursor cursor = Cursor::Default;
};

class ProgressBar : public WinControl {
public:
    ProgressBar(ControlHost& parent, std::wstring name, Bounds bounds, const ProgressBarOptions& options = {});

    ComponentKind Kind() const noexcept override { return ComponentKind::ProgressBar; }

    int Position() const noexcept { return position_; }
    void SetPosition(int position) noexcept;

protected:
    WindowClass Class() const noexcept override;
    void HandleCreated() noexcept override;

private:
    ProgressBarOptions options_;
    int position_;
};

} // namespace vx::ui
