// Day-based and minute period series.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "data/series.h"
#include "platform/calendar.h"

namespace zor {

namespace {

// Collects one output bar. Only valid bars set prices; every bar adds volume and amount.
struct GroupBuilder {
  DayBar* bar = nullptr;
  bool valid = false;

  void begin(std::vector<DayBar>& out) {
    out.emplace_back();
    bar = &out.back();
    valid = false;
  }
  void add(bool ok, double o, double h, double l, double c, double volume, double amount) {
    bar->volume += volume;
    bar->amount += amount;
    if (!ok) return;
    if (!valid) {
      bar->open = o, bar->high = h, bar->low = l;
      valid = true;
    } else {
      bar->high = std::max(bar->high, h);
      bar->low = std::min(bar->low, l);
    }
    bar->close = c;
  }
  void end() {
    if (bar && !valid) bar->open = bar->high = bar->low = bar->close = NO_PRICE;
    bar = nullptr;
  }
};

// The group key of a daily bar in a calendar period; bars with equal keys share a bar.
int64_t calendarKey(const DayBar& b, int period) {
  int d = b.dateInt();
  switch (period) {
    case PeriodWeek: return weekKey(d);
    case PeriodMonth: return monthKey(d);
    case PeriodQuarter: return quarterKey(d);
    default: return yearKey(d);  // PeriodYear
  }
}

void put2(char* p, int v) {
  p[0] = char('0' + v / 10);
  p[1] = char('0' + v % 10);
}

}  // namespace

int sessionPosition(int time) {
  if (time <= 690) return std::max(1, time - 570);
  if (time <= 780) return 120;
  return std::min(240, time - 660);
}

int sessionSlot(int time, int size) {
  if (size <= 1) return sessionPosition(time);
  return (sessionPosition(time) + size - 1) / size;
}

int minutePeriodSize(int period) {
  switch (period) {
    case PeriodMin60: return 60;
    case PeriodMin30: return 30;
    case PeriodMin15: return 15;
    case PeriodMin5: return 5;
    default: return 1;
  }
}

void minuteLabel(int date, int time, char* out) {
  int month = (date / 100) % 100, day = date % 100, hour = time / 60, minute = time % 60;
  if (month < 0 || day < 0 || hour < 0 || hour > 99 || minute < 0) {
    char wide[64];
    std::snprintf(wide, sizeof wide, "%02d-%02d %02d:%02d", month, day, hour, minute);
    std::memcpy(out, wide, 15);
    out[15] = '\0';
    return;
  }
  // Hand-made: display series label up to a few million bars per build.
  put2(out, month);
  out[2] = '-';
  put2(out + 3, day);
  out[5] = ' ';
  put2(out + 6, hour);
  out[8] = ':';
  put2(out + 9, minute);
  out[11] = '\0';
}

std::vector<DayBar> aggregateDayBars(const std::vector<DayBar>& days, int period) {
  if (period != PeriodWeek && period != PeriodMonth && period != PeriodDay10 && period != PeriodDay45 &&
      period != PeriodQuarter && period != PeriodYear)
    return days;
  std::vector<DayBar> out;
  GroupBuilder g;
  size_t inGroup = 0;
  int64_t key = 0;
  size_t runLength = period == PeriodDay10 ? 10 : 45;
  bool counted = period == PeriodDay10 || period == PeriodDay45;
  for (size_t i = 0; i < days.size(); ++i) {
    const DayBar& b = days[i];
    bool fresh = i == 0;
    if (counted) {
      fresh = fresh || inGroup >= runLength;
    } else {
      int64_t k = calendarKey(b, period);
      fresh = fresh || k != key;
      key = k;
    }
    if (fresh) {
      g.end();
      g.begin(out);
      g.bar->setDate(b.dateText());
      inGroup = 0;
    }
    g.add(isValidBar(b), b.open, b.high, b.low, b.close, b.volume, b.amount);
    ++inGroup;
  }
  g.end();
  return out;
}

void appendMinuteBars(const MinuteBar* m, size_t count, int period, std::vector<DayBar>& out) {
  int size = minutePeriodSize(period);
  GroupBuilder g;
  int date = 0, slot = 0;
  for (size_t i = 0; i < count; ++i) {
    const MinuteBar& b = m[i];
    int s = size == 1 ? 0 : sessionSlot(b.time, size);
    if (i == 0 || size == 1 || b.date != date || s != slot) {
      g.end();
      g.begin(out);
      minuteLabel(b.date, b.time, g.bar->date);
      date = b.date;
      slot = s;
    }
    g.add(isValidMinute(b), b.open, b.high, b.low, b.close, b.volume, b.amount);
  }
  g.end();
}

std::vector<DayBar> aggregateMinuteBars(const std::vector<MinuteBar>& minutes, int period) {
  std::vector<DayBar> out;
  appendMinuteBars(minutes.data(), minutes.size(), period, out);
  return out;
}

}  // namespace zor
