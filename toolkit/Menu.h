// A pop-up menu and its items. Items are named components of the window, so
// the caption tables reach them; an item whose caption is "-" is a separator.
#pragma once

#include "core/Handles.h"
#include "toolkit/Component.h"
#include "toolkit/Control.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace vx::ui {

class Form;
class PopupMenu;

class MenuItem : public Component {
public:
    ComponentKind Kind() const noexcept override { return ComponentKind::MenuItem; }
    std::wstring Caption() const override { return caption_; }
    void SetCaption(std::wstring_view caption) override;
    bool IsSeparator() const noexcept { return caption_ == L"-"; }
    UINT CommandId() const noexcept { return commandId_; }

    NotifyEvent OnClick;
    void Click() noexcept { RaiseEvent(OnClick, *this); }

private:
    friend class PopupMenu;
    MenuItem(PopupMenu& menu, std::wstring name, std::wstring caption, UINT commandId);

    PopupMenu& menu_;
    std::wstring caption_;
    UINT commandId_;
};

enum class MenuAlignment { Left, Right };

struct PopupMenuOptions {
    MenuAlignment alignment = MenuAlignment::Left; // which edge lies at the given x
    bool topToBottomAnimation = false;
};

class PopupMenu : public Component {
public:
    PopupMenu(Form& owner, std::wstring name, const PopupMenuOptions& options = {});
    ~PopupMenu() override;

    ComponentKind Kind() const noexcept override { return ComponentKind::Other; }

    // Adds an item with no caption yet (the caption tables give it one); "-" makes a separator.
    MenuItem& AddItem(std::wstring name, std::wstring caption = {});
    const std::vector<std::unique_ptr<MenuItem>>& Items() const noexcept { return items_; }

    // Opens the menu at a screen point and runs the chosen item's click; returns when the menu closes.
    void Popup(int x, int y) noexcept;

private:
    friend class MenuItem;
    void Rebuild() noexcept;

    Form& owner_;
    PopupMenuOptions options_;
    std::vector<std::unique_ptr<MenuItem>> items_;
    UniqueMenu menu_;
};

} // namespace vx::ui
