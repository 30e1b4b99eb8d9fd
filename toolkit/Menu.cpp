#include "toolkit/Menu.h"

#include "toolkit/Form.h"

namespace vx::ui {
namespace {

constexpr UINT kFirstCommandId = 1000;

} // namespace

MenuItem::MenuItem(PopupMenu& menu, std::wstring name, std::wstring caption, UINT commandId)
    : Component(std::move(name)), menu_(menu), caption_(std::move(caption)), commandId_(commandId) {}

void MenuItem::SetCaption(std::wstring_view caption) {
    caption_.assign(caption);
    menu_.Rebuild();
}

PopupMenu::PopupMenu(Form& owner, std::wstring name, const PopupMenuOptions& options)
    : Component(std::move(name)), owner_(owner), options_(options) {
    owner_.Register(static_cast<Component&>(*this));
}

PopupMenu::~PopupMenu() {
    for (const auto& item : items_) owner_.Unregister(static_cast<Component&>(*item));
    owner_.Unregister(static_cast<Component&>(*this));
}

MenuItem& PopupMenu::AddItem(std::wstring name, std::wstring caption) {
    const UINT id = kFirstCommandId + static_cast<UINT>(items_.size());
    items_.push_back(std::unique_ptr<MenuItem>(new MenuItem(*this, std::move(name), std::move(caption), id)));
    MenuItem& item = *items_.back();
    owner_.Register(static_cast<Component&>(item));
    Rebuild();
    return item;
}

void PopupMenu::Rebuild() noexcept {
    menu_.reset(CreatePopupMenu());
    if (!menu_) return;
    for (const auto& item : items_) {
        if (item->IsSeparator()) AppendMenuW(menu_.get(), MF_SEPARATOR, 0, nullptr);
        else AppendMenuW(menu_.get(), MF_STRING, item->CommandId(), item->Caption().c_str());
    }
}

void PopupMenu::Popup(int x, int y) noexcept {
    if (!menu_ || !owner_.Handle()) return;
    UINT flags = TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY;
    flags |= options_.alignment == MenuAlignment::Right ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
    if (options_.topToBottomAnimation) flags |= TPM_VERPOSANIMATION;
    // The owner must be the foreground window, or the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(owner_.Handle());
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu_.get(), flags, x, y, 0, owner_.Handle(), nullptr));
    PostMessageW(owner_.Handle(), WM_NULL, 0, 0);
    for (const auto& item : items_)
        if (chosen != 0 && item->CommandId() == chosen) item->Click();
}

} // namespace vx::ui
