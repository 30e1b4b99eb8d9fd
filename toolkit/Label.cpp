#include "toolkit/Label.h"

#include "core/Handles.h"
#include "toolkit/Png.h"

#include <algorithm>
#include <cstdint>

namespace vx::ui {
namespace {

// The letters are drawn black on white; any pixel that is not white is ink.
constexpr COLORREF kGround = RGB(255, 255, 255);
constexpr std::uint32_t kGroundPixel = 0x00FFFFFF;

// The size DrawText reports for the text; an empty text measures as one
// blank, so that an empty label keeps the height of a line.
SIZE CalculatedSize(HDC dc, const std::wstring& text, UINT flags, int wrapWidth) noexcept {
    RECT rect{0, 0, wrapWidth, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags | DT_CALCRECT);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

// How far the letters really reach when the text is drawn at the origin (wrapped
// at wrapWidth, if any) on a bitmap of the given size: characters the face lacks
// are drawn from a linked font, whose glyphs DrawText's own measurement does not
// see. {0, 0} without ink.
SIZE InkReach(HDC screen, HFONT font, const std::wstring& text, UINT flags, int wrapWidth, SIZE canvas) noexcept {
    const UniqueOwnedDc dc(CreateCompatibleDC(screen));
    const BITMAPINFO info = TopDown32BitInfo(canvas.cx, canvas.cy);
    void* bits = nullptr;
    const UniqueBitmap bitmap(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !bitmap || !bits) return SIZE{0, 0};
    const SelectedObject selectedBitmap(dc.get(), bitmap.get());
    const SelectedObject selectedFont(dc.get(), font);
    RECT all{0, 0, canvas.cx, canvas.cy};
    SetBkColor(dc.get(), kGround);
    ExtTextOutW(dc.get(), 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    SetTextColor(dc.get(), RGB(0, 0, 0));
    SetBkMode(dc.get(), TRANSPARENT);
    RECT layout{0, 0, wrapWidth > 0 ? wrapWidth : canvas.cx, canvas.cy};
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &layout, flags | DT_NOCLIP);
    GdiFlush();
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    SIZE reach{0, 0};
    for (int y = 0; y < canvas.cy; ++y) {
        const std::uint32_t* row = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.cx);
        for (int x = 0; x < canvas.cx; ++x) {
            if ((row[x] & 0x00FFFFFF) == kGroundPixel) continue;
            reach.cx = std::max<LONG>(reach.cx, x + 1);
            reach.cy = y + 1;
        }
    }
    return reach;
}

// The box the text needs as it is drawn: what DrawText reports, widened and
// deepened to wherever the letters really reach.
SIZE MeasureText(const std::wstring& text, HFONT font, UINT flags, int wrapWidth) noexcept {
    // The ink is found on a bitmap like the one the label is painted on: other
    // device contexts can pick other fonts for characters the face lacks.
    const WindowDc screen(nullptr);
    if (!screen) return SIZE{0, 0};
    const std::wstring measured = text.empty() ? std::wstring(L" ") : text;
    SIZE size{0, 0};
    {
        const SelectedObject selected(screen.get(), font);
        size = CalculatedSize(screen.get(), measured, flags, wrapWidth);
    }
    if (text.empty() || size.cy <= 0) return size;
    // Left-aligned, in room enough for fallback glyphs of twice the width; ink up
    // to the bitmap's edge asks for a second look in twice the room.
    const UINT inkFlags = flags & ~static_cast<UINT>(DT_RIGHT | DT_CENTER);
    SIZE canvas{wrapWidth > 0 ? wrapWidth + size.cy : 2 * size.cx + 4 * size.cy, 2 * size.cy + 8};
    SIZE reach = InkReach(screen.get(), font, measured, inkFlags, wrapWidth, canvas);
    if (reach.cx >= canvas.cx || reach.cy >= canvas.cy) {
        canvas = SIZE{2 * canvas.cx, 2 * canvas.cy};
        reach = InkReach(screen.get(), font, measured, inkFlags, wrapWidth, canvas);
    }
    if (wrapWidth <= 0) size.cx = std::max(size.cx, reach.cx);
    size.cy = std::max(size.cy, reach.cy);
    return size;
}

} // namespace

Label::Label(ControlHost& parent, std::wstring name, Bounds bounds, const LabelOptions& options)
    : GraphicControl(parent, std::move(name), bounds), options_(options) {
    SetCursor(options.cursor);
    if (options.font) Font().Assign(ui::Font(*options.font));
    AdjustSize();
}

void Label::SetCaption(std::wstring_view caption) {
    if (caption == caption_) return;
    caption_.assign(caption);
    Invalidate();
    AdjustSize();
    AccessibleNameChanged();
}

std::wstring Label::AccessibleName() const {
    return AccessibleText(caption_, options_.showAccelChar);
}

RECT Label::FocusRect() const noexcept {
    RECT rect = GetBounds().Rect();
    InflateRect(&rect, 1, 1);
    return rect;
}

void Label::SetAutoSize(bool on) noexcept {
    options_.autoSize = on;
    AdjustSize();
}

void Label::FontChanged() noexcept {
    Invalidate();
    AdjustSize();
}

UINT Label::DrawFlags() const noexcept {
    UINT flags = DT_EXPANDTABS;
    if (options_.wordWrap) flags |= DT_WORDBREAK;
    if (!options_.showAccelChar) flags |= DT_NOPREFIX;
    if (options_.alignment == TextAlign::Right) flags |= DT_RIGHT;
    else if (options_.alignment == TextAlign::Center) flags |= DT_CENTER;
    return flags;
}

void Label::AdjustSize() noexcept {
    if (!options_.autoSize) return;
    try {
        Bounds bounds = GetBounds();
        const SIZE size =
            MeasureText(caption_, EffectiveFont().Handle(), DrawFlags(), options_.wordWrap ? bounds.width : 0);
        if (!options_.wordWrap) {
            if (options_.alignment == TextAlign::Right) bounds.left += bounds.width - size.cx;
            bounds.width = size.cx;
        }
        bounds.height = size.cy;
        textHeight_ = size.cy;
        SetBounds(bounds);
    } catch (...) {
    }
}

void Label::Paint(HDC dc) noexcept {
    try {
        const SelectedObject font(dc, EffectiveFont().Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, Enabled() ? EffectiveFont().TextColor().Value() : GetSysColor(COLOR_GRAYTEXT));
        RECT rect = GetBounds().Rect();
        const UINT flags = DrawFlags();
        if (options_.verticalCenter) {
            // A label that sizes itself knows how deep its letters reach; a fixed one centres its lines.
            const int needed =
                options_.autoSize ? textHeight_ : CalculatedSize(dc, caption_, flags, rect.right - rect.left).cy;
            rect.top += ((rect.bottom - rect.top) - needed) / 2;
        }
        DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &rect, flags);
    } catch (...) {
    }
}

} // namespace vx::ui
