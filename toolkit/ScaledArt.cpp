#include "toolkit/ScaledArt.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vx::ui {
namespace {

// The scales art is drawn for besides 100 %, smallest first.
struct ArtScale {
    int dpi;
    const wchar_t* suffix;
};
constexpr ArtScale kArtScales[] = {{144, L"_150"}, {192, L"_200"}};

bool HasResource(HMODULE module, const std::wstring& name) noexcept {
    return !RcDataResource(module, name.c_str()).empty();
}

BYTE* PixelsOf(const DibImage& image) noexcept {
    DIBSECTION section{};
    if (GetObjectW(image.bitmap.get(), sizeof section, &section) != sizeof section) return nullptr;
    return static_cast<BYTE*>(section.dsBm.bmBits);
}

// How much of source pixel `i` falls in target pixel `t`, `ratio` source pixels to a target one.
double Overlap(int i, int t, double ratio) noexcept {
    const double from = std::max<double>(i, t * ratio);
    const double to = std::min<double>(i + 1, (t + 1) * ratio);
    return to > from ? to - from : 0.0;
}

// Averages of source columns (or rows) per target one: for each target index, its source span and weights.
struct Taps {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Taps> TapsFor(int sourceLength, int targetLength) {
    const double ratio = static_cast<double>(sourceLength) / targetLength;
    std::vector<Taps> taps(static_cast<size_t>(targetLength));
    for (int t = 0; t < targetLength; ++t) {
        Taps& tap = taps[static_cast<size_t>(t)];
        tap.first = static_cast<int>(t * ratio);
        const int last = std::min(sourceLength - 1, static_cast<int>((t + 1) * ratio - 1e-9));
        for (int i = tap.first; i <= last; ++i) tap.weights.push_back(Overlap(i, t, ratio) / ratio);
    }
    return taps;
}

void ToStraightAlpha(BYTE* pixels, std::size_t count) noexcept {
    for (std::size_t i = 0; i < count * 4; i += 4) {
        const BYTE alpha = pixels[i + 3];
        if (alpha == 255 || alpha == 0) continue;
        for (int c = 0; c < 3; ++c)
            pixels[i + c] = static_cast<BYTE>(std::min(255, (pixels[i + c] * 255 + alpha / 2) / alpha));
    }
}

} // namespace

std::wstring ArtResourceFor(const wchar_t* name, int dpi, HMODULE module) {
    const std::wstring base(name);
    if (dpi == kLayoutDpi) return base;
    std::wstring best;
    for (const ArtScale& scale : kArtScales) {
        const std::wstring candidate = base + scale.suffix;
        if (!HasResource(module, candidate)) continue;
        best = candidate;
        if (scale.dpi >= dpi) break;
    }
    return best.empty() ? base : best;
}

DibImage Reduced(const DibImage& source, SIZE size) noexcept {
    if (!source || size.cx <= 0 || size.cy <= 0 || size.cx > source.width || size.cy > source.height) return {};
    try {
        const BYTE* from = PixelsOf(source);
        if (!from) return {};
        const std::vector<Taps> columns = TapsFor(source.width, size.cx);
        const std::vector<Taps> rows = TapsFor(source.height, size.cy);
        const BITMAPINFO info = TopDown32BitInfo(size.cx, size.cy);
        void* bits = nullptr;
        DibImage result;
        result.bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!result.bitmap || !bits) return {};
        auto* to = static_cast<BYTE*>(bits);
        const auto stride = static_cast<std::size_t>(source.width) * 4;
        for (int y = 0; y < size.cy; ++y) {
            const Taps& row = rows[static_cast<size_t>(y)];
            for (int x = 0; x < size.cx; ++x) {
                const Taps& column = columns[static_cast<size_t>(x)];
                double sum[4] = {};
                for (size_t r = 0; r < row.weights.size(); ++r) {
                    const BYTE* line = from + static_cast<std::size_t>(row.first + static_cast<int>(r)) * stride;
                    for (size_t c = 0; c < column.weights.size(); ++c) {
                        const double weight = row.weights[r] * column.weights[c];
                        const BYTE* pixel = line + static_cast<std::size_t>(column.first + static_cast<int>(c)) * 4;
                        for (int k = 0; k < 4; ++k) sum[k] += weight * pixel[k];
                    }
                }
                BYTE* out = to + (static_cast<std::size_t>(y) * static_cast<std::size_t>(size.cx) + x) * 4;
                for (int k = 0; k < 4; ++k) out[k] = static_cast<BYTE>(std::clamp(sum[k] + 0.5, 0.0, 255.0));
            }
        }
        result.width = size.cx;
        result.height = size.cy;
        result.opaque = source.opaque;
        return result;
    } catch (...) {
        return {};
    }
}

DibImage LoadArt(const wchar_t* name, DpiScale scale, SIZE size, AlphaForm form, HMODULE module) noexcept {
    try {
        const std::wstring resource = ArtResourceFor(name, scale.Dpi(), module);
        const auto data = RcDataResource(module, resource.c_str());
        if (scale.IsLayoutScale() || (size.cx <= 0 || size.cy <= 0)) return DecodePicture(data, form);
        // Averaging wants premultiplied colours: a transparent pixel's colour must not bleed into its neighbours.
        DibImage art = DecodePicture(data, AlphaForm::Premultiplied);
        if (!art || (art.width <= size.cx && art.height <= size.cy)) {
            if (art && form == AlphaForm::Straight)
                ToStraightAlpha(PixelsOf(art), static_cast<std::size_t>(art.width) * art.height);
            return art;
        }
        DibImage reduced = Reduced(art, SIZE{std::min<LONG>(size.cx, art.width), std::min<LONG>(size.cy, art.height)});
        if (reduced && form == AlphaForm::Straight)
            ToStraightAlpha(PixelsOf(reduced), static_cast<std::size_t>(reduced.width) * reduced.height);
        return reduced;
    } catch (...) {
        return {};
    }
}

} // namespace vx::ui
