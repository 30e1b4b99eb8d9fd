// A drop-down list that accepts only its own items, each drawn with a picture
// from an image list before its text. The selected item index is -1 when
// nothing is selected.
#pragma once

#include "toolkit/WinControl.h"

#include <string>
#include <string_view>
#include <vector>

namespace vx::ui {

class ImageList;

struct ComboItem {
    std::wstring_view text;
    int image = 0; // index into the list's image list
};

struct ComboBoxOptions {
    int tabOrder = 0;
    const ImageList* images = nullptr;
};

class ComboBox : public WinControl {
public:
    // Only the width of `bounds` counts: the height follows from the font.
    ComboBox(ControlHost& parent, std::wstring name, Bounds bounds, const ComboBoxOptions& options = {});

    ComponentKind Kind() const noexcept override { return ComponentKind::ComboBox; }

    void SetItems(const std::vector<ComboItem>& items);
    int ItemCount() const noexcept { return static_cast<int>(items_.size()); }
    std::wstring ItemText(int index) const;

    // -1 when nothing is selected; an index outside the items selects nothing.
    int ItemIndex() const noexcept;
    void SetItemIndex(int index) noexcept;

    NotifyEvent OnChange;

    void Command(WORD code) noexcept override;
    bool DrawItem(const DRAWITEMSTRUCT& item) noexcept override;
    bool MeasureItem(MEASUREITEMSTRUCT& item) noexcept override;
    void FontChanged() noexcept override;

protected:
    WindowClass Class() const noexcept override;
    void HandleCreated() noexcept override;
    void SaveWindowState() noexcept override;
    // The list measures its item and selection-field heights when its window
    // is made: at a new scale it is made again.
    void DpiChanged(DpiScale scale) noexcept override;
    // The window's height is the height of the dropped-down list.
    void BoundsChanged(const Bounds& old) noexcept override;

private:
    void FillWindow() noexcept;
    int ItemHeight() const noexcept;

    struct Entry {
        std::wstring text;
        int image;
    };

    const ImageList* images_;
    std::vector<Entry> items_;
    int itemIndex_ = -1;
};

} // namespace vx::ui
