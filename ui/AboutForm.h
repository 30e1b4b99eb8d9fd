// The About window: the installed version, the copyright notice, the
// acknowledgements and a legal warning, with links to the licence terms and
// to the help file. It is created hidden once, shown modally centred on the
// main window any number of times, and closed with its Close button, Enter or
// the close box; Escape leaves it open.
#pragma once

#include "toolkit/Button.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"
#include "toolkit/Memo.h"
#include "toolkit/Panel.h"
#include "toolkit/Picture.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace vx::ui {

// The main window's key handler that the Help button hands its made-up F1 press to.
using HelpKeyHandler = std::function<void(const MSG& message, bool& handled)>;

// The version line as the window shows it: the caption followed by the version
// and ")". A text that already ends in them (the window kept its old texts
// because no caption table could be read) is left as it is, so the version
// never shows twice.
std::wstring VersionLine(std::wstring_view caption);

class TVXAboutForm : public Form {
public:
    TVXAboutForm();

    // The main window's F1 handler (ApplicationEventsShortCut); set before the window is shown.
    void SetHelpKeyHandler(HelpKeyHandler handler) { helpKeyHandler_ = std::move(handler); }

    // Handlers.
    void HelpButtonClick(Component& sender) noexcept;
    void LicenseAgreementLabelClick(Component& sender) noexcept;
    void LicenseAgreementLabelMouseEnter(Component& sender) noexcept;
    void LicenseAgreementLabelMouseLeave(Component& sender) noexcept;

protected:
    void FormShow() noexcept override;

private:
    HelpKeyHandler helpKeyHandler_;

public:
    // The layout, in painting order: the line and the panel on the window, the
    // pictures and labels on the panel, then the memo and the two buttons.
    Line AboutBevel;
    Panel AboutPanel;
    Picture LargeIcon;
    Label VersionLabel;
    Label CopyrightLabel;
    Label LicenseAgreementLabel;
    Label CopyrightWarningLabel;
    Picture BannerImage;
    Label BannerLabel;
    Memo LicensedMemo;
    Button CloseButton;
    Button HelpButton;
};

} // namespace vx::ui
