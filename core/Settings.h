// The program's settings key and the values it keeps there, each named once.
// Every read gives its default when the value is missing or of another type,
// and every write does nothing when the key cannot be written: the registry
// layer's rules. Both builds use the 32-bit view, where an installer of either
// build writes "Language" and "Updated" too.
#pragma once

#include "core/CustomRegistry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vx::settings {

// Value names of the settings key.
inline constexpr wchar_t kInstalledDate[] = L"InstalledDate"; // stored date of the first start
inline constexpr wchar_t kUpdatedDate[] = L"UpdatedDate";     // stored date of the first start after an update
inline constexpr wchar_t kUpdated[] = L"Updated";             // set by whatever installs an update
inline constexpr wchar_t kLanguage[] = L"Language";           // caption table to use, "english" by default
inline constexpr wchar_t kRestore[] = L"Restore";             // the state of the backup (see engine/TweakRuns.h)
inline constexpr wchar_t kInternetType[] = L"InternetType";   // the stored choices of the last optimise
inline constexpr wchar_t kProcessorType[] = L"ProcessorType";
inline constexpr wchar_t kSpeedSetting[] = L"SpeedSetting";

inline constexpr wchar_t kDefaultLanguage[] = L"english";

// Any value of the key, by name (the engine keeps its backups here too).
std::wstring ReadText(std::wstring_view name, std::wstring_view defaultValue) noexcept;
std::int32_t ReadInteger(std::wstring_view name, std::int32_t defaultValue) noexcept;
bool ReadBool(std::wstring_view name, bool defaultValue) noexcept;
std::optional<RegValue> ReadRaw(std::wstring_view name) noexcept;
void WriteText(std::wstring_view name, std::wstring_view value) noexcept;
void WriteInteger(std::wstring_view name, std::int32_t value) noexcept;
void WriteBool(std::wstring_view name, bool value) noexcept;
void WriteRaw(std::wstring_view name, const RegValue& value) noexcept;
void Delete(std::wstring_view name) noexcept;

// The choices the main window pre-selects, as the last optimise stored them.
struct StoredChoices {
    std::int32_t internetType = 0;
    std::int32_t processorType = -1; // -1: none stored, the processor's maker is detected
    std::int32_t speedSetting = 0;
};
StoredChoices ReadStoredChoices() noexcept;
void WriteStoredChoices(const StoredChoices& choices) noexcept;

std::wstring InstalledDate() noexcept;
void SetInstalledDate(std::wstring_view storedDate) noexcept;
std::wstring UpdatedDate() noexcept;
void SetUpdatedDate(std::wstring_view storedDate) noexcept;
bool UpdatedFlag() noexcept;
void SetUpdatedFlag(bool updated) noexcept;
// Not lower-cased: the caption tables compare it as they need.
std::wstring Language() noexcept;

} // namespace vx::settings
