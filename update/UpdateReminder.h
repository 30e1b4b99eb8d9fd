// The reminder that the main window gives itself when the last update is old,
// and the updates button's hand-over to the updater.
#pragma once

#include <string>
#include <string_view>

namespace vx {

// More whole days than this since the last recorded update start the update mode.
inline constexpr int kUpdateReminderDays = 45;

// Whether the reminder fires for a stored "UpdatedDate" text at the moment
// `now`: only when the text reads back as a date-time more than the threshold
// of whole days away, in either direction. A text that is no date never fires.
bool UpdateReminderDue(std::wstring_view updatedDate, double now) noexcept;

// Starts "Velantrix.exe" from the program folder in the update mode when the
// last update is too old; does not wait for it. An empty folder means the
// folder of the running program.
void RunUpdateReminderIn(const std::wstring& programFolder) noexcept;
void RunUpdateReminder() noexcept;

// The updater from the program folder, with no check first.
void StartUpdaterIn(const std::wstring& programFolder) noexcept;
void StartUpdater() noexcept;

} // namespace vx
