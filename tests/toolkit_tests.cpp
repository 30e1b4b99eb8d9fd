// The window toolkit for real, under the virtual frame buffer: caption tables
// applied to a real form (title, labels at any depth, button, memo, pop-up
// menu), the window font set-up with the icon-title font of the test prefix,
// and a painted form captured from the screen, saved as a picture and checked
// pixel by pixel.
#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "core/Handles.h"
#include "resources/ResourceNames.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WholeTexts.h"
#include "tests/support/TestSupport.h"
#include "ui/Captions.h"
#include "ui/SystemFont.h"
#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Form.h"
#include "toolkit/ImageList.h"
#include "toolkit/Label.h"
#include "toolkit/Memo.h"
#include "toolkit/Menu.h"
#include "toolkit/Panel.h"
#include "toolkit/Picture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace vx::ui {
namespace {

using namespace vx::test;

constexpr wchar_t kLanguage[] = L"Language";
constexpr wchar_t kEnglishTitle[] = L"Velantrix - Make your games and internet run faster";
constexpr wchar_t kKoreanTitle[] = L"Velantrix - 당신의 게임과 인터넷을 빠르게!";

void SetLanguage(const wchar_t* language) {
    if (language) WriteRegString(kSettingsRoot, kSettingsKey, kLanguage, language, false);
    else DeleteRegValue(kSettingsRoot, kSettingsKey, kLanguage, false);
}

// Every test starts and ends with no "Language" setting (the English table).
class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override {
        Application::Instance().Initialize();
        SetLanguage(nullptr);
    }
    void TearDown() override { SetLanguage(nullptr); }
};

// Dispatches what is pending until the window has nothing left to paint.
bool WaitUntilPainted(HWND window) {
    return WaitUntil(
        [&] {
            ProcessMessages();
            UpdateWindow(window);
            return IsWindowVisible(window) && !GetUpdateRect(window, nullptr, FALSE);
        },
        5s);
}

// ---- Captions on a real window ------------------------------------------------

// The main window's names, with a label inside a panel and a pop-up menu.
struct CaptionForm : Form {
    CaptionForm() : Form({L"VXMainForm", 420, 260, FormBorder::SingleWithMinimize, FormPosition::ScreenCenter}) {}
    Panel topPanel{*this, L"TopPanel", {0, 0, 420, 60}};
    Label benefitsLabel{topPanel, L"BenefitsLabel", {8, 8, 0, 0}};
    Label osVersionLabel{*this, L"OSVersionLabel", {8, 70, 0, 0}};
    Button goButton{*this, L"GoButton", {8, 200, 140, 25}};
    Memo benefitsDescription{*this, L"BenefitsDescription", {160, 70, 250, 120}};
    PopupMenu helpPopup{*this, L"HelpPopupMenu"};
    MenuItem& helpFilePopup = helpPopup.AddItem(L"HelpFilePopup");
    MenuItem& separator = helpPopup.AddItem(L"N1", L"-");
    MenuItem& techSupportPopup = helpPopup.AddItem(L"TechSupportPopup");
};

// What an open pop-up menu shows, read from its window by another thread
// while the menu's own loop runs, which then closes the menu.
struct OpenMenu {
    HWND owner = nullptr;
    std::atomic<bool> tracking{true};
    bool seen = false;
    std::vector<std::wstring> texts; // "-" for a separator
};

DWORD WINAPI ReadOpenMenu(void* context) {
    auto& menu = *static_cast<OpenMenu*>(context);
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(window); }, 10s);
    if (window) {
        const auto handle = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
        const int count = handle ? GetMenuItemCount(handle) : -1;
        for (int i = 0; i < count; ++i) {
            MENUITEMINFOW info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE;
            GetMenuItemInfoW(handle, static_cast<UINT>(i), TRUE, &info);
            wchar_t text[256] = {};
            GetMenuStringW(handle, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
            menu.texts.push_back((info.fType & MFT_SEPARATOR) ? std::wstring(L"-") : std::wstring(text));
        }
        menu.seen = count > 0;
    }
    WaitUntil(
        [&] {
            if (menu.tracking) PostMessageW(menu.owner, WM_CANCELMODE, 0, 0);
            return !menu.tracking;
        },
        10s);
    return 0;
}

