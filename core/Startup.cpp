#include "core/Startup.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "core/RunOnce.h"
#include "core/Settings.h"
#include "core/StoredDate.h"
#include "core/Text.h"

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

namespace {

// The mode the first argument names, if it names one of the command-line modes.
const CommandLineMode* CommandLineModeFor(std::wstring_view firstArgument, const StartupModes& modes) {
    const std::wstring name = LowerAscii(firstArgument);
    if (name == kRestoreArgument) return &modes.restore;
    if (name == kOptimizeArgument) return &modes.optimise;
    if (name == kStatusArgument) return &modes.status;
    return nullptr;
}

} // namespace

int RunStartup(std::wstring_view commandLine, const StartupModes& modes) noexcept {
    try {
        const std::wstring first = FirstArgument(commandLine);
        // The command-line modes change nothing but what they are for (the
        // uninstaller's restore nothing at all when there is nothing to restore).
        if (const CommandLineMode* mode = CommandLineModeFor(first, modes))
            return *mode ? (*mode)(ModeOptions(commandLine)) : 0;
        if (first == kUsageArgument) return modes.usage ? modes.usage() : 0;
        RecordInstallationDates();
        bool startInterface = true;
        if (IsUpdateCheckArgument(first)) {
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
