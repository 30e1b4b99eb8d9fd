// The program's only door to the registry. Every operation opens its own key,
// makes one value access, closes the key and swallows every failure: a read
// gives the caller's default, a write or delete that cannot be done does nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Key paths are written with one leading backslash ("\Software\..."), which is
// dropped before the path reaches the registry. A trailing backslash is harmless.
// use64BitView true adds KEY_WOW64_64KEY; false (what the program always passes)
// means the 32-bit view in both builds.

std::wstring ReadRegString(HKEY root, std::wstring_view keyPath, std::wstring_view valueName,
                           std::wstring_view defaultValue, bool use64BitView) noexcept;
std::int32_t ReadRegInteger(HKEY root, std::wstring_view keyPath, std::wstring_view valueName,
                            std::int32_t defaultValue, bool use64BitView) noexcept;
bool ReadRegBool(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, bool defaultValue,
                 bool use64BitView) noexcept;

void WriteRegString(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, std::wstring_view value,
                    bool use64BitView) noexcept;
void WriteRegInteger(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, std::int32_t value,
                     bool use64BitView) noexcept;
void WriteRegBinary(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, std::vector<BYTE> value,
                    bool use64BitView) noexcept;
void WriteRegBool(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, bool value,
                  bool use64BitView) noexcept;

void DeleteRegValue(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, bool use64BitView) noexcept;

// A value exactly as the registry holds it: its type and its bytes.
struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const RegValue&) const = default;
};

// Raw access for keeping and giving back a value of any type unchanged.
// The read gives nothing when the value is missing or cannot be read.
std::optional<RegValue> ReadRegRaw(HKEY root, std::wstring_view keyPath, std::wstring_view valueName,
                                   bool use64BitView) noexcept;
void WriteRegRaw(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, const RegValue& value,
                 bool use64BitView) noexcept;

} // namespace vx
