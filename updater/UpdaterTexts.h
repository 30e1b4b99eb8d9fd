// Every text the updater shows, in English and Korean. The language follows
// the program's settings value "Language", as the program's own windows do.
#pragma once

#include "updater/UpdateJob.h"

#include <string_view>

namespace vx::updater {

enum class Language { English, Korean };

// The updater's window class; a test or a second start finds the window by it.
inline constexpr wchar_t kUpdaterFormClass[] = L"TVXUpdateForm";
// Control identifiers of the window, for the tests that drive it from outside.
inline constexpr int kStatusLabelId = 101;
inline constexpr int kProgressBarId = 102;
inline constexpr int kCloseButtonId = 103;
inline constexpr int kStartButtonId = 104;

enum class UiText { Title, Cancel, Close, StartProgram, Cancelling };

Language CurrentLanguage() noexcept;
// The installer's name for the language: "english" or "korean".
std::wstring_view InstallerLanguage(Language language) noexcept;

std::wstring_view Text(Language language, UiText text) noexcept;
std::wstring_view StepText(Language language, UpdateStep step) noexcept;
std::wstring_view OutcomeText(Language language, UpdateOutcome outcome) noexcept;

} // namespace vx::updater
