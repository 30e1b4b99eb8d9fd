// The window set-up every window runs when it is created or shown: the
// system's icon-title font as the window font, then ApplySystemFont, then the
// caption table. Windows thereby look like the system's own, in its face and
// at no more than 9 points, whatever the user chose for icon titles.
#pragma once

namespace vx::ui {

class Form;

// The largest size, in points, of the window font.
inline constexpr int kMaximumWindowFontPoints = 9;

// The window's font becomes the icon-title font that Windows reports.
void ApplyIconTitleFont(Form& window) noexcept;

// Caps the window font at 9 points; every component with a font of its own
// (not following its parent's) takes the window font's face and at least its size.
void ApplySystemFont(Form& window) noexcept;

// Icon-title font, ApplySystemFont, then ApplyCaptions.
void SetUpWindow(Form& window) noexcept;

} // namespace vx::ui
