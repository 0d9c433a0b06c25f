#include "platform/calendar.h"

#include <algorithm>
#include <chrono>

namespace zor {

namespace {

using namespace std::chrono;

struct Parts {
  int y, m, d;
};
Parts split(int yyyymmdd) { return {yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100}; }

sys_days toDays(int yyyymmdd) {
  Parts p = split(yyyymmdd);
  // From the first of a valid month, so that day 0, day 31 of February or a negative day still
  // give a defined result.
  year_month_day first{year{p.y}, month{unsigned(std::clamp(p.m, 1, 12))}, day{1}};
  return sys_days(first) + days{p.d - 1};
}

}  // namespace

bool isRealDate(int yyyymmdd) {
  Parts p = split(yyyymmdd);
  if (p.y < 1 || p.m < 1 || p.m > 12 || p.d < 1 || p.d > 31) return false;
  return year_month_day{year{p.y}, month{unsigned(p.m)}, day{unsigned(p.d)}}.ok();
}

bool isPlausibleDate(int yyyymmdd) {
  return yyyymmdd >= 19900101 && yyyymmdd <= 21001231 && isRealDate(yyyymmdd);
}

int64_t dayNumber(int yyyymmdd) { return toDays(yyyymmdd).time_since_epoch().count(); }

int dateOfDayNumber(int64_t n) {
  year_month_day ymd{sys_days{days{n}}};
  return int(ymd.year()) * 10000 + int(unsigned(ymd.month())) * 100 + int(unsigned(ymd.day()));
}

int addDays(int yyyymmdd, int n) { return dateOfDayNumber(dayNumber(yyyymmdd) + n); }

int weekdayOf(int yyyymmdd) { return int(weekday{toDays(yyyymmdd)}.c_encoding()); }

int64_t weekKey(int yyyymmdd) {
  sys_days d = toDays(yyyymmdd);
  // Monday opens the week: iso_encoding counts Monday 1 .. Sunday 7.
  return (d - days{weekday{d}.iso_encoding() - 1}).time_since_epoch().count();
}

int64_t monthKey(int yyyymmdd) {
  Parts p = split(yyyymmdd);
  return int64_t(p.y) * 12 + std::clamp(p.m, 1, 12);
}

int64_t quarterKey(int yyyymmdd) {
  Parts p = split(yyyymmdd);
  return int64_t(p.y) * 4 + (std::clamp(p.m, 1, 12) - 1) / 3;
}

int64_t yearKey(int yyyymmdd) { return yyyymmdd / 10000; }

}  // namespace zor
