// Display scale. Layouts are written in pixels at 96 dpi (100 %); a window
// shows them at its own dpi, which on Windows 8.1 and later can differ from
// monitor to monitor. DpiScale turns layout pixels into device pixels, always
// the same way: value x dpi / 96, rounded to the nearest pixel with halves
// away from zero (MulDiv), so that every control of a window lands where its
// layout line puts it at that scale. The functions that tell a window's dpi
// are newer than Windows 2000 and are looked up at run time; without them the
// screen's own dpi holds for every window.
#pragma once

#include <windows.h>

namespace vx {

inline constexpr int kLayoutDpi = 96;

class DpiScale {
public:
    constexpr DpiScale() noexcept = default;
    explicit constexpr DpiScale(int dpi) noexcept : dpi_(dpi > 0 ? dpi : kLayoutDpi) {}

    constexpr int Dpi() const noexcept { return dpi_; }
    constexpr bool IsLayoutScale() const noexcept { return dpi_ == kLayoutDpi; }
    // A length or position of the layout in device pixels.
    int operator()(int layoutPixels) const noexcept { return MulDiv(layoutPixels, dpi_, kLayoutDpi); }
    // A device length back in layout pixels (for values Windows gives at the window's dpi).
    int ToLayout(int devicePixels) const noexcept { return MulDiv(devicePixels, kLayoutDpi, dpi_); }
    friend constexpr bool operator==(DpiScale, DpiScale) = default;

private:
    int dpi_ = kLayoutDpi;
};

// The dpi Windows gives programs that do not ask for each window's (the
// primary monitor's at log-on; the only one before Windows 8.1).
int SystemDpi() noexcept;
// The dpi of the monitor a window is on, as this process sees it.
int WindowDpi(HWND window) noexcept;

// AdjustWindowRectEx at a given dpi (the frame and title bar grow with it).
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) noexcept;

// The icon-title and non-client fonts and metrics as they are at a dpi;
// on systems without per-dpi metrics, the system's scaled from its own dpi.
bool IconTitleFontForDpi(LOGFONTW& font, int dpi) noexcept;
bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi) noexcept;
// GetSystemMetrics at a dpi (the cursor's size, say).
int SystemMetricForDpi(int index, int dpi) noexcept;

} // namespace vx
