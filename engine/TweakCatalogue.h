// The fixed, ordered list of the 34 registry values that the program tunes.
// It is the one place that knows locations, tuned values, conditions and
// backup defaults; the optimise and restore runs only walk it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vx {

// When an entry applies, decided from the run's version code and internet type.
enum class TweakCondition {
    Always,
    NotWindows2000,  // version code is not 0 (so also -1)
    NotDialUpOrIsdn, // internet type is neither 2 (dial-up) nor 7 (ISDN)
    ServerEdition,   // version code 0, 2, 4 or 7
    DesktopEdition,  // version code 1, 3, 5, 6 or 8
};

enum class TweakKind {
    String,  // REG_SZ, written with WriteRegString
    Integer, // REG_DWORD, written with WriteRegInteger
    Binary,  // REG_BINARY, written with WriteRegBinary
};

// What the restore run does with an entry.
enum class TweakRestore {
    PutBack, // write the backup value (or the backup default) back
    Delete,  // remove the tuned value (or give back the value the system had before)
};

// A value of one kind. Only the field of its kind counts.
struct TweakValue {
    TweakKind kind = TweakKind::Integer;
    std::wstring_view text;
    std::int32_t number = 0;
    std::span<const BYTE> bytes;
    bool fromSpeedSetting = false; // the number is 4 or 8 by the speed setting
};

struct TweakEntry {
    int number;                // 1 to 34, the position in the catalogue
    HKEY root;                 // HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
    std::wstring_view keyPath; // with its leading backslash; trailing one as the program has always used it
    std::wstring_view valueName;
    TweakValue tuned; // its kind is the entry's kind
    TweakCondition condition;
    std::optional<TweakValue> backupDefault; // only on the nine backed-up entries
    TweakRestore restore;
    // The put-back entries come back in groups; after each group its backup
    // values are removed. 0 for the entries that are deleted.
    int putBackGroup;

    TweakKind Kind() const { return tuned.kind; }
};

inline constexpr std::size_t kTweakCount = 34;

// Entries 1 to 34, in order.
const std::array<TweakEntry, kTweakCount>& TweakCatalogue() noexcept;
// The entry with the given number (1 to 34).
const TweakEntry& Tweak(int number) noexcept;

bool ConditionHolds(TweakCondition condition, int versionCode, int internetType) noexcept;
inline bool TweakApplies(const TweakEntry& entry, int versionCode, int internetType) noexcept {
    return ConditionHolds(entry.condition, versionCode, internetType);
}

// Connection limits of entries 17 and 18: 4 for "Boost" (0 or less), 8 for "Maximum Boost".
std::int32_t ConnectionLimitForSpeed(int speedSetting) noexcept;
// The number an Integer entry is tuned to, given the speed setting.
std::int32_t TunedNumber(const TweakEntry& entry, int speedSetting) noexcept;

} // namespace vx
