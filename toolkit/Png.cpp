#include "toolkit/Png.h"

#include <objbase.h>
#include <wincodec.h>

#include <climits>
#include <cstdint>
#include <cstring>

namespace vx::ui {
namespace {

// COM for the calling thread for one scope; nesting with the application's own
// initialisation is fine, each successful call is balanced.
class ComScope {
public:
    ComScope() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

UniqueBitmap CreateTopDownDib(int width, int height, void** bits) noexcept {
    const BITMAPINFO info = TopDown32BitInfo(width, height);
    return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

std::uint32_t ReadLittleEndian32(const std::byte* bytes) noexcept {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint32_t>(bytes[i]);
    return value;
}

bool IsDecodedPicture(std::span<const std::byte> data) noexcept {
    return data.size() >= 16 && std::memcmp(data.data(), kDecodedPictureMagic, sizeof kDecodedPictureMagic) == 0;
}

// What WIC's conversion to premultiplied BGRA gives for one colour channel.
BYTE Premultiply(BYTE channel, BYTE alpha) noexcept {
    return static_cast<BYTE>((channel * alpha + 127) / 255); // rounded to the nearest
}

bool EveryPixelOpaque(const DibImage& image) noexcept {
    DIBSECTION section{};
    if (GetObjectW(image.bitmap.get(), sizeof section, &section) != sizeof section || !section.dsBm.bmBits)
        return false;
    const auto* pixels = static_cast<const BYTE*>(section.dsBm.bmBits);
    const std::size_t size = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4;
    for (std::size_t i = 3; i < size; i += 4)
        if (pixels[i] != 255) return false;
    return true;
}

} // namespace

BITMAPINFO TopDown32BitInfo(int width, int height) noexcept {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

std::span<const std::byte> RcDataResource(HMODULE module, const wchar_t* name) noexcept {
    if (!module) module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, name, MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!found) return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, found);
    if (!data || size == 0) return {};
    return {static_cast<const std::byte*>(data), size};
}

DibImage DecodePng(std::span<const std::byte> data, AlphaForm form) noexcept {
    if (data.empty() || data.size() > UINT_MAX) return {};
    const ComScope com;
    UniqueCom<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(factory.put()))))
        return {};
    UniqueCom<IWICStream> stream;
    if (FAILED(factory.get()->CreateStream(stream.put()))) return {};
    // WIC only reads from the buffer.
    auto* bytes = const_cast<BYTE*>(reinterpret_cast<const BYTE*>(data.data()));
    if (FAILED(stream.get()->InitializeFromMemory(bytes, static_cast<DWORD>(data.size())))) return {};
    UniqueCom<IWICBitmapDecoder> decoder;
    if (FAILED(factory.get()->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                      decoder.put())))
        return {};
    UniqueCom<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder.get()->GetFrame(0, frame.put()))) return {};
    // The factory's converter rather than WICConvertBitmapSource: that would tie
    // the program to windowscodecs.dll at start, before it can restrict where
    // libraries come from.
    UniqueCom<IWICFormatConverter> converted;
    if (FAILED(factory.get()->CreateFormatConverter(converted.put()))) return {};
    const WICPixelFormatGUID& target =
        form == AlphaForm::Premultiplied ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGRA;
    if (FAILED(converted.get()->Initialize(frame.get(), target, WICBitmapDitherTypeNone, nullptr, 0.0,
                                           WICBitmapPaletteTypeCustom)))
        return {};
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converted.get()->GetSize(&width, &height)) || width == 0 || height == 0 || width > 16384 ||
        height > 16384)
        return {};
    void* bits = nullptr;
    DibImage image;
    image.bitmap = CreateTopDownDib(static_cast<int>(width), static_cast<int>(height), &bits);
    if (!image.bitmap || !bits) return {};
    const UINT stride = width * 4;
    if (FAILED(converted.get()->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) return {};
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    return image;
}

DibImage LoadDecodedPicture(std::span<const std::byte> data, AlphaForm form) noexcept {
    if (!IsDecodedPicture(data)) return {};
    const std::uint32_t width = ReadLittleEndian32(data.data() + 8);
    const std::uint32_t height = ReadLittleEndian32(data.data() + 12);
    if (width == 0 || height == 0 || width > 16384 || height > 16384) return {};
    const std::size_t size = std::size_t{width} * height * 4;
    if (data.size() - 16 < size) return {};
    void* bits = nullptr;
    DibImage image;
    image.bitmap = CreateTopDownDib(static_cast<int>(width), static_cast<int>(height), &bits);
    if (!image.bitmap || !bits) return {};
    auto* pixels = static_cast<BYTE*>(bits);
    std::memcpy(pixels, data.data() + 16, size);
    if (form == AlphaForm::Premultiplied) {
        for (std::size_t i = 0; i < size; i += 4) {
            const BYTE alpha = pixels[i + 3];
            if (alpha == 255) continue;
            pixels[i] = Premultiply(pixels[i], alpha);
            pixels[i + 1] = Premultiply(pixels[i + 1], alpha);
            pixels[i + 2] = Premultiply(pixels[i + 2], alpha);
        }
    }
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    return image;
}

DibImage DecodePicture(std::span<const std::byte> data, AlphaForm form) noexcept {
    DibImage image = IsDecodedPicture(data) ? LoadDecodedPicture(data, form) : DecodePng(data, form);
    image.opaque = image && EveryPixelOpaque(image);
    return image;
}

} // namespace vx::ui
