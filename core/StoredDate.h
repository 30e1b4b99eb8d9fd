// Dates as the settings key keeps them.
//
// A date-time is a count of days since 30 December 1899 00:00 local time, with
// the time of day as the fraction (0.5 is noon). A stored date is the decimal
// text of the whole seconds since 1 January 1970 00:00 local time, as a signed
// 32-bit number. No time zone or daylight-saving adjustment is made anywhere.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

inline constexpr double kUnixEpochDateTime = 25569.0; // 1 January 1970 00:00
inline constexpr double kSecondsPerDay = 86400.0;

double DateTimeFromSystemTime(const SYSTEMTIME& time) noexcept;
std::optional<SYSTEMTIME> SystemTimeFromDateTime(double dateTime) noexcept;
// The local wall-clock moment, to the millisecond.
double CurrentDateTime() noexcept;

// Rounds halves to the even neighbour. Moments past 19 January 2038 03:14:07
// do not fit 32 bits: they are stored as 2147483647 (and moments before
// 13 December 1901 as the smallest number), so the value always stays readable.
std::int32_t DateToStoredSeconds(double dateTime) noexcept;
double StoredSecondsToDate(std::int32_t seconds) noexcept;
// The stored date of the current moment, as the text written to the registry.
std::wstring CurrentStoredDateText();

// A stored date as the user's short date and long time ("1/1/2016 12:00:00 PM"),
// the time left out at midnight; a text holding ":" or "/" is passed through as
// a date text already; "" for anything else.
std::wstring StoredDateToText(std::wstring_view stored);
// Reads a date text in the user's locale; nothing when it is no date.
std::optional<double> ParseDateText(std::wstring_view text) noexcept;
// The display text of a stored date: the system locale's long date and long
// time joined by " - "; "" on any failure.
std::wstring FormatStoredDate(std::wstring_view stored) noexcept;
// Whole days between two date-times, in either order.
int WholeDaysBetween(double a, double b) noexcept;

} // namespace vx
