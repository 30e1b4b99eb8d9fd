#include "core/StoredDate.h"

#include <oleauto.h>

#include <cerrno>
#include <cmath>
#include <cwchar>
#include <limits>

namespace vx {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
// Days from 1 January 0001 (proleptic Gregorian) to 30 December 1899.
constexpr std::int64_t kDateTimeEpochFromCivil = 693'593;

// Days since 1 January 0001 of a civil date (H. Hinnant's algorithm, shifted).
std::int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468 + 719162;
}

void CivilFromDays(std::int64_t days, int& year, unsigned& month, unsigned& day) {
    days += 719468 - 719162;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(yearOfEra + era * 400) + (month <= 2);
}

bool ContainsDateSeparator(std::wstring_view text) {
    return text.find_first_of(L":/") != std::wstring_view::npos;
}

// A 32-bit signed decimal number with optional leading blanks and one sign;
// hexadecimal with a "$" or "0x" prefix is accepted too.
std::optional<std::int32_t> ParseStoredSeconds(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == L' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    int base = 10;
    if (i < text.size() && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9') digit = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
        else return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > 0x1'0000'0000LL) return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    // Hexadecimal numbers may spell a negative number in two's complement ($FFFFFFFF is -1).
    if (base == 16 && !negative && value > std::numeric_limits<std::int32_t>::max() && value <= 0xFFFF'FFFFLL)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::wstring FormatDate(LCID locale, DWORD flags, const SYSTEMTIME& time) {
    wchar_t buffer[256];
    const int length = GetDateFormatW(locale, flags, &time, nullptr, buffer, 256);
    return length > 0 ? std::wstring(buffer, length - 1) : std::wstring();
}

std::wstring FormatTime(LCID locale, const SYSTEMTIME& time) {
    wchar_t buffer[256];
    const int length = GetTimeFormatW(locale, 0, &time, nullptr, buffer, 256);
    return length > 0 ? std::wstring(buffer, length - 1) : std::wstring();
}

std::wstring LocaleText(LCID locale, LCTYPE type) {
    wchar_t buffer[128];
    const int length = GetLocaleInfoW(locale, type, buffer, 128);
    return length > 0 ? std::wstring(buffer, length - 1) : std::wstring();
}

// Reads text as a date in the order of the user's short date format (day,
// month and year in whichever order it gives them), separated by anything
// that is not a digit. Two-digit years fall within 1950 to 2049.
std::optional<double> ParseShortDate(std::wstring_view text) {
    const std::wstring format = LocaleText(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE);
    std::wstring order;
    for (wchar_t c : format) {
        const wchar_t field = c == L'd' ? L'd' : (c == L'M' ? L'M' : (c == L'y' ? L'y' : 0));
        if (field && order.find(field) == std::wstring::npos) order += field;
    }
    if (order.size() != 3) return std::nullopt;
    int numbers[3] = {};
    int count = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] <= L' ') ++i;
    while (i < text.size() && count < 3) {
        if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
        int value = 0;
        int digits = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && digits < 5) {
            value = value * 10 + (text[i++] - L'0');
            ++digits;
        }
        numbers[count++] = value;
        if (i < text.size() && count < 3) {
            if (text[i] >= L'0' && text[i] <= L'9') return std::nullopt;
            ++i;
        }
    }
    while (i < text.size() && text[i] <= L' ') ++i;
    if (count != 3 || i != text.size()) return std::nullopt;
    int year = 0, month = 0, day = 0;
    for (int k = 0; k < 3; ++k) {
        if (order[k] == L'd') day = numbers[k];
        else if (order[k] == L'M') month = numbers[k];
        else year = numbers[k];
    }
    if (year < 100) year += year < 50 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || year > 9999) return std::nullopt;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    const std::optional<SYSTEMTIME> check = SystemTimeFromDateTime(DateTimeFromSystemTime(time));
    if (!check || check->wDay != day || check->wMonth != month) return std::nullopt;
    return DateTimeFromSystemTime(time);
}

// A plain floating-point date-time such as "42370.5".
std::optional<double> ParseDateNumber(std::wstring_view text) {
    std::wstring copy(text);
    wchar_t* end = nullptr;
    errno = 0;
    const double value = std::wcstod(copy.c_str(), &end);
    if (end == copy.c_str() || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
    while (*end == L' ') ++end;
    if (*end != L'\0') return std::nullopt;
    return value;
}

} // namespace

double DateTimeFromSystemTime(const SYSTEMTIME& time) noexcept {
    const std::int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) - kDateTimeEpochFromCivil;
    const std::int64_t milliseconds =
        ((time.wHour * 60LL + time.wMinute) * 60LL + time.wSecond) * 1000LL + time.wMilliseconds;
    return static_cast<double>(days) + static_cast<double>(milliseconds) / kMillisecondsPerDay;
}

