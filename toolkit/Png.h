// Pictures as 32-bit DIB sections: premultiplied alpha for AlphaBlend, straight
// alpha for image lists. The program's pictures are stored already decoded
// (a short header, then the DIB's own pixels), so that showing them needs no
// image decoder; PNG (or anything WIC reads) is decoded with the Windows
// Imaging Component.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <cstddef>
#include <span>

namespace vx::ui {

enum class AlphaForm { Straight, Premultiplied };

struct DibImage {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
    bool opaque = false; // every pixel fully opaque: nothing behind it shows through
    explicit operator bool() const noexcept { return static_cast<bool>(bitmap); }
};

// The description of a 32-bit bitmap whose top row comes first.
BITMAPINFO TopDown32BitInfo(int width, int height) noexcept;

// The bytes of an RCDATA resource of the module (null: the program), or empty.
std::span<const std::byte> RcDataResource(HMODULE module, const wchar_t* name) noexcept;

// Decodes PNG (or any format WIC reads) into a top-down 32-bit BGRA DIB section.
DibImage DecodePng(std::span<const std::byte> data, AlphaForm form) noexcept;

// The header of a picture stored already decoded: these 8 bytes, then the
// width and the height (32-bit little-endian), then width x height pixels of
// blue, green, red and straight alpha, top row first.
inline constexpr char kDecodedPictureMagic[8] = {'V', 'X', 'D', 'I', 'B', '3', '2', '\0'};

// A picture stored already decoded, copied into a DIB section; empty when the
// data is not such a picture or is cut short.
DibImage LoadDecodedPicture(std::span<const std::byte> data, AlphaForm form) noexcept;

// A picture resource in either form: stored decoded, or PNG; `opaque` is set.
DibImage DecodePicture(std::span<const std::byte> data, AlphaForm form) noexcept;

} // namespace vx::ui
