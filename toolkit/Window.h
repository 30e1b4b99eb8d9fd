// The base of every window the program creates: one static window procedure
// that finds its object through the pointer stored at WM_NCCREATE and clears
// it at WM_NCDESTROY. Subclasses override HandleMessage; nothing thrown inside
// ever leaves the window procedure.
#pragma once

#include <windows.h>

namespace vx::ui {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND Handle() const noexcept { return hwnd_; }

protected:
    // Registers the class once per process (by name) with this file's window procedure.
    static bool RegisterWindowClass(const wchar_t* className, UINT classStyle, HICON icon, HICON smallIcon,
                                    HBRUSH background) noexcept;
    bool CreateHandle(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                      int width, int height, HWND parent, HMENU menuOrId) noexcept;
    void DestroyHandle() noexcept;

    // The default handling of every message a subclass does not take.
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        return DefaultHandling(message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    HWND hwnd_ = nullptr;
};

} // namespace vx::ui
