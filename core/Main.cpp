// The program's entry point.
#include "core/Startup.h"
#include "core/SystemLibrary.h"
#include "engine/SettingsForm.h"
#include "ui/AboutForm.h"
#include "ui/MainForm.h"
#include "ui/NativeHandCursor.h"
#include "ui/NativeHintWindow.h"
#include "ui/toolkit/Application.h"
#include "update/UpdateMode.h"

#include <windows.h>

namespace {

void RunUserInterface() {
    vx::ui::TVXMainForm mainForm;
    vx::ui::TVXAboutForm aboutForm;
    vx::TVXSettingsForm settingsForm;
    mainForm.SetCompanions(aboutForm, settingsForm);
    if (!mainForm.Create(nullptr, true)) return;
    aboutForm.Create(mainForm.Handle(), false);
    settingsForm.Create(mainForm.Handle(), false);
    mainForm.Show();
    vx::ui::RunMessageLoop();
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything can load a library: the process runs elevated, and its
    // own folder may hold files that anyone could have put there.
    vx::RestrictLibrarySearch();
    vx::LoadLibrariesWindowsLoadsByName();
    // Process initialisation: links and picture buttons show the system's own hand.
    vx::ui::InstallNativeHandCursor();
    vx::ui::InstallNativeHintWindow();
    vx::StartupModes modes;
    modes.updateCheck = vx::RunUpdateMode;
    modes.userInterface = RunUserInterface;
    return vx::RunStartup(GetCommandLineW(), modes);
}
