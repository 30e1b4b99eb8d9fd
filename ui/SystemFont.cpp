#include "ui/SystemFont.h"

#include "core/Dpi.h"

#include "ui/Captions.h"
#include "toolkit/Font.h"
#include "toolkit/Form.h"

namespace vx::ui {

void ApplyIconTitleFont(Form& window) noexcept {
    // In layout pixels: the window makes it at its own dpi.
    LOGFONTW iconTitle{};
    if (IconTitleFontForDpi(iconTitle, kLayoutDpi)) window.Font().SetLogFont(iconTitle);
}

void ApplySystemFont(Form& window) noexcept {
    try {
        ui::Font& windowFont = window.Font();
        if (windowFont.Size() > kMaximumWindowFontPoints) windowFont.SetSize(kMaximumWindowFontPoints);
        // A copy: a font change may not add or remove components, but the walk must not depend on it.
        const std::vector<Component*> components = window.Components();
        for (Component* component : components) {
            if (component->ParentFont()) continue;
            ui::Font* own = component->OwnFont();
            if (!own) continue;
            own->SetName(windowFont.Name());
            if (own->Size() < windowFont.Size()) own->SetSize(windowFont.Size());
        }
    } catch (...) {
    }
}

void SetUpWindow(Form& window) noexcept {
    ApplyIconTitleFont(window);
    ApplySystemFont(window);
    ApplyCaptions(window);
}

} // namespace vx::ui
