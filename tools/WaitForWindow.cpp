// Developer tool for the run script: waits until a visible top-level window of
// the given class exists and prints its screen rectangle as WIDTHxHEIGHT+X+Y.
// Usage: WaitForWindow.exe CLASS [TIMEOUT_MS]
// Exit code 0 when it appeared, 1 (with a line on standard error) when the time ran out.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2) return 2;
    const DWORD timeout = count > 2 ? static_cast<DWORD>(std::wcstoul(arguments[2], nullptr, 10)) : 30000;
    const DWORD start = GetTickCount();
    int result = 1;
    while (GetTickCount() - start < timeout) {
        const HWND window = FindWindowW(arguments[1], nullptr);
        if (window && IsWindowVisible(window)) {
            // Give the window its first paint before anyone looks at it.
            UpdateWindow(window);
            RECT rect{};
            GetWindowRect(window, &rect);
            std::printf("%ldx%ld+%ld+%ld\n", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
            result = 0;
            break;
        }
        Sleep(50);
    }
    if (result != 0)
        std::fwprintf(stderr, L"WaitForWindow: no visible window of class %ls appeared within %lu ms\n", arguments[1],
                      timeout);
    LocalFree(arguments);
    return result;
}
