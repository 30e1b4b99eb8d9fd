// The optimise and restore runs of the main window: the frame around the
// engine's registry work (choices, click sound, progress window, restart offer).
//
// A close request that arrives while a run plays its progress steps (another
// process closing this instance, or Windows ending the session) ends the run
// at the end of the current step, before any tuned value is touched, and the
// window then closes as asked.
#include "ui/MainForm.h"

#include "engine/SettingsForm.h"
#include "engine/TweakRuns.h"
#include "system/Shell.h"
#include "ui/Captions.h"
#include "ui/Sound.h"

#include <iterator>

namespace vx::ui {

struct RunStep {
    const wchar_t* captionKey;
    int times;
};

namespace {

constexpr wchar_t kSettingsFormName[] = L"VXSettingsForm";
constexpr wchar_t kMainFormName[] = L"VXMainForm";

// The steps both runs share: what a user sees the program look at first.
#define VX_DETECTION_STEPS                                                                                             \
    {L"MessageChange0", 2}, {L"MessageChange1", 2}, {L"MessageChange2", 3}, {L"MessageChange3", 1},                    \
        {L"MessageChange4", 2}, {L"MessageChange5", 4}, {L"MessageChange6", 4}, {L"MessageChange7", 2}, {              \
        L"MessageChange8", 3                                                                                           \
    }

constexpr RunStep kOptimiseSteps[] = {VX_DETECTION_STEPS, {L"MessageChange9", 4}, {L"MessageChange10", 6}};
constexpr RunStep kRestoreSteps[] = {VX_DETECTION_STEPS, {L"MessageChange11", 6}};
#undef VX_DETECTION_STEPS

constexpr int StepTotal(const RunStep* steps, size_t count) {
    int total = 0;
    for (size_t i = 0; i < count; ++i) total += steps[i].times;
    return total;
}

static_assert(StepTotal(kOptimiseSteps, std::size(kOptimiseSteps)) == 33);
static_assert(StepTotal(kRestoreSteps, std::size(kRestoreSteps)) == 29);

constexpr UINT kRestartOfferStyle = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2; // 308
constexpr UINT kRestoreConfirmationStyle = MB_OKCANCEL | MB_ICONWARNING;       // 49
constexpr wchar_t kParagraphBreak[] = L"\r\n\r\n";

std::wstring MainCaption(const wchar_t* key) {
    return GetCaption(kMainFormName, key);
}

} // namespace

void TVXMainForm::BeginRunProgress(int stepTotal, const wchar_t* headingKey) noexcept {
    runUnderWay_ = true;
    closeRequested_ = false;
    EnableWindow(Handle(), FALSE);
    if (!settings_) return;
    settings_->SetPosition(FormPosition::OwnerFormCenter);
    settings_->Show();
    settings_->ProgressStepTotal = stepTotal;
    settings_->ProgressStepCount = 0;
    settings_->CurrentSettingsHeading.SetCaption(GetCaption(kSettingsFormName, headingKey));
}

void TVXMainForm::EndRunProgress() noexcept {
    runUnderWay_ = false;
    EnableWindow(Handle(), TRUE);
    if (settings_) settings_->Hide();
}

bool TVXMainForm::PlayProgressSteps(const RunStep* steps, size_t count) noexcept {
    for (size_t i = 0; i < count; ++i) {
        for (int time = 0; time < steps[i].times; ++time) {
            if (settings_) settings_->ShowProgressStep(GetCaption(kSettingsFormName, steps[i].captionKey));
            if (closeRequested_) return false;
        }
    }
    return true;
}

void TVXMainForm::FinishClosing() noexcept {
    EndRunProgress();
    // From the message loop, once this handler has returned.
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TVXMainForm::ShowRestartOffer() noexcept {
    const std::wstring text = MainCaption(L"MessageBoxChangeRestart1") + kParagraphBreak +
                              MainCaption(L"MessageBoxChangeRestart2") + kParagraphBreak +
                              MainCaption(L"MessageBoxChangeRestart3");
    if (MessageBoxW(Handle(), text.c_str(), Title().c_str(), kRestartOfferStyle) == IDYES) RestartWindows();
}

void TVXMainForm::GoButtonClick(Component&) noexcept {
    if (runUnderWay_) return;
    try {
        StoreRunChoices(ModemCombo.ItemIndex(), ProcessorCombo.ItemIndex(), SpeedTrackBar.Position());
        PlayClickSound();
        BeginRunProgress(StepTotal(kOptimiseSteps, std::size(kOptimiseSteps)), L"MessageUpdate");
        if (!PlayProgressSteps(kOptimiseSteps, std::size(kOptimiseSteps))) return FinishClosing();
        const int versionCode = ConvertWindowsVersion(WindowsCombo.ItemIndex());
        const int internetType = ModemCombo.ItemIndex();
        // The tuned values are written only over a complete backup of what they replace.
        const bool backedUp = TakeBackupIfNeeded(versionCode, internetType);
        if (backedUp) WriteTweaks(versionCode, internetType, SpeedTrackBar.Position());
        EndRunProgress();
        RestoreButton.SetEnabled(RestoreAvailable());
        if (backedUp) ShowRestartOffer();
    } catch (...) {
    }
}

void TVXMainForm::RestoreButtonClick(Component&) noexcept {
    if (runUnderWay_) return;
    try {
        const std::wstring question =
            MainCaption(L"MessageBoxReset1") + kParagraphBreak + MainCaption(L"MessageBoxReset2");
        if (MessageBoxW(Handle(), question.c_str(), Title().c_str(), kRestoreConfirmationStyle) != IDOK) return;
        if (!Handle()) return;
        PlayClickSound();
        BeginRunProgress(StepTotal(kRestoreSteps, std::size(kRestoreSteps)), L"MessageRestore");
        if (!PlayProgressSteps(kRestoreSteps, std::size(kRestoreSteps))) return FinishClosing();
        const bool restored = RestoreTweaks(ConvertWindowsVersion(WindowsCombo.ItemIndex()), ModemCombo.ItemIndex());
        EndRunProgress();
        // An unfinished restore keeps the button, so that the user can complete it.
        RestoreButton.SetEnabled(!restored && RestoreAvailable());
        ShowRestartOffer();
    } catch (...) {
    }
}

void TVXMainForm::FormCloseQuery(bool& canClose) noexcept {
    if (!runUnderWay_) return;
    // Honoured at the end of the current progress step.
    closeRequested_ = true;
    canClose = false;
}

LRESULT TVXMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_QUERYENDSESSION && runUnderWay_) {
        // The session may end: the run stops before it touches a tuned value.
        closeRequested_ = true;
        return TRUE;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

} // namespace vx::ui
