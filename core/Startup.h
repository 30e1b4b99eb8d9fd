// What the process does between its start and its end.
#pragma once

#include <functional>
#include <string_view>

namespace vx {

// The parts of start-up that other subsystems provide.
struct StartupModes {
    std::function<void()> updateCheck;   // the update-check mode, run for "/checkupdate"
    std::function<void()> userInterface; // creates the windows and runs the message loop
    std::function<int()> restore;        // the restore mode, run for "/restore"; gives the exit code
};

// Records "InstalledDate" (when absent or empty) and, after an update, "UpdatedDate".
void RecordInstallationDates() noexcept;

// The whole start-up sequence after process initialisation: dates, mode,
// single-instance rule, interface. Returns the process exit code: 0, or the
// restore mode's own, which runs alone (no dates recorded, no window shown).
int RunStartup(std::wstring_view commandLine, const StartupModes& modes) noexcept;

} // namespace vx
