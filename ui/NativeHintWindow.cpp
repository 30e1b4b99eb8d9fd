#include "ui/NativeHintWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace vx::ui {
namespace {

constexpr DWORD kTipStyle = WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP;
constexpr UINT kTopmostWithoutActivating = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
constexpr UINT kToolFlags = TTF_SUBCLASS | TTF_TRACK | TTF_ABSOLUTE | TTF_TRANSPARENT;
// The tool record as the version 6 controls know it, on every Windows the program runs on.
#if !defined(_WIN64)
constexpr UINT kToolInfoSize = 48;
static_assert(sizeof(TOOLINFOW) == kToolInfoSize);
#else
constexpr UINT kToolInfoSize = sizeof(TOOLINFOW);
#endif
constexpr std::wstring_view kLineBreak = L"\r\n";

// Live hint windows, oldest first. Constant-initialised, so it outlives the
// application object, whose hint window leaves the list when the process ends.
constinit std::vector<THintWindowFix*> g_hintWindows;
// Each hint window's hint-change handler finds its window by this number, so
// that a handler that outlives its window (given back out of order) does nothing.
constinit unsigned g_lastSerial = 0;

// The whole monitor nearest to `point`, or the virtual desktop when Windows knows no monitor.
RECT MonitorBoundsAt(POINT point) noexcept {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (const HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST))
        if (GetMonitorInfoW(monitor, &info)) return info.rcMonitor;
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

LONG Clamped(long long value) noexcept {
    return static_cast<LONG>(std::clamp<long long>(value, LONG_MIN, LONG_MAX));
}

} // namespace

HintTiming HintTimingFromDoubleClickTime(UINT doubleClickTime) noexcept {
    const int d = static_cast<int>(std::min<UINT>(doubleClickTime, INT_MAX / 10));
    return HintTiming{d, d / 5, d * 10};
}

POINT KeepTipOnMonitor(POINT point, SIZE size, const RECT& monitor, POINT pointer) noexcept {
    if (static_cast<long long>(point.y) + size.cy >= monitor.bottom)
        point.y = Clamped(static_cast<long long>(pointer.y) - size.cy);
    if (static_cast<long long>(point.x) + size.cx >= monitor.right)
        point.x = Clamped(static_cast<long long>(monitor.right) - size.cx);
    if (point.x < monitor.left) point.x = monitor.left;
    if (point.y < monitor.top) point.y = monitor.top;
    return point;
}

std::wstring_view TrimmedShortHint(std::wstring_view hint) noexcept {
    hint = hint.substr(0, hint.find(L'|'));
    while (!hint.empty() && hint.front() <= L' ') hint.remove_prefix(1);
    while (!hint.empty() && hint.back() <= L' ') hint.remove_suffix(1);
    return hint;
}

const std::vector<THintWindowFix*>& HintWindowList() noexcept {
    return g_hintWindows;
}

THintWindowFix::THintWindowFix() noexcept {
    try {
        Application& application = Application::Instance();
        OldAppHintHandler = application.OnHint();
        const unsigned serial = serial_ = ++g_lastSerial;
        application.SetOnHint([serial] {
            for (THintWindowFix* window : g_hintWindows)
                if (window->serial_ == serial) return window->ApplicationHintChanged();
        });
        const HintTiming timing = HintTimingFromDoubleClickTime(GetDoubleClickTime());
        application.SetHintPause(timing.pause);
        application.SetHintShortPause(timing.shortPause);
        application.SetHintHidePause(timing.hidePause);
        g_hintWindows.push_back(this);
    } catch (...) {
    }
}

THintWindowFix::~THintWindowFix() {
    std::erase(g_hintWindows, this);
    try {
        Application::Instance().SetOnHint(std::move(OldAppHintHandler));
    } catch (...) {
    }
    // A tip still shown goes with its window: nothing else could take it away any more.
    ReleaseHandle();
}

