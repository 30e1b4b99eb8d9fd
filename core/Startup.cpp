#include "core/Startup.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "core/RunOnce.h"
#include "core/Settings.h"
#include "core/StoredDate.h"

#include <string>

namespace vx {

void RecordInstallationDates() noexcept {
    try {
        if (settings::InstalledDate().empty()) settings::SetInstalledDate(CurrentStoredDateText());
        if (settings::UpdatedFlag()) {
            settings::SetUpdatedFlag(false);
            settings::SetUpdatedDate(CurrentStoredDateText());
        }
    } catch (...) {
    }
}

int RunStartup(std::wstring_view commandLine, const StartupModes& modes) noexcept {
    try {
        // The uninstaller's mode must change nothing when there is nothing to restore.
        if (IsRestoreArgument(FirstArgument(commandLine))) return modes.restore ? modes.restore() : 0;
        RecordInstallationDates();
        bool startInterface = true;
        if (IsUpdateCheckArgument(FirstArgument(commandLine))) {
            startInterface = false;
            if (modes.updateCheck) modes.updateCheck();
        }
        // A running instance wins in every mode: it is brought to the front instead.
        if (FindRunningInstance(kMainFormClass, true)) return 0;
        if (startInterface && modes.userInterface) modes.userInterface();
    } catch (...) {
    }
    return 0;
}

} // namespace vx