// Opens the form's menu, reads it and closes it again.
std::vector<std::wstring> ShownMenuTexts(Form& form, PopupMenu& popup) {
    OpenMenu menu;
    menu.owner = form.Handle();
    UniqueKernelHandle reader(CreateThread(nullptr, 0, ReadOpenMenu, &menu, 0, nullptr));
    if (!reader) return {};
    popup.Popup(100, 100);
    menu.tracking = false;
    WaitForSingleObject(reader.get(), 15000);
    if (!menu.seen) return {L"(the menu did not open)"};
    return menu.texts;
}

TEST_F(ToolkitTest, CaptionsReachTheRealWindowsOfTitleLabelsButtonMemoAndMenu) {
    CaptionForm form;
    ASSERT_TRUE(form.Create(nullptr, false));
    SetWindowTextW(form.benefitsDescription.Handle(), L"");
    form.benefitsDescription.SetCaption(L"line one\r\nline two");
    form.Show();

    ApplyCaptions(form);
    EXPECT_EQ(form.Title(), kEnglishTitle);
    EXPECT_EQ(WindowText(form.Handle()), kEnglishTitle);
    EXPECT_EQ(form.benefitsLabel.Caption(), L"Benefits of Velantrix"); // inside the panel
    EXPECT_EQ(form.osVersionLabel.Caption(), L"Operating System : ");
    EXPECT_EQ(WindowText(form.goButton.Handle()), L"&Optimize now");
    // The memo's two lines are replaced by the row's one line.
    EXPECT_EQ(WindowText(form.benefitsDescription.Handle()), GetCaption(L"VXMainForm", L"BenefitsDescription"));
    EXPECT_EQ(SendMessageW(form.benefitsDescription.Handle(), EM_GETLINECOUNT, 0, 0) > 0, true);
    EXPECT_EQ(form.separator.Caption(), L"-");
    EXPECT_TRUE(form.separator.IsSeparator());
    EXPECT_EQ(ShownMenuTexts(form, form.helpPopup),
              (std::vector<std::wstring>{L"Get &help with Velantrix", L"-", L"&Contact technical support"}));
    // A self-sizing label grows with its text.
    EXPECT_GT(form.benefitsLabel.Width(), 60);

    SetLanguage(L"KOREAN");
    ApplyCaptions(form);
    EXPECT_EQ(WindowText(form.Handle()), kKoreanTitle);
    EXPECT_EQ(form.benefitsLabel.Caption(), L"Velantrix의 장점");
    EXPECT_EQ(WindowText(form.goButton.Handle()), L"지금 최적화(&O)");
    EXPECT_EQ(ShownMenuTexts(form, form.helpPopup),
              (std::vector<std::wstring>{L"Velantrix 도움말(&H)", L"-", L"기술 지원 연락(&C)"}));
}

TEST_F(ToolkitTest, ARowWithoutItsTextEndsTheCallOnARealWindowKeepingWhatWasApplied) {
    CaptionForm form;
    ASSERT_TRUE(form.Create(nullptr, false));
    form.goButton.SetCaption(L"layout");
    ApplyCaptionTable(L"VXMainForm, VXMainForm, \"Title\"\r\n"
                      L"vxmainform, benefitslabel, \"In the panel\"\r\n"
                      L"VXMainForm, GoButton\r\n"
                      L"VXMainForm, OSVersionLabel, \"after\"\r\n"
                      L"VXMainForm, HelpFilePopup, \"after\"",
                      form);
    EXPECT_EQ(WindowText(form.Handle()), L"Title");
    EXPECT_EQ(form.benefitsLabel.Caption(), L"In the panel");
    EXPECT_EQ(WindowText(form.goButton.Handle()), L"layout");
    EXPECT_EQ(form.osVersionLabel.Caption(), L"");
    EXPECT_EQ(form.helpFilePopup.Caption(), L"");

    // The window's name in field 2 counts only as written: the form owns no component of its own name.
    ApplyCaptionTable(L"VXMainForm, vxmainform, \"lower\"\r\nVXMainForm, GOBUTTON, \"&Go\"", form);
    EXPECT_EQ(WindowText(form.Handle()), L"Title");
    EXPECT_EQ(WindowText(form.goButton.Handle()), L"&Go");
    EXPECT_EQ(form.FindComponent(L"vxmainform"), nullptr);
    EXPECT_EQ(form.FindComponent(L"BENEFITSLABEL"), &form.benefitsLabel);
    EXPECT_EQ(form.FindComponent(L"n1"), &form.separator);
}

// ---- The window font ------------------------------------------------------------

int PixelsForPoints(int points) {
    return PixelsFromPoints(points, ScreenPixelsPerInch());
}

