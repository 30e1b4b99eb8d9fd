// Pictures for a display scale. Every picture is stored as it shows at 100 %
// (already decoded, under its own name) and as drawn for 150 % and 200 %
// (PNG, under the name with "_150" or "_200"). At 100 % the stored picture is
// shown as it is; at any other scale the art made for the nearest scale at or
// above it is decoded and, where it is larger than the picture's place,
// reduced by area averaging, so that no picture is ever a 100 % one blown up.
// Art for a scale is decoded only when a window shows at that scale.
#pragma once

#include "core/Dpi.h"
#include "toolkit/Png.h"

#include <windows.h>

#include <string>

namespace vx::ui {

// The resource a picture is drawn from at a dpi, in `module` (null: the program).
std::wstring ArtResourceFor(const wchar_t* name, int dpi, HMODULE module = nullptr);

// The picture named `name` for a place of `size` device pixels at `scale`;
// empty when the resource is missing or cannot be read.
DibImage LoadArt(const wchar_t* name, DpiScale scale, SIZE size, AlphaForm form, HMODULE module = nullptr) noexcept;

// A picture (premultiplied alpha) reduced to a smaller size: each pixel of the
// result is the average of the source area it covers.
DibImage Reduced(const DibImage& source, SIZE size) noexcept;

} // namespace vx::ui
