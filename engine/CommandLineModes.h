// The command-line modes, for the uninstaller and for administrators: they
// show no window and wait for no one, and the exit code tells the caller how
// it went.
//
//   Velantrix.exe /optimize [options]  tunes as "Optimize now" does
//   Velantrix.exe /status              tells whether the tuning is in place; changes nothing
//   Velantrix.exe /restore             gives back what the tuning changed
//   Velantrix.exe /?                   lists the modes and options in a message box
#pragma once

#include "engine/TweakRuns.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vx {

enum ModeExitCode : int {
    kModeDone = 0,            // done; /status: tuned, and every tuned value is in place
    kModeIncomplete = 1,      // a value would not take; nothing is lost, a later run completes the job
    kModeInstanceRunning = 2, // a running instance (or another command-line run) would not end; nothing changed
    kModeWrongOption = 3,     // a wrong or unknown option; nothing changed
    kStatusChanged = 4,       // /status: tuned, but a tuned value has changed since (or a run stopped part-way)
    kStatusNeverTuned = 5,    // /status: not tuned, and never was
    kStatusRestored = 6,      // /status: not tuned; the tuning was given back
};

struct CommandLineModeOptions {
    // The bound for each window of a running instance to handle its close
    // request (as in the update mode), and then for the instance to be gone.
    // An instance in the middle of a run closes at the end of its current
    // progress step, at most a second and a half later.
    UINT closeTimeoutMs = 5000;
    UINT goneTimeoutMs = 10000;
    // The bound for another command-line run to end first.
    DWORD lockWaitMs = 30000;
};

// The choices of /optimize as typed: each one named, never a list position.
struct OptimiseOptions {
    std::optional<int> windowsItem; // the WindowsCombo item
    std::optional<int> processorType;
    std::optional<int> internetType;
    std::optional<int> speedSetting;
};

struct ParsedOptimiseOptions {
    OptimiseOptions options;
    std::wstring error; // empty when every option was understood
};

// Reads "/name=value" options, letter case aside, each at most once.
ParsedOptimiseOptions ParseOptimiseOptions(const std::vector<std::wstring>& options);

// The choices the main window pre-selects: the detected edition, the stored
// processor (or the detected one), the stored connection and speed, as its
// lists and slider show them.
OptimiseChoices PreselectedChoices() noexcept;

// The list of modes, options and exit codes that "/?" shows.
std::wstring CommandLineUsage();

int RunOptimiseMode(const std::vector<std::wstring>& options, const CommandLineModeOptions& modeOptions = {}) noexcept;
int RunStatusMode(const std::vector<std::wstring>& options, const CommandLineModeOptions& modeOptions = {}) noexcept;
int RunRestoreMode(const std::vector<std::wstring>& options, const CommandLineModeOptions& modeOptions = {}) noexcept;
// Shows the usage in a message box and gives kModeDone once it is closed.
int ShowCommandLineUsage() noexcept;

} // namespace vx
