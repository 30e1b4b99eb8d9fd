#include "core/CustomRegistry.h"

#include "core/Handles.h"

#include <cstring>

namespace vx {
namespace {

constexpr REGSAM kRead = KEY_READ;            // 0x20019
constexpr REGSAM kWrite = KEY_WRITE;          // 0x20006
constexpr REGSAM kAllAccess = KEY_ALL_ACCESS; // 0xF003F

// "false" means the view a 32-bit program sees on 64-bit Windows. The 32-bit
// build gets it by default (and Windows 2000 does not know KEY_WOW64_32KEY);
// the 64-bit build has to ask for it, so that both builds share one set of keys.
REGSAM AccessMask(REGSAM base, bool use64BitView) {
    if (use64BitView) return base | KEY_WOW64_64KEY;
#if defined(_WIN64)
    return base | KEY_WOW64_32KEY;
#else
    return base;
#endif
}

std::wstring RelativePath(std::wstring_view keyPath) {
    if (!keyPath.empty() && keyPath.front() == L'\\') keyPath.remove_prefix(1);
    return std::wstring(keyPath);
}

// Opens an existing key; never creates one.
UniqueRegKey OpenKey(HKEY root, std::wstring_view keyPath, REGSAM access) {
    UniqueRegKey key;
    if (RegOpenKeyExW(root, RelativePath(keyPath).c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.release();
    return key;
}

// Opens the key, creating it and every missing key above it.
UniqueRegKey CreateKey(HKEY root, std::wstring_view keyPath, bool use64BitView) {
    UniqueRegKey key;
    if (RegCreateKeyExW(root, RelativePath(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        AccessMask(kWrite, use64BitView), nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

void SetValue(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, DWORD type, const void* data,
              DWORD size, bool use64BitView) {
    UniqueRegKey key = CreateKey(root, keyPath, use64BitView);
    if (!key) return;
    RegSetValueExW(key.get(), std::wstring(valueName).c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

// Reads the value's type and bytes in one go; a value that changes size between
// the size query and the read counts as unreadable.
std::optional<RegValue> QueryValue(HKEY key, const std::wstring& name) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    RegValue value;
    value.type = type;
    value.data.resize(size);
    if (size == 0) return value;
    DWORD readSize = size;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, value.data.data(), &readSize) != ERROR_SUCCESS)
        return std::nullopt;
    value.type = type;
    value.data.resize(readSize);
    return value;
}

// The text held in REG_SZ bytes: up to the first NUL, or to the last whole
// character when the data has no NUL (an odd trailing byte is dropped).
std::wstring TextFromBytes(const std::vector<BYTE>& bytes) {
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    if (auto nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    return text;
}

std::optional<std::int32_t> ReadDword(HKEY root, std::wstring_view keyPath, std::wstring_view valueName,
                                      bool use64BitView) {
    UniqueRegKey key = OpenKey(root, keyPath, AccessMask(kRead, use64BitView));
    if (!key) return std::nullopt;
    DWORD type = REG_NONE;
    std::int32_t number = 0;
    DWORD size = sizeof(number);
    if (RegQueryValueExW(key.get(), std::wstring(valueName).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&number),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    // A REG_DWORD shorter than four bytes would leave part of the number unread.
    if (type != REG_DWORD || size != sizeof(number)) return std::nullopt;
    return number;
}

} // namespace

std::wstring ReadRegString(HKEY root, std::wstring_view keyPath, std::wstring_view valueName,
                           std::wstring_view defaultValue, bool use64BitView) noexcept {
    try {
        UniqueRegKey key = OpenKey(root, keyPath, AccessMask(kRead, use64BitView));
        if (!key) return std::wstring(defaultValue);
        std::optional<RegValue> value = QueryValue(key.get(), std::wstring(valueName));
        if (!value || (value->type != REG_SZ && value->type != REG_EXPAND_SZ)) return std::wstring(defaultValue);
        std::wstring text = TextFromBytes(value->data);
        return text.empty() ? std::wstring(defaultValue) : text;
    } catch (...) {
        return std::wstring(defaultValue);
    }
}

std::int32_t ReadRegInteger(HKEY root, std::wstring_view keyPath, std::wstring_view valueName,
                            std::int32_t defaultValue, bool use64BitView) noexcept {
    try {
        return ReadDword(root, keyPath, valueName, use64BitView).value_or(defaultValue);
    } catch (...) {
        return defaultValue;
    }
}

bool ReadRegBool(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, bool defaultValue,
                 bool use64BitView) noexcept {
    try {
        std::optional<std::int32_t> number = ReadDword(root, keyPath, valueName, use64BitView);
        return number ? *number != 0 : defaultValue;
    } catch (...) {
        return defaultValue;
    }
}

void WriteRegString(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, std::wstring_view value,
                    bool use64BitView) noexcept {
    try {
        std::wstring text(value);
        SetValue(root, keyPath, valueName, REG_SZ, text.c_str(),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)), use64BitView);
    } catch (...) {
    }
}

void WriteRegInteger(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, std::int32_t value,
                     bool use64BitView) noexcept {
    try {
        SetValue(root, keyPath, valueName, REG_DWORD, &value, sizeof(value), use64BitView);
    } catch (...) {
    }
}

void WriteRegBinary(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, std::vector<BYTE> value,
                    bool use64BitView) noexcept {
    try {
        SetValue(root, keyPath, valueName, REG_BINARY, value.data(), static_cast<DWORD>(value.size()), use64BitView);
    } catch (...) {
    }
}

void WriteRegBool(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, bool value,
                  bool use64BitView) noexcept {
    WriteRegInteger(root, keyPath, valueName, value ? 1 : 0, use64BitView);
}

void DeleteRegValue(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, bool use64BitView) noexcept {
    try {
        UniqueRegKey key = OpenKey(root, keyPath, AccessMask(kAllAccess, use64BitView));
        if (key) RegDeleteValueW(key.get(), std::wstring(valueName).c_str());
    } catch (...) {
    }
}

std::optional<RegValue> ReadRegRaw(HKEY root, std::wstring_view keyPath, std::wstring_view valueName,
                                   bool use64BitView) noexcept {
    try {
        UniqueRegKey key = OpenKey(root, keyPath, AccessMask(kRead, use64BitView));
        if (!key) return std::nullopt;
        return QueryValue(key.get(), std::wstring(valueName));
    } catch (...) {
        return std::nullopt;
    }
}

void WriteRegRaw(HKEY root, std::wstring_view keyPath, std::wstring_view valueName, const RegValue& value,
                 bool use64BitView) noexcept {
    try {
        SetValue(root, keyPath, valueName, value.type, value.data.data(), static_cast<DWORD>(value.data.size()),
                 use64BitView);
    } catch (...) {
    }
}

} // namespace vx