void THintWindowFix::ApplicationHintChanged() noexcept {
    if (TrimmedShortHint(Application::Instance().Hint()).empty()) ReleaseHandle();
}

void THintWindowFix::ReleaseHandle() noexcept {
    tip_.reset();
}

void THintWindowFix::ActivateHint(const RECT& rect, std::wstring_view hint) noexcept {
    try {
        if (tip_ && IsWindow(tip_.get()) && hint == Caption()) return;
        tip_.reset();
        SetCaption(hint);
        tip_ = CreateNativeTip(hint, POINT{rect.left, rect.top});
    } catch (...) {
    }
}

RECT THintWindowFix::CalcHintRect(int, std::wstring_view hint, const void*) noexcept {
    const WindowDc screen(nullptr);
    if (!screen) return RECT{};
    const UniqueFont font(CreateHintFont(Dpi()));
    const SelectedObject selected(screen.get(), font.get());
    long long width = 0;
    long long height = 0;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = hint.find(kLineBreak, start);
        const std::wstring_view line = hint.substr(start, end == std::wstring_view::npos ? end : end - start);
        SIZE size{};
        if (line.size() <= INT_MAX &&
            GetTextExtentPoint32W(screen.get(), line.data(), static_cast<int>(line.size()), &size)) {
            width = std::max<long long>(width, size.cx);
            height += size.cy;
        }
        if (end == std::wstring_view::npos) break;
        start = end + kLineBreak.size();
    }
    return RECT{0, 0, Clamped(width), Clamped(height)};
}

UniqueTipWindow THintWindowFix::CreateNativeTip(std::wstring_view text, POINT point) noexcept {
    UniqueTipWindow tip(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, kTipStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, GetModuleHandleW(nullptr),
                                        nullptr));
    if (!tip) return {};
    try {
        if (!SetWindowPos(tip.get(), HWND_TOPMOST, 0, 0, 0, 0, kTopmostWithoutActivating)) return {};
        const HWND tool = WindowFromPoint(point);
        const RECT monitor = MonitorBoundsAt(point);
        const LONG monitorWidth = monitor.right - monitor.left;
        const RECT textRect = CalcHintRect(monitorWidth, text, nullptr);
        // The frame and padding the tip puts around its text. A tooltip control
        // that cannot tell still shows the hint: the size is only an estimate
        // for keeping the tip on the monitor.
        RECT margins{};
        if (!SendMessageW(tip.get(), TTM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&margins))) margins = RECT{};
        const SIZE size{textRect.right + 2 * (margins.right - margins.left),
                        textRect.bottom + 2 * (margins.bottom - margins.top)};
        POINT pointer{};
        if (!GetCursorPos(&pointer)) return {};
        const POINT place = KeepTipOnMonitor(point, size, monitor, pointer);

        SendMessageW(tip.get(), TTM_SETMAXTIPWIDTH, 0, monitorWidth);
        // The control copies the text when the tool is added.
        std::wstring toolText(text);
        TOOLINFOW toolInfo{};
        toolInfo.cbSize = kToolInfoSize;
        toolInfo.uFlags = kToolFlags;
        toolInfo.hwnd = tool;
        toolInfo.uId = 0;
        toolInfo.lpszText = toolText.data();
        if (!SendMessageW(tip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo))) return {};
        SendMessageW(tip.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(place.x, place.y + 1));
        SendMessageW(tip.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo));
        return tip;
    } catch (...) {
        return {};
    }
}

void InstallNativeHintWindow() noexcept {
    try {
        Application& application = Application::Instance();
        application.SetHintWindowFactory(
            []() -> std::unique_ptr<HintWindow> { return std::make_unique<THintWindowFix>(); });
        application.SetHideHintHook([] {
            if (!g_hintWindows.empty()) g_hintWindows.front()->ReleaseHandle();
        });
    } catch (...) {
    }
}

} // namespace vx::ui
