// The update mode: the program started with "/checkupdate" asks the vendor's
// server, and when a newer version exists it closes the running instance and
// offers to start the updater.
#pragma once

#include "core/RunOnce.h" // CloseRunningInstance
#include "update/UpdateCheck.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace vx {

// The caption-table lookup of the program's windows (form name, component
// name), handed down by the entry point: the update mode lies below them.
using CaptionLookup = std::function<std::wstring(std::wstring_view form, std::wstring_view name)>;

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
    CaptionLookup caption; // empty: the prompt has no texts
};

// The prompt's title and text from the caption table of the current language.
std::wstring UpdatePromptTitle(const CaptionLookup& caption);
std::wstring UpdatePromptText(const CaptionLookup& caption);

// Asks, in a message box of no owner, whether to install the update; true on Yes.
bool AskToInstallUpdate(const CaptionLookup& caption) noexcept;

void RunUpdateModeWith(const UpdateModeOptions& options) noexcept;
void RunUpdateMode(const CaptionLookup& caption) noexcept;

} // namespace vx
