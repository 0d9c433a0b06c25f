// The trading calendar and the price-limit rule of the sample market.
#include "sample_market/sample_market.h"

#include "platform/calendar.h"
#include "platform/text.h"

namespace zor {

namespace {

// Spring Festival (lunar new year) dates, 1990..2035, as mmdd.
constexpr int kFirstFestivalYear = 1990;
constexpr int kSpringFestival[] = {
    127, 215, 204, 123, 210, 131, 219, 207, 128, 216,  // 1990s
    205, 124, 212, 201, 122, 209, 129, 218, 207, 126,  // 2000s
    214, 203, 123, 210, 131, 219, 208, 128, 216, 205,  // 2010s
    125, 212, 201, 122, 210, 129, 217, 206, 126, 213,  // 2020s
    203, 123, 211, 131, 219, 208,                      // 2030..2035
};

int64_t springFestival(int year) {
  int idx = year - kFirstFestivalYear;
  int mmdd = (idx >= 0 && idx < int(std::size(kSpringFestival))) ? kSpringFestival[idx] : 205;
  return dayNumber(year * 10000 + mmdd);
}

// The fifth day of the fifth month and the fifteenth of the eighth lie about 121 and 220 days
// after the new year; in a year with a leap month before them, a month later. Within a day or
// two of the real dates, which is all a sample calendar needs.
int64_t lunarFestival(int year, int offset, int earliestMmdd) {
  int64_t d = springFestival(year) + offset;
  if (d < dayNumber(year * 10000 + earliestMmdd)) d += 30;
  return d;
}

// One-day festivals close with the weekend around them: Monday or Friday alone, Tuesday with
// the Monday before, Thursday with the Friday after, a weekend day moves to the nearest
// weekday.
bool closedForOneDayFestival(int64_t today, int64_t festival) {
  int wd = weekdayOf(dateOfDayNumber(festival));  // 0 Sunday
  int64_t a = festival, b = festival;
  if (wd == 2) a = festival - 1;
  if (wd == 4) b = festival + 1;
  if (wd == 6) a = b = festival - 1;
  if (wd == 0) a = b = festival + 1;
  return today >= a && today <= b;
}

}  // namespace

bool isMainlandHoliday(int date) {
  int year = date / 10000, mmdd = date % 10000;
  int64_t today = dayNumber(date);
  if (mmdd >= 501 && mmdd <= 505) return true;   // Labour Day week
  if (mmdd >= 1001 && mmdd <= 1007) return true;  // National Day week
  if (closedForOneDayFestival(today, dayNumber(year * 10000 + 101))) return true;
  int64_t festival = springFestival(year);
  if (today >= festival - 1 && today <= festival + 5) return true;  // eve and the week after
  int qingming = (year % 4 == 0 || year % 4 == 1) ? 404 : 405;
  if (closedForOneDayFestival(today, dayNumber(year * 10000 + qingming))) return true;
  if (closedForOneDayFestival(today, lunarFestival(year, 121, 528))) return true;  // Dragon Boat
  if (closedForOneDayFestival(today, lunarFestival(year, 220, 907))) return true;  // Mid-Autumn
  return false;
}

std::vector<int> tradingCalendar(int first, int last) {
  std::vector<int> days;
  for (int64_t d = dayNumber(first), end = dayNumber(last); d <= end; ++d) {
    int date = dateOfDayNumber(d);
    int wd = weekdayOf(date);
    if (wd != 0 && wd != 6 && !isMainlandHoliday(date)) days.push_back(date);
  }
  return days;
}

int priceLimitPercent(Exchange exchange, std::string_view code, std::string_view name) {
  if (name.find("指数") != std::string_view::npos) return 0;
  if (exchange == Exchange::Shanghai && startsWith(code, "000")) return 0;
  if (exchange == Exchange::Shenzhen && startsWith(code, "399")) return 0;
  if (exchange == Exchange::Beijing) return 30;
  if (startsWith(code, "30") || startsWith(code, "68")) return 20;
  if (startsWith(name, "ST") || startsWith(name, "*ST")) return 5;
  return 10;
}

int64_t limitPriceCents(int64_t prevCloseCents, int pct, bool up) {
  int64_t v = (prevCloseCents * (up ? 100 + pct : 100 - pct) + 50) / 100;
  return v < 1 ? 1 : v;
}

int sessionMinute(int index) { return index < 120 ? 571 + index : 781 + (index - 120); }

}  // namespace zor
