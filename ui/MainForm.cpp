#include "ui/MainForm.h"

#include "core/Constants.h"
#include "core/Settings.h"
#include "core/StoredDate.h"
#include "engine/SettingsForm.h"
#include "engine/TweakRuns.h"
#include "system/Shell.h"
#include "system/WindowsVersion.h"
#include "resources/ResourceNames.h"
#include "ui/AboutForm.h"
#include "ui/Sound.h"
#include "ui/SystemFont.h"
#include "update/UpdateReminder.h"

#include <cwctype>

namespace vx::ui {
namespace {

constexpr Color kGrey = Color::Rgb(128, 128, 128);
constexpr Color kBlack = Color::Rgb(0, 0, 0);
constexpr Color kWhite = Color::Rgb(255, 255, 255);
constexpr Color kWindowText = Color::System(COLOR_WINDOWTEXT);

const LayoutFont kHeadingFont{L"Tahoma", 13, true, kGrey};
const LayoutFont kLinkFont{L"Tahoma", 11, false, kBlack};
const LayoutFont kNavFont{L"Tahoma", 11, true, kWhite};
const LayoutFont kHelpNavFont{L"Tahoma", 11, false, kWhite};
const LayoutFont kBoldTextFont{L"Tahoma", 11, true, kWindowText};
const LayoutFont kDescriptionFont{L"Tahoma", 11, false, kGrey};

const LabelOptions kHeading{.font = kHeadingFont};
const LabelOptions kLink{.font = kLinkFont, .cursor = Cursor::HandPoint};
const LabelOptions kNavLabel{.font = kNavFont, .cursor = Cursor::HandPoint};
const LabelOptions kHelpNavLabel{.font = kHelpNavFont, .cursor = Cursor::HandPoint};
const LabelOptions kBoldText{.font = kBoldTextFont};
const LabelOptions kWindowFontText{};
const LabelOptions kDescription{
    .font = kDescriptionFont, .autoSize = false, .wordWrap = true, .verticalCenter = true, .showAccelChar = false};
const LabelOptions kRightAligned{.alignment = TextAlign::Right};

PictureOptions NavPicture(const wchar_t* resource) {
    return {.resource = resource, .stretch = true, .cursor = Cursor::HandPoint};
}

constexpr int kSpeedThumbLength = 26;

bool AnyVisible(std::initializer_list<const Form*> forms) noexcept {
    for (const Form* form : forms)
        if (form && form->Visible()) return true;
    return false;
}

std::wstring Trimmed(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    const size_t last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}

} // namespace

POINT HelpMenuPoint(const RECT& window, SIZE client, const Bounds& helpIcon) noexcept {
    const int outerWidth = window.right - window.left;
    const int outerHeight = window.bottom - window.top;
    return POINT{window.left + (outerWidth - client.cx) + helpIcon.left + helpIcon.width,
                 window.top + (outerHeight - client.cy) + helpIcon.top + helpIcon.height};
}

// The layout table: one control per line, in painting order.
// clang-format off
TVXMainForm::TVXMainForm()
    : Form({L"VXMainForm", 764, 500, FormBorder::SingleWithMinimize, FormPosition::ScreenCenter}),
      ImageList1(*this, L"ImageList1", res::kImageList1, res::kImageListImageSize),
      ImageList2(*this, L"ImageList2", res::kImageList2, res::kImageListImageSize),
      ImageList3(*this, L"ImageList3", res::kImageList3, res::kImageListImageSize),
      //              parent     name                        left, top, width, height   appearance
      BackgroundImage(*this,     L"BackgroundImage",         {0, 0, 764, 500},          {.resource = res::kBackground}),
      TopLogoImage(*this,        L"TopLogoImage",            {8, 16, 400, 50},          {.resource = res::kTopLogo}),
      NavButton1(*this,          L"NavButton1",              {672, 16, 78, 27},         NavPicture(res::kNavButton1)),
      NavLabel2(*this,           L"NavLabel2",               {16, 98, 0, 0},            kHeading),
      LinkLabel4(*this,          L"LinkLabel4",              {16, 135, 0, 0},           kLink),
      LinkLabel5(*this,          L"LinkLabel5",              {16, 165, 0, 0},           kLink),
      LinkLabel6(*this,          L"LinkLabel6",              {16, 195, 0, 0},           kLink),
      LinkLabel7(*this,          L"LinkLabel7",              {16, 251, 0, 0},           kLink),
      NavButton2(*this,          L"NavButton2",              {471, 58, 85, 27},         NavPicture(res::kNavButton2)),
      NavButton3(*this,          L"NavButton3",              {556, 58, 108, 27},        NavPicture(res::kNavButton3)),
      NavButton4(*this,          L"NavButton4",              {664, 58, 99, 27},         NavPicture(res::kNavButton4)),
      NavStatic2(*this,          L"NavStatic2",              {502, 64, 0, 0},           kNavLabel),
      NavStatic3(*this,          L"NavStatic3",              {587, 64, 0, 0},           kNavLabel),
      NavStatic4(*this,          L"NavStatic4",              {695, 64, 0, 0},           kNavLabel),
      NavStatic1(*this,          L"NavStatic1",              {701, 22, 0, 0},           kHelpNavLabel),
      MainPanel(*this,           L"MainPanel",               {182, 91, 582, 388},       {.color = Color::System(COLOR_WINDOW), .tabOrder = 0}),
      BenefitsPanel(MainPanel,   L"BenefitsPanel",           {0, 0, 582, 65},           {.color = Color::System(COLOR_BTNFACE), .tabOrder = 7}),
      BenefitsLabel(BenefitsPanel, L"BenefitsLabel",         {16, 6, 0, 0},             kBoldText),
      BenefitsDescription(BenefitsPanel, L"BenefitsDescription", {16, 25, 550, 36},     kDescription),
      OSVersionLabel(MainPanel,  L"OSVersionLabel",          {16, 76, 0, 0},            kWindowFontText),
      WindowsCombo(MainPanel,    L"WindowsCombo",            {16, 95, 309, 0},          {.tabOrder = 2, .images = &ImageList1}),
      ProcessorTypeLabel(MainPanel, L"ProcessorTypeLabel",   {16, 128, 0, 0},           kWindowFontText),
      ProcessorCombo(MainPanel,  L"ProcessorCombo",          {16, 147, 309, 0},         {.tabOrder = 3, .images = &ImageList2}),
      ModemTypeLabel(MainPanel,  L"ModemTypeLabel",          {16, 180, 0, 0},           kWindowFontText),
      ModemCombo(MainPanel,      L"ModemCombo",              {16, 199, 309, 0},         {.tabOrder = 4, .images = &ImageList3}),
      SpeedLabel(MainPanel,      L"SpeedLabel",              {16, 231, 0, 0},           kWindowFontText),
      SpeedTrackBar(MainPanel,   L"SpeedTrackBar",           {16, 244, 309, 44},
                    {.minimum = 0, .maximum = 1, .pageSize = 1, .ticksBothSides = true,
                     .thumbLength = kSpeedThumbLength, .tabOrder = 5}),
      FastLabel(MainPanel,       L"FastLabel",               {33, 292, 0, 0},           kWindowFontText),
      // Right-aligned: its right edge stays at 307 whatever its text.
      FasterLabel(MainPanel,     L"FasterLabel",             {307, 292, 0, 0},          kRightAligned),
      LineSeparator1(MainPanel,  L"LineSeparator1",          {360, 102, 2, 183},        LineShape::RightLine),
      GoButton(MainPanel,        L"GoButton",                {400, 95, 145, 52},        {.tabOrder = 0, .isDefault = true, .font = kBoldTextFont}),
      RestoreButton(MainPanel,   L"RestoreButton",           {400, 171, 145, 25},       {.tabOrder = 1, .enabled = false}),
      LineSeparator2(MainPanel,  L"LineSeparator2",          {16, 315, 536, 5},         LineShape::TopLine),
      VersionInstalledLabel(MainPanel, L"VersionInstalledLabel", {16, 336, 0, 0},       kBoldText),
      SoftwareLastUpdateLabel(MainPanel, L"SoftwareLastUpdateLabel", {16, 355, 0, 0},   kWindowFontText),
      UpdatesButton(MainPanel,   L"UpdatesButton",           {400, 336, 154, 33},       {.tabOrder = 6, .shield = true}),
      PopupMenu(*this, L"PopupMenu", {.alignment = MenuAlignment::Right, .topToBottomAnimation = true}),
      HelpFilePopup(PopupMenu.AddItem(L"HelpFilePopup")),
      N1(PopupMenu.AddItem(L"N1", L"-")),
      TechSupportPopup(PopupMenu.AddItem(L"TechSupportPopup")),
      ApplicationEvents(*this, L"ApplicationEvents") {
    FillLists();
    BindHandlers();
}
// clang-format on

void TVXMainForm::SetCompanions(TVXAboutForm& about, TVXSettingsForm& settings) noexcept {
    about_ = &about;
    settings_ = &settings;
    // The About window's Help button acts as the help key does here.
    try {
        about.SetHelpKeyHandler(
            [this](const MSG& message, bool& handled) { ApplicationEventsShortCut(message, handled); });
    } catch (...) {
    }
}

int TVXMainForm::ConvertWindowsVersion(int WinVer) noexcept {
    return vx::ConvertWindowsVersion(WinVer);
}

void TVXMainForm::FillLists() {
    std::vector<ComboItem> windows;
    for (const WindowsItem& item : kWindowsItems) windows.push_back({item.text, item.image});
    WindowsCombo.SetItems(windows);
    std::vector<ComboItem> processors;
    for (const ListItem& item : kProcessorItems) processors.push_back({item.text, 0});
    ProcessorCombo.SetItems(processors);
    std::vector<ComboItem> connections;
    for (const ListItem& item : kInternetItems) connections.push_back({item.text, 0});
    ModemCombo.SetItems(connections);
}

void TVXMainForm::BindHandlers() {
    using Controls = std::initializer_list<Control*>;
    const auto bindClick = [](Controls controls, const NotifyEvent& handler) {
        for (Control* control : controls) control->OnClick = handler;
    };
    const auto bindHover = [](Controls controls, const NotifyEvent& enter, const NotifyEvent& leave) {
        for (Control* control : controls) {
            control->OnMouseEnter = enter;
            control->OnMouseLeave = leave;
        }
    };
    // The handler table: one handler serves every control that leads to the same place.
    ApplicationEvents.OnShortCut = [this](const MSG& message, bool& handled) {
        ApplicationEventsShortCut(message, handled);
    };
    HelpFilePopup.OnClick = Bind(&TVXMainForm::HelpFilePopupClick);
    TechSupportPopup.OnClick = Bind(&TVXMainForm::NavButton3Click);
    bindClick({&LinkLabel4}, Bind(&TVXMainForm::HelpFilePopupClick));
    bindClick({&NavButton1, &NavStatic1}, Bind(&TVXMainForm::NavButton1Click));
    bindClick({&NavButton2, &NavStatic2, &LinkLabel6}, Bind(&TVXMainForm::NavButton2Click));
    bindClick({&NavButton3, &NavStatic3, &LinkLabel5}, Bind(&TVXMainForm::NavButton3Click));
    bindClick({&NavButton4, &NavStatic4, &LinkLabel7}, Bind(&TVXMainForm::NavButton4Click));
    bindClick({&GoButton}, Bind(&TVXMainForm::GoButtonClick));
    bindClick({&RestoreButton}, Bind(&TVXMainForm::RestoreButtonClick));
    bindClick({&UpdatesButton}, Bind(&TVXMainForm::UpdatesButtonClick));
    bindHover({&NavButton1, &NavButton2, &NavButton3, &NavButton4, &NavStatic1, &NavStatic2, &NavStatic3, &NavStatic4},
              Bind(&TVXMainForm::NavButtonMouseEnter), Bind(&TVXMainForm::NavButtonMouseLeave));
    bindHover({&LinkLabel4, &LinkLabel5, &LinkLabel6, &LinkLabel7}, Bind(&TVXMainForm::LabelMouseEnter),
              Bind(&TVXMainForm::LabelMouseLeave));

    // Without a mouse: the links and the navigation pictures take the focus
    // (after the layout's controls, in this order) and act on Enter and Space.
    int tabOrder = 0;
    for (GraphicControl* control : std::initializer_list<GraphicControl*>{
             &LinkLabel4, &LinkLabel5, &LinkLabel6, &LinkLabel7, &NavButton1, &NavButton2, &NavButton3, &NavButton4})
        control->SetFocusable(true, ++tabOrder);
    // What a screen reader says for them: the label beside each.
    NavButton1.SetAccessibleLabel(&NavStatic1);
    NavButton2.SetAccessibleLabel(&NavStatic2);
    NavButton3.SetAccessibleLabel(&NavStatic3);
    NavButton4.SetAccessibleLabel(&NavStatic4);
    WindowsCombo.SetAccessibleLabel(&OSVersionLabel);
    ProcessorCombo.SetAccessibleLabel(&ProcessorTypeLabel);
    ModemCombo.SetAccessibleLabel(&ModemTypeLabel);
    SpeedTrackBar.SetAccessibleLabel(&SpeedLabel);
}

void TVXMainForm::FormCreate() noexcept {
    try {
        SetUpWindow(*this);
        std::wstring dateText = FormatStoredDate(settings::UpdatedDate());
        if (dateText.empty()) dateText = FormatStoredDate(settings::InstalledDate());
        const settings::StoredChoices choices = settings::ReadStoredChoices();
        SoftwareLastUpdateLabel.SetCaption(SoftwareLastUpdateLabel.Caption() + dateText);
        VersionInstalledLabel.SetCaption(VersionInstalledLabel.Caption() + kVersionText);
        WindowsCombo.SetItemIndex(WindowsItemForVersion(DetectWindowsVersion()));
        ProcessorCombo.SetItemIndex(PreselectedProcessorItem(choices.processorType));
        ModemCombo.SetItemIndex(choices.internetType);
        RestoreButton.SetEnabled(RestoreAvailable());
        SpeedTrackBar.SetPosition(choices.speedSetting);
        RunUpdateReminder();
    } catch (...) {
    }
}

void TVXMainForm::ApplicationEventsShortCut(const MSG& message, bool&) noexcept {
    const bool keyDown = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
    if (!keyDown || message.wParam != VK_F1) return;
    const Form* settings = reinterpret_cast<const Form*>(settings_);
    if (!AnyVisible({about_, settings, this})) return;
    OpenHelpTopic(kHelpFileName, kHelpTopic);
}

void TVXMainForm::HelpFilePopupClick(Component&) noexcept {
    MSG f1{};
    f1.hwnd = Handle();
    f1.message = WM_KEYDOWN;
    f1.wParam = VK_F1;
    bool handled = false;
    ApplicationEventsShortCut(f1, handled);
}

void TVXMainForm::NavButton1Click(Component&) noexcept {
    RECT window{};
    RECT client{};
    if (!GetWindowRect(Handle(), &window) || !GetClientRect(Handle(), &client)) return;
    const POINT at = HelpMenuPoint(window, SIZE{client.right, client.bottom}, NavButton1.GetBounds());
    PopupMenu.Popup(at.x, at.y);
}

void TVXMainForm::NavButton2Click(Component&) noexcept {
    PlayClickSound();
    OpenUrl(kVendorHomeUrl);
}

void TVXMainForm::NavButton3Click(Component&) noexcept {
    PlayClickSound();
    OpenUrl(kVendorSupportUrl);
}

void TVXMainForm::NavButton4Click(Component&) noexcept {
    PlayClickSound();
    if (!about_) return;
    about_->SetPosition(FormPosition::OwnerFormCenter);
    about_->ShowModal();
}

void TVXMainForm::SetNavUnderline(Component& sender, bool on) noexcept {
    try {
        const std::wstring& name = sender.Name();
        const std::wstring rest = name.size() > 9 ? Trimmed(std::wstring_view(name).substr(9)) : std::wstring();
        if (Component* label = FindComponent(L"NavStatic" + rest))
            if (ui::Font* font = label->OwnFont()) font->SetUnderline(on);
    } catch (...) {
    }
}

void TVXMainForm::NavButtonMouseEnter(Component& sender) noexcept {
    SetNavUnderline(sender, true);
}

void TVXMainForm::NavButtonMouseLeave(Component& sender) noexcept {
    SetNavUnderline(sender, false);
}

void TVXMainForm::LabelMouseEnter(Component& sender) noexcept {
    if (ui::Font* font = sender.OwnFont()) font->SetUnderline(true);
}

void TVXMainForm::LabelMouseLeave(Component& sender) noexcept {
    if (ui::Font* font = sender.OwnFont()) font->SetUnderline(false);
}

void TVXMainForm::UpdatesButtonClick(Component&) noexcept {
    PlayClickSound();
    StartUpdater();
}

} // namespace vx::ui
