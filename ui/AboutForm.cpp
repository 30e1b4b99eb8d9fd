#include "ui/AboutForm.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "resources/ResourceNames.h"
#include "system/Shell.h"
#include "ui/Sound.h"
#include "ui/SystemFont.h"

namespace vx::ui {
namespace {

const FormLayout kAboutLayout{L"VXAboutForm", 700, 441, FormBorder::SingleCloseOnly, FormPosition::OwnerFormCenter};

constexpr Color kLinkBlue = Color::Rgb(0, 102, 204);
constexpr Color kBannerText = Color::Rgb(255, 255, 255);

LayoutFont TahomaFont(int pixelHeight, bool bold, Color color) {
    LayoutFont font;
    font.face = L"Tahoma";
    font.pixelHeight = pixelHeight;
    font.bold = bold;
    font.color = color;
    return font;
}

PictureOptions StretchedPicture(const wchar_t* resource) {
    PictureOptions options;
    options.resource = resource;
    options.stretch = true;
    return options;
}

// Every label of the window is transparent (the toolkit's labels always are)
// with its text vertically centred.
LabelOptions TextLabel() {
    LabelOptions options;
    options.verticalCenter = true;
    return options;
}

LabelOptions VersionLabelOptions() {
    LabelOptions options = TextLabel();
    options.font = TahomaFont(13, true, Color::System(COLOR_WINDOWTEXT));
    return options;
}

LabelOptions LinkLabelOptions() {
    LabelOptions options = TextLabel();
    options.font = TahomaFont(11, false, kLinkBlue);
    options.cursor = Cursor::HandPoint;
    return options;
}

LabelOptions WarningLabelOptions() {
    LabelOptions options = TextLabel();
    options.autoSize = false;
    options.wordWrap = true;
    return options;
}

LabelOptions BannerLabelOptions() {
    LabelOptions options = TextLabel();
    options.font = TahomaFont(16, true, kBannerText);
    return options;
}

PanelOptions AboutPanelOptions() {
    PanelOptions options;
    options.color = Color::System(COLOR_WINDOW);
    options.tabOrder = 1;
    return options;
}

ButtonOptions CloseButtonOptions() {
    ButtonOptions options;
    options.tabOrder = 0;
    options.isDefault = true;
    options.modalResult = ModalResult::Ok;
    return options;
}

ButtonOptions HelpButtonOptions() {
    ButtonOptions options;
    options.tabOrder = 2;
    return options;
}

std::wstring VersionSuffix() {
    return std::wstring(kVersionText) + L")";
}

void SetUnderline(Component& sender, bool on) noexcept {
    if (auto* control = dynamic_cast<Control*>(&sender)) control->Font().SetUnderline(on);
}

} // namespace

std::wstring VersionLine(std::wstring_view caption) {
    const std::wstring suffix = VersionSuffix();
    if (caption.ends_with(suffix)) return std::wstring(caption);
    return std::wstring(caption) + suffix;
}

// clang-format off
TVXAboutForm::TVXAboutForm()
    : Form(kAboutLayout),
      AboutBevel(*this,                   L"AboutBevel",            {0, 386, 700, 5},    LineShape::TopLine),
      AboutPanel(*this,                   L"AboutPanel",            {0, 0, 700, 386},    AboutPanelOptions()),
      LargeIcon(AboutPanel,               L"LargeIcon",             {372, 130, 256, 256}, StretchedPicture(res::kLargeIcon)),
      VersionLabel(AboutPanel,            L"VersionLabel",          {72, 82, 0, 0},      VersionLabelOptions()),
      CopyrightLabel(AboutPanel,          L"CopyrightLabel",        {72, 101, 0, 0},     TextLabel()),
      LicenseAgreementLabel(AboutPanel,   L"LicenseAgreementLabel", {72, 287, 0, 0},     LinkLabelOptions()),
      CopyrightWarningLabel(AboutPanel,   L"CopyrightWarningLabel", {81, 306, 556, 70},  WarningLabelOptions()),
      BannerImage(AboutPanel,             L"BannerImage",           {0, 0, 700, 60},     StretchedPicture(res::kBanner)),
      BannerLabel(AboutPanel,             L"BannerLabel",           {48, 18, 0, 0},      BannerLabelOptions()),
      LicensedMemo(AboutPanel,            L"LicensedMemo",          {72, 136, 556, 73},  MemoOptions{0}),
      CloseButton(*this,                  L"CloseButton",           {608, 403, 79, 25},  CloseButtonOptions()),
      HelpButton(*this,                   L"HelpButton",            {14, 403, 79, 25},   HelpButtonOptions()) {
    // clang-format on
    HelpButton.OnClick = Bind(&TVXAboutForm::HelpButtonClick);
    LicenseAgreementLabel.OnClick = Bind(&TVXAboutForm::LicenseAgreementLabelClick);
    LicenseAgreementLabel.OnMouseEnter = Bind(&TVXAboutForm::LicenseAgreementLabelMouseEnter);
    LicenseAgreementLabel.OnMouseLeave = Bind(&TVXAboutForm::LicenseAgreementLabelMouseLeave);
    LicenseAgreementLabel.SetFocusable(true);
}

void TVXAboutForm::FormShow() noexcept {
    // Font, system font and captions afresh, so that every showing follows the
    // current icon-title font and caption table.
    SetUpWindow(*this);
    try {
        VersionLabel.SetCaption(VersionLine(VersionLabel.Caption()));
    } catch (...) {
        return;
    }
    CloseButton.SetFocus();
}

void TVXAboutForm::HelpButtonClick(Component&) noexcept {
    try {
        if (!helpKeyHandler_) return;
        // The F1 press as the focused control would have received it.
        MSG message{};
        message.hwnd = HelpButton.Handle();
        message.message = WM_KEYDOWN;
        message.wParam = VK_F1;
        message.lParam = 1 | static_cast<LPARAM>(MapVirtualKeyW(VK_F1, MAPVK_VK_TO_VSC)) << 16;
        message.time = GetTickCount();
        GetCursorPos(&message.pt);
        bool handled = false;
        helpKeyHandler_(message, handled);
    } catch (...) {
    }
}

void TVXAboutForm::LicenseAgreementLabelClick(Component&) noexcept {
    PlayClickSound();
    try {
        // Without the program folder the document would be looked up relative to
        // the current directory, where anyone could have put one.
        const std::wstring folder = ProgramFolder();
        if (folder.empty()) return;
        OpenFile(folder + kLicenseFileName, L"");
    } catch (...) {
    }
}

void TVXAboutForm::LicenseAgreementLabelMouseEnter(Component& sender) noexcept {
    SetUnderline(sender, true);
}

void TVXAboutForm::LicenseAgreementLabelMouseLeave(Component& sender) noexcept {
    SetUnderline(sender, false);
}

} // namespace vx::ui
