// The windows at every display scale: at 96 dpi pixel for pixel what they
// were before the toolkit scaled anything; at 120, 144 and 192 dpi every
// control where the layout puts it times the scale, every text whole, the
// pictures drawn from the art made for that scale.
#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WholeTexts.h"
#include "toolkit/Application.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Label.h"
#include "toolkit/Picture.h"
#include "toolkit/Png.h"
#include "toolkit/ScaledArt.h"
#include "resources/ResourceNames.h"
#include "ui/ProgramWindows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace vx::ui {
namespace {

using namespace vx::test;
using namespace std::chrono_literals;

void SetSetting(const wchar_t* name, const std::wstring& value) {
    WriteRegString(kSettingsRoot, kSettingsKey, name, value, false);
}

void ShowAndSettle(Form& form) {
    form.Show();
    SetForegroundWindow(form.Handle());
    PumpUntil([&] { return form.Visible(); }, 10s);
    Repaint(form.Handle());
    ProcessMessages();
}

// The windows in one language with fixed contents: no stored choices, a fixed update date.
std::unique_ptr<ProgramWindows> OpenIn(const wchar_t* language) {
    DeleteSettingsKey();
    SetSetting(L"Language", language);
    SetSetting(L"UpdatedDate", L"1454284800");
    return OpenProgramWindows();
}

// The pixels of a picture file as a screen image (0x00RRGGBB), or an empty one.
ScreenImage ReadPng(const std::wstring& path) {
    ScreenImage image;
    // The file's bytes, one character each.
    const std::wstring text = ReadTextFile(path);
    if (text.empty()) return image;
    std::string bytes(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<char>(text[i]);
    const DibImage dib =
        DecodePng({reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()}, AlphaForm::Straight);
    if (!dib) return image;
    image.width = dib.width;
    image.height = dib.height;
    image.pixels.resize(static_cast<size_t>(dib.width) * static_cast<size_t>(dib.height));
    BITMAPINFO info = TopDown32BitInfo(dib.width, dib.height);
    const WindowDc screen(nullptr);
    GetDIBits(screen.get(), dib.bitmap.get(), 0, static_cast<UINT>(dib.height), image.pixels.data(), &info,
              DIB_RGB_COLORS);
    for (auto& pixel : image.pixels) pixel &= 0x00FFFFFF;
    return image;
}

// Compares the client area of a shown window with its reference picture; a
// missing or different reference leaves the capture in the artifacts.
void ExpectLikeReference(Form& form, const std::wstring& name) {
    ShowAndSettle(form);
    ScreenImage shot = CaptureClient(form.Handle());
    shot.clientLeft = shot.clientTop = 0;
    const ScreenImage reference = ReadPng(WindowsPathFromEnvironment("VELANTRIX_TEST_REFERENCES") + L"\\" + name);
    if (reference.Empty() || reference.pixels != shot.pixels || reference.width != shot.width) {
        SavePng(shot, ArtifactsFolder() + L"at-96-dpi-" + name);
        ADD_FAILURE() << Narrow(name) << " differs from its reference (" << reference.width << " x " << reference.height
                      << " against " << shot.width << " x " << shot.height << ")";
    }
    form.Hide();
}

TEST(AtNinetySixDpi, EveryWindowIsPixelForPixelItsReference) {
    if (ScreenPixelsPerInch() != 96) GTEST_SKIP() << "the references are pictures at 96 dpi";
    for (const wchar_t* language : {L"english", L"korean"}) {
        const std::wstring suffix = std::wstring(L"-") + language + L".png";
        std::unique_ptr<ProgramWindows> windows = OpenIn(language);
        ExpectLikeReference(windows->main, L"main" + suffix);
        ExpectLikeReference(windows->about, L"about" + suffix);
        windows->settings.CurrentSettingsHeading.SetCaption(L"Optimizing the system");
        windows->settings.CurrentSettingsLabel.SetCaption(L"Finding modem information...");
        ExpectLikeReference(windows->settings, L"progress" + suffix);
    }
    DeleteSettingsKey();
}

// ---------------------------------------------------------------- at the prefix's scale

// The layout tables' client sizes, as the windows' layouts write them.
struct WindowSize {
    int width;
    int height;
};
constexpr WindowSize kMainClient{764, 500};
constexpr WindowSize kAboutClient{700, 441};
constexpr WindowSize kProgressClient{479, 146};

int AtDpi(int layoutPixels, int dpi = ScreenPixelsPerInch()) {
    return MulDiv(layoutPixels, dpi, 96);
}

// Where a control is, in its parent's client area: its window's rectangle for a windowed one.
Bounds PlaceOf(const Control& control) {
    const HWND window = control.IsWindowed() ? static_cast<const WinControl&>(control).Handle() : nullptr;
    if (!window) return control.GetBounds();
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return Bounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The client size and every control's rectangle are the layout's times dpi / 96, each value
// rounded to the nearest pixel, halves away from zero. A label that sizes itself is checked at
// its anchored corner (its size is its text's, which the whole-text check covers); a list's height
// is the one Windows gives its selection field.
void ExpectLaidOutAtTheScale(Form& form, WindowSize client, int dpi = ScreenPixelsPerInch()) {
    SCOPED_TRACE(Narrow(form.Name()));
    RECT area{};
    GetClientRect(form.Handle(), &area);
    EXPECT_EQ(area.right, AtDpi(client.width, dpi));
    EXPECT_EQ(area.bottom, AtDpi(client.height, dpi));
    int checked = 0;
    for (Component* component : form.Components()) {
        const auto* control = dynamic_cast<const Control*>(component);
        if (!control) continue;
        SCOPED_TRACE(Narrow(control->Name()));
        const Bounds layout = control->LayoutBounds();
        const Bounds place = PlaceOf(*control);
        const auto* label = dynamic_cast<const Label*>(control);
        const bool sizesItself = label && label->AutoSize() && !label->WordWrap();
        if (sizesItself && label->Alignment() == TextAlign::Right) {
            EXPECT_EQ(place.left + place.width, AtDpi(layout.left + layout.width, dpi)) << "the right edge";
        } else {
            EXPECT_EQ(place.left, AtDpi(layout.left, dpi));
        }
        EXPECT_EQ(place.top, AtDpi(layout.top, dpi));
        if (!sizesItself) {
            EXPECT_EQ(place.width, AtDpi(layout.width, dpi));
        }
        if (!sizesItself && !dynamic_cast<const ComboBox*>(control) && !(label && label->AutoSize())) {
            EXPECT_EQ(place.height, AtDpi(layout.height, dpi));
        }
        ++checked;
    }
    EXPECT_GE(checked, 4);
}

void ExpectWholeTexts(Form& form) {
    for (const CutText& cut : CutTexts(form))
        ADD_FAILURE() << Narrow(cut.label) << " cuts its text: " << cut.pixels << " pixels more in a wider box";
}

// Texts over the About window's pictures stand out from every pixel under their letters.
void ExpectContrastOverPictures(TVXAboutForm& about) {
    int measured = 0;
    for (const Picture* picture : {&about.LargeIcon, &about.BannerImage}) {
        for (const auto& [label, ink] : LabelsOverPicture(about.AboutPanel, picture->GetBounds().Rect())) {
            SCOPED_TRACE(Narrow(label->Name()));
            EXPECT_GT(ink.inkPixels, 50) << "the label shows letters";
            EXPECT_GE(ink.lowest, 4.5);
            ++measured;
        }
    }
    EXPECT_GE(measured, 2) << "the banner's heading and the texts over the card";
}

void CheckAtTheScale(Form& form, WindowSize client, const std::wstring& shot) {
    ShowAndSettle(form);
    ExpectLaidOutAtTheScale(form, client);
    ExpectWholeTexts(form);
    if (ScreenPixelsPerInch() == 144) SaveWindowArtifact(form.Handle(), L"at-144-dpi-" + shot);
}

// With the keyboard in use (the window's cues on) and the focus moved from the
// Optimize button to a link, the system's focus rectangle shows around the link;
// nothing else changes but the button's own focus look.
void ExpectFocusRectangleOnLink(TVXMainForm& main, Label& link) {
    ShowAndSettle(main);
    SendMessageW(main.Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    main.GoButton.SetFocus();
    ShowAndSettle(main);
    const ScreenImage before = CaptureClient(main.Handle());
    SetFocus(link.AccessibleWindow());
    ShowAndSettle(main);
    const ScreenImage after = CaptureClient(main.Handle());
    SavePng(after, ArtifactsFolder() + L"focus-on-link-" + std::to_wstring(ScreenPixelsPerInch()) + L"-dpi.png");
    ASSERT_EQ(before.pixels.size(), after.pixels.size());
    RECT ring = link.GetBounds().Rect();
    InflateRect(&ring, 1, 1);
    RECT button{};
    GetWindowRect(main.GoButton.Handle(), &button);
    MapWindowPoints(nullptr, main.Handle(), reinterpret_cast<POINT*>(&button), 2);
    int inside = 0;
    int outside = 0;
    for (int y = 0; y < after.height; ++y)
        for (int x = 0; x < after.width; ++x) {
            const size_t at = static_cast<size_t>(y) * static_cast<size_t>(after.width) + static_cast<size_t>(x);
            if (before.pixels[at] == after.pixels[at]) continue;
            const POINT point{x, y};
            if (PtInRect(&ring, point)) ++inside;
            else if (!PtInRect(&button, point)) ++outside;
        }
    EXPECT_GT(inside, 0) << "the focus rectangle shows";
    EXPECT_EQ(outside, 0) << "nothing else changes";
    main.Hide();
}

// Run at each scale by EveryScale below, in a process that started at that dpi; at 96 dpi as it is.
TEST(AtThisScale, EveryWindowIsTheLayoutTimesTheScaleWithEveryTextWhole) {
    for (const wchar_t* language : {L"english", L"korean"}) {
        SCOPED_TRACE(Narrow(language));
        const std::wstring suffix = std::wstring(language) + L".png";
        std::unique_ptr<ProgramWindows> windows = OpenIn(language);
        EXPECT_EQ(windows->main.Scale().Dpi(), ScreenPixelsPerInch());
        CheckAtTheScale(windows->main, kMainClient, L"main-" + suffix);
        windows->main.Hide();
        if (language == std::wstring_view(L"english")) ExpectFocusRectangleOnLink(windows->main, windows->main.LinkLabel7);
        CheckAtTheScale(windows->about, kAboutClient, L"about-" + suffix);
        ExpectContrastOverPictures(windows->about);
        windows->about.Hide();
        windows->settings.CurrentSettingsHeading.SetCaption(L"Optimizing the system");
        windows->settings.CurrentSettingsLabel.SetCaption(L"Finding modem information...");
        CheckAtTheScale(windows->settings, kProgressClient, L"progress-" + suffix);
    }
    DeleteSettingsKey();
}

// The background at 150 % is the art drawn for 150 %, pixel for pixel: a toolkit that stretched
// the 100 % picture (or reduced the 200 % one) would give other pixels.
TEST(AtThisScale, APictureIsDrawnFromTheArtForItsScale) {
    if (ScreenPixelsPerInch() != 144) GTEST_SKIP() << "the art for 150 % shows at 144 dpi";
    std::unique_ptr<ProgramWindows> windows = OpenIn(L"english");
    const Picture& background = windows->main.BackgroundImage;
    const DibImage art = DecodePicture(RcDataResource(nullptr, L"BACKGROUND_150"), AlphaForm::Premultiplied);
    ASSERT_TRUE(art);
    EXPECT_EQ(art.width, 1146);
    EXPECT_EQ(background.ImageWidth(), art.width);
    EXPECT_EQ(background.ImageHeight(), art.height);
    ShowAndSettle(windows->main);
    const ScreenImage shot = CaptureClient(windows->main.Handle());
    ScreenImage expected = ReadPng(WindowsPathFromEnvironment("VELANTRIX_TEST_PICTURES") + L"\\Background@150.png");
    ASSERT_FALSE(expected.Empty());
    // A patch of the window's background no control covers: the right of the top strip.
    int differing = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 700; x < 800; ++x)
            if (shot.ClientAt(x, y) != RGB(GetBValue(expected.pixels[y * expected.width + x]),
                                           GetGValue(expected.pixels[y * expected.width + x]),
                                           GetRValue(expected.pixels[y * expected.width + x])))
                ++differing;
    EXPECT_EQ(differing, 0);
    DeleteSettingsKey();
}

// ---------------------------------------------------------------- a change of monitor

struct MainState {
    int windows, processor, modem, speed;
    bool restoreEnabled;
    HWND focus;
    std::wstring version;
};

MainState StateOf(TVXMainForm& main) {
    return MainState{main.WindowsCombo.ItemIndex(),       main.ProcessorCombo.ItemIndex(), main.ModemCombo.ItemIndex(),
                     main.SpeedTrackBar.Position(),       main.RestoreButton.Enabled(),    GetFocus(),
                     main.VersionInstalledLabel.Caption()};
}

void ExpectStateKept(TVXMainForm& main, const MainState& before) {
    const MainState now = StateOf(main);
    EXPECT_EQ(now.windows, before.windows);
    EXPECT_EQ(now.processor, before.processor);
    EXPECT_EQ(now.modem, before.modem);
    EXPECT_EQ(now.speed, before.speed);
    EXPECT_EQ(now.restoreEnabled, before.restoreEnabled);
    EXPECT_EQ(now.focus, main.ProcessorCombo.Handle()) << "the focus stays on the list";
    EXPECT_EQ(now.version, before.version);
}

void SendDpiChanged(Form& form, int dpi) {
    RECT suggested{40, 30, 40 + AtDpi(800, dpi), 30 + AtDpi(560, dpi)};
    SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    Repaint(form.Handle());
    ProcessMessages();
}

// Wine keeps every window at the system's dpi and never sends the message: it is sent here as
// Windows sends it when a window moves to a monitor of another scale.
TEST(DpiChange, ALiveWindowIsLaidOutAtTheNewScaleKeepsItsStateAndComesBackAsItWas) {
    if (ScreenPixelsPerInch() != 96) GTEST_SKIP() << "from 96 dpi to 144 and back";
    std::unique_ptr<ProgramWindows> windows = OpenIn(L"english");
    TVXMainForm& main = windows->main;
    ShowAndSettle(main);
    main.ModemCombo.SetItemIndex(2);
    main.SpeedTrackBar.SetPosition(1);
    main.RestoreButton.SetEnabled(true);
    main.ProcessorCombo.SetFocus();
    ProcessMessages();
    const MainState before = StateOf(main);
    ASSERT_EQ(before.focus, main.ProcessorCombo.Handle());
    Repaint(main.Handle());
    const ScreenImage pictureBefore = CaptureClient(main.Handle());

    SendDpiChanged(main, 144);
    EXPECT_EQ(main.Scale().Dpi(), 144);
    ExpectLaidOutAtTheScale(main, kMainClient, 144);
    ExpectWholeTexts(main);
    EXPECT_EQ(main.BackgroundImage.ImageWidth(), 1146) << "the art for 150 %";
    EXPECT_EQ(main.ImageList1.ImageSize(), 24);
    RECT window{};
    GetWindowRect(main.Handle(), &window);
    EXPECT_EQ(window.left, 40) << "in the place Windows suggests";
    EXPECT_EQ(window.top, 30);
    ExpectStateKept(main, before);

    SendDpiChanged(main, 96);
    ExpectStateKept(main, before);
    ExpectLaidOutAtTheScale(main, kMainClient, 96);
    const ScreenImage pictureAfter = CaptureClient(main.Handle());
    if (!(pictureAfter == pictureBefore)) {
        SavePng(pictureBefore, ArtifactsFolder() + L"dpi-change-before.png");
        SavePng(pictureAfter, ArtifactsFolder() + L"dpi-change-after.png");
        ADD_FAILURE() << "back at 96 dpi the window is not as it was: see dpi-change-*.png";
    }
    DeleteSettingsKey();
}

// A window larger than the work area at its monitor's dpi is laid out at the largest dpi at which it fits.
TEST(DpiChange, AWindowTooLargeForTheScreenTakesTheLargestScaleAtWhichItFits) {
    const auto frameAt = [](const void*, int dpi) noexcept { return SIZE{MulDiv(780, dpi, 96), MulDiv(540, dpi, 96)}; };
    EXPECT_EQ(FittingDpi(144, SIZE{1920, 1040}, frameAt, nullptr), 144);
    EXPECT_EQ(FittingDpi(192, SIZE{1366, 728}, frameAt, nullptr), 129) << "540 x 129 / 96 = 725.6";
    EXPECT_EQ(FittingDpi(192, SIZE{640, 480}, frameAt, nullptr), 96) << "never below 100 %";
}

// ---------------------------------------------------------------- every scale

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

TEST(EveryScale, TheWindowsAtOneTwentyOneFortyFourAndOneNinetyTwoDpi) {
    if (ScreenPixelsPerInch() != 96) GTEST_SKIP() << "started for one scale";
    for (const int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        const std::wstring report = ArtifactsFolder() + L"dpi-" + std::to_wstring(dpi) + L".xml";
        DeleteFileW(report.c_str());
        PrefixDpi prefixDpi(dpi);
        Process child(ThisProgram(), L"--gtest_filter=AtThisScale.* --gtest_output=xml:" + report);
        ASSERT_TRUE(child.Started());
        const std::optional<DWORD> exitCode = child.WaitForExit(240s);
        ASSERT_TRUE(exitCode.has_value()) << "the run at this scale did not end";
        const std::wstring summary = ReadTextFile(report);
        EXPECT_EQ(*exitCode, 0u) << "see " << Narrow(report);
        EXPECT_NE(summary.find(L"failures=\"0\""), std::wstring::npos) << "no report, or failures";
        EXPECT_EQ(summary.find(L"tests=\"0\""), std::wstring::npos) << "nothing ran";
    }
}

} // namespace
} // namespace vx::ui
