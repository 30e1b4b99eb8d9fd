#include "ui/toolkit/Label.h"

#include "core/Handles.h"

namespace vx::ui {
namespace {

// The size DrawText needs for the text; an empty text measures as one blank,
// so that an empty label keeps the height of a line.
SIZE MeasureText(const std::wstring& text, HFONT font, UINT flags, int wrapWidth) noexcept {
    // Measured on the screen, where the label is drawn: a memory device context
    // can pick other fallback fonts for characters the face lacks.
    const WindowDc dc(nullptr);
    if (!dc) return SIZE{0, 0};
    const SelectedObject selected(dc.get(), font);
    RECT rect{0, 0, wrapWidth, 0};
    const std::wstring measured = text.empty() ? std::wstring(L" ") : text;
    DrawTextW(dc.get(), measured.c_str(), static_cast<int>(measured.size()), &rect, flags | DT_CALCRECT);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
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
            RECT needed{0, 0, rect.right - rect.left, 0};
            DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &needed, flags | DT_CALCRECT);
            rect.top += ((rect.bottom - rect.top) - (needed.bottom - needed.top)) / 2;
        }
        DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &rect, flags);
    } catch (...) {
    }
}

} // namespace vx::ui
