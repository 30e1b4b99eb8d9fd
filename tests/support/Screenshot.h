// Pictures of windows as the screen shows them, for the screenshot artifacts
// and for checks of single pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vx::test {

struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, top row first

    bool Empty() const { return pixels.empty(); }
    COLORREF At(int x, int y) const; // RGB() order, as GetPixel gives it
};

// What the screen shows of a window, frame and title bar included.
ScreenImage CaptureWindow(HWND window);
// Writes the picture as a PNG file; false when that failed.
bool SavePng(const ScreenImage& image, const std::wstring& path);
// Captures the window, brought to the front and repainted, into ArtifactsFolder() + name.
ScreenImage SaveWindowArtifact(HWND window, const std::wstring& name);

} // namespace vx::test
