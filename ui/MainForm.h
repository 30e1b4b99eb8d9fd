// The program's one working window: what the program does, the four choices,
// the buttons that start the optimise and restore runs and the updater, the
// installed version and last update, and the links to help, the vendor's
// pages and the About window.
#pragma once

#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/Label.h"
#include "toolkit/Menu.h"
#include "toolkit/Panel.h"
#include "toolkit/Picture.h"
#include "toolkit/Slider.h"

#include <windows.h>

#include <span>

namespace vx {
class TVXSettingsForm;
}

namespace vx::ui {

class TVXAboutForm;

// One line of a run's progress: the caption key of its text and how many steps show it.
struct RunStep {
    const wchar_t* captionKey;
    int times;
};

// Where the help menu opens: its right edge and top, in screen coordinates,
// from the window's outer rectangle, its client size and the help icon's bounds.
POINT HelpMenuPoint(const RECT& window, SIZE client, const Bounds& helpIcon) noexcept;

class TVXMainForm : public Form {
public:
    TVXMainForm();

    // The other two windows, which the handlers show; set before Create.
    void SetCompanions(TVXAboutForm& about, TVXSettingsForm& settings) noexcept;

    // The version code for a WindowsCombo item index.
    static int ConvertWindowsVersion(int WinVer) noexcept;

    // Handlers.
    void ApplicationEventsShortCut(const MSG& message, bool& handled) noexcept;
    void HelpFilePopupClick(Component& sender) noexcept;
    void NavButton1Click(Component& sender) noexcept;
    void NavButton2Click(Component& sender) noexcept;
    void NavButton3Click(Component& sender) noexcept;
    void NavButton4Click(Component& sender) noexcept;
    void NavButtonMouseEnter(Component& sender) noexcept;
    void NavButtonMouseLeave(Component& sender) noexcept;
    void LabelMouseEnter(Component& sender) noexcept;
    void LabelMouseLeave(Component& sender) noexcept;
    void GoButtonClick(Component& sender) noexcept;
    void RestoreButtonClick(Component& sender) noexcept;
    void UpdatesButtonClick(Component& sender) noexcept;

    // True while an optimise or restore run is under way.
    bool RunUnderWay() const noexcept { return runUnderWay_; }

protected:
    void FormCreate() noexcept override;
    void FormCloseQuery(bool& canClose) noexcept override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

private:
    void BindHandlers();
    void FillLists();
    void SetNavUnderline(Component& sender, bool on) noexcept;
    // The progress window of a run: shown centred, counters and heading set.
    void BeginRunProgress(int stepTotal, const wchar_t* headingKey) noexcept;
    void EndRunProgress() noexcept;
    // Plays the steps; false when a close request arrived and the run must end.
    bool PlayProgressSteps(std::span<const RunStep> steps) noexcept;
    void ShowRestartOffer() noexcept;
    bool CloseRequested() const noexcept { return closeRequested_; }
    void FinishClosing() noexcept;

    TVXAboutForm* about_ = nullptr;
    vx::TVXSettingsForm* settings_ = nullptr;
    bool runUnderWay_ = false;
    bool closeRequested_ = false;

public:
    // The layout, in painting order: pictures and labels on the window, then the panels.
    ImageList ImageList1;
    ImageList ImageList2;
    ImageList ImageList3;
    Picture BackgroundImage;
    Picture TopLogoImage;
    Picture NavButton1;
    Label NavLabel2;
    Label LinkLabel4;
    Label LinkLabel5;
    Label LinkLabel6;
    Label LinkLabel7;
    Picture NavButton2;
    Picture NavButton3;
    Picture NavButton4;
    Label NavStatic2;
    Label NavStatic3;
    Label NavStatic4;
    Label NavStatic1;
    Panel MainPanel;
    Panel BenefitsPanel;
    Label BenefitsLabel;
    Label BenefitsDescription;
    Label OSVersionLabel;
    ComboBox WindowsCombo;
    Label ProcessorTypeLabel;
    ComboBox ProcessorCombo;
    Label ModemTypeLabel;
    ComboBox ModemCombo;
    Label SpeedLabel;
    Slider SpeedTrackBar;
    Label FastLabel;
    Label FasterLabel;
    Line LineSeparator1;
    Button GoButton;
    Button RestoreButton;
    Line LineSeparator2;
    Label VersionInstalledLabel;
    Label SoftwareLastUpdateLabel;
    Button UpdatesButton;
    ui::PopupMenu PopupMenu;
    MenuItem& HelpFilePopup;
    MenuItem& N1;
    MenuItem& TechSupportPopup;
    ui::ApplicationEvents ApplicationEvents;
};

} // namespace vx::ui
