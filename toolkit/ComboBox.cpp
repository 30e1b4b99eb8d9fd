#include "toolkit/ComboBox.h"

#include "toolkit/ImageList.h"

#include <algorithm>

namespace vx::ui {
namespace {

constexpr int kPictureGap = 4; // between the picture and the text
constexpr int kDropDownItems = 12;

int FontLineHeight(HFONT font) noexcept {
    WindowDc screen(nullptr);
    if (!screen) return 13;
    const SelectedObject selected(screen.get(), font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(screen.get(), &metrics);
    return metrics.tmHeight;
}

} // namespace

ComboBox::ComboBox(ControlHost& parent, std::wstring name, Bounds bounds, const ComboBoxOptions& options)
    : WinControl(parent, std::move(name), bounds), images_(options.images) {
    SetTabStop(true);
    SetTabOrder(options.tabOrder);
}

void ComboBox::SetItems(const std::vector<ComboItem>& items) {
    items_.clear();
    for (const ComboItem& item : items) items_.push_back({std::wstring(item.text), item.image});
    itemIndex_ = -1;
    FillWindow();
}

std::wstring ComboBox::ItemText(int index) const {
    if (index < 0 || index >= ItemCount()) return {};
    return items_[static_cast<size_t>(index)].text;
}

int ComboBox::ItemIndex() const noexcept {
    if (Handle()) return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void ComboBox::SetItemIndex(int index) noexcept {
    itemIndex_ = (index >= 0 && index < ItemCount()) ? index : -1;
    if (Handle()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void ComboBox::Command(WORD code) noexcept {
    if (code != CBN_SELCHANGE) return;
    itemIndex_ = ItemIndex();
    RaiseEvent(OnChange, *this);
}

int ComboBox::ItemHeight() const noexcept {
    const int picture = images_ ? images_->ImageSize() : 0;
    return std::max(FontLineHeight(EffectiveFont().Handle()), picture) + 2;
}

bool ComboBox::MeasureItem(MEASUREITEMSTRUCT& item) noexcept {
    item.itemHeight = static_cast<UINT>(ItemHeight());
    return true;
}

bool ComboBox::DrawItem(const DRAWITEMSTRUCT& item) noexcept {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= items_.size()) return true;
    const Entry& entry = items_[item.itemID];
    int textLeft = item.rcItem.left + 2;
    if (images_) {
        const int size = images_->ImageSize();
        const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - size) / 2;
        images_->Draw(dc, entry.image, textLeft, top);
        textLeft += size + kPictureGap;
    }
    RECT textArea = item.rcItem;
    textArea.left = textLeft;
    const SelectedObject font(dc, EffectiveFont().Handle());
    SetBkMode(dc, TRANSPARENT);
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    DrawTextW(dc, entry.text.c_str(), static_cast<int>(entry.text.size()), &textArea,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) DrawFocusRect(dc, &item.rcItem);
    return true;
}

void ComboBox::FontChanged() noexcept {
    WinControl::FontChanged();
    if (!Handle()) return;
    const int height = ItemHeight();
    SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height); // the edit part
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, height);
}

WinControl::WindowClass ComboBox::Class() const noexcept {
    return {L"COMBOBOX", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 0};
}

void ComboBox::HandleCreated() noexcept {
    BoundsChanged(GetBounds());
    FillWindow();
}

void ComboBox::SaveWindowState() noexcept {
    itemIndex_ = ItemIndex();
}

void ComboBox::DpiChanged(DpiScale scale) noexcept {
    WinControl::DpiChanged(scale);
    RecreateHandle();
}

void ComboBox::BoundsChanged(const Bounds&) noexcept {
    if (!Handle()) return;
    const Bounds& b = GetBounds();
    SetWindowPos(Handle(), nullptr, b.left, b.top, b.width, ItemHeight() * (kDropDownItems + 1),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void ComboBox::FillWindow() noexcept {
    if (!Handle()) return;
    SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    for (const Entry& entry : items_)
        SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.text.c_str()));
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

} // namespace vx::ui
