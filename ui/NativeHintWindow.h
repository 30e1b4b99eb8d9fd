// Hints through the system's own tooltip control. The toolkit's hint window
// paints its hints itself; this one hands every hint to a native tip of class
// "tooltips_class32", so hints look like every other tip of Windows, show an
// ampersand as itself and appear even while the program is in the background.
#pragma once

#include "core/Handles.h"
#include "toolkit/Application.h"
#include "toolkit/HintWindow.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace vx::ui {

// A tooltip window of this program; destroyed with it unless Windows already has.
struct TipWindowTraits {
    using Handle = HWND;
    static Handle empty() noexcept { return nullptr; }
    static void close(Handle tip) noexcept {
        if (IsWindow(tip)) DestroyWindow(tip);
    }
};
using UniqueTipWindow = UniqueHandle<TipWindowTraits>;

// The application's hint delays for a double-click time, in milliseconds.
struct HintTiming {
    int pause;      // before a hint shows
    int shortPause; // before the next one shows while a hint is shown
    int hidePause;  // how long a hint stays
};
HintTiming HintTimingFromDoubleClickTime(UINT doubleClickTime) noexcept;

// Where a tip of `size` that wants to start at `point` goes so that it stays on
// `monitor`: above the pointer when it would reach the bottom, ending at the
// right edge when it would reach that, and never left of or above the monitor.
POINT KeepTipOnMonitor(POINT point, SIZE size, const RECT& monitor, POINT pointer) noexcept;

// The short part of a hint (before the first "|"), without control characters
// and blanks at either end.
std::wstring_view TrimmedShortHint(std::wstring_view hint) noexcept;

class THintWindowFix : public HintWindow {
public:
    THintWindowFix() noexcept;
    ~THintWindowFix() override;

    // Keeps the shown tip for the same text, else replaces it by a tip at (left, top) of `rect`.
    void ActivateHint(const RECT& rect, std::wstring_view hint) noexcept override;
    // (0, 0, width, height) of the text's CR LF lines in the hint font; the width limit is not used.
    RECT CalcHintRect(int maxWidth, std::wstring_view hint, const void* data) noexcept override;
    // Takes the native tip away, if there is one.
    void ReleaseHandle() noexcept;

    // The native tip now shown, or null.
    HWND TipHandle() const noexcept { return tip_.get(); }

private:
    void ApplicationHintChanged() noexcept;
    UniqueTipWindow CreateNativeTip(std::wstring_view text, POINT point) noexcept;

    // The application's hint-change handler from before this window, given back when it goes.
    HintHandler OldAppHintHandler;
    UniqueTipWindow tip_;
    unsigned serial_ = 0;
};

// The live hint windows of this class, oldest first.
const std::vector<THintWindowFix*>& HintWindowList() noexcept;

// Makes THintWindowFix the class of the application's hint windows and routes
// the toolkit's hiding of the current hint to the oldest of them. Run once
// during process initialisation.
void InstallNativeHintWindow() noexcept;

} // namespace vx::ui