// The prefix's icon-title font, changed for one test and put back afterwards.
class IconTitleFont {
public:
    IconTitleFont(const wchar_t* face, int points) {
        saved_ = SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(old_), &old_, 0) != FALSE;
        LOGFONTW font = old_;
        wcsncpy_s(font.lfFaceName, face, _TRUNCATE);
        font.lfHeight = -PixelsForPoints(points);
        font.lfWidth = 0;
        font.lfWeight = FW_NORMAL;
        set_ = SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof(font), &font, 0) != FALSE;
    }
    ~IconTitleFont() {
        if (saved_) SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof(old_), &old_, 0);
    }
    IconTitleFont(const IconTitleFont&) = delete;
    IconTitleFont& operator=(const IconTitleFont&) = delete;

    bool Set() const { return saved_ && set_; }

private:
    LOGFONTW old_{};
    bool saved_ = false;
    bool set_ = false;
};

constexpr wchar_t kIconTitleFace[] = L"DejaVu Sans"; // unlike the layouts' Tahoma

struct FontForm : Form {
    FontForm() : Form({L"VXFontForm", 300, 200, FormBorder::SingleCloseOnly, FormPosition::ScreenCenter}) {}
    Label plainLabel{*this, L"PlainLabel", {8, 8, 0, 0}};
    // 16 pixels are 12 points, 11 pixels 8 points.
    Label bigBoldLabel{
        *this, L"BigBoldLabel", {8, 30, 0, 0}, {.font = LayoutFont{L"Tahoma", 16, true, Color::Rgb(200, 0, 0)}}};
    Label smallLabel{*this, L"SmallLabel", {8, 60, 0, 0}, {.font = LayoutFont{L"Tahoma", 11}}};
    Panel panel{*this, L"Panel", {150, 8, 140, 100}};
    Label nestedLabel{panel, L"NestedLabel", {4, 4, 0, 0}, {.font = LayoutFont{L"Tahoma", 11}}};
    Button parentFontButton{*this, L"ParentFontButton", {8, 160, 120, 25}};
    Button ownFontButton{*this, L"OwnFontButton", {150, 160, 120, 25}, {.font = LayoutFont{L"Tahoma", 11}}};
};

// The font a windowed control's window really uses.
LOGFONTW WindowFont(HWND window) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    if (handle) GetObjectW(handle, sizeof(font), &font);
    return font;
}

TEST_F(ToolkitTest, AWindowWithA12PointIconTitleFontGoesTo9AndOwnFontsKeepLargerSizesOnly) {
    IconTitleFont iconTitle(kIconTitleFace, 12);
    ASSERT_TRUE(iconTitle.Set());
    FontForm form;
    ASSERT_TRUE(form.Create(nullptr, false));
    ApplyIconTitleFont(form);
    ASSERT_EQ(form.Font().Name(), kIconTitleFace);
    ASSERT_EQ(form.Font().Size(), 12);

    ApplySystemFont(form);
    EXPECT_EQ(form.Font().Size(), 9);
    EXPECT_EQ(form.Font().Name(), kIconTitleFace);

    EXPECT_TRUE(form.plainLabel.ParentFont());
    EXPECT_EQ(form.plainLabel.EffectiveFont().Size(), 9);

    EXPECT_FALSE(form.bigBoldLabel.ParentFont());
    EXPECT_EQ(form.bigBoldLabel.EffectiveFont().Size(), 12);
    EXPECT_TRUE(form.bigBoldLabel.EffectiveFont().Bold());
    EXPECT_EQ(form.bigBoldLabel.EffectiveFont().Name(), kIconTitleFace);
    EXPECT_EQ(form.bigBoldLabel.EffectiveFont().TextColor(), Color::Rgb(200, 0, 0));

    EXPECT_EQ(form.smallLabel.EffectiveFont().Size(), 9);
    EXPECT_EQ(form.smallLabel.EffectiveFont().Name(), kIconTitleFace);
    EXPECT_FALSE(form.smallLabel.EffectiveFont().Bold());
    // Components inside a panel are the window's too.
    EXPECT_EQ(form.nestedLabel.EffectiveFont().Size(), 9);
    EXPECT_EQ(form.nestedLabel.EffectiveFont().Name(), kIconTitleFace);

    // The windows of the buttons show what their fonts say.
    EXPECT_TRUE(form.parentFontButton.ParentFont());
    const LOGFONTW parentButton = WindowFont(form.parentFontButton.Handle());
    EXPECT_STREQ(parentButton.lfFaceName, kIconTitleFace);
    EXPECT_EQ(parentButton.lfHeight, -PixelsForPoints(9));
    const LOGFONTW ownButton = WindowFont(form.ownFontButton.Handle());
    EXPECT_STREQ(ownButton.lfFaceName, kIconTitleFace);
    EXPECT_EQ(ownButton.lfHeight, -PixelsForPoints(9));
}

