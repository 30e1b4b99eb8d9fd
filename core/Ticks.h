// Elapsed time from the system's tick count, for the programs' bounded waits.
// The 64-bit tick count is missing before Windows Vista, and the programs start
// on Windows 2000 and XP: the 32-bit count, subtracted as unsigned numbers,
// gives the right elapsed time across its wrap (every 49.7 days) for any span
// shorter than that, which every wait here is.
#pragma once

#include <windows.h>

namespace vx {

using TickStamp = DWORD;

// Milliseconds from `start` to `now`, both read from GetTickCount.
constexpr DWORD TicksBetween(TickStamp start, TickStamp now) noexcept {
    return now - start;
}

inline TickStamp TickNow() noexcept {
    return GetTickCount();
}

inline DWORD MillisecondsSince(TickStamp start) noexcept {
    return TicksBetween(start, GetTickCount());
}

} // namespace vx
