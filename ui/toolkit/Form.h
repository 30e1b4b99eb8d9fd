// A top-level window of the program: its name is its caption-table form name,
// its window class name is that name with "T" in front. Forms are created
// hidden and shown on demand; closing a secondary form only hides it.
#pragma once

#include "ui/toolkit/Window.h"

#include <string>

namespace vx::ui {

enum class FormBorder {
    SingleWithMinimize, // close and minimise buttons, no maximising
    SingleCloseOnly,    // close button only
    SingleNoSystemMenu, // no system menu, no buttons: the user cannot close it
};

enum class FormPosition {
    ScreenCenter,    // centred on the screen when first shown
    OwnerFormCenter, // centred over the owner every time it is shown
};

struct FormLayout {
    const wchar_t* name;
    int clientWidth;
    int clientHeight;
    FormBorder border;
    FormPosition position;
};

class Form : public Window {
public:
    explicit Form(const FormLayout& layout) : layout_(layout) {}

    // Creates the window hidden. The main form owns its taskbar button; the
    // others are owned by the main form and have none.
    bool Create(HWND owner, bool isMainForm) noexcept;

    const std::wstring& Name() const noexcept { return name_; }
    std::wstring ClassName() const { return L"T" + name_; }
    bool IsMainForm() const noexcept { return isMainForm_; }

    void SetPosition(FormPosition position) noexcept { layout_.position = position; }
    void Show() noexcept;
    void Hide() noexcept;
    bool Visible() const noexcept { return Handle() && IsWindowVisible(Handle()); }

protected:
    // Runs once, right after the window and its controls exist.
    virtual void FormCreate() noexcept {}
    // Runs every time the window becomes visible.
    virtual void FormShow() noexcept {}

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void PlaceForShowing() noexcept;

    FormLayout layout_;
    std::wstring name_{layout_.name};
    bool isMainForm_ = false;
    bool shownBefore_ = false;
};

} // namespace vx::ui