TEST_F(ToolkitTest, AWindowWithAn8PointIconTitleFontKeeps8AndOwnFontsTakeOnlyItsFace) {
    IconTitleFont iconTitle(kIconTitleFace, 8);
    ASSERT_TRUE(iconTitle.Set());
    FontForm form;
    ASSERT_TRUE(form.Create(nullptr, false));
    ApplyIconTitleFont(form);
    ApplySystemFont(form);
    EXPECT_EQ(form.Font().Size(), 8);
    EXPECT_EQ(form.Font().Name(), kIconTitleFace);
    EXPECT_EQ(form.smallLabel.EffectiveFont().Size(), 8);
    EXPECT_EQ(form.smallLabel.EffectiveFont().Name(), kIconTitleFace);
    EXPECT_EQ(form.bigBoldLabel.EffectiveFont().Size(), 12);
    EXPECT_EQ(WindowFont(form.ownFontButton.Handle()).lfHeight, -PixelsForPoints(8));
}

TEST_F(ToolkitTest, AControlFollowingItsParentIsLeftAloneAndKeepsFollowing) {
    IconTitleFont iconTitle(kIconTitleFace, 12);
    ASSERT_TRUE(iconTitle.Set());
    FontForm form;
    ASSERT_TRUE(form.Create(nullptr, false));
    ApplyIconTitleFont(form);
    ApplySystemFont(form);
    EXPECT_TRUE(form.plainLabel.ParentFont());
    EXPECT_TRUE(form.parentFontButton.ParentFont());
    EXPECT_TRUE(form.panel.ParentFont());
    // Still following: a later change of the window font reaches them, and only them.
    form.Font().SetSize(11);
    EXPECT_EQ(form.plainLabel.EffectiveFont().Size(), 11);
    EXPECT_EQ(WindowFont(form.parentFontButton.Handle()).lfHeight, -PixelsForPoints(11));
    EXPECT_EQ(form.smallLabel.EffectiveFont().Size(), 9);
    EXPECT_EQ(WindowFont(form.ownFontButton.Handle()).lfHeight, -PixelsForPoints(9));
}

TEST_F(ToolkitTest, SetUpWindowGivesTheIconTitleFaceAtMost9PointsAndTheCaptions) {
    IconTitleFont iconTitle(kIconTitleFace, 12);
    ASSERT_TRUE(iconTitle.Set());
    CaptionForm form;
    ASSERT_TRUE(form.Create(nullptr, false));
    SetUpWindow(form);
    EXPECT_EQ(form.Font().Name(), kIconTitleFace);
    EXPECT_EQ(form.Font().Size(), 9);
    EXPECT_STREQ(WindowFont(form.goButton.Handle()).lfFaceName, kIconTitleFace);
    EXPECT_EQ(WindowText(form.Handle()), kEnglishTitle);
    EXPECT_EQ(WindowText(form.goButton.Handle()), L"&Optimize now");
}

// ---- A painted form, from the screen ---------------------------------------------

int Brightness(COLORREF pixel) {
    return (GetRValue(pixel) + GetGValue(pixel) + GetBValue(pixel)) / 3;
}

// The form as the screen shows it once it has been painted and the picture holds still.
ScreenImage CaptureSettled(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    WaitUntilPainted(window);
    ScreenImage last = CaptureClient(window);
    WaitUntil(
        [&] {
            ProcessMessages();
            ScreenImage next = CaptureClient(window);
            const bool same = next == last && !next.Empty();
            last = std::move(next);
            return same;
        },
        5s);
    return last;
}

// How a control's area compares between the form with the control and without it.
struct AreaDifference {
    int changed = 0;   // pixels the control painted
    int unchanged = 0; // pixels where what lies below shows through
    int darker = 0;    // changed pixels darker than what lay below
    int lighter = 0;
};

