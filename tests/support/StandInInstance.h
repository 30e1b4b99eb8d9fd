// Windows of the test process standing in for a running instance of the
// program (found by their class names): they record each WM_CLOSE they are
// sent and never close, as an instance that refuses to go.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vx::test {

class StandInInstance {
public:
    // `classes` are created in the order given; `answering` false keeps the
    // windows' thread from handling any message until Release().
    StandInInstance(std::vector<std::wstring> classes, bool answering);
    ~StandInInstance();
    StandInInstance(const StandInInstance&) = delete;
    StandInInstance& operator=(const StandInInstance&) = delete;

    bool Ready() const { return ready_; }
    void Release() { SetEvent(release_.get()); }
    std::vector<std::wstring> Closed();
    std::size_t ClosedCount();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run();

    std::vector<std::wstring> classes_;
    UniqueKernelHandle release_;
    std::atomic<bool> ready_{false};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::wstring> closed_;
};

} // namespace vx::test
