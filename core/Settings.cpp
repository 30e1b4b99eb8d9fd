#include "core/Settings.h"

#include "core/Constants.h"

namespace vx::settings {
namespace {

// The 32-bit view in both builds.
constexpr bool kView = false;

} // namespace

std::wstring ReadText(std::wstring_view name, std::wstring_view defaultValue) noexcept {
    return ReadRegString(kSettingsRoot, kSettingsKey, name, defaultValue, kView);
}

std::int32_t ReadInteger(std::wstring_view name, std::int32_t defaultValue) noexcept {
    return ReadRegInteger(kSettingsRoot, kSettingsKey, name, defaultValue, kView);
}

bool ReadBool(std::wstring_view name, bool defaultValue) noexcept {
    return ReadRegBool(kSettingsRoot, kSettingsKey, name, defaultValue, kView);
}

std::optional<RegValue> ReadRaw(std::wstring_view name) noexcept {
    return ReadRegRaw(kSettingsRoot, kSettingsKey, name, kView);
}

void WriteText(std::wstring_view name, std::wstring_view value) noexcept {
    WriteRegString(kSettingsRoot, kSettingsKey, name, value, kView);
}

void WriteInteger(std::wstring_view name, std::int32_t value) noexcept {
    WriteRegInteger(kSettingsRoot, kSettingsKey, name, value, kView);
}

void WriteBool(std::wstring_view name, bool value) noexcept {
    WriteRegBool(kSettingsRoot, kSettingsKey, name, value, kView);
}

void WriteRaw(std::wstring_view name, const RegValue& value) noexcept {
    WriteRegRaw(kSettingsRoot, kSettingsKey, name, value, kView);
}

void Delete(std::wstring_view name) noexcept {
    DeleteRegValue(kSettingsRoot, kSettingsKey, name, kView);
}

StoredChoices ReadStoredChoices() noexcept {
    const StoredChoices defaults;
    return {ReadInteger(kInternetType, defaults.internetType), ReadInteger(kProcessorType, defaults.processorType),
            ReadInteger(kSpeedSetting, defaults.speedSetting)};
}

void WriteStoredChoices(const StoredChoices& choices) noexcept {
    WriteInteger(kInternetType, choices.internetType);
    WriteInteger(kProcessorType, choices.processorType);
    WriteInteger(kSpeedSetting, choices.speedSetting);
}

std::wstring InstalledDate() noexcept {
    return ReadText(kInstalledDate, L"");
}

void SetInstalledDate(std::wstring_view storedDate) noexcept {
    WriteText(kInstalledDate, storedDate);
}

std::wstring UpdatedDate() noexcept {
    return ReadText(kUpdatedDate, L"");
}

void SetUpdatedDate(std::wstring_view storedDate) noexcept {
    WriteText(kUpdatedDate, storedDate);
}

bool UpdatedFlag() noexcept {
    return ReadBool(kUpdated, false);
}

void SetUpdatedFlag(bool updated) noexcept {
    WriteBool(kUpdated, updated);
}

std::wstring Language() noexcept {
    return ReadText(kLanguage, kDefaultLanguage);
}

} // namespace vx::settings
