// The update mode: the program started with "/checkupdate" asks the vendor's
// server, and when a newer version exists it closes the running instance and
// offers to start the updater.
#pragma once

#include "core/RunOnce.h" // CloseRunningInstance
#include "update/UpdateCheck.h"

#include <windows.h>

#include <string>

namespace vx {

// How the update mode runs. The program always uses the defaults; the tests
// point the check at a server of their own and the updater at a folder of theirs.
struct UpdateModeOptions {
    UpdateCheckOptions check;
    std::wstring programFolder; // empty: the folder of the running program
    // The longest wait for one window of the running instance to handle its
    // close request. An instance in the middle of a run handles messages at
    // least every second and a half (between its progress steps), and one that
    // shows a message box handles them at once, so five seconds is plenty for
    // a healthy instance; an instance that has stopped answering would otherwise
    // keep this process, and the update, waiting for ever.
    UINT closeTimeoutMs = 5000;
};

// The prompt's title and text from the caption table of the current language.
std::wstring UpdatePromptTitle();
std::wstring UpdatePromptText();

// Asks, in a message box of no owner, whether to install the update; true on Yes.
bool AskToInstallUpdate() noexcept;

void RunUpdateModeWith(const UpdateModeOptions& options) noexcept;
void RunUpdateMode() noexcept;

} // namespace vx
