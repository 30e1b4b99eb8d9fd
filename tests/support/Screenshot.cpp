#include "tests/support/Screenshot.h"

#include "toolkit/Png.h"

#include "core/Handles.h"
#include "tests/support/TestSupport.h"

#include <wincodec.h>

#include <algorithm>

namespace vx::test {

COLORREF ScreenImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const std::uint32_t pixel = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int ScreenImage::CountInClient(const RECT& area, const std::function<bool(COLORREF)>& test) const {
    int count = 0;
    for (int y = std::max<int>(area.top, -clientTop); y < area.bottom && clientTop + y < height; ++y)
        for (int x = std::max<int>(area.left, -clientLeft); x < area.right && clientLeft + x < width; ++x)
            if (test(ClientAt(x, y))) ++count;
    return count;
}

int ScreenImage::CountInClient(const RECT& area, COLORREF color) const {
    return CountInClient(area, [color](COLORREF pixel) { return pixel == color; });
}

namespace {

// A rectangle of the screen, in screen coordinates.
ScreenImage CaptureScreenRect(const RECT& rect) {
    ScreenImage image;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return image;
    const WindowDc screen(nullptr);
    const UniqueOwnedDc memory(CreateCompatibleDC(screen.get()));
    const BITMAPINFO info = ui::TopDown32BitInfo(width, height);
    void* bits = nullptr;
    const UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen || !memory || !bitmap || !bits) return image;
    {
        const SelectedObject selected(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY)) return image;
    }
    GdiFlush();
    image.width = width;
    image.height = height;
    const auto* first = static_cast<const std::uint32_t*>(bits);
    image.pixels.assign(first, first + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
    return image;
}

} // namespace

ScreenImage CaptureWindow(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return {};
    POINT client{0, 0};
    ClientToScreen(window, &client);
    ScreenImage image = CaptureScreenRect(rect);
    image.clientLeft = client.x - rect.left;
    image.clientTop = client.y - rect.top;
    return image;
}

ScreenImage CaptureClient(HWND window) {
    RECT client{};
    if (!GetClientRect(window, &client)) return {};
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return CaptureScreenRect(client);
}

ScreenImage CaptureScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return CaptureScreenRect(
        RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)});
}

bool SavePng(const ScreenImage& image, const std::wstring& path) {
    if (image.Empty()) return false;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool saved = false;
    {
        UniqueCom<IWICImagingFactory> factory;
        UniqueCom<IWICStream> stream;
        UniqueCom<IWICBitmapEncoder> encoder;
        UniqueCom<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        const UINT stride = static_cast<UINT>(image.width) * 4;
        saved = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put()))) &&
                SUCCEEDED(factory.get()->CreateStream(stream.put())) &&
                SUCCEEDED(stream.get()->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
                SUCCEEDED(factory.get()->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) &&
                SUCCEEDED(encoder.get()->Initialize(stream.get(), WICBitmapEncoderNoCache)) &&
                SUCCEEDED(encoder.get()->CreateNewFrame(frame.put(), nullptr)) &&
                SUCCEEDED(frame.get()->Initialize(nullptr)) &&
                SUCCEEDED(frame.get()->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height))) &&
                SUCCEEDED(frame.get()->SetPixelFormat(&format)) &&
                SUCCEEDED(frame.get()->WritePixels(
                    static_cast<UINT>(image.height), stride, stride * static_cast<UINT>(image.height),
                    reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(image.pixels.data())))) &&
                SUCCEEDED(frame.get()->Commit()) && SUCCEEDED(encoder.get()->Commit());
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return saved;
}

ScreenImage SaveWindowArtifact(HWND window, const std::wstring& name) {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    // A window of another process has painted once its thread has handled a message sent after the redraw.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &ignored);
    ScreenImage image = CaptureWindow(window);
    SavePng(image, ArtifactsFolder() + name);
    return image;
}

} // namespace vx::test
