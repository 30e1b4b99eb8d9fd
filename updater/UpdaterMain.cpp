// VelantrixUpdate.exe: fetches the signed release information from the
// vendor's server and, for a newer version only, downloads, checks and runs
// its installer. Started with no arguments by the program's updates button
// and by its update prompt.
#include "core/CommandLine.h"
#include "core/CommonControls.h"
#include "core/Constants.h"
#include "core/SystemLibrary.h"
#include "updater/ReleaseKey.h"
#include "updater/UpdaterForm.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

using namespace vx::updater;

constexpr wchar_t kReleaseFolder[] = L"/downloads/velantrix/";
constexpr DWORD kTimeoutMs = 30000;

#ifdef VX_UPDATER_TEST_OVERRIDES
// Only the build the tests drive reads these: "/server=HOST:PORT" points it
// at a loopback server, "/timeout=MS" shortens its waits. The updater that
// ships has no such switches.
void ApplyTestOverrides(ReleaseServer& server) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return;
    for (int i = 1; i < count; ++i) {
        const std::wstring argument = arguments[i];
        if (argument.rfind(L"/server=", 0) == 0) {
            const std::wstring value = argument.substr(8);
            const std::size_t colon = value.rfind(L':');
            server.host = value.substr(0, colon);
            if (colon != std::wstring::npos)
                server.port = static_cast<WORD>(std::wcstoul(value.c_str() + colon + 1, nullptr, 10));
        } else if (argument.rfind(L"/timeout=", 0) == 0) {
            server.timeoutMs = std::wcstoul(argument.c_str() + 9, nullptr, 10);
        }
    }
    LocalFree(arguments);
}
#endif

int RunUpdater(HINSTANCE instance) {
    // One updater at a time: a second start shows the first one.
    if (const HWND running = FindWindowW(kUpdaterFormClass, nullptr)) {
        ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
        return 0;
    }
    vx::InitCommonControlClasses(ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES);

    // The folder without its last delimiter, as the installer's /D= wants it.
    std::wstring folder = vx::ProgramFolder();
    if (!folder.empty()) folder.pop_back();
    const Language language = CurrentLanguage();
    UpdateJobSettings settings;
    settings.server.host = vx::kVendorHost;
    settings.server.port = 80;
    settings.server.folder = kReleaseFolder;
    settings.server.timeoutMs = kTimeoutMs;
    settings.releaseKey = ReleasePublicKey();
    settings.build = sizeof(void*) == 8 ? L"x64" : L"x86";
    settings.installFolder = folder;
    settings.language = InstallerLanguage(language);
#ifdef VX_UPDATER_TEST_OVERRIDES
    ApplyTestOverrides(settings.server);
#endif
    TVXUpdateForm form(std::move(settings), language, folder + L"\\" + vx::kProgramFileName);
    if (!form.Create(instance)) return 1;
    return form.Run();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // It runs elevated, often from a folder anyone can write: before anything
    // else, no library may come from anywhere but the system folder.
    vx::RestrictLibrarySearch();
    vx::LoadLibrariesWindowsLoadsByName();
    try {
        return RunUpdater(instance);
    } catch (...) {
        return 1;
    }
}
