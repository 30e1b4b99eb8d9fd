#include "engine/SettingsForm.h"

#include "toolkit/Application.h"

#include <cmath>
#include <string>

namespace vx {
namespace {

using ui::Bounds;
using ui::Color;
using ui::Cursor;

constexpr ui::FormLayout kLayout{L"VXSettingsForm", 479, 146, ui::FormBorder::SingleNoSystemMenu,
                                 ui::FormPosition::OwnerFormCenter};

constexpr Bounds kSettingsPanelBounds{0, 0, 479, 146};
const ui::PanelOptions kSettingsPanelOptions{.color = Color::System(COLOR_WINDOW), .cursor = Cursor::HourGlass};

constexpr Bounds kHeadingBounds{42, 30, 0, 0};
const ui::LabelOptions kHeadingOptions{
    .font =
        ui::LayoutFont{.face = L"Tahoma", .pixelHeight = 11, .bold = true, .color = Color::System(COLOR_WINDOWTEXT)},
    .verticalCenter = true};

constexpr Bounds kMainProgressBounds{42, 59, 401, 17};
constexpr ui::ProgressBarOptions kMainProgressOptions{.minimum = 0, .maximum = 100, .cursor = Cursor::HourGlass};

constexpr Bounds kStepLabelBounds{42, 94, 0, 0};
const ui::LabelOptions kStepLabelOptions{.verticalCenter = true};

// The step line's frames: the text with one, two and three dots.
constexpr const wchar_t* kFrameDots[] = {L".", L"..", L"..."};

} // namespace

TVXSettingsForm::TVXSettingsForm(ui::WindowSetUp setUp)
    : Form(kLayout), SettingsPanel(*this, L"SettingsPanel", kSettingsPanelBounds, kSettingsPanelOptions),
      CurrentSettingsHeading(SettingsPanel, L"CurrentSettingsHeading", kHeadingBounds, kHeadingOptions),
      MainProgress(SettingsPanel, L"MainProgress", kMainProgressBounds, kMainProgressOptions),
      CurrentSettingsLabel(SettingsPanel, L"CurrentSettingsLabel", kStepLabelBounds, kStepLabelOptions), setUp_(setUp) {
    // A reader hears the bar as the run the heading names.
    MainProgress.SetAccessibleLabel(&CurrentSettingsHeading);
}

void TVXSettingsForm::FormShow() noexcept {
    if (setUp_) setUp_(*this);
    MainProgress.SetPosition(0);
}

void TVXSettingsForm::ShowProgressStep(std::wstring_view message) noexcept {
    try {
        const std::wstring text(message);
        PlayPasses(
            DrawPassCount(pacing_), pacing_, [] { ui::ProcessMessages(); },
            [&](int frame) { ShowFrame(text + kFrameDots[frame]); });
        ++ProgressStepCount;
        // Without a total there is no share to show; the bar stays where it is.
        if (ProgressStepTotal <= 0) return;
        const double percent = static_cast<double>(ProgressStepCount) / ProgressStepTotal * 100.0;
        MainProgress.SetPosition(static_cast<int>(std::lround(percent)));
    } catch (...) {
    }
}

void TVXSettingsForm::ShowFrame(std::wstring_view text) {
    CurrentSettingsLabel.SetCaption(text);
    // The frame is held by a sleep with no message processing: draw it now, so that it shows while held.
    if (SettingsPanel.Handle()) UpdateWindow(SettingsPanel.Handle());
    ui::RaiseEvent(OnProgressFrame, CurrentSettingsLabel);
    Sleep(pacing_.frameSleepMilliseconds);
}

} // namespace vx
