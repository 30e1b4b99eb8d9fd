// A list of small pictures of one size, for the item pictures of drop-down
// lists: one strip of equal squares side by side in a PNG resource, with
// its alpha channel kept.
#pragma once

#include "core/Handles.h"
#include "toolkit/Component.h"

#include <windows.h>

namespace vx::ui {

class Form;

class ImageList : public Component {
public:
    // `resource` names an RCDATA PNG strip of `size` x `size` images in the program's module.
    ImageList(Form& owner, std::wstring name, const wchar_t* resource, int size);

    ComponentKind Kind() const noexcept override { return ComponentKind::Other; }

    HIMAGELIST Handle() const noexcept { return list_.get(); }
    int Count() const noexcept;
    // The side of one image in device pixels at the window's scale.
    int ImageSize() const noexcept { return size_; }
    // The images are taken again from the art for the new scale.
    void DpiChanged(DpiScale scale) noexcept override;
    // Draws image `index` with its top-left corner at (x, y).
    void Draw(HDC dc, int index, int x, int y) const noexcept;

private:
    void Load(DpiScale scale) noexcept;

    const wchar_t* resource_;
    int layoutSize_;
    int size_;
    UniqueImageList list_;
};

} // namespace vx::ui
