#include "core/Dpi.h"

#include "core/Handles.h"
#include "core/SystemLibrary.h"

namespace vx {
namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForSystemFunction = UINT(WINAPI*)();
using AdjustForDpiFunction = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using ParametersForDpiFunction = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using MetricsForDpiFunction = int(WINAPI*)(int, UINT);

// user32 is loaded in every program with windows; these entries are Windows 10's.
template <typename Function> Function User32Function(const char* name) noexcept {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? FunctionCast<Function>(GetProcAddress(user32, name)) : nullptr;
}

int ScreenDpi() noexcept {
    const WindowDc screen(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : kLayoutDpi;
}

// A font height Windows gave at the system's dpi, at another dpi.
LONG HeightAtDpi(LONG height, int dpi) noexcept {
    return MulDiv(height, dpi, SystemDpi());
}

} // namespace

int SystemDpi() noexcept {
    static const auto forSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
    const int dpi = forSystem ? static_cast<int>(forSystem()) : 0;
    return dpi > 0 ? dpi : ScreenDpi();
}

int WindowDpi(HWND window) noexcept {
    static const auto forWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const int dpi = forWindow && window ? static_cast<int>(forWindow(window)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) noexcept {
    static const auto forDpi = User32Function<AdjustForDpiFunction>("AdjustWindowRectExForDpi");
    if (forDpi && forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

bool IconTitleFontForDpi(LOGFONTW& font, int dpi) noexcept {
    static const auto forDpi = User32Function<ParametersForDpiFunction>("SystemParametersInfoForDpi");
    if (forDpi && forDpi(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0, static_cast<UINT>(dpi))) return true;
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0)) return false;
    font.lfHeight = HeightAtDpi(font.lfHeight, dpi);
    return true;
}

bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi) noexcept {
    static const auto forDpi = User32Function<ParametersForDpiFunction>("SystemParametersInfoForDpi");
    metrics.cbSize = sizeof(metrics);
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi))) return true;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return false;
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont, &metrics.lfStatusFont,
                           &metrics.lfMessageFont})
        font->lfHeight = HeightAtDpi(font->lfHeight, dpi);
    return true;
}

int SystemMetricForDpi(int index, int dpi) noexcept {
    static const auto forDpi = User32Function<MetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

} // namespace vx
