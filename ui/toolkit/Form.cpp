#include "ui/toolkit/Form.h"

namespace vx::ui {
namespace {

DWORD StyleFor(FormBorder border) {
    switch (border) {
    case FormBorder::SingleWithMinimize:
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    case FormBorder::SingleCloseOnly:
        return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    case FormBorder::SingleNoSystemMenu:
        return WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
    }
    return WS_OVERLAPPEDWINDOW;
}

RECT CenteredIn(const RECT& area, int width, int height) {
    const int left = area.left + (area.right - area.left - width) / 2;
    const int top = area.top + (area.bottom - area.top - height) / 2;
    return RECT{left, top, left + width, top + height};
}

} // namespace

bool Form::Create(HWND owner, bool isMainForm) noexcept {
    isMainForm_ = isMainForm;
    const std::wstring className = ClassName();
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    if (!RegisterWindowClass(className.c_str(), CS_DBLCLKS, icon, icon, GetSysColorBrush(COLOR_BTNFACE)))
        return false;
    const DWORD style = StyleFor(layout_.border);
    const DWORD exStyle = isMainForm ? WS_EX_APPWINDOW | WS_EX_CONTROLPARENT : WS_EX_CONTROLPARENT;
    RECT frame{0, 0, layout_.clientWidth, layout_.clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    if (!CreateHandle(className.c_str(), L"", style, exStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      frame.right - frame.left, frame.bottom - frame.top, isMainForm ? nullptr : owner, nullptr))
        return false;
    FormCreate();
    return true;
}

void Form::PlaceForShowing() noexcept {
    RECT window{};
    GetWindowRect(Handle(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    RECT area{};
    const HWND owner = GetWindow(Handle(), GW_OWNER);
    if (layout_.position == FormPosition::OwnerFormCenter && owner) {
        GetWindowRect(owner, &area);
    } else if (layout_.position == FormPosition::ScreenCenter && !shownBefore_) {
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    } else {
        return;
    }
    const RECT placed = CenteredIn(area, width, height);
    SetWindowPos(Handle(), nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() noexcept {
    if (!Handle()) return;
    if (!Visible()) {
        PlaceForShowing();
        shownBefore_ = true;
        ShowWindow(Handle(), SW_SHOW);
        FormShow();
    }
    SetForegroundWindow(Handle());
}

void Form::Hide() noexcept {
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_CLOSE:
        if (isMainForm_) DestroyWindow(Handle());
        else Hide();
        return 0;
    case WM_DESTROY:
        if (isMainForm_) PostQuitMessage(0);
        return 0;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

} // namespace vx::ui
