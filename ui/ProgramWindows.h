// The program's three windows, wired as start-up makes them.
#pragma once

#include "engine/SettingsForm.h"
#include "ui/AboutForm.h"
#include "ui/MainForm.h"

namespace vx::ui {

struct ProgramWindows {
    ProgramWindows();

    // The main window (shown), then the About and progress windows, hidden and
    // owned by it; the shell's requests are owned by the application window.
    // False when the main window could not be made.
    bool Create() noexcept;

    TVXMainForm main;
    TVXAboutForm about;
    TVXSettingsForm settings;
};

} // namespace vx::ui
