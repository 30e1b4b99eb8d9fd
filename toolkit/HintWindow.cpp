#include "toolkit/HintWindow.h"

#include "core/Dpi.h"
#include "core/Handles.h"

namespace vx::ui {
namespace {

constexpr wchar_t kHintClass[] = L"TVXHintWindow";
constexpr int kMargin = 3;

} // namespace

HFONT CreateHintFont(int dpi) noexcept {
    NONCLIENTMETRICSW metrics{};
    if (!NonClientMetricsForDpi(metrics, dpi)) return nullptr;
    return CreateFontIndirectW(&metrics.lfStatusFont);
}

HintWindow::~HintWindow() {
    DestroyHandle();
}

void HintWindow::SetCaption(std::wstring_view caption) {
    caption_.assign(caption);
    if (Handle()) InvalidateRect(Handle(), nullptr, TRUE);
}

RECT HintWindow::CalcHintRect(int maxWidth, std::wstring_view hint, const void*) noexcept {
    RECT rect{0, 0, maxWidth, 0};
    WindowDc screen(nullptr);
    UniqueFont font(CreateHintFont(dpi_));
    if (!screen) return RECT{};
    const SelectedObject selected(screen.get(), font.get());
    DrawTextW(screen.get(), hint.data(), static_cast<int>(hint.size()), &rect,
              DT_CALCRECT | DT_NOPREFIX | DT_WORDBREAK);
    const DpiScale scale(dpi_);
    rect.right += 2 * scale(kMargin) + 2;
    rect.bottom += 2 * scale(kMargin);
    return rect;
}

void HintWindow::ActivateHint(const RECT& rect, std::wstring_view hint) noexcept {
    try {
        SetCaption(hint);
        if (!Handle()) {
            const HBRUSH background = GetSysColorBrush(COLOR_INFOBK);
            if (!RegisterWindowClass(kHintClass, CS_SAVEBITS, nullptr, nullptr, background)) return;
            if (!CreateHandle(kHintClass, L"", WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 0, 0,
                              nullptr, nullptr))
                return;
        }
        SetWindowPos(Handle(), HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        InvalidateRect(Handle(), nullptr, TRUE);
    } catch (...) {
    }
}

void HintWindow::HideNow() noexcept {
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

void HintWindow::Paint() noexcept {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(Handle(), &paint);
    if (!dc) return;
    UniqueFont font(CreateHintFont(dpi_));
    {
        const SelectedObject selected(dc, font.get());
        RECT client{};
        GetClientRect(Handle(), &client);
        const int margin = DpiScale(dpi_)(kMargin);
        InflateRect(&client, -margin, -margin);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &client, DT_NOPREFIX | DT_WORDBREAK);
    }
    EndPaint(Handle(), &paint);
}

LRESULT HintWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

} // namespace vx::ui
