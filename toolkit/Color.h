// A colour as the layouts give it: either fixed red/green/blue values or one
// of the system's colours, which follows the user's colour scheme and is
// looked up only when the colour is used.
#pragma once

#include <windows.h>

namespace vx::ui {

class Color {
public:
    static constexpr Color Rgb(BYTE red, BYTE green, BYTE blue) noexcept { return Color(RGB(red, green, blue), -1); }
    static constexpr Color System(int index) noexcept { return Color(0, index); }

    COLORREF Value() const noexcept { return systemIndex_ >= 0 ? GetSysColor(systemIndex_) : rgb_; }
    bool IsSystem() const noexcept { return systemIndex_ >= 0; }
    int SystemIndex() const noexcept { return systemIndex_; }

    friend constexpr bool operator==(const Color&, const Color&) = default;

private:
    constexpr Color(COLORREF rgb, int systemIndex) noexcept : rgb_(rgb), systemIndex_(systemIndex) {}

    COLORREF rgb_;
    int systemIndex_;
};

} // namespace vx::ui
