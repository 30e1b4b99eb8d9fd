#include "toolkit/Window.h"

namespace vx::ui {

Window::~Window() {
    DestroyHandle();
}

bool Window::RegisterWindowClass(const wchar_t* className, UINT classStyle, HICON icon, HICON smallIcon,
                                 HBRUSH background) noexcept {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), className, &existing)) return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = classStyle;
    windowClass.lpfnWndProc = &Window::WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hIcon = icon;
    windowClass.hIconSm = smallIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

bool Window::CreateHandle(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                          int width, int height, HWND parent, HMENU menuOrId) noexcept {
    if (hwnd_) return true;
    CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId, GetModuleHandleW(nullptr),
                    this);
    return hwnd_ != nullptr;
}

void Window::DestroyHandle() noexcept {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK Window::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

} // namespace vx::ui