std::optional<SYSTEMTIME> SystemTimeFromDateTime(double dateTime) noexcept {
    if (!std::isfinite(dateTime)) return std::nullopt;
    // Round to the millisecond first, so that 42370.99999999 does not show as 23:59:59.
    const double totalMs = std::nearbyint(dateTime * kMillisecondsPerDay);
    if (totalMs < -657434.0 * kMillisecondsPerDay || totalMs > 2958466.0 * kMillisecondsPerDay) return std::nullopt;
    const auto total = static_cast<std::int64_t>(totalMs);
    std::int64_t days = total / kMillisecondsPerDay;
    std::int64_t ms = total % kMillisecondsPerDay;
    if (ms < 0) {
        ms += kMillisecondsPerDay;
        --days;
    }
    int year;
    unsigned month, day;
    CivilFromDays(days + kDateTimeEpochFromCivil, year, month, day);
    if (year < 1 || year > 9999) return std::nullopt;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7); // 30 December 1899 was a Saturday
    time.wHour = static_cast<WORD>(ms / 3'600'000);
    time.wMinute = static_cast<WORD>(ms / 60'000 % 60);
    time.wSecond = static_cast<WORD>(ms / 1000 % 60);
    time.wMilliseconds = static_cast<WORD>(ms % 1000);
    return time;
}

double CurrentDateTime() noexcept {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return DateTimeFromSystemTime(now);
}

std::int32_t DateToStoredSeconds(double dateTime) noexcept {
    const double seconds = std::nearbyint((dateTime - kUnixEpochDateTime) * kSecondsPerDay);
    if (!(seconds <= std::numeric_limits<std::int32_t>::max())) return std::numeric_limits<std::int32_t>::max();
    if (seconds < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(seconds);
}

double StoredSecondsToDate(std::int32_t seconds) noexcept {
    return seconds / kSecondsPerDay + kUnixEpochDateTime;
}

std::wstring CurrentStoredDateText() {
    return std::to_wstring(DateToStoredSeconds(CurrentDateTime()));
}

std::wstring StoredDateToText(std::wstring_view stored) {
    if (ContainsDateSeparator(stored)) return std::wstring(stored);
    const std::optional<std::int32_t> seconds = ParseStoredSeconds(stored);
    if (!seconds) return {};
    const std::optional<SYSTEMTIME> time = SystemTimeFromDateTime(StoredSecondsToDate(*seconds));
    if (!time) return {};
    std::wstring text = FormatDate(LOCALE_USER_DEFAULT, DATE_SHORTDATE, *time);
    if (text.empty()) return {};
    const bool midnight = time->wHour == 0 && time->wMinute == 0 && time->wSecond == 0 && time->wMilliseconds == 0;
    if (!midnight) text += L' ' + FormatTime(LOCALE_USER_DEFAULT, *time);
    return text;
}

std::optional<double> ParseDateText(std::wstring_view text) noexcept {
    try {
        if (text.empty()) return std::nullopt;
        std::wstring copy(text);
        DATE date = 0;
        const HRESULT result = VarDateFromStr(copy.data(), LOCALE_USER_DEFAULT, 0, &date);
        if (SUCCEEDED(result)) return date;
        if (result != DISP_E_TYPEMISMATCH) return std::nullopt;
        if (std::optional<double> shortDate = ParseShortDate(text)) return shortDate;
        return ParseDateNumber(text);
    } catch (...) {
        return std::nullopt;
    }
}

std::wstring FormatStoredDate(std::wstring_view stored) noexcept {
    try {
        const std::optional<double> dateTime = ParseDateText(StoredDateToText(stored));
        if (!dateTime) return {};
        const std::optional<SYSTEMTIME> time = SystemTimeFromDateTime(*dateTime);
        if (!time) return {};
        const std::wstring date = FormatDate(LOCALE_SYSTEM_DEFAULT, DATE_LONGDATE, *time);
        const std::wstring clock = FormatTime(LOCALE_SYSTEM_DEFAULT, *time);
        if (date.empty() || clock.empty()) return {};
        return date + L" - " + clock;
    } catch (...) {
        return {};
    }
}

int WholeDaysBetween(double a, double b) noexcept {
    // Half a millisecond of slack keeps a span of exactly N days, computed from
    // inexact fractions, from counting as N - 1.
    constexpr double kHalfMillisecond = 0.5 / kMillisecondsPerDay;
    const double span = std::fabs(a - b) + kHalfMillisecond;
    if (!(span < static_cast<double>(std::numeric_limits<int>::max()))) return std::numeric_limits<int>::max();
    return static_cast<int>(span);
}

} // namespace vx
