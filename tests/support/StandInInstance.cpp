#include "tests/support/StandInInstance.h"

#include "tests/support/TestSupport.h"

namespace vx::test {

StandInInstance::StandInInstance(std::vector<std::wstring> classes, bool answering)
    : classes_(std::move(classes)), release_(CreateEventW(nullptr, TRUE, answering, nullptr)) {
    thread_ = std::thread([this] { Run(); });
    WaitUntil([this] { return ready_.load(); }, 10s);
}

StandInInstance::~StandInInstance() {
    Release();
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

std::vector<std::wstring> StandInInstance::Closed() {
    std::lock_guard lock(mutex_);
    return closed_;
}

std::size_t StandInInstance::ClosedCount() {
    std::lock_guard lock(mutex_);
    return closed_.size();
}

LRESULT CALLBACK StandInInstance::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<StandInInstance*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_CLOSE && self) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        std::lock_guard lock(self->mutex_);
        self->closed_.push_back(name);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void StandInInstance::Run() {
    threadId_ = GetCurrentThreadId();
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue, for WM_QUIT
    std::vector<HWND> windows;
    for (const std::wstring& name : classes_) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = name.c_str();
        RegisterClassW(&windowClass);
        const HWND window = CreateWindowExW(0, name.c_str(), name.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                            nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        windows.push_back(window);
    }
    ready_ = true;
    WaitForSingleObject(release_.get(), INFINITE);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    for (HWND window : windows) DestroyWindow(window);
    for (const std::wstring& name : classes_) UnregisterClassW(name.c_str(), GetModuleHandleW(nullptr));
}

} // namespace vx::test
