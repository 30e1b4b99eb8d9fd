// PNG pictures decoded with the Windows Imaging Component into 32-bit DIB
// sections: premultiplied alpha for AlphaBlend, straight alpha for image lists.
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
    explicit operator bool() const noexcept { return static_cast<bool>(bitmap); }
};

// The description of a 32-bit bitmap whose top row comes first.
BITMAPINFO TopDown32BitInfo(int width, int height) noexcept;

// The bytes of an RCDATA resource of the module (null: the program), or empty.
std::span<const std::byte> RcDataResource(HMODULE module, const wchar_t* name) noexcept;

// Decodes PNG (or any format WIC reads) into a top-down 32-bit BGRA DIB section.
DibImage DecodePng(std::span<const std::byte> data, AlphaForm form) noexcept;

} // namespace vx::ui
