#include "toolkit/ImageList.h"

#include "core/CommonControls.h"
#include "toolkit/Form.h"
#include "toolkit/Png.h"

#include <commctrl.h>

namespace vx::ui {

ImageList::ImageList(Form& owner, std::wstring name, const wchar_t* resource, int size)
    : Component(std::move(name)), size_(size) {
    owner.Register(static_cast<Component&>(*this));
    Load(resource);
}

void ImageList::Load(const wchar_t* resource) noexcept {
    // The common controls take a 32-bit bitmap with straight alpha as it is.
    DibImage strip = DecodePicture(RcDataResource(nullptr, resource), AlphaForm::Straight);
    if (!strip || strip.height != size_) return;
    list_.reset(CreateImageList(size_, size_, ILC_COLOR32, strip.width / size_, 0));
    if (list_) AddToImageList(list_.get(), strip.bitmap.get(), nullptr);
}

int ImageList::Count() const noexcept {
    return list_ ? ImageListCount(list_.get()) : 0;
}

void ImageList::Draw(HDC dc, int index, int x, int y) const noexcept {
    if (list_ && index >= 0 && index < Count()) DrawImageListImage(list_.get(), index, dc, x, y, ILD_TRANSPARENT);
}

} // namespace vx::ui
