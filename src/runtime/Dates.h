#pragma once

#include <cstdint>

namespace runtime {

// Dates are day numbers counted from 30 December 1899 (day 0), stored as Double; the
// fraction is the time of day. Calendar arithmetic is proleptic Gregorian and years are
// taken as given (year 17 is the year 17, not 2017).

// Day number of a calendar date. Months and days outside their range carry over as the
// platform does: month 13 is January of the next year, day 0 the last day of the month
// before.
std::int32_t DateSerial(int year, int month, int day);

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// The calendar date of a day number; the fraction (time of day) is dropped. The whole
// part is the date for negative numbers too: -1.5 is noon of 29 December 1899.
CalendarDate calendarDateOf(double dayNumber);

inline int Year(double dayNumber) {
    return calendarDateOf(dayNumber).year;
}
inline int Month(double dayNumber) {
    return calendarDateOf(dayNumber).month;
}
inline int Day(double dayNumber) {
    return calendarDateOf(dayNumber).day;
}

} // namespace runtime
