// The native tooltip hint window: placement on the monitor, the short part of
// a hint, measuring, the hint timing, the application's hint-change handler,
// and real tips over a real window (one shown by the toolkit itself when the
// mouse rests on a label, with a screenshot).
#include "ui/NativeHintWindow.h"

#include "tests/support/Screenshot.h"
#include "tests/support/TestSupport.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/Label.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Points compare and print by their coordinates (found by argument lookup, so they live beside POINT).
inline bool operator==(const POINT& a, const POINT& b) {
    return a.x == b.x && a.y == b.y;
}
inline void PrintTo(const POINT& point, std::ostream* out) {
    *out << "(" << point.x << ", " << point.y << ")";
}

namespace vx::ui {
namespace {

using namespace std::chrono_literals;
using test::PumpUntil;

// Moves the mouse pointer and waits until Windows reports it there (under
// Wine the move reaches the pointer position through the display's events).
bool MovePointer(POINT point) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!SetCursorPos(point.x, point.y)) return false;
        const auto there = [&] {
            POINT now{};
            return GetCursorPos(&now) && now.x == point.x && now.y == point.y;
        };
        if (!PumpUntil(there, 2s)) continue;
        PumpUntil([] { return false; }, 100ms);
        if (there()) return true;
    }
    return false;
}

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

POINT ClientOrigin(HWND window) {
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return origin;
}

// Whether the tip starts at the point: its frame or, where the tip puts its
// frame around the point (as Wine's does), its client area.
::testing::AssertionResult StartsAt(HWND tip, POINT point) {
    const RECT frame = WindowRect(tip);
    const POINT client = ClientOrigin(tip);
    if ((frame.left == point.x && frame.top == point.y) || client == point) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the tip's frame starts at (" << frame.left << ", " << frame.top
                                         << "), its client area at (" << client.x << ", " << client.y << "), not at ("
                                         << point.x << ", " << point.y << ")";
}

// The one tool of a tip: its text, flags and window.
struct ToolOfTip {
    std::wstring text;
    UINT flags = 0;
    HWND window = nullptr;
    int count = 0;
};

ToolOfTip ReadTool(HWND tip) {
    ToolOfTip result;
    result.count = static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    wchar_t text[512]{};
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszText = text;
    if (SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&info))) {
        result.text = text;
        result.flags = info.uFlags;
        result.window = info.hwnd;
    }
    return result;
}

RECT MonitorOf(POINT point) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcMonitor;
}

// The margins a tip says it puts around its text (none where the tip does not say).
SIZE TipMargins(HWND tip) {
    RECT margins{};
    if (!SendMessageW(tip, TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&margins))) return SIZE{};
    return SIZE{margins.right - margins.left, margins.bottom - margins.top};
}

// Puts the application's hint machinery back as the toolkit has it on its own.
void UninstallNativeHintWindow() {
    Application& application = Application::Instance();
    application.SetHideHintHook(nullptr);
    application.SetHintWindowFactory(nullptr);
    application.SetOnHint(nullptr);
}

// ---------------------------------------------------------------------------
// Pure rules.

TEST(TipPlacement, StaysWhereItIsWhenItFits) {
    const RECT monitor{0, 0, 1024, 768};
    EXPECT_EQ(KeepTipOnMonitor({100, 200}, {120, 20}, monitor, {100, 180}), (POINT{100, 200}));
    // Just short of both edges still fits.
    EXPECT_EQ(KeepTipOnMonitor({903, 747}, {120, 20}, monitor, {0, 0}), (POINT{903, 747}));
}

TEST(TipPlacement, NearTheBottomGoesAboveThePointer) {
    const RECT monitor{0, 0, 1024, 768};
    EXPECT_EQ(KeepTipOnMonitor({300, 760}, {120, 20}, monitor, {298, 740}), (POINT{300, 720}));
    // Ending exactly on the bottom edge counts as reaching it.
    EXPECT_EQ(KeepTipOnMonitor({300, 748}, {120, 20}, monitor, {298, 730}), (POINT{300, 710}));
    // Above the pointer would leave the monitor: it starts at the top instead.
    EXPECT_EQ(KeepTipOnMonitor({300, 30}, {120, 760}, monitor, {298, 10}), (POINT{300, 0}));
}

