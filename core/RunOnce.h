// Finding, and closing, a running instance of the program by its windows' class names.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <string_view>

namespace vx {

// True when a top-level window of the class exists. With activate set, that
// window is first restored and brought to the foreground. Failures give false.
bool FindRunningInstance(std::wstring_view windowClassName, bool activate) noexcept;

// Sends WM_CLOSE to the running instance's About, progress and main windows,
// in that order, each waited for at most the bound. A missing window is skipped.
void CloseRunningInstance(UINT timeoutMs) noexcept;

// Closes the running instance as above, then waits at most waitMs for its main
// window to be gone. True when no instance is left. An instance in the middle
// of a run closes at the end of its current progress step.
bool CloseRunningInstanceAndWait(UINT timeoutMs, UINT waitMs) noexcept;

// The lock a command-line run holds from its start to its end, machine-wide,
// so that two of them never interleave: a second one waits for the first, at
// most waitMs. Empty when it could not be had in that time. A run that ended
// without giving it up (a killed process) leaves it to the next one.
OwnedMutex AcquireCommandLineRunLock(DWORD waitMs) noexcept;

} // namespace vx
