// Calendar arithmetic on yyyymmdd dates: day numbers, weekdays, validity and period keys.
#include <gtest/gtest.h>

#include "platform/calendar.h"

namespace zor {
namespace {

TEST(Calendar, DayNumbersAndWeekdays) {
  struct {
    int date;
    int64_t day;
    int weekday;  // 0 Sunday
  } cases[] = {
      {19700101, 0, 4},       {19691231, -1, 3},     {19900101, 7305, 1},  {20000229, 11016, 2},
      {20000301, 11017, 3},   {20240101, 19723, 1},  {20240107, 19729, 0}, {21001231, 47846, 5},
      {19000301, -25508, 4},  // 1900 is not a leap year
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dayNumber(c.date), c.day) << c.date;
    EXPECT_EQ(dateOfDayNumber(c.day), c.date) << c.date;
    EXPECT_EQ(weekdayOf(c.date), c.weekday) << c.date;
  }
  EXPECT_EQ(addDays(20231231, 1), 20240101);
  EXPECT_EQ(addDays(20240301, -1), 20240229);
  EXPECT_EQ(addDays(20240115, 0), 20240115);
}

TEST(Calendar, Validity) {
  struct {
    int date;
    bool real, plausible;
  } cases[] = {
      {20240229, true, true},   {20230229, false, false}, {21000229, false, false},  // 2100 is not leap
      {20000229, true, true},   {19891231, true, false},  {19900101, true, true},
      {21001231, true, true},   {21010101, true, false},  {20240431, false, false},
      {20241301, false, false}, {20240100, false, false}, {0, false, false},
      {-20240101, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isRealDate(c.date), c.real) << c.date;
    EXPECT_EQ(isPlausibleDate(c.date), c.plausible) << c.date;
  }
}

TEST(Calendar, GarbageDatesGiveHarmlessNumbers) {
  // Day numbers count on from the first of the (clamped) month, so broken dates still order.
  EXPECT_EQ(dayNumber(20240231), dayNumber(20240302));
  EXPECT_EQ(dayNumber(20240100), dayNumber(20231231));
  EXPECT_EQ(monthKey(20241399), monthKey(20241201));
  for (int d : {0, -5, 99999999, 20241340, 123}) {
    int w = weekdayOf(d);
    EXPECT_GE(w, 0) << d;
    EXPECT_LE(w, 6) << d;
  }
}

TEST(Calendar, PeriodKeys) {
  struct {
    int a, b;
    bool sameWeek, sameMonth, sameQuarter, sameYear;
  } cases[] = {
      {20240101, 20240107, true, true, true, true},    // Monday and the Sunday after
      {20240107, 20240108, false, true, true, true},   // Sunday and the next Monday
      {20231231, 20240101, false, false, false, false},  // Sunday 31 December, Monday 1 January
      {20240329, 20240401, false, false, false, true},  // Friday of Q1, Monday of Q2
      {20200101, 20191230, true, false, false, false},  // a week across the new year
      {20240402, 20240628, false, false, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.a) + " " + std::to_string(c.b));
    EXPECT_EQ(weekKey(c.a) == weekKey(c.b), c.sameWeek);
    EXPECT_EQ(monthKey(c.a) == monthKey(c.b), c.sameMonth);
    EXPECT_EQ(quarterKey(c.a) == quarterKey(c.b), c.sameQuarter);
    EXPECT_EQ(yearKey(c.a) == yearKey(c.b), c.sameYear);
  }
  EXPECT_EQ(weekKey(20240103), dayNumber(20240101));  // the week's Monday
}

}  // namespace
}  // namespace zor