TEST(TipPlacement, NearTheRightEdgeEndsAtTheEdgeAndNeverStartsLeftOrAboveTheMonitor) {
    const RECT monitor{0, 0, 1024, 768};
    EXPECT_EQ(KeepTipOnMonitor({950, 100}, {120, 20}, monitor, {950, 80}), (POINT{904, 100}));
    EXPECT_EQ(KeepTipOnMonitor({904, 100}, {120, 20}, monitor, {950, 80}), (POINT{904, 100}));
    // Wider than the monitor: it starts at the left edge.
    EXPECT_EQ(KeepTipOnMonitor({500, 100}, {1500, 20}, monitor, {500, 80}), (POINT{0, 100}));
    EXPECT_EQ(KeepTipOnMonitor({-40, -15}, {120, 20}, monitor, {0, 0}), (POINT{0, 0}));
    // Bottom-right corner: above the pointer and moved left.
    EXPECT_EQ(KeepTipOnMonitor({1010, 760}, {120, 20}, monitor, {1000, 750}), (POINT{904, 730}));
}

TEST(TipPlacement, KeepsToAMonitorLeftOfAndAboveThePrimaryOne) {
    const RECT monitor{-1280, -200, 0, 824};
    EXPECT_EQ(KeepTipOnMonitor({-60, 300}, {120, 20}, monitor, {-60, 280}), (POINT{-120, 300}));
    EXPECT_EQ(KeepTipOnMonitor({-1300, -210}, {120, 20}, monitor, {0, 0}), (POINT{-1280, -200}));
    EXPECT_EQ(KeepTipOnMonitor({-700, 810}, {120, 20}, monitor, {-700, 790}), (POINT{-700, 770}));
}

TEST(ShortHint, IsThePartBeforeTheBarWithoutBlanksAndControlCharacters) {
    EXPECT_EQ(TrimmedShortHint(L"  Save the settings\t|Stores them in the registry"), L"Save the settings");
    EXPECT_EQ(TrimmedShortHint(L"a|b|c"), L"a");
    EXPECT_EQ(TrimmedShortHint(L"No bar at all "), L"No bar at all");
    EXPECT_EQ(TrimmedShortHint(L"\x01\x1f x y \r\n"), L"x y");
    EXPECT_EQ(TrimmedShortHint(L"|only a long part"), L"");
    EXPECT_EQ(TrimmedShortHint(L" \t\r\n |long"), L"");
    EXPECT_EQ(TrimmedShortHint(L""), L"");
    // Only codes up to 32 count as blanks.
    EXPECT_EQ(TrimmedShortHint(L"\x00a0x\x7f"), L"\x00a0x\x7f");
}

TEST(HintTiming, FollowsTheDoubleClickTime) {
    EXPECT_EQ(HintTimingFromDoubleClickTime(500).pause, 500);
    EXPECT_EQ(HintTimingFromDoubleClickTime(500).shortPause, 100);
    EXPECT_EQ(HintTimingFromDoubleClickTime(500).hidePause, 5000);
    EXPECT_EQ(HintTimingFromDoubleClickTime(7).shortPause, 1);

    // The real setting of the test prefix, put back afterwards.
    struct RestoreDoubleClickTime {
        UINT saved = GetDoubleClickTime();
        ~RestoreDoubleClickTime() { SetDoubleClickTime(saved); }
    } restore;
    UninstallNativeHintWindow();
    ASSERT_TRUE(SetDoubleClickTime(400));
    ASSERT_EQ(GetDoubleClickTime(), 400u);
    Application& application = Application::Instance();
    application.SetHintPause(1);
    application.SetHintShortPause(2);
    application.SetHintHidePause(3);
    const THintWindowFix window;
    EXPECT_EQ(application.HintPause(), 400);
    EXPECT_EQ(application.HintShortPause(), 80);
    EXPECT_EQ(application.HintHidePause(), 4000);
}

