#include "ui/ProgramWindows.h"

#include "system/Shell.h"
#include "ui/SystemFont.h"
#include "toolkit/Application.h"

namespace vx::ui {

ProgramWindows::ProgramWindows() : settings(&SetUpWindow) {
    main.SetCompanions(about, settings);
}

bool ProgramWindows::Create() noexcept {
    SetShellOwnerWindow(Application::Instance().Handle());
    if (!main.Create(nullptr, true)) return false;
    about.Create(main.Handle(), false);
    settings.Create(main.Handle(), false);
    main.Show();
    return true;
}

} // namespace vx::ui
