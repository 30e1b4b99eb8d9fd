// Drives a modal window from inside its own modal loop: the one way the tests
// do it, whether the test opens the window itself or a click does.
#pragma once

#include "toolkit/Form.h"

#include <chrono>
#include <functional>
#include <vector>

namespace vx::test {

// Runs a blocking call (ShowModal, or a click that opens a modal window) and,
// from inside the modal loop it enters, the steps, one per timer tick. A timer
// tick comes only when no posted message or input is waiting, so each step
// sees everything the previous one posted handled. A step returns false to be
// asked again at the next tick. Past the bound, giveUp runs at each tick
// instead, until the blocking call returns.
class ModalDriver {
public:
    using Step = std::function<bool()>;

    // True when every step ran.
    static bool Run(const std::function<void()>& blocking, std::vector<Step> steps, const std::function<void()>& giveUp,
                    std::chrono::milliseconds bound = std::chrono::seconds(15));

    // Shows the form modally and gives its result; a window still open after
    // the bound is closed with the result Abort. Fails the test when a step did not run.
    static ui::ModalResult Run(ui::Form& form, std::vector<Step> steps,
                               std::chrono::milliseconds bound = std::chrono::seconds(15));

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    std::vector<Step> steps_;
    std::function<void()> giveUp_;
    std::chrono::steady_clock::time_point deadline_;
    size_t next_ = 0;
    static inline ModalDriver* current_ = nullptr;
};

} // namespace vx::test
