// Pictures of windows as the screen shows them, for the screenshot artifacts
// and for checks of single pixels and of areas.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vx::test {

struct ScreenImage {
    int width = 0;
    int height = 0;
    int clientLeft = 0; // where the window's client area starts in the picture
    int clientTop = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, top row first

    bool Empty() const { return pixels.empty(); }
    COLORREF At(int x, int y) const; // RGB() order, as GetPixel gives it; CLR_INVALID outside the picture
    COLORREF ClientAt(int x, int y) const { return At(clientLeft + x, clientTop + y); }
    // How many pixels of a rectangle of the client area pass the test; parts outside the picture count for
    // nothing.
    int CountInClient(const RECT& area, const std::function<bool(COLORREF)>& test) const;
    int CountInClient(const RECT& area, COLORREF color) const;
    bool operator==(const ScreenImage&) const = default;
};

// What the screen shows of a window, frame and title bar included.
ScreenImage CaptureWindow(HWND window);
// What the screen shows of a window's client area.
ScreenImage CaptureClient(HWND window);
// The whole (virtual) screen.
ScreenImage CaptureScreen();
// Writes the picture as a PNG file; false when that failed.
bool SavePng(const ScreenImage& image, const std::wstring& path);
// Captures the window, brought to the front and repainted, into ArtifactsFolder() + name.
ScreenImage SaveWindowArtifact(HWND window, const std::wstring& name);

} // namespace vx::test
