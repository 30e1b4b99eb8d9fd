// What the process does between its start and its end.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// A command-line mode, given the arguments after its own; gives the exit code.
using CommandLineMode = std::function<int(const std::vector<std::wstring>& options)>;

// The parts of start-up that other subsystems provide.
struct StartupModes {
    std::function<void()> updateCheck;   // the update-check mode, run for "/checkupdate"
    std::function<void()> userInterface; // creates the windows and runs the message loop
    CommandLineMode restore;             // "/restore"
    CommandLineMode optimise;            // "/optimize"
    CommandLineMode status;              // "/status"
    std::function<int()> usage;          // "/?": the list of modes and options
};

// Records "InstalledDate" (when absent or empty) and, after an update, "UpdatedDate".
void RecordInstallationDates() noexcept;

// The whole start-up sequence after process initialisation: dates, mode,
// single-instance rule, interface. Returns the process exit code: 0, or a
// command-line mode's own; those run alone (no dates recorded, no window shown).
int RunStartup(std::wstring_view commandLine, const StartupModes& modes) noexcept;

} // namespace vx
