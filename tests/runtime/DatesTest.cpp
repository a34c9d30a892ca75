#include "runtime/Dates.h"

#include "runtime/Constants.h"

#include <gtest/gtest.h>

using namespace runtime;

TEST(Dates, ConstantsAreTheirCalendarDates) {
    struct Case {
        std::int32_t day;
        CalendarDate date;
    } cases[] = {
        {0, {1899, 12, 30}},
        {1, {1899, 12, 31}},
        {TaxYearStart, {2017, 3, 1}},
        {TaxYearEnd, {2018, 2, 28}},
        {PrevTaxYearStart, {2016, 3, 1}},
        {PrevTaxYearEnd, {2017, 2, 28}},
        {NoDateValue, {1800, 1, 1}},
        {NoAssDateValue, {1799, 12, 31}},
        {BlankDateSerial, {0, 1, 1}}, // year 0 taken literally
        {60, {1900, 2, 28}},
        {61, {1900, 3, 1}}, // 1900 was no leap year
        {36585, {2000, 2, 29}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateSerial(c.date.year, c.date.month, c.date.day), c.day) << c.day;
        EXPECT_EQ(calendarDateOf(c.day), c.date) << c.day;
    }
}

TEST(Dates, RoundTripEveryDayOfAWideRange) {
    for (std::int32_t d = -800000; d <= 3000000; d += 7) {
        CalendarDate c = calendarDateOf(d);
        ASSERT_EQ(DateSerial(c.year, c.month, c.day), d);
    }
}

TEST(Dates, OutOfRangeMonthsAndDaysCarryOver) {
    EXPECT_EQ(DateSerial(2016, 15, 1), TaxYearStart);
    EXPECT_EQ(DateSerial(2018, 3, 0), TaxYearEnd);
    EXPECT_EQ(DateSerial(2017, 0, 1), DateSerial(2016, 12, 1));
    EXPECT_EQ(DateSerial(2017, -11, 1), DateSerial(2016, 1, 1));
    EXPECT_EQ(DateSerial(2017, 2, 29), TaxYearStart);
}

TEST(Dates, TimeOfDayIsIgnored) {
    EXPECT_EQ(calendarDateOf(42795.99), (CalendarDate{2017, 3, 1}));
    EXPECT_EQ(calendarDateOf(-1.5), (CalendarDate{1899, 12, 29}));
    EXPECT_EQ(Year(TaxYearEnd), 2018);
    EXPECT_EQ(Month(TaxYearEnd), 2);
    EXPECT_EQ(Day(TaxYearEnd), 28);
}
