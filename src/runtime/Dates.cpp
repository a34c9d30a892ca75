#include "runtime/Dates.h"

#include <cmath>

namespace runtime {

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date, and back (the well-known
// era-based algorithms, exact for every representable year).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

CalendarDate civilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long y = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

const long long kDayZero = daysFromCivil(1899, 12, 30);

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

std::int32_t DateSerial(int year, int month, int day) {
    const long long m0 = static_cast<long long>(month) - 1;
    const long long y = year + floorDiv(m0, 12);
    const auto m = static_cast<unsigned>(m0 - floorDiv(m0, 12) * 12 + 1);
    return static_cast<std::int32_t>(daysFromCivil(y, m, 1) + (day - 1) - kDayZero);
}

CalendarDate calendarDateOf(double dayNumber) {
    // The platform keeps the date in the whole part and the time in the fraction's
    // magnitude, so -1.5 is 29 December 1899 at noon: truncate, don't floor.
    return civilFromDays(static_cast<long long>(std::trunc(dayNumber)) + kDayZero);
}

} // namespace runtime
