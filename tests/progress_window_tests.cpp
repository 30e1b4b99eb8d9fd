// The progress window on a real window under Xvfb: its layout, its show
// handler, and the steps of a run with their bar positions and dot frames.
// In-process steps run with small pass counts; the production numbers are
// pinned separately.
#include "engine/ProgressPacing.h"
#include "engine/SettingsForm.h"

#include "core/Constants.h"
#include "core/CustomRegistry.h"
#include "core/Handles.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WholeTexts.h"
#include "ui/Captions.h"
#include "ui/SystemFont.h"
#include "toolkit/Application.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <windows.h>

#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace vx {
namespace {

using test::ArtifactsFolder;
using test::FileExists;
using test::ScreenImage;

// Small enough that a run of 33 steps takes well under a second, with the frames where the program has them.
constexpr ProgressPacing kTestPacing{300, 340, {20, 50, 150}, 1};

constexpr int kExpected33[] = {3,  6,  9,  12, 15, 18, 21, 24, 27, 30, 33, 36, 39, 42, 45, 48, 52,
                               55, 58, 61, 64, 67, 70, 73, 76, 79, 82, 85, 88, 91, 94, 97, 100};
constexpr int kExpected29[] = {3,  7,  10, 14, 17, 21, 24, 28, 31, 34, 38, 41, 45, 48, 52,
                               55, 59, 62, 66, 69, 72, 76, 79, 83, 86, 90, 93, 97, 100};

// A hidden window that runs a callback for a message posted to it, so that a
// test sees what the window shows when a step's first pass dispatches it.
class PassProbe {
public:
    PassProbe() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = &PassProbe::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VXTestPassProbe";
        RegisterClassExW(&windowClass); // a second registration fails harmlessly
        window_ = CreateWindowExW(0, L"VXTestPassProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PassProbe() { DestroyWindow(window_); }
    PassProbe(const PassProbe&) = delete;
    PassProbe& operator=(const PassProbe&) = delete;

    // Runs `callback` when the next message processing reaches it.
    void Arm(std::function<void()> callback) {
        callback_ = std::move(callback);
        PostMessageW(window_, WM_APP, 0, 0);
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        if (message == WM_APP) {
            auto* self = reinterpret_cast<PassProbe*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (self && self->callback_) self->callback_();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    std::function<void()> callback_;
};

// What one step showed: the step line at its first pass, each frame, and the bar at its end.
struct StepRecord {
    std::wstring atFirstPass;
    std::vector<std::wstring> frames;
    int bar = -1;
};

RECT RectInParent(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class ProgressWindowTest : public testing::Test {
protected:
    void SetUp() override {
        test::DeleteSettingsKey(); // the English table
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 100, 80, 780, 540, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(owner_, nullptr);
        ShowWindow(owner_, SW_SHOWNOACTIVATE);
        ASSERT_TRUE(form_.Create(owner_, false));
        form_.SetPacing(kTestPacing);
        form_.OnProgressFrame = [this](ui::Component&) { frames_.push_back(form_.CurrentSettingsLabel.Caption()); };
    }

    void TearDown() override {
        form_.Hide();
        DestroyWindow(owner_);
        ui::ProcessMessages();
    }

    // Shows the window and sets up a run as the runs do.
    void StartRun(int total, std::wstring_view heading) {
        form_.Show();
        form_.ProgressStepTotal = total;
        form_.ProgressStepCount = 0;
        form_.CurrentSettingsHeading.SetCaption(heading);
    }

    StepRecord PlayStep(std::wstring_view message) {
        StepRecord record;
        frames_.clear();
        probe_.Arm([&] { record.atFirstPass = form_.CurrentSettingsLabel.Caption(); });
        form_.ShowProgressStep(message);
        record.frames = frames_;
        record.bar = static_cast<int>(SendMessageW(form_.MainProgress.Handle(), PBM_GETPOS, 0, 0));
        return record;
    }

    std::vector<int> PlayRun(int total) {
        StartRun(total, L"heading");
        std::vector<int> bars;
        for (int step = 0; step < total; ++step) {
            const StepRecord record = PlayStep(L"Step " + std::to_wstring(step));
            EXPECT_EQ(record.bar, form_.MainProgress.Position()) << "the control and its window agree";
            bars.push_back(record.bar);
        }
        return bars;
    }

    HWND owner_ = nullptr;
    TVXSettingsForm form_{&ui::SetUpWindow};
    PassProbe probe_;
    std::vector<std::wstring> frames_;
};

TEST(ProgressPacing, ProductionNumbersArePinnedAndTheQuickBuildDividesThemAll) {
    EXPECT_EQ(kProductionPacing.minimumPasses, 1'000'000);
    EXPECT_EQ(kProductionPacing.passLimit, 3'000'000); // so at most 2,999,999 passes
    EXPECT_EQ(kProductionPacing.framePasses[0], 20'000);
    EXPECT_EQ(kProductionPacing.framePasses[1], 50'000);
    EXPECT_EQ(kProductionPacing.framePasses[2], 150'000);
    EXPECT_EQ(kProductionPacing.frameSleepMilliseconds, 500u);

    constexpr ProgressPacing quick = QuickProgressPacing(kProductionPacing);
    EXPECT_EQ(quick.minimumPasses, 1'000);
    EXPECT_EQ(quick.passLimit, 3'000);
    EXPECT_EQ(quick.framePasses[0], 20);
    EXPECT_EQ(quick.framePasses[1], 50);
    EXPECT_EQ(quick.framePasses[2], 150);
    EXPECT_EQ(quick.frameSleepMilliseconds, 5u);
    // Every frame still comes before the shortest step ends, in both builds.
    EXPECT_LT(quick.framePasses[2], quick.minimumPasses);
    EXPECT_LT(kProductionPacing.framePasses[2], kProductionPacing.minimumPasses);

    // The program these tests link is the production one, and a new window paces itself by it.
    const ProgressPacing& program = ProgramPacing();
    EXPECT_EQ(program.minimumPasses, kProductionPacing.minimumPasses);
    EXPECT_EQ(program.passLimit, kProductionPacing.passLimit);
    EXPECT_EQ(program.framePasses, kProductionPacing.framePasses);
    EXPECT_EQ(program.frameSleepMilliseconds, kProductionPacing.frameSleepMilliseconds);
    const TVXSettingsForm form(&ui::SetUpWindow);
    EXPECT_EQ(form.Pacing().minimumPasses, kProductionPacing.minimumPasses);
    EXPECT_EQ(form.Pacing().frameSleepMilliseconds, kProductionPacing.frameSleepMilliseconds);
}

TEST(ProgressPacing, PassCountsAreDrawnFromTheWholeRangeAndVaryFromStepToStep) {
    std::set<int> drawn;
    for (int i = 0; i < 2000; ++i) {
        const int passes = DrawPassCount(kProductionPacing);
        ASSERT_GE(passes, 1'000'000);
        ASSERT_LE(passes, 2'999'999);
        drawn.insert(passes);
    }
    // Seeded afresh each time from a fine clock: consecutive steps do not repeat one length.
    EXPECT_GT(drawn.size(), 100u);

    // Both ends of a narrow range come up, and the upper bound never does.
    std::set<int> narrow;
    for (int i = 0; i < 400; ++i) narrow.insert(DrawPassCount(ProgressPacing{5, 8, {1, 2, 3}, 0}));
    EXPECT_EQ(narrow, (std::set<int>{5, 6, 7}));

    EXPECT_THROW(DrawPassCount(ProgressPacing{5, 5, {1, 2, 3}, 0}), std::invalid_argument);
    EXPECT_THROW(DrawPassCount(ProgressPacing{0, 5, {1, 2, 3}, 0}), std::invalid_argument);
}

TEST(ProgressPacing, FramesComeRightAfterTheirPassesAndEveryPassRuns) {
    int passes = 0;
    std::vector<std::pair<int, int>> frames; // (frame, passes done when it came)
    PlayPasses(
        1000, kTestPacing, [&] { ++passes; }, [&](int frame) { frames.emplace_back(frame, passes); });
    EXPECT_EQ(passes, 1000);
    EXPECT_EQ(frames, (std::vector<std::pair<int, int>>{{0, 20}, {1, 50}, {2, 150}}));

    // A step of exactly 150 passes still shows its last frame; one of 149 does not.
    frames.clear();
    passes = 0;
    PlayPasses(
        150, kTestPacing, [&] { ++passes; }, [&](int frame) { frames.emplace_back(frame, passes); });
    EXPECT_EQ(frames.size(), 3u);
    frames.clear();
    passes = 0;
    PlayPasses(
        149, kTestPacing, [&] { ++passes; }, [&](int frame) { frames.emplace_back(frame, passes); });
    EXPECT_EQ(frames.size(), 2u);
}

TEST_F(ProgressWindowTest, BarReadsTheRoundedShareAfterEachStepOfBothRuns) {
    const std::vector<int> optimise = PlayRun(33);
    EXPECT_EQ(optimise, std::vector<int>(std::begin(kExpected33), std::end(kExpected33)));
    EXPECT_EQ(form_.ProgressStepCount, 33);
    form_.Hide();

    const std::vector<int> restore = PlayRun(29);
    EXPECT_EQ(restore, std::vector<int>(std::begin(kExpected29), std::end(kExpected29)));
    EXPECT_EQ(form_.ProgressStepCount, 29);
}

TEST_F(ProgressWindowTest, EveryStepShowsItsTextWithOneTwoAndThreeDotsNeverBare) {
    StartRun(33, L"heading");
    const std::wstring messages[] = {L"Finding modem information", L"Finding hard drives",
                                     L"Writing new gaming and internet settings"};
    std::wstring previous = form_.CurrentSettingsLabel.Caption();
    for (const std::wstring& message : messages) {
        SCOPED_TRACE(testing::Message() << "step " << test::Narrow(message));
        const StepRecord record = PlayStep(message);
        // Until its first frame a step still shows what the step before it left.
        EXPECT_EQ(record.atFirstPass, previous);
        EXPECT_EQ(record.frames, (std::vector<std::wstring>{message + L".", message + L"..", message + L"..."}));
        EXPECT_EQ(form_.CurrentSettingsLabel.Caption(), message + L"...") << "three dots for the rest of the step";
        previous = form_.CurrentSettingsLabel.Caption();
    }
    EXPECT_EQ(form_.ProgressStepCount, 3);
}

TEST_F(ProgressWindowTest, AStepWithoutTextShowsTheDotsAlone) {
    StartRun(29, L"heading");
    const StepRecord record = PlayStep(L"");
    EXPECT_EQ(record.frames, (std::vector<std::wstring>{L".", L"..", L"..."}));
    EXPECT_EQ(record.bar, 3);
    // The dots are drawn, and the label sized to them.
    EXPECT_GT(form_.CurrentSettingsLabel.Width(), 0);
}

TEST_F(ProgressWindowTest, ASecondRunStartsAtZeroAndKeepsTheLastTextUntilItsFirstFrame) {
    StartRun(29, L"first");
    for (int step = 0; step < 29; ++step) PlayStep(L"Restoring gaming and internet settings");
    EXPECT_EQ(SendMessageW(form_.MainProgress.Handle(), PBM_GETPOS, 0, 0), 100);
    form_.Hide();

    StartRun(33, L"second");
    // Showing the window again (captions and fonts included) puts the bar back and leaves the step line
    // alone.
    EXPECT_EQ(SendMessageW(form_.MainProgress.Handle(), PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(form_.CurrentSettingsLabel.Caption(), L"Restoring gaming and internet settings...");
    EXPECT_EQ(form_.CurrentSettingsHeading.Caption(), L"second");

    const StepRecord first = PlayStep(L"Finding modem information");
    EXPECT_EQ(first.atFirstPass, L"Restoring gaming and internet settings...");
    ASSERT_FALSE(first.frames.empty());
    EXPECT_EQ(first.frames.front(), L"Finding modem information.");
    EXPECT_EQ(first.bar, 3);
}

TEST_F(ProgressWindowTest, AFailingStepEndsWithoutCountingOrMovingTheBar) {
    StartRun(33, L"heading");
    PlayStep(L"one");
    ASSERT_EQ(form_.ProgressStepCount, 1);
    form_.SetPacing(ProgressPacing{10, 10, {1, 2, 3}, 0}); // no pass count to draw from
    const StepRecord failed = PlayStep(L"two");
    EXPECT_EQ(form_.ProgressStepCount, 1);
    EXPECT_EQ(failed.bar, 3);
    EXPECT_TRUE(failed.frames.empty());

    // A run without a total counts its steps but leaves the bar alone.
    form_.SetPacing(kTestPacing);
    form_.ProgressStepTotal = 0;
    const StepRecord withoutTotal = PlayStep(L"three");
    EXPECT_EQ(form_.ProgressStepCount, 2);
    EXPECT_EQ(withoutTotal.bar, 3);
}

TEST_F(ProgressWindowTest, ShowingTheWindowSetsItUpInTheSystemFontWithTheEnglishTitle) {
    form_.MainProgress.SetPosition(40);
    form_.Show();
    wchar_t title[128]{};
    GetWindowTextW(form_.Handle(), title, 128);
    EXPECT_STREQ(title, L"Updating computer's gaming and internet settings");
    EXPECT_EQ(form_.MainProgress.Position(), 0);
    EXPECT_EQ(SendMessageW(form_.MainProgress.Handle(), PBM_GETPOS, 0, 0), 0);

    LOGFONTW iconTitle{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(iconTitle), &iconTitle, 0));
    EXPECT_EQ(form_.Font().Name(), std::wstring(iconTitle.lfFaceName));
    EXPECT_LE(form_.Font().Size(), 9);
    // The heading keeps its own bold font, in the window's face and at least its size.
    const ui::Font& heading = form_.CurrentSettingsHeading.EffectiveFont();
    EXPECT_FALSE(form_.CurrentSettingsHeading.ParentFont());
    EXPECT_TRUE(heading.Bold());
    EXPECT_EQ(heading.Name(), form_.Font().Name());
    EXPECT_GE(heading.Size(), form_.Font().Size());
    EXPECT_EQ(heading.TextColor(), ui::Color::System(COLOR_WINDOWTEXT));
    // The step line follows the window font.
    EXPECT_TRUE(form_.CurrentSettingsLabel.ParentFont());
    EXPECT_EQ(form_.CurrentSettingsLabel.EffectiveFont().Name(), form_.Font().Name());
    // The caption table's message rows name no control: both labels stay empty.
    EXPECT_EQ(form_.CurrentSettingsHeading.Caption(), L"");
    EXPECT_EQ(form_.CurrentSettingsLabel.Caption(), L"");
}

TEST_F(ProgressWindowTest, LayoutMatchesTheTableAndTheWindowCannotBeClosedByTheUser) {
    wchar_t className[64]{};
    GetClassNameW(form_.Handle(), className, 64);
    EXPECT_STREQ(className, kSettingsFormClass);
    const LONG_PTR style = GetWindowLongPtrW(form_.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(GetWindow(form_.Handle(), GW_OWNER), owner_);
    RECT client{};
    GetClientRect(form_.Handle(), &client);
    EXPECT_EQ(client.right, 479);
    EXPECT_EQ(client.bottom, 146);
    EXPECT_FALSE(form_.Visible()) << "made hidden";

    const HWND panel = form_.SettingsPanel.Handle();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(GetParent(panel), form_.Handle());
    const RECT panelRect = RectInParent(panel);
    EXPECT_EQ(panelRect.left, 0);
    EXPECT_EQ(panelRect.top, 0);
    EXPECT_EQ(panelRect.right, 479);
    EXPECT_EQ(panelRect.bottom, 146);
    EXPECT_EQ(form_.SettingsPanel.BackgroundColor(), ui::Color::System(COLOR_WINDOW));

    const HWND bar = form_.MainProgress.Handle();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetParent(bar), panel);
    const RECT barRect = RectInParent(bar);
    EXPECT_EQ(barRect.left, 42);
    EXPECT_EQ(barRect.top, 59);
    EXPECT_EQ(barRect.right - barRect.left, 401);
    EXPECT_EQ(barRect.bottom - barRect.top, 17);
    EXPECT_TRUE(GetWindowLongPtrW(bar, GWL_STYLE) & PBS_SMOOTH);
    PBRANGE range{};
    SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);

    EXPECT_EQ(&form_.CurrentSettingsHeading.Parent(), &form_.SettingsPanel);
    EXPECT_EQ(form_.CurrentSettingsHeading.Left(), 42);
    EXPECT_EQ(form_.CurrentSettingsHeading.Top(), 30);
    EXPECT_EQ(&form_.CurrentSettingsLabel.Parent(), &form_.SettingsPanel);
    EXPECT_EQ(form_.CurrentSettingsLabel.Left(), 42);
    EXPECT_EQ(form_.CurrentSettingsLabel.Top(), 94);
    // Sized to their texts.
    form_.Show();
    const int emptyWidth = form_.CurrentSettingsHeading.Width();
    form_.CurrentSettingsHeading.SetCaption(L"Optimizing the computer's gaming and internet settings");
    EXPECT_GT(form_.CurrentSettingsHeading.Width(), emptyWidth + 100);
    EXPECT_LT(form_.CurrentSettingsHeading.Width(), 479 - 42);
    EXPECT_GT(form_.CurrentSettingsHeading.Height(), 8);
}

TEST_F(ProgressWindowTest, EachShowingCentresTheWindowOverItsOwner) {
    for (const POINT ownerAt : {POINT{100, 80}, POINT{160, 120}}) {
        SetWindowPos(owner_, nullptr, ownerAt.x, ownerAt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        form_.Show();
        RECT ownerRect{};
        RECT formRect{};
        GetWindowRect(owner_, &ownerRect);
        GetWindowRect(form_.Handle(), &formRect);
        EXPECT_NEAR((formRect.left + formRect.right) / 2, (ownerRect.left + ownerRect.right) / 2, 1);
        EXPECT_NEAR((formRect.top + formRect.bottom) / 2, (ownerRect.top + ownerRect.bottom) / 2, 1);
        form_.Hide();
    }
}

TEST_F(ProgressWindowTest, TheHourglassShowsOverTheWholeClientArea) {
    form_.Show();
    const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
    form_.CurrentSettingsHeading.SetCaption(L"heading");
    form_.CurrentSettingsLabel.SetCaption(L"step...");
    struct Spot {
        const char* what;
        HWND window;
        POINT at; // in the panel's client area
    };
    const Spot spots[] = {
        {"panel", form_.SettingsPanel.Handle(), POINT{5, 5}},
        {"heading", form_.SettingsPanel.Handle(), POINT{44, 32}},
        {"step line", form_.SettingsPanel.Handle(), POINT{44, 96}},
        {"bar", form_.MainProgress.Handle(), POINT{200, 66}},
    };
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.what);
        POINT screen = spot.at;
        ClientToScreen(form_.SettingsPanel.Handle(), &screen);
        SetCursorPos(screen.x, screen.y);
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        SendMessageW(spot.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(spot.window),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), wait);
    }
}

TEST_F(ProgressWindowTest, ScreenshotInTheMiddleOfAStep) {
    form_.SetPacing(ProgressPacing{300, 340, {20, 50, 150}, 50});
    StartRun(33, ui::GetCaption(L"VXSettingsForm", L"MessageUpdate"));
    form_.ProgressStepCount = 16;
    PlayStep(L"Finding processor information");
    ASSERT_EQ(form_.MainProgress.Position(), 52);
    SetForegroundWindow(form_.Handle());

    // The next step is caught at its second frame, while it is held.
    ScreenImage shot;
    form_.OnProgressFrame = [&](ui::Component&) {
        if (form_.CurrentSettingsLabel.Caption() == L"Finding input devices..")
            shot = test::CaptureClient(form_.Handle());
    };
    form_.ShowProgressStep(L"Finding input devices");
    ASSERT_EQ(shot.width, 479);
    ASSERT_EQ(shot.height, 146);
    EXPECT_TRUE(test::SavePng(shot, ArtifactsFolder() + L"progress-window.png"));
    // The whole window with its title bar, as the picture of a run.
    EXPECT_TRUE(test::SavePng(test::CaptureWindow(form_.Handle()), ArtifactsFolder() + L"progress-window-step.png"));

    const COLORREF window = GetSysColor(COLOR_WINDOW);
    EXPECT_EQ(shot.At(5, 5), window) << "the panel covers the client area in the window colour";
    EXPECT_EQ(shot.At(470, 140), window);
    // The bar is filled about half-way from the left (52 before this step ended), empty at the right.
    const COLORREF filledSample = shot.At(42 + 401 / 4, 59 + 8);
    const COLORREF emptySample = shot.At(42 + 401 - 10, 59 + 8);
    EXPECT_NE(filledSample, emptySample);
    // Both texts are drawn in the text colour, dark on the white panel.
    auto darkPixels = [&](const ui::Label& label) {
        return shot.CountInClient(label.GetBounds().Rect(), [](COLORREF pixel) { return GetBValue(pixel) < 0x80; });
    };
    EXPECT_GT(darkPixels(form_.CurrentSettingsHeading), 100);
    EXPECT_GT(darkPixels(form_.CurrentSettingsLabel), 50);
    // Nothing of the texts is clipped by the window.
    EXPECT_LT(form_.CurrentSettingsHeading.Left() + form_.CurrentSettingsHeading.Width(), 479);
    EXPECT_LT(form_.CurrentSettingsLabel.Top() + form_.CurrentSettingsLabel.Height(), 146);
}

TEST_F(ProgressWindowTest, BothLabelsShowTheirWholeTextInEnglishAndKorean) {
    for (const wchar_t* language : {L"english", L"korean"}) {
        SCOPED_TRACE(test::Narrow(language));
        WriteRegString(kSettingsRoot, kSettingsKey, L"Language", language, false);
        StartRun(33, ui::GetCaption(L"VXSettingsForm", L"MessageUpdate"));
        PlayStep(ui::GetCaption(L"VXSettingsForm", L"MessageChange10"));
        SetForegroundWindow(form_.Handle());
        ui::ProcessMessages();
        ASSERT_EQ(test::LabelsOf(form_).size(), 2u);
        for (const test::CutText& cut : test::CutTexts(form_))
            ADD_FAILURE() << test::Narrow(cut.label) << " cuts its text: " << cut.pixels << " pixels more";
        form_.Hide();
    }
    test::DeleteSettingsKey();
}

TEST(QuickProgram, BuiltBesideItsDocumentsWithTheProgramsResources) {
    const std::wstring quick = test::WindowsPathFromEnvironment("VELANTRIX_QUICK_EXE");
    ASSERT_FALSE(quick.empty());
    ASSERT_TRUE(FileExists(quick));
    const std::wstring folder = quick.substr(0, quick.find_last_of(L"\\/") + 1);
    EXPECT_EQ(quick.substr(folder.size()), std::wstring(kProgramFileName));
    EXPECT_NE(folder, test::BuiltProgramPath().substr(0, test::BuiltProgramPath().find_last_of(L"\\/") + 1))
        << "a folder of its own";
    EXPECT_TRUE(FileExists(folder + kHelpFileName));
    EXPECT_TRUE(FileExists(folder + kLicenseFileName));

    const UniqueModule module(
        LoadLibraryExW(quick.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module);
    EXPECT_NE(FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr) << "manifest";
    EXPECT_NE(FindResourceW(module.get(), L"MAINICON", MAKEINTRESOURCEW(14)), nullptr) << "icon group";
    EXPECT_NE(FindResourceW(module.get(), L"CLICK", L"WAVE"), nullptr) << "click sound";
    EXPECT_NE(FindResourceW(module.get(), MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION), nullptr) << "version";
    EXPECT_EQ(ui::GetCaption(L"VXSettingsForm", L"VXSettingsForm", module.get()),
              L"Updating computer's gaming and internet settings");
}

} // namespace
} // namespace vx