AreaDifference Compare(const ScreenImage& with, const ScreenImage& without, const Bounds& area) {
    AreaDifference d;
    for (int y = area.top; y < area.top + area.height && y < with.height; ++y)
        for (int x = area.left; x < area.left + area.width && x < with.width; ++x) {
            const COLORREF a = with.At(x, y);
            const COLORREF b = without.At(x, y);
            if (a == b) {
                ++d.unchanged;
                continue;
            }
            ++d.changed;
            if (Brightness(a) < Brightness(b)) ++d.darker;
            else ++d.lighter;
        }
    return d;
}

// Pixels of the area that are not the colour.
int PixelsOtherThan(const ScreenImage& shot, const Bounds& area, COLORREF color) {
    return shot.CountInClient(area.Rect(), [color](COLORREF pixel) { return pixel != color; });
}

// A colour no picture of the program uses: wherever it shows, the window's own background shows.
constexpr Color kFormColor = Color::Rgb(255, 0, 255);
const COLORREF kFormPixel = kFormColor.Value();
const Color kDarkText = Color::Rgb(0x10, 0x20, 0x40);

// A main-window-like layout: the background picture, transparent labels over
// its dark band and its light field, a bold heading, a button and a list with pictures.
struct ScreenshotForm : Form {
    ScreenshotForm()
        : Form({L"VXMainForm", 764, 500, FormBorder::SingleWithMinimize, FormPosition::ScreenCenter, kFormColor}) {}
    Picture background{*this, L"BackgroundPicture", {0, 0, 764, 500}, {.resource = res::kBackground}};
    ImageList osImages{*this, L"ImageList1", res::kImageList1, res::kImageListImageSize};
    Label benefitsLabel{*this, L"BenefitsLabel", {24, 100, 0, 0}, {.font = LayoutFont{L"Tahoma", 16, true, kDarkText}}};
    Label titleLabel{
        *this, L"NavLabel2", {24, 20, 0, 0}, {.font = LayoutFont{L"Tahoma", 13, true, Color::Rgb(255, 255, 255)}}};
    Label osVersionLabel{
        *this, L"OSVersionLabel", {24, 160, 0, 0}, {.font = LayoutFont{L"Tahoma", 11, false, kDarkText}}};
    Label modemTypeLabel{
        *this, L"ModemTypeLabel", {24, 200, 0, 0}, {.font = LayoutFont{L"Tahoma", 11, false, kDarkText}}};
    Label descriptionLabel{*this,
                           L"BenefitsDescription",
                           {24, 240, 420, 0},
                           {.font = LayoutFont{L"Tahoma", 11, false, kDarkText}, .wordWrap = true}};
    ComboBox osVersionList{*this, L"OSVersionList", {200, 156, 220, 0}, {.tabOrder = 2, .images = &osImages}};
    Button goButton{*this, L"GoButton", {600, 440, 140, 27}, {.tabOrder = 1, .isDefault = true}};

    std::vector<Label*> Labels() {
        return {&benefitsLabel, &titleLabel, &osVersionLabel, &modemTypeLabel, &descriptionLabel};
    }
};

// Two different Hangul syllables drawn in a font: a font without Korean glyphs
// draws the same empty box for both.
bool DrawsKoreanGlyphs(HFONT font) {
    auto draw = [&](const wchar_t* text) {
        UniqueOwnedDc dc(CreateCompatibleDC(nullptr));
        const BITMAPINFO info = ui::TopDown32BitInfo(40, 40);
        void* bits = nullptr;
        UniqueBitmap dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!dib) return std::vector<std::uint32_t>{};
        const SelectedObject selectedBitmap(dc.get(), dib.get());
        const SelectedObject selectedFont(dc.get(), font);
        RECT all{0, 0, 40, 40};
        FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(dc.get(), TRANSPARENT);
        TextOutW(dc.get(), 4, 4, text, 1);
        GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        return std::vector<std::uint32_t>(p, p + 1600);
    };
    const std::vector<std::uint32_t> ga = draw(L"가");
    const std::vector<std::uint32_t> na = draw(L"나");
    const std::vector<std::uint32_t> blank = draw(L" ");
    return !ga.empty() && ga != na && ga != blank && na != blank;
}

