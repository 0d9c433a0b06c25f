// Calendar arithmetic on dates written as yyyymmdd integers, the form every file and series of
// the program uses. Built on the standard library's civil calendar (proleptic Gregorian), so
// that day numbers, weekdays and period keys agree everywhere they are computed.
#pragma once

#include <cstdint>

namespace zor {

// True for a real calendar date (month 1..12, day within the month, any year 1..9999).
bool isRealDate(int yyyymmdd);
// A real calendar date within 19900101..21001231: the dates market data may carry.
bool isPlausibleDate(int yyyymmdd);

// Days since 1970-01-01. The month is clamped to 1..12 and the day counts on from the first
// of the month, so that any integer gives some number (garbage stays harmless).
int64_t dayNumber(int yyyymmdd);
// The yyyymmdd date of a day number.
int dateOfDayNumber(int64_t days);
// `yyyymmdd` moved by `days` days.
int addDays(int yyyymmdd, int days);

// Day of the week, 0 Sunday .. 6 Saturday.
int weekdayOf(int yyyymmdd);

// Keys of the calendar periods: dates with equal keys lie in one week (Monday to Sunday),
// month, quarter or year.
int64_t weekKey(int yyyymmdd);  // day number of the week's Monday
int64_t monthKey(int yyyymmdd);
int64_t quarterKey(int yyyymmdd);
int64_t yearKey(int yyyymmdd);

}  // namespace zor
