#include "engine/RestoreMode.h"

#include "core/RunOnce.h"
#include "core/Settings.h"
#include "engine/TweakRuns.h"
#include "system/WindowsVersion.h"

namespace vx {

int RunRestoreModeWith(const RestoreModeOptions& options) noexcept {
    try {
        // A running instance could start a run of its own, or save over the restored values.
        if (!CloseRunningInstanceAndWait(options.closeTimeoutMs, options.goneTimeoutMs))
            return kRestoreModeInstanceRunning;
        if (!RestoreAvailable()) return kRestoreModeDone;
        // What the main window would pre-select: the detected edition and the stored connection.
        const int versionCode = ConvertWindowsVersion(WindowsItemForVersion(DetectWindowsVersion()));
        const int internetType = settings::ReadStoredChoices().internetType;
        return RunRestore(versionCode, internetType) == RunOutcome::Completed ? kRestoreModeDone
                                                                              : kRestoreModeIncomplete;
    } catch (...) {
        return kRestoreModeIncomplete;
    }
}

int RunRestoreMode() noexcept {
    return RunRestoreModeWith({});
}

} // namespace vx
