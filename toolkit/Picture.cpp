#include "toolkit/Picture.h"

#include "toolkit/Form.h"
#include "toolkit/ScaledArt.h"

namespace vx::ui {

Picture::Picture(ControlHost& parent, std::wstring name, Bounds bounds, const PictureOptions& options)
    : GraphicControl(parent, std::move(name), bounds), stretch_(options.stretch) {
    SetCursor(options.cursor);
    if (options.resource) LoadFromResource(options.resource);
}

bool Picture::LoadFromResource(const wchar_t* name, HMODULE module) noexcept {
    resource_ = name;
    module_ = module;
    const DpiScale scale = OwnerForm().Scale();
    const Bounds& b = GetBounds();
    DibImage image = scale.IsLayoutScale()
                         ? DecodePicture(RcDataResource(module, name), AlphaForm::Premultiplied)
                         : LoadArt(name, scale, SIZE{b.width, b.height}, AlphaForm::Premultiplied, module);
    if (!image) return false;
    image_ = std::move(image);
    Invalidate();
    return true;
}

void Picture::DpiChanged(DpiScale scale) noexcept {
    GraphicControl::DpiChanged(scale);
    if (resource_) LoadFromResource(resource_, module_);
}

bool Picture::LoadFromData(std::span<const std::byte> data) noexcept {
    resource_ = nullptr;
    DibImage image = DecodePicture(data, AlphaForm::Premultiplied);
    if (!image) return false;
    image_ = std::move(image);
    Invalidate();
    return true;
}

void Picture::Paint(HDC dc) noexcept {
    if (!image_) return;
    UniqueOwnedDc source(CreateCompatibleDC(dc));
    if (!source) return;
    const SelectedObject selected(source.get(), image_.bitmap.get());
    const Bounds& b = GetBounds();
    const int width = stretch_ ? b.width : image_.width;
    const int height = stretch_ ? b.height : image_.height;
    if (image_.opaque && width == image_.width && height == image_.height) {
        // Nothing shows through: a plain copy draws the same pixels, and far faster.
        BitBlt(dc, b.left, b.top, width, height, source.get(), 0, 0, SRCCOPY);
        return;
    }
    SetStretchBltMode(dc, HALFTONE);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    // gdi32's own entry point: msimg32, which offers it as AlphaBlend, is not a
    // library Windows always takes from its system folder.
    GdiAlphaBlend(dc, b.left, b.top, width, height, source.get(), 0, 0, image_.width, image_.height, blend);
}

Line::Line(ControlHost& parent, std::wstring name, Bounds bounds, LineShape shape)
    : GraphicControl(parent, std::move(name), bounds), shape_(shape) {}

void Line::Paint(HDC dc) noexcept {
    RECT rect = GetBounds().Rect();
    const int width = OwnerForm().Scale()(1);
    if (width <= 1) {
        DrawEdge(dc, &rect, EDGE_ETCHED, shape_ == LineShape::TopLine ? BF_TOP : BF_RIGHT);
        return;
    }
    // What DrawEdge draws, each line as wide as the scale's pixel.
    RECT shadow = rect;
    RECT light = rect;
    if (shape_ == LineShape::TopLine) {
        shadow.bottom = shadow.top + width;
        light.top = shadow.bottom;
        light.bottom = light.top + width;
    } else {
        light.left = light.right - width;
        shadow.right = light.left;
        shadow.left = shadow.right - width;
    }
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
    FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

} // namespace vx::ui
