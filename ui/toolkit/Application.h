// The process's message loop.
#pragma once

#include <windows.h>

namespace vx::ui {

// Runs the message loop until the main form is closed.
void RunMessageLoop() noexcept;

// Dispatches every message pending for this thread, then returns.
void ProcessMessages() noexcept;

} // namespace vx::ui
