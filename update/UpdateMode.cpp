#include "update/UpdateMode.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "system/Shell.h"
#include "ui/Captions.h"

namespace vx {

namespace {

// MB_YESNO | MB_ICONINFORMATION: Yes is the default button.
constexpr UINT kPromptStyle = MB_YESNO | MB_ICONINFORMATION;
static_assert(kPromptStyle == 68);

} // namespace

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
