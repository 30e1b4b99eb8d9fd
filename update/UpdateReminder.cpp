#include "update/UpdateReminder.h"

#include "core/CommandLine.h"
#include "core/Constants.h"
#include "core/Settings.h"
#include "core/StoredDate.h"
#include "system/Shell.h"

#include <optional>

namespace vx {

namespace {

std::wstring FolderOrOwn(const std::wstring& programFolder) {
    return programFolder.empty() ? ProgramFolder() : programFolder;
}

} // namespace

bool UpdateReminderDue(std::wstring_view updatedDate, double now) noexcept {
    try {
        // Through the user's date text and back, as the last-update line reads it.
        const std::optional<double> updated = ParseDateText(StoredDateToText(updatedDate));
        return updated && WholeDaysBetween(now, *updated) > kUpdateReminderDays;
    } catch (...) {
        return false;
    }
}

void RunUpdateReminderIn(const std::wstring& programFolder) noexcept {
    try {
        // No recorded update counts from now, so the reminder stays quiet.
        const std::wstring now = std::to_wstring(DateToStoredSeconds(CurrentDateTime()));
        const std::wstring updated = settings::ReadText(settings::kUpdatedDate, now);
        if (!UpdateReminderDue(updated, CurrentDateTime())) return;
        // The program file's own name, whatever the running file is called.
        RunProgram(FolderOrOwn(programFolder) + kProgramFileName, kCheckUpdateArgument);
    } catch (...) {
    }
}

void RunUpdateReminder() noexcept {
    RunUpdateReminderIn({});
}

void StartUpdaterIn(const std::wstring& programFolder) noexcept {
    try {
        RunProgram(FolderOrOwn(programFolder) + kUpdaterFileName, L"");
    } catch (...) {
    }
}

void StartUpdater() noexcept {
    StartUpdaterIn({});
}

} // namespace vx