class ScreenshotTest : public ToolkitTest {
protected:
    // Checks every label of the form over the background and saves the picture.
    void CheckLabelsAndSave(ScreenshotForm& form, const std::wstring& fileName) {
        const ScreenImage shot = CaptureSettled(form.Handle());
        ASSERT_EQ(shot.width, 764);
        ASSERT_EQ(shot.height, 500);
        EXPECT_TRUE(SavePng(shot, ArtifactsFolder() + fileName)) << "could not write the picture";

        for (Label* label : form.Labels()) label->SetVisible(false);
        const ScreenImage background = CaptureSettled(form.Handle());
        for (Label* label : form.Labels()) label->SetVisible(true);

        for (Label* label : form.Labels()) {
            const Bounds& b = label->GetBounds();
            SCOPED_TRACE(testing::Message() << "label " << Narrow(label->Name()));
            ASSERT_GT(b.width * b.height, 100);
            // The picture lies under every label: the form's own colour does not show.
            EXPECT_EQ(PixelsOtherThan(background, b, kFormPixel), b.width * b.height);
            const AreaDifference d = Compare(shot, background, b);
            // Text was drawn ...
            EXPECT_GT(d.changed, b.width * b.height / 30);
            // ... in the label's colour (dark on the light field, white on the dark band) ...
            const bool light = label == &form.titleLabel;
            EXPECT_GT(light ? d.lighter : d.darker, d.changed * 9 / 10);
            // ... and around the text the background shows through.
            EXPECT_GT(d.unchanged, b.width * b.height / 3);
        }

        // The button and the list are there, over the picture.
        const Bounds button = form.goButton.GetBounds();
        const AreaDifference underButton = Compare(shot, background, button);
        EXPECT_EQ(underButton.changed, 0) << "the button does not depend on the labels";
        EXPECT_EQ(PixelsOtherThan(shot, button, kFormPixel), button.width * button.height);
        RECT list{};
        GetWindowRect(form.osVersionList.Handle(), &list);
        MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&list), 2);
        // The selected item's picture: coloured pixels at the left of the list's edit part.
        const Bounds pictureArea{list.left + 3, list.top + 3, 16, list.bottom - list.top - 6};
        const int coloured = shot.CountInClient(pictureArea.Rect(), [](COLORREF p) {
            const int r = GetRValue(p), g = GetGValue(p), b = GetBValue(p);
            return std::max({r, g, b}) - std::min({r, g, b}) > 40;
        });
        EXPECT_GT(coloured, 15) << "the list's item picture is missing";
    }
};

void FillForm(ScreenshotForm& form) {
    form.osVersionList.SetItems({{L"Windows XP", 0}, {L"Windows Server 2003", 1}});
    form.osVersionList.SetItemIndex(0);
    ApplyCaptions(form);
}

TEST_F(ScreenshotTest, TransparentLabelsOverTheBackgroundWithAButtonAndAListWithPictures) {
    ScreenshotForm form;
    ASSERT_TRUE(form.Create(nullptr, false));
    ASSERT_TRUE(form.background.HasImage());
    ASSERT_EQ(form.osImages.Count(), 2);
    FillForm(form);
    EXPECT_EQ(form.benefitsLabel.Caption(), L"Benefits of Velantrix");
    form.Show();
    ASSERT_TRUE(WaitUntilPainted(form.Handle()));
    CheckLabelsAndSave(form, L"toolkit-form.png");
}

TEST_F(ScreenshotTest, KoreanTextsRenderWithRealGlyphs) {
    SetLanguage(L"KOREAN");
    ScreenshotForm form;
    ASSERT_TRUE(form.Create(nullptr, false));
    FillForm(form);
    EXPECT_EQ(form.benefitsLabel.Caption(), L"Velantrix의 장점");
    EXPECT_EQ(form.Title(), kKoreanTitle);
    EXPECT_TRUE(DrawsKoreanGlyphs(form.osVersionLabel.EffectiveFont().Handle()))
        << "no Korean font reaches Tahoma in this prefix";
    EXPECT_TRUE(DrawsKoreanGlyphs(form.benefitsLabel.EffectiveFont().Handle()));
    // The windows of the program show their texts in the icon-title face.
    LOGFONTW iconTitle{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0));
    UniqueFont iconTitleFont(CreateFontIndirectW(&iconTitle));
    EXPECT_TRUE(DrawsKoreanGlyphs(iconTitleFont.get())) << "no Korean font reaches the icon-title face";
    form.Show();
    ASSERT_TRUE(WaitUntilPainted(form.Handle()));
    CheckLabelsAndSave(form, L"toolkit-form-korean.png");
    // Hangul drawn from a linked font in Tahoma's place: every label still shows its whole text.
    SetForegroundWindow(form.Handle());
    for (const CutText& cut : CutTexts(form))
        ADD_FAILURE() << Narrow(cut.label) << " cuts its text: " << cut.pixels << " pixels more in a wider box";
}

} // namespace
} // namespace vx::ui