// ---------------------------------------------------------------------------
// The list of hint windows and the application's hint-change handler.

TEST(HintWindowList, WindowsJoinAndLeaveItAndGiveBackTheEarlierHandler) {
    UninstallNativeHintWindow();
    Application& application = Application::Instance();
    int earlierCalls = 0;
    application.SetOnHint([&] { ++earlierCalls; });
    {
        auto first = std::make_unique<THintWindowFix>();
        auto second = std::make_unique<THintWindowFix>();
        EXPECT_EQ(HintWindowList(), (std::vector<THintWindowFix*>{first.get(), second.get()}));
        ASSERT_TRUE(application.OnHint());
        application.OnHint()();
        EXPECT_EQ(earlierCalls, 0) << "the earlier handler is not called on";
        second.reset();
        EXPECT_EQ(HintWindowList(), (std::vector<THintWindowFix*>{first.get()}));
        application.OnHint()();
        EXPECT_EQ(earlierCalls, 0) << "the first window's handler is back";
    }
    EXPECT_TRUE(HintWindowList().empty());
    ASSERT_TRUE(application.OnHint());
    application.OnHint()();
    EXPECT_EQ(earlierCalls, 1);
}

TEST(HintWindowList, AHandlerGivenBackAfterItsWindowIsGoneDoesNothing) {
    UninstallNativeHintWindow();
    Application& application = Application::Instance();
    auto first = std::make_unique<THintWindowFix>();
    auto second = std::make_unique<THintWindowFix>();
    // Destroyed out of order: the second window gives back the first one's handler.
    first.reset();
    second.reset();
    ASSERT_TRUE(application.OnHint());
    auto third = std::make_unique<THintWindowFix>();
    const RECT rect{200, 200, 300, 220};
    third->ActivateHint(rect, L"Still here");
    const HWND tip = third->TipHandle();
    ASSERT_TRUE(tip);
    third.reset();
    EXPECT_FALSE(IsWindow(tip)) << "a window takes its tip with it";
    application.SetHint(L"");
    application.OnHint()(); // the gone first window's handler: must not touch anything
    UninstallNativeHintWindow();
}

// ---------------------------------------------------------------------------
// Real tips over a real window.

constexpr FormLayout kTestFormLayout{L"VXHintTestForm", 400, 240, FormBorder::SingleCloseOnly,
                                     FormPosition::ScreenCenter};

class HintTestForm : public Form {
public:
    HintTestForm() : Form(kTestFormLayout), HintLabel(*this, L"HintLabel", Bounds{20, 20, 200, 30}) {
        HintLabel.SetCaption(L"Rest the mouse here");
        HintLabel.SetHint(L"Optimise now & restart|Writes the tuned values");
    }
    Label HintLabel;
};

class NativeTip : public ::testing::Test {
protected:
    void SetUp() override {
        UninstallNativeHintWindow();
        ASSERT_TRUE(form_.Create(nullptr, false));
        form_.Show();
        ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form_.Handle()) != FALSE; }, 5s));
        window_ = std::make_unique<THintWindowFix>();
        GetWindowRect(form_.Handle(), &formRect_);
        // A point inside the form, clear of the label.
        inside_ = POINT{formRect_.left + 100, formRect_.top + 150};
    }
    void TearDown() override {
        window_.reset();
        UninstallNativeHintWindow();
    }

    RECT HintRectAt(POINT point) const { return RECT{point.x, point.y, point.x + 100, point.y + 20}; }

    HintTestForm form_;
    std::unique_ptr<THintWindowFix> window_;
    RECT formRect_{};
    POINT inside_{};
};

