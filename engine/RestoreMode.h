// The restore mode: "Velantrix.exe /restore" gives the system back the values
// the program tuned, without a window, for the uninstaller and for
// administrators. The exit code tells the caller how it went.
#pragma once

#include <windows.h>

namespace vx {

enum RestoreModeExitCode : int {
    kRestoreModeDone = 0,            // everything is back, or there was nothing to restore
    kRestoreModeIncomplete = 1,      // a value could not be put back; the backup is kept for a later restore
    kRestoreModeInstanceRunning = 2, // a running instance would not close; nothing was changed
};

struct RestoreModeOptions {
    // The bound for each window of a running instance to handle its close
    // request (as in the update mode), and then for the instance to be gone.
    // An instance in the middle of a run closes at the end of its current
    // progress step, at most a second and a half later.
    UINT closeTimeoutMs = 5000;
    UINT goneTimeoutMs = 10000;
};

// Closes a running instance, then, when a backup exists, runs the restore's
// registry work with the detected version code and the stored internet type.
int RunRestoreModeWith(const RestoreModeOptions& options) noexcept;
int RunRestoreMode() noexcept;

} // namespace vx
