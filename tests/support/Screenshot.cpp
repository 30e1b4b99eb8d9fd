#include "tests/support/Screenshot.h"

#include "core/Handles.h"
#include "tests/support/TestSupport.h"

#include <wincodec.h>

namespace vx::test {

COLORREF ScreenImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
    const std::uint32_t pixel = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

ScreenImage CaptureWindow(HWND window) {
    ScreenImage image;
    RECT rect{};
    if (!GetWindowRect(window, &rect)) return image;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    WindowDc screen(nullptr);
    UniqueOwnedDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) return image;
    {
        const SelectedObject selected(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
    }
    GdiFlush();
    image.width = width;
    image.height = height;
    const auto* first = static_cast<const std::uint32_t*>(bits);
    image.pixels.assign(first, first + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (std::uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
    return image;
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
