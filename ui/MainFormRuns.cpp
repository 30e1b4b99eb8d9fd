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

#include <array>
#include <span>

namespace vx::ui {

namespace {

constexpr wchar_t kSettingsFormName[] = L"VXSettingsForm";
constexpr wchar_t kMainFormName[] = L"VXMainForm";

template <size_t First, size_t Rest>
constexpr std::array<RunStep, First + Rest> Joined(const std::array<RunStep, First>& first,
                                                   const std::array<RunStep, Rest>& rest) {
    std::array<RunStep, First + Rest> joined{};
    for (size_t i = 0; i < First; ++i) joined[i] = first[i];
    for (size_t i = 0; i < Rest; ++i) joined[First + i] = rest[i];
    return joined;
}

// The steps both runs share: what a user sees the program look at first.
constexpr std::array<RunStep, 9> kDetectionSteps{{{L"MessageChange0", 2},
                                                  {L"MessageChange1", 2},
                                                  {L"MessageChange2", 3},
                                                  {L"MessageChange3", 1},
                                                  {L"MessageChange4", 2},
                                                  {L"MessageChange5", 4},
                                                  {L"MessageChange6", 4},
                                                  {L"MessageChange7", 2},
                                                  {L"MessageChange8", 3}}};
constexpr auto kOptimiseSteps =
    Joined(kDetectionSteps, std::array<RunStep, 2>{{{L"MessageChange9", 4}, {L"MessageChange10", 6}}});
constexpr auto kRestoreSteps = Joined(kDetectionSteps, std::array<RunStep, 1>{{{L"MessageChange11", 6}}});

constexpr int StepTotal(std::span<const RunStep> steps) {
    int total = 0;
    for (const RunStep& step : steps) total += step.times;
    return total;
}

static_assert(StepTotal(kOptimiseSteps) == 33);
static_assert(StepTotal(kRestoreSteps) == 29);

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

bool TVXMainForm::PlayProgressSteps(std::span<const RunStep> steps) noexcept {
    for (const RunStep& step : steps) {
        for (int time = 0; time < step.times; ++time) {
            if (settings_) settings_->ShowProgressStep(GetCaption(kSettingsFormName, step.captionKey));
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
        // The window is disabled for the whole run, so the choices cannot change under it.
        const OptimiseChoices choices{ConvertWindowsVersion(WindowsCombo.ItemIndex()), ModemCombo.ItemIndex(),
                                      ProcessorCombo.ItemIndex(), SpeedTrackBar.Position()};
        const RunOutcome outcome = RunOptimise(choices, [this] {
            PlayClickSound();
            BeginRunProgress(StepTotal(kOptimiseSteps), L"MessageUpdate");
            return PlayProgressSteps(kOptimiseSteps);
        });
        if (outcome == RunOutcome::Stopped) return FinishClosing();
        EndRunProgress();
        RestoreButton.SetEnabled(RestoreAvailable());
        // A value that Windows refused to take still ends with the offer: the others did.
        if (outcome != RunOutcome::Failed) ShowRestartOffer();
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
        const RunOutcome outcome =
            RunRestore(ConvertWindowsVersion(WindowsCombo.ItemIndex()), ModemCombo.ItemIndex(), [this] {
                PlayClickSound();
                BeginRunProgress(StepTotal(kRestoreSteps), L"MessageRestore");
                return PlayProgressSteps(kRestoreSteps);
            });
        if (outcome == RunOutcome::Stopped) return FinishClosing();
        EndRunProgress();
        // An unfinished restore keeps the button, so that the user can complete it.
        RestoreButton.SetEnabled(outcome != RunOutcome::Completed && RestoreAvailable());
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
