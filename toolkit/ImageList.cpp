#include "toolkit/ImageList.h"

#include "core/CommonControls.h"
#include "toolkit/Form.h"
#include "toolkit/Png.h"
#include "toolkit/ScaledArt.h"

#include <commctrl.h>

namespace vx::ui {

ImageList::ImageList(Form& owner, std::wstring name, const wchar_t* resource, int size)
    : Component(std::move(name)), resource_(resource), layoutSize_(size), size_(size) {
    owner.Register(static_cast<Component&>(*this));
    Load(owner.Scale());
}

void ImageList::Load(DpiScale scale) noexcept {
    size_ = scale(layoutSize_);
    list_.reset();
    const auto data = RcDataResource(nullptr, resource_);
    // The common controls take a 32-bit bitmap with straight alpha as it is.
    DibImage strip = DecodePicture(data, AlphaForm::Straight);
    if (!strip || strip.height != layoutSize_) return;
    if (!scale.IsLayoutScale()) {
        const int count = strip.width / layoutSize_;
        strip = LoadArt(resource_, scale, SIZE{count * size_, size_}, AlphaForm::Straight);
        if (!strip) return;
        // Past the largest art the images stay at its size.
        size_ = strip.height;
    }
    list_.reset(CreateImageList(size_, size_, ILC_COLOR32, strip.width / size_, 0));
    if (list_) AddToImageList(list_.get(), strip.bitmap.get(), nullptr);
}

void ImageList::DpiChanged(DpiScale scale) noexcept {
    Load(scale);
}

int ImageList::Count() const noexcept {
    return list_ ? ImageListCount(list_.get()) : 0;
}

void ImageList::Draw(HDC dc, int index, int x, int y) const noexcept {
    if (list_ && index >= 0 && index < Count()) DrawImageListImage(list_.get(), index, dc, x, y, ILD_TRANSPARENT);
}

} // namespace vx::ui
