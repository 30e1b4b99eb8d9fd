#include "tests/support/ModalDriver.h"

#include <gtest/gtest.h>

namespace vx::test {

bool ModalDriver::Run(const std::function<void()>& blocking, std::vector<Step> steps,
                      const std::function<void()>& giveUp, std::chrono::milliseconds bound) {
    ModalDriver driver;
    driver.steps_ = std::move(steps);
    driver.giveUp_ = giveUp;
    driver.deadline_ = std::chrono::steady_clock::now() + bound;
    ModalDriver* const outer = current_;
    current_ = &driver;
    const UINT_PTR timer = SetTimer(nullptr, 0, 30, &ModalDriver::Tick);
    blocking();
    KillTimer(nullptr, timer);
    current_ = outer;
    return driver.next_ == driver.steps_.size();
}

ui::ModalResult ModalDriver::Run(ui::Form& form, std::vector<Step> steps, std::chrono::milliseconds bound) {
    ui::ModalResult result = ui::ModalResult::None;
    // A step runs only while the form is modal.
    for (Step& step : steps) step = [&form, step = std::move(step)] { return form.Modal() && step(); };
    const bool allRan = Run([&] { result = form.ShowModal(); }, std::move(steps),
                            [&] {
                                if (form.Modal()) form.SetModalResult(ui::ModalResult::Abort);
                            },
                            bound);
    EXPECT_TRUE(allRan) << "not every step ran";
    return result;
}

void CALLBACK ModalDriver::Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalDriver* driver = current_;
    if (!driver) return;
    if (std::chrono::steady_clock::now() > driver->deadline_) {
        if (driver->giveUp_) driver->giveUp_();
        return;
    }
    if (driver->next_ < driver->steps_.size() && driver->steps_[driver->next_]()) ++driver->next_;
}

} // namespace vx::test
