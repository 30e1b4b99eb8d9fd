#include "update/UpdateMode.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "system/Shell.h"
#include "ui/Captions.h"

namespace vx {

namespace {

// The order matters: the secondary windows go first, so that the main window,
// whose closing ends the instance, finds nothing left open above it.
constexpr const wchar_t* kInstanceWindowClasses[] = {kAboutFormClass, kSettingsFormClass, kMainFormClass};

// MB_YESNO | MB_ICONINFORMATION: Yes is the default button.
constexpr UINT kPromptStyle = MB_YESNO | MB_ICONINFORMATION;
static_assert(kPromptStyle == 68);

} // namespace

void CloseRunningInstance(UINT timeoutMs) noexcept {
    for (const wchar_t* className : kInstanceWindowClasses) {
        const HWND window = FindWindowW(className, nullptr);
        if (!window) continue;
        // Like SendMessage it returns once the window has handled the request;
        // unlike it, it gives up on an instance that does not answer, and the
        // next window is tried all the same.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &result);
    }
}

std::wstring UpdatePromptTitle() {
    return ui::GetCaption(L"VXMainForm", L"VXMainForm");
}

std::wstring UpdatePromptText() {
    return ui::GetCaption(L"VXUpdateForm", L"MessageBoxUpdate1") + L"\r\n\r\n" +
           ui::GetCaption(L"VXUpdateForm", L"MessageBoxUpdate2");
}

bool AskToInstallUpdate() noexcept {
    try {
        const std::wstring title = UpdatePromptTitle();
        const std::wstring text = UpdatePromptText();
        return MessageBoxW(nullptr, text.c_str(), title.c_str(), kPromptStyle) == IDYES;
    } catch (...) {
        return false;
    }
}

void RunUpdateModeWith(const UpdateModeOptions& options) noexcept {
    try {
        if (CheckForUpdate(options.check) != 1) return;
        CloseRunningInstance(options.closeTimeoutMs);
        if (!AskToInstallUpdate()) return;
        const std::wstring folder = options.programFolder.empty() ? ProgramFolder() : options.programFolder;
        RunProgram(folder + kUpdaterFileName, L"");
    } catch (...) {
    }
}

void RunUpdateMode() noexcept {
    RunUpdateModeWith({});
}

} // namespace vx
