// Stored dates and their texts, under the test prefix's United States English locale.
#include "core/StoredDate.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vx {
namespace {

TEST(StoredSeconds, ConvertBothWaysWithHalvesToEven) {
    EXPECT_EQ(DateToStoredSeconds(42370.0), 1451606400);
    EXPECT_EQ(DateToStoredSeconds(25569.0), 0);
    EXPECT_EQ(DateToStoredSeconds(42370.5), 1451649600);
    EXPECT_DOUBLE_EQ(StoredSecondsToDate(1451606400), 42370.0);
    EXPECT_DOUBLE_EQ(StoredSecondsToDate(0), 25569.0);

    // Fractions of a second round to the nearest second, and every count survives the trip.
    EXPECT_EQ(DateToStoredSeconds(25569.0 + 0.4 / 86400.0), 0);
    EXPECT_EQ(DateToStoredSeconds(25569.0 + 0.6 / 86400.0), 1);
    EXPECT_EQ(DateToStoredSeconds(25569.0 - 0.6 / 86400.0), -1);
    for (std::int32_t seconds : {-2147483647 - 1, -86401, -1, 1, 59, 86399, 1451606401, 2147483646})
        EXPECT_EQ(DateToStoredSeconds(StoredSecondsToDate(seconds)), seconds);
}

TEST(StoredSeconds, MomentsPast2038StayReadable) {
    // 19 January 2038 03:14:07 is the last moment that fits.
    const double lastFitting = StoredSecondsToDate(2147483647);
    EXPECT_EQ(DateToStoredSeconds(lastFitting), 2147483647);
    EXPECT_EQ(DateToStoredSeconds(lastFitting + 1.0 / 86400.0), 2147483647);
    EXPECT_EQ(DateToStoredSeconds(lastFitting + 3650.0), 2147483647);
    EXPECT_EQ(DateToStoredSeconds(1.0e12), 2147483647);
    EXPECT_EQ(DateToStoredSeconds(-1.0e12), -2147483647 - 1);
    EXPECT_EQ(DateToStoredSeconds(NAN), 2147483647);
    // What is stored for them reads back as a date.
    EXPECT_FALSE(StoredDateToText(std::to_wstring(DateToStoredSeconds(lastFitting + 10.0))).empty());
}

TEST(StoredDateText, UserShortDateAndLongTimeWithoutMidnight) {
    EXPECT_EQ(StoredDateToText(L"1451606400"), L"1/1/2016");
    EXPECT_EQ(StoredDateToText(L"1451649600"), L"1/1/2016 12:00:00 PM");
    EXPECT_EQ(StoredDateToText(L"0"), L"1/1/1970");
    EXPECT_EQ(StoredDateToText(L"  1451606401"), L"1/1/2016 12:00:01 AM");
    EXPECT_EQ(StoredDateToText(L"-1"), L"12/31/1969 11:59:59 PM");
}

TEST(StoredDateText, AcceptsHexadecimalAndRejectsEverythingElse) {
    EXPECT_EQ(StoredDateToText(L"$1F"), StoredDateToText(L"31"));
    EXPECT_EQ(StoredDateToText(L"0x1F"), StoredDateToText(L"31"));
    EXPECT_EQ(StoredDateToText(L"2147483647"), L"1/19/2038 3:14:07 AM");
    EXPECT_EQ(StoredDateToText(L"2147483648"), L"");
    EXPECT_EQ(StoredDateToText(L"-2147483649"), L"");
    EXPECT_EQ(StoredDateToText(L""), L"");
    EXPECT_EQ(StoredDateToText(L"12abc"), L"");
    EXPECT_EQ(StoredDateToText(L"hello"), L"");
    EXPECT_EQ(StoredDateToText(L"1451606400 "), L"");
    EXPECT_EQ(StoredDateToText(L"$"), L"");
    EXPECT_EQ(StoredDateToText(L"--5"), L"");
}

TEST(StoredDateText, TextsWithDateSeparatorsPassThrough) {
    EXPECT_EQ(StoredDateToText(L"3/4/2015"), L"3/4/2015");
    EXPECT_EQ(StoredDateToText(L"not a date: really"), L"not a date: really");
    EXPECT_EQ(StoredDateToText(L"/"), L"/");
}

TEST(FormattedStoredDate, SystemLocaleLongDateAndLongTime) {
    EXPECT_EQ(FormatStoredDate(L"1451606400"), L"Friday, January 1, 2016 - 12:00:00 AM");
    EXPECT_EQ(FormatStoredDate(L"1451649600"), L"Friday, January 1, 2016 - 12:00:00 PM");
    EXPECT_EQ(FormatStoredDate(L"3/4/2015"), L"Wednesday, March 4, 2015 - 12:00:00 AM");
    EXPECT_EQ(FormatStoredDate(L""), L"");
    EXPECT_EQ(FormatStoredDate(L"hello"), L"");
    EXPECT_EQ(FormatStoredDate(L"2147483648"), L"");
    EXPECT_EQ(FormatStoredDate(L"13/45/9999 99:99"), L"");
}

TEST(DateTextParsing, LocaleParserThenFallbacks) {
    EXPECT_DOUBLE_EQ(ParseDateText(L"1/1/2016 12:00:00 PM").value(), 42370.5);
    EXPECT_DOUBLE_EQ(ParseDateText(L"1/1/2016").value(), 42370.0);
    EXPECT_DOUBLE_EQ(ParseDateText(L"42370.5").value(), 42370.5);
    EXPECT_FALSE(ParseDateText(L""));
    EXPECT_FALSE(ParseDateText(L"hello"));
    // Every text made from a stored date parses back to that moment.
    for (const wchar_t* stored : {L"0", L"1451606400", L"1451649600", L"1700000000", L"2147483647"}) {
        const auto parsed = ParseDateText(StoredDateToText(stored));
        ASSERT_TRUE(parsed) << stored;
        EXPECT_EQ(DateToStoredSeconds(*parsed), std::stoi(stored)) << stored;
    }
}

TEST(WholeDays, TruncatedAndWithoutSign) {
    EXPECT_EQ(WholeDaysBetween(42370.0, 42370.0 + 45.99), 45);
    EXPECT_EQ(WholeDaysBetween(42370.0 + 45.99, 42370.0), 45);
    EXPECT_EQ(WholeDaysBetween(42370.0, 42416.0), 46);
    EXPECT_EQ(WholeDaysBetween(42370.0, 42370.0 + 45.0 + 23.0 / 24.0), 45);
    EXPECT_EQ(WholeDaysBetween(42370.0, 42370.0), 0);
    // A span of exactly 46 days built from stored seconds is 46, not 45.
    EXPECT_EQ(WholeDaysBetween(StoredSecondsToDate(1451606400), StoredSecondsToDate(1451606400 + 46 * 86400)), 46);
}

TEST(DateTime, SystemTimeRoundTripKeepsMilliseconds) {
    SYSTEMTIME time{};
    time.wYear = 2016;
    time.wMonth = 2;
    time.wDay = 29;
    time.wHour = 23;
    time.wMinute = 59;
    time.wSecond = 58;
    time.wMilliseconds = 999;
    const auto back = SystemTimeFromDateTime(DateTimeFromSystemTime(time));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->wYear, 2016);
    EXPECT_EQ(back->wMonth, 2);
    EXPECT_EQ(back->wDay, 29);
    EXPECT_EQ(back->wHour, 23);
    EXPECT_EQ(back->wMinute, 59);
    EXPECT_EQ(back->wSecond, 58);
    EXPECT_EQ(back->wMilliseconds, 999);
    EXPECT_EQ(back->wDayOfWeek, 1); // a Monday
    EXPECT_NEAR(CurrentDateTime(), StoredSecondsToDate(DateToStoredSeconds(CurrentDateTime())), 1.0 / 86400.0);
}

} // namespace
} // namespace vx