TEST_F(NativeTip, IsATopmostTrackingTipOfTheSystemThatIsNotActivated) {
    ASSERT_TRUE(MovePointer(POINT{inside_.x - 20, inside_.y - 20}));
    const HWND foreground = GetForegroundWindow();
    window_->ActivateHint(HintRectAt(inside_), L"Save && go");
    const HWND tip = window_->TipHandle();
    ASSERT_TRUE(tip);
    EXPECT_EQ(test::ClassOf(tip), L"tooltips_class32");
    EXPECT_EQ(window_->Caption(), L"Save && go");
    const LONG_PTR style = GetWindowLongPtrW(tip, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP), WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP);
    EXPECT_TRUE(GetWindowLongPtrW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetParent(tip), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5s));
    EXPECT_EQ(GetForegroundWindow(), foreground);

    const ToolOfTip tool = ReadTool(tip);
    EXPECT_EQ(tool.count, 1);
    EXPECT_EQ(tool.text, L"Save && go");
    EXPECT_EQ(tool.flags & (TTF_SUBCLASS | TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT),
              static_cast<UINT>(TTF_SUBCLASS | TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT));
    EXPECT_EQ(tool.window, form_.Handle()) << "the tool is the window under the hint's corner";

    EXPECT_TRUE(StartsAt(tip, POINT{inside_.x, inside_.y + 1})) << "one pixel below the corner the toolkit chose";
}

TEST_F(NativeTip, SameTextKeepsTheTipAndAnotherTextReplacesItAtTheNewPlace) {
    ASSERT_TRUE(MovePointer(POINT{inside_.x, inside_.y - 20}));
    window_->ActivateHint(HintRectAt(inside_), L"First hint");
    const HWND first = window_->TipHandle();
    ASSERT_TRUE(first);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(first) != FALSE; }, 5s));
    const RECT firstRect = WindowRect(first);

    const POINT elsewhere{inside_.x + 40, inside_.y + 30};
    window_->ActivateHint(HintRectAt(elsewhere), L"First hint");
    EXPECT_EQ(window_->TipHandle(), first);
    ProcessMessages();
    EXPECT_TRUE(IsWindowVisible(first));
    const RECT keptRect = WindowRect(first);
    EXPECT_TRUE(EqualRect(&firstRect, &keptRect)) << "the tip stays in its place";

    // Letter case counts.
    window_->ActivateHint(HintRectAt(elsewhere), L"First Hint");
    const HWND second = window_->TipHandle();
    ASSERT_TRUE(second);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(second) != FALSE; }, 5s));
    EXPECT_EQ(ReadTool(second).text, L"First Hint");
    EXPECT_EQ(window_->Caption(), L"First Hint");
    EXPECT_TRUE(StartsAt(second, POINT{elsewhere.x, elsewhere.y + 1}));

    // A tip that Windows has already taken away is simply made again.
    DestroyWindow(second);
    window_->ActivateHint(HintRectAt(inside_), L"First Hint");
    ASSERT_TRUE(window_->TipHandle());
    EXPECT_TRUE(IsWindow(window_->TipHandle()));
}

TEST_F(NativeTip, AShortPartOfBlanksRemovesTheTip) {
    Application& application = Application::Instance();
    window_->ActivateHint(HintRectAt(inside_), L"Open the help");
    const HWND tip = window_->TipHandle();
    ASSERT_TRUE(tip);
    application.SetHint(L"Open the help|Shows the manual");
    EXPECT_TRUE(IsWindow(tip)) << "a hint with a short part leaves the tip";
    application.SetHint(L"   \t\r\n|Only a long part");
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_EQ(window_->TipHandle(), nullptr);

    window_->ActivateHint(HintRectAt(inside_), L"Open the help");
    const HWND again = window_->TipHandle();
    ASSERT_TRUE(again);
    application.SetHint(L"");
    EXPECT_FALSE(IsWindow(again));
    // With no tip it is a no-op.
    application.SetHint(L"|");
    EXPECT_EQ(window_->TipHandle(), nullptr);
}

