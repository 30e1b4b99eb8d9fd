// The program's entry point: it wires the layers together, handing each lower
// layer what it needs of a higher one.
#include "core/Startup.h"
#include "core/SystemLibrary.h"
#include "engine/CommandLineModes.h"
#include "ui/Captions.h"
#include "ui/NativeHandCursor.h"
#include "ui/NativeHintWindow.h"
#include "ui/ProgramWindows.h"
#include "toolkit/Application.h"
#include "update/UpdateMode.h"

#include <windows.h>

namespace {

void RunUserInterface() {
    vx::ui::ProgramWindows windows;
    if (!windows.Create()) return;
    vx::ui::RunMessageLoop();
}

void RunUpdateCheck() {
    vx::RunUpdateMode([](std::wstring_view form, std::wstring_view name) { return vx::ui::GetCaption(form, name); });
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
    modes.updateCheck = RunUpdateCheck;
    modes.userInterface = RunUserInterface;
    modes.restore = [](const std::vector<std::wstring>& options) { return vx::RunRestoreMode(options); };
    modes.optimise = [](const std::vector<std::wstring>& options) { return vx::RunOptimiseMode(options); };
    modes.status = [](const std::vector<std::wstring>& options) { return vx::RunStatusMode(options); };
    modes.usage = vx::ShowCommandLineUsage;
    return vx::RunStartup(GetCommandLineW(), modes);
}
