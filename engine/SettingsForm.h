// The progress window that the optimise and restore runs show while they
// work: a heading naming the run, a bar, and a step line with animated dots.
// Its progress is simulated: a step is a wait of random length during which
// the program keeps processing its messages.
#pragma once

#include "engine/ProgressPacing.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/ProgressBar.h"

#include <string_view>

namespace vx {

class TVXSettingsForm : public ui::Form {
public:
    // setUp runs each time the window shows (the program's fonts and captions:
    // it comes from the window layer above this one).
    explicit TVXSettingsForm(ui::WindowSetUp setUp);

    // Plays one step of a run: waits a random number of message-processing
    // passes, showing `message` with one, two and three dots on the way, then
    // counts the step and moves the bar. A failure ends the step early
    // without counting it.
    void ShowProgressStep(std::wstring_view message) noexcept;

    // The pacing the steps follow: the program's own unless replaced.
    const ProgressPacing& Pacing() const noexcept { return pacing_; }
    void SetPacing(const ProgressPacing& pacing) noexcept { pacing_ = pacing; }

    // Raised each time the step line shows a new frame, right before the frame is held.
    ui::NotifyEvent OnProgressFrame;

    // The steps of the run under way, and those finished; the runs set both.
    int ProgressStepTotal = 0;
    int ProgressStepCount = 0;

    // The controls, in layout order (each one's parent comes before it).
    ui::Panel SettingsPanel;
    ui::Label CurrentSettingsHeading;
    ui::ProgressBar MainProgress;
    ui::Label CurrentSettingsLabel;

protected:
    void FormShow() noexcept override;

private:
    void ShowFrame(std::wstring_view text);

    ProgressPacing pacing_ = ProgramPacing();
    ui::WindowSetUp setUp_;
};

} // namespace vx