TEST_F(NativeTip, TwoLinesAreAsWideAsTheLongerAndAsHighAsBothPlusTheMargins) {
    const std::wstring shortLine = L"Short";
    const std::wstring longLine = L"A considerably longer second line";
    const RECT shortRect = window_->CalcHintRect(1024, shortLine, nullptr);
    const RECT longRect = window_->CalcHintRect(1024, longLine, nullptr);
    const RECT both = window_->CalcHintRect(1024, shortLine + L"\r\n" + longLine, nullptr);
    ASSERT_GT(shortRect.right, 0);
    ASSERT_GT(shortRect.bottom, 0);
    EXPECT_GT(longRect.right, shortRect.right);
    EXPECT_EQ(both.left, 0);
    EXPECT_EQ(both.top, 0);
    EXPECT_EQ(both.right, longRect.right);
    EXPECT_EQ(both.bottom, shortRect.bottom + longRect.bottom);
    // The width limit plays no part, and only CR LF breaks a line.
    const RECT narrow = window_->CalcHintRect(10, longLine, nullptr);
    EXPECT_TRUE(EqualRect(&narrow, &longRect));
    EXPECT_EQ(window_->CalcHintRect(1024, L"Short\nShort", nullptr).bottom, shortRect.bottom);
    const RECT empty = window_->CalcHintRect(1024, L"", nullptr);
    EXPECT_EQ(empty.right, 0);

    // Measured in the font the system's tip draws with: the tip is the text plus its margins.
    ASSERT_TRUE(MovePointer(POINT{inside_.x, inside_.y - 20}));
    window_->ActivateHint(HintRectAt(inside_), shortLine + L"\r\n" + longLine);
    const HWND tip = window_->TipHandle();
    ASSERT_TRUE(tip);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5s));
    const RECT tipRect = WindowRect(tip);
    // The margins, from a tip of one line.
    window_->ActivateHint(HintRectAt(inside_), longLine);
    const HWND oneLine = window_->TipHandle();
    ASSERT_TRUE(oneLine);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(oneLine) != FALSE; }, 5s));
    const RECT oneLineRect = WindowRect(oneLine);
    const SIZE margins{oneLineRect.right - oneLineRect.left - longRect.right,
                       oneLineRect.bottom - oneLineRect.top - longRect.bottom};
    EXPECT_GT(margins.cx, 0);
    EXPECT_GT(margins.cy, 0);
    EXPECT_EQ(tipRect.right - tipRect.left, both.right + margins.cx);
    EXPECT_EQ(tipRect.bottom - tipRect.top, both.bottom + margins.cy);
}

// The tip's size as the placement estimates it.
SIZE EstimatedTipSize(THintWindowFix& window, HWND tip, std::wstring_view text) {
    const RECT rect = window.CalcHintRect(0, text, nullptr);
    const SIZE margins = TipMargins(tip);
    return SIZE{rect.right + 2 * margins.cx, rect.bottom + 2 * margins.cy};
}

TEST_F(NativeTip, NearTheBottomItGoesAboveThePointer) {
    const RECT monitor = MonitorOf(inside_);
    const POINT pointer{(monitor.left + monitor.right) / 2, monitor.bottom - 100};
    ASSERT_TRUE(MovePointer(pointer));
    const POINT corner{pointer.x, monitor.bottom - 8};
    window_->ActivateHint(HintRectAt(corner), L"Near the bottom");
    const HWND tip = window_->TipHandle();
    ASSERT_TRUE(tip);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5s));
    const SIZE size = EstimatedTipSize(*window_, tip, L"Near the bottom");
    EXPECT_TRUE(StartsAt(tip, POINT{corner.x, pointer.y - size.cy + 1})) << "the tip lies above the pointer";
    EXPECT_LT(WindowRect(tip).top, pointer.y);
}

