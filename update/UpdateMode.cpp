#include "update/UpdateMode.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "system/Shell.h"

namespace vx {

namespace {

// MB_YESNO | MB_ICONINFORMATION: Yes is the default button.
constexpr UINT kPromptStyle = MB_YESNO | MB_ICONINFORMATION;
static_assert(kPromptStyle == 68);

} // namespace

std::wstring UpdatePromptTitle(const CaptionLookup& caption) {
    if (!caption) return {};
    return caption(L"VXMainForm", L"VXMainForm");
}

std::wstring UpdatePromptText(const CaptionLookup& caption) {
    if (!caption) return {};
    return caption(L"VXUpdateForm", L"MessageBoxUpdate1") + L"\r\n\r\n" +
           caption(L"VXUpdateForm", L"MessageBoxUpdate2");
}

bool AskToInstallUpdate(const CaptionLookup& caption) noexcept {
    try {
        const std::wstring title = UpdatePromptTitle(caption);
        const std::wstring text = UpdatePromptText(caption);
        return MessageBoxW(nullptr, text.c_str(), title.c_str(), kPromptStyle) == IDYES;
    } catch (...) {
        return false;
    }
}

void RunUpdateModeWith(const UpdateModeOptions& options) noexcept {
    try {
        if (CheckForUpdate(options.check) != 1) return;
        CloseRunningInstance(options.closeTimeoutMs);
        if (!AskToInstallUpdate(options.caption)) return;
        const std::wstring folder = options.programFolder.empty() ? ProgramFolder() : options.programFolder;
        RunProgram(folder + kUpdaterFileName, L"");
    } catch (...) {
    }
}

void RunUpdateMode(const CaptionLookup& caption) noexcept {
    try {
        UpdateModeOptions options;
        options.caption = caption;
        RunUpdateModeWith(options);
    } catch (...) {
    }
}

} // namespace vx
