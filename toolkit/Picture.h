// A picture with transparency, painted by its parent: a PNG from the
// program's resources (or from bytes), stretched to the control or drawn at
// its own size in the top-left corner.
#pragma once

#include "toolkit/Control.h"
#include "toolkit/Png.h"

#include <cstddef>
#include <span>

namespace vx::ui {

struct PictureOptions {
    const wchar_t* resource = nullptr; // RCDATA name in the program's module
    bool stretch = true;
    Cursor cursor = Cursor::Default;
};

class Picture : public GraphicControl {
public:
    Picture(ControlHost& parent, std::wstring name, Bounds bounds, const PictureOptions& options = {});

    ComponentKind Kind() const noexcept override { return ComponentKind::Picture; }

    bool LoadFromResource(const wchar_t* name, HMODULE module = nullptr) noexcept;
    bool LoadFromData(std::span<const std::byte> data) noexcept;
    bool HasImage() const noexcept { return static_cast<bool>(image_); }
    int ImageWidth() const noexcept { return image_.width; }
    int ImageHeight() const noexcept { return image_.height; }

    void Paint(HDC dc) noexcept override;
    // A picture from the resources is taken again from the art for the new scale.
    void DpiChanged(DpiScale scale) noexcept override;

private:
    DibImage image_;
    bool stretch_;
    const wchar_t* resource_ = nullptr;
    HMODULE module_ = nullptr;
};

// An etched line, painted by its parent: along the top edge of its area
// (horizontal) or along its right edge (vertical).
enum class LineShape { TopLine, RightLine };

class Line : public GraphicControl {
public:
    Line(ControlHost& parent, std::wstring name, Bounds bounds, LineShape shape);

    ComponentKind Kind() const noexcept override { return ComponentKind::Line; }
    LineShape Shape() const noexcept { return shape_; }
    // Two lines, shadow then highlight, each a pixel wide at 100 % and as wide as the scale makes a pixel.
    void Paint(HDC dc) noexcept override;

private:
    LineShape shape_;
};

} // namespace vx::ui