TEST_F(NativeTip, NearTheRightEdgeItIsMovedLeftAndNeverStartsLeftOfOrAboveTheMonitor) {
    const RECT monitor = MonitorOf(inside_);
    ASSERT_TRUE(MovePointer(POINT{monitor.right - 30, monitor.top + 200}));
    const POINT right{monitor.right - 10, monitor.top + 220};
    window_->ActivateHint(HintRectAt(right), L"Near the right edge");
    HWND tip = window_->TipHandle();
    ASSERT_TRUE(tip);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5s));
    RECT rect = WindowRect(tip);
    EXPECT_LE(rect.right, monitor.right);
    EXPECT_LT(rect.left, right.x - 50);

    // A corner above and left of the monitor.
    ASSERT_TRUE(MovePointer(POINT{monitor.left, monitor.top}));
    const POINT outside{monitor.left - 40, monitor.top - 30};
    window_->ActivateHint(HintRectAt(outside), L"Above and left");
    tip = window_->TipHandle();
    ASSERT_TRUE(tip);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(tip) != FALSE; }, 5s));
    const POINT start = ClientOrigin(tip);
    EXPECT_GE(start.x, monitor.left);
    EXPECT_GE(start.y, monitor.top);
    EXPECT_LE(WindowRect(tip).top, monitor.top + 1) << "at the top edge";
}

// The toolkit shows the label's hint when the mouse rests on it and hides it
// through the hook when the mouse moves on.
TEST_F(NativeTip, TheToolkitShowsALabelsHintAndHidesItThroughTheHook) {
    window_.reset();
    InstallNativeHintWindow();
    Application& application = Application::Instance();
    auto* current = dynamic_cast<THintWindowFix*>(application.CurrentHintWindow());
    ASSERT_NE(current, nullptr) << "the application's hint window is of the native class";
    ASSERT_EQ(HintWindowList(), (std::vector<THintWindowFix*>{current}));
    EXPECT_EQ(application.HintPause(), static_cast<int>(GetDoubleClickTime()));

    const RECT label = form_.HintLabel.ScreenRect();
    const POINT onLabel{label.left + 10, (label.top + label.bottom) / 2};
    ASSERT_TRUE(MovePointer(inside_));
    ASSERT_TRUE(MovePointer(onLabel));
    // The mouse rests on the label. Should the toolkit lose it (a late leave
    // notice under Wine), the pointer moves a pixel, as a user's hand would.
    int nudge = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (application.MouseControl() != &form_.HintLabel) SetCursorPos(onLabel.x + (++nudge % 2), onLabel.y);
            return current->TipHandle() && IsWindowVisible(current->TipHandle());
        },
        10s))
        << "no tip appeared over the label";
    const HWND tip = current->TipHandle();
    EXPECT_EQ(ReadTool(tip).text, L"Optimise now & restart");
    // Where the toolkit puts a hint (below the pointer), one pixel lower.
    POINT pointer{};
    GetCursorPos(&pointer);
    EXPECT_TRUE(StartsAt(tip, POINT{pointer.x, pointer.y + GetSystemMetrics(SM_CYCURSOR) * 3 / 4 + 1}));
    PumpUntil([] { return false; }, 300ms);
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_TRUE(test::SavePng(test::CaptureScreen(), test::ArtifactsFolder() + L"hint.png"));

    // Moving on to a place without a hint hides it, through the hook.
    ASSERT_TRUE(MovePointer(inside_));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(tip); }, 5s));
    EXPECT_EQ(current->TipHandle(), nullptr);

    // The hook takes the tip of the first hint window in the list.
    current->ActivateHint(HintRectAt(inside_), L"Hidden by the hook");
    const HWND hooked = current->TipHandle();
    ASSERT_TRUE(hooked);
    application.HideHint();
    EXPECT_FALSE(IsWindow(hooked));
}

} // namespace
} // namespace vx::ui
